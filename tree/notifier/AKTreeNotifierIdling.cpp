// Messages to the objects of a tree and idle time for those that ask for it.

#include "AKTreeNotifier.h"

#include "AKNode.h"
#include "AKNodeWalk.h"
#include "AKObject.h"
#include "AKTree.h"
#include "AKTreeWalk.h"

namespace {

// Room kept in a rebuilt idling list.
constexpr unsigned int kIdlingListReserve = 20;

}  // namespace

// --- Messages ---

void AKTreeNotifier::SendMessageToAllObjects(AKMessage const& message)
{
    if (fTree == nullptr)
        return;
    // Bounded by the node count, so that a tree read with a link cycle
    // cannot keep the walk going for ever.
    AKTreeWalkBounded(fTree->GetRootNode(), fTree->CountNodes(), [&](AKNode* node) {
        AKObject* object = node->GetObject();
        if (object != nullptr)
            object->akmListenToMessage(message);
    });
}

void AKTreeNotifier::SendMessageToObjectChildren(AKNode* node, AKMessage const& message)
{
    AKNodeWalkWithRChildren(node, [&](AKNode const* visited) {
        AKObject* object = visited->GetObject();
        if (object != nullptr)
            object->akmListenToMessage(message);
        return true;
    });
}

void AKTreeNotifier::SendMessageToObjectChildren(AKObject* object, AKMessage const& message)
{
    if (object != nullptr)
        SendMessageToObjectChildren(object->GetNodeOwner(), message);
}

// --- Idling ---

void AKTreeNotifier::RebuildIdlingList()
{
    fIdlingList.Clear();
    fIdlingList.Reserve(kIdlingListReserve);
    for (AKNode const* node : fTree->GetNodes()) {
        AKObject const* object = node->GetObject();
        if (object != nullptr && object->HasFlags(kAKObjectFlagIdling))
            fIdlingList.Push(node->GetID());
    }
}

void AKTreeNotifier::DoIdling()
{
    AKObject* root = RootObject();
    if (root == nullptr) {
        fIdlingList.Clear();
        return;
    }
    if (root->HasFlags(kAKObjectFlagIdlingListChanged)) {
        root->ClearFlags(kAKObjectFlagIdlingListChanged);
        RebuildIdlingList();
    }
    bool someGone = false;
    // By index: an idle call may not rebuild the list, but it may change the
    // tree, which is why every ID is looked up again.
    for (unsigned int i = 0; i < fIdlingList.Count(); ++i) {
        AKNode const* node = fTree->GetNode(fIdlingList[i]);
        AKObject* object = node != nullptr ? node->GetObject() : nullptr;
        if (object == nullptr) {
            someGone = true;
            continue;
        }
        object->akmIdle();
    }
    if (someGone) {
        AKObject* rootNow = RootObject();
        if (rootNow != nullptr)
            rootNow->SetFlags(kAKObjectFlagIdlingListChanged);
    }
}
