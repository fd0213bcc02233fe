#include "AKTreeNotifier.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"

static_assert(AKTreeNotifier::kMarkBits ==
                  (kAKObjectFlagMarkRevised | kAKObjectFlagMarkSubRevised | kAKObjectFlagMarkFarSubRevised |
                   kAKObjectFlagMarkSubLinks | kAKObjectFlagMarkFarSubLinks),
              "the five marks are the five stamp bits of the objects");

namespace {

// The node's object gets `own`; then its ancestors get `far`, up to the
// first whose object has it already (ancestors without object passed over).
bool MarkNodeAndAncestors(AKNode const* node, unsigned int own, unsigned int far)
{
    AKObject* object = node != nullptr ? node->GetObject() : nullptr;
    if (object == nullptr)
        return false;
    object->SetFlags(own);
    for (AKNode const* up = node->Parent(); up != nullptr; up = up->Parent()) {
        AKObject* upObject = up->GetObject();
        if (upObject == nullptr)
            continue;
        if (upObject->HasFlags(far))
            break;
        upObject->SetFlags(far);
    }
    return true;
}

// One increment for each of the object's marks, then no mark.
void ApplyMarks(AKObject* object)
{
    static constexpr struct {
        unsigned int mark;
        AKObjectStamp stamp;
    } kMarkStamps[] = {
        {kAKObjectFlagMarkRevised, kAKObjectStampRevised},
        {kAKObjectFlagMarkSubRevised, kAKObjectStampSubRevised},
        {kAKObjectFlagMarkFarSubRevised, kAKObjectStampFarSubRevised},
        {kAKObjectFlagMarkSubLinks, kAKObjectStampSubLinks},
        {kAKObjectFlagMarkFarSubLinks, kAKObjectStampFarSubLinks},
    };
    for (auto const& pair : kMarkStamps) {
        if (object->HasFlags(pair.mark))
            object->RaiseStamp(pair.stamp);
    }
    object->ClearFlags(AKTreeNotifier::kMarkBits);
}

}  // namespace

AKTreeNotifier::AKTreeNotifier(AKTree* tree) : AKIdlingClient("AKTreeNotifier", false), fTree(tree) {}

AKTreeNotifier::~AKTreeNotifier() { GiveMeIdling(false); }

AKObject* AKTreeNotifier::RootObject() const
{
    AKNode const* root = fTree != nullptr ? fTree->GetRootNode() : nullptr;
    return root != nullptr ? root->GetObject() : nullptr;
}

bool AKTreeNotifier::MarkRevisionRule(AKNode const* node)
{
    return MarkNodeAndAncestors(node, kAKObjectFlagMarkSubRevised | kAKObjectFlagMarkFarSubRevised,
                                kAKObjectFlagMarkFarSubRevised);
}

bool AKTreeNotifier::MarkLinksRule(AKNode const* node)
{
    return MarkNodeAndAncestors(node, kAKObjectFlagMarkSubLinks | kAKObjectFlagMarkFarSubLinks,
                                kAKObjectFlagMarkFarSubLinks);
}

// --- Change stamps ---

int AKTreeNotifier::UpdateObjectsStampPrepare(AKTreeSel const& selection, unsigned int kinds, bool)
{
    if (selection.IsEmpty())
        return AKLogError(kAKErrorTreeHandlerEmptyTreeSel, "Can't mark the change stamps of an empty tree-sel");
    if (selection.GetTree() != fTree)
        return AKLogError(kAKErrorTreeHandlerBadTreeOwner,
                          "Can't mark the change stamps of a tree-sel that belongs to another tree");

    bool marked = false;
    bool linksOfEachNode = false;
    if ((kinds & kAKTreeActionLinkKinds) != 0) {
        AKNode const* parent = selection.GetCommonParent();
        if (parent != nullptr && parent->GetObject() != nullptr)
            marked = MarkLinksRule(parent);
        else
            linksOfEachNode = true;
    }
    bool const revised = (kinds & kAKTreeActionRevised) != 0;
    if (revised || linksOfEachNode) {
        for (AKNode const* node : selection.GetNodes()) {
            AKObject* object = node->GetObject();
            if (object == nullptr)
                continue;
            if (revised) {
                MarkRevisionRule(node->Parent());
                object->SetFlags(kAKObjectFlagMarkRevised);
                marked = true;
            }
            if (linksOfEachNode && MarkLinksRule(node->Parent()))
                marked = true;
        }
    }
    if (marked) {
        AKObject* root = RootObject();
        if (root != nullptr)
            root->SetFlags(kAKObjectFlagStampsPending);
    }
    return 0;
}

void AKTreeNotifier::UpdateObjectsStamp(bool defer)
{
    if (defer)
        return;
    AKObject* root = RootObject();
    if (root == nullptr || !root->HasFlags(kAKObjectFlagStampsPending))
        return;
    root->ClearFlags(kAKObjectFlagStampsPending);
    for (AKNode* node : fTree->GetNodes()) {
        AKObject* object = node->GetObject();
        if (object != nullptr && (object->GetFlags() & kMarkBits) != 0)
            ApplyMarks(object);
    }
}

void AKTreeNotifier::UpdateObjectsStampCancel()
{
    if (fTree == nullptr)
        return;
    for (AKNode* node : fTree->GetNodes()) {
        AKObject* object = node->GetObject();
        if (object != nullptr)
            object->ClearFlags(kMarkBits);
    }
    AKObject* root = RootObject();
    if (root != nullptr)
        root->ClearFlags(kAKObjectFlagStampsPending);
}

void AKTreeNotifier::UpdateObjectsStampCancel(AKTreeNotifierMarks const& before)
{
    UpdateObjectsStampCancel();
    if (fTree == nullptr || before.IsEmpty())
        return;
    bool restored = false;
    for (AKTreeNotifierMarks::Entry const& entry : before.GetEntries()) {
        AKNode const* node = fTree->GetNode(entry.fNodeID);
        AKObject* object = node != nullptr ? node->GetObject() : nullptr;
        if (object == nullptr)
            continue;
        object->SetFlags(entry.fMarks & kMarkBits);
        restored = true;
    }
    AKObject* root = RootObject();
    if (restored && root != nullptr)
        root->SetFlags(kAKObjectFlagStampsPending);
}

void AKTreeNotifier::GrabPendingMarks(AKTreeNotifierMarks* marks) const
{
    if (marks == nullptr)
        return;
    marks->Clear();
    // Every mark comes with the root's pending bit: outside a group there is
    // nothing to walk.
    if (!HasPendingMarks())
        return;
    for (AKNode const* node : fTree->GetNodes()) {
        AKObject const* object = node->GetObject();
        unsigned int const pending = object != nullptr ? object->GetFlags() & kMarkBits : 0;
        if (pending != 0)
            marks->Push(node->GetID(), pending);
    }
}

bool AKTreeNotifier::HasPendingMarks() const
{
    AKObject const* root = RootObject();
    return root != nullptr && root->HasFlags(kAKObjectFlagStampsPending);
}

int AKTreeNotifier::CheckObjectsFlags() const
{
    if (fTree == nullptr)
        return 0;
    for (AKNode const* node : fTree->GetNodes()) {
        AKObject const* object = node->GetObject();
        if (object != nullptr && (object->GetFlags() & kMarkBits) != 0)
            return AKLogError(kAKErrorTreeBadCoherency, "Tree \"%s\" bad coherency%s", fTree->GetName().c_str(),
                              " (Still temporary flags in object)");
    }
    return 0;
}
