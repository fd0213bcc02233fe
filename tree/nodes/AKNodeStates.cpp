// The display states of one node: one client's bits, opening, selecting,
// visibility and channel numbers.

#include "AKNodeStates.h"

#include "AKNode.h"
#include "AKNodeStatesSearch.h"
#include "AKObject.h"

#include <utility>
#include <vector>

namespace {

AKNodeNState& StateOf(AKNode const* node) { return node->GetNState(); }

// A child whose object is a kind of the class; every child for no class.
bool MatchesFilter(AKNode const* node, AKClass const* filter)
{
    if (filter == nullptr)
        return true;
    AKObject const* object = node->GetObject();
    return object != nullptr && object->IsKindOf(filter);
}

// Clears bits of every descendant of the node (not the node itself), without
// recursion so that deep trees cannot exhaust the stack.
void ClearRChildrenBits(AKNode const* top, unsigned int masks, AKNSClientFG flag)
{
    std::vector<AKNode const*> pending{top->GetSub()};
    while (!pending.empty()) {
        AKNode const* node = pending.back();
        if (node == nullptr) {
            pending.pop_back();
            continue;
        }
        pending.back() = node->GetNext();
        StateOf(node).SetBits(masks, flag, false);
        pending.push_back(node->GetSub());
    }
}

// Sets or clears one mask's bit on the descendants down to `depth` levels,
// entering only the children that match the filter. Nothing is marked dirty.
void SetRChildrenBits(AKNode const* top, unsigned int mask, AKNSClientFG flag, bool set, unsigned int depth,
                      AKClass const* filter)
{
    std::vector<std::pair<AKNode const*, unsigned int>> pending{{top, depth}};
    while (!pending.empty()) {
        auto [parent, levels] = pending.back();
        pending.pop_back();
        for (AKNode const* child = parent->GetSub(); child != nullptr; child = child->GetNext()) {
            if (!MatchesFilter(child, filter))
                continue;
            StateOf(child).SetBits(mask, flag, set);
            if (levels > 1)
                pending.push_back({child, levels - 1});
        }
    }
}

// The walk up from the parent shared by the parents' operations: stops at
// the top, or, with a class, at the first ancestor without object or of
// another kind.
template <class Visit>
bool WalkParents(AKNode const* node, AKClass const* filter, Visit visit)
{
    for (AKNode const* parent = node->Parent(); parent != nullptr; parent = parent->Parent()) {
        if (filter != nullptr && !MatchesFilter(parent, filter))
            return true;
        if (!visit(StateOf(parent)))
            return false;
    }
    return true;
}

}  // namespace

// --- Whole masks ---

void AKNodeNState::SetBits(unsigned int masks, AKNSClientFG flag, bool set)
{
    AKNSClientFG* fields[] = {&fDirty, &fOpened, &fSelected, &fUservis, &fRealvis};
    unsigned int const bits[] = {kDirty, kOpened, kSelected, kUservis, kRealvis};
    for (unsigned int i = 0; i < 5; ++i) {
        if ((masks & bits[i]) == 0)
            continue;
        if (set)
            *fields[i] |= flag;
        else
            *fields[i] &= ~flag;
    }
}

void AKNodeNState::ResetClientBits(AKNSClientFG flag)
{
    SetBits(kDirty | kSelected | kRealvis, flag, false);
    SetBits(kOpened | kUservis, flag, true);
}

void AKNodeNState::ClearClientBits(AKNSClientFG flag)
{
    SetBits(kDirty | kOpened | kSelected | kUservis | kRealvis, flag, false);
}

void AKNodeNState::CopyClientBits(AKNSClientFG to, AKNSClientFG from)
{
    for (AKNSClientFG* mask : {&fOpened, &fSelected, &fUservis, &fRealvis})
        *mask = (*mask & ~to) | ((*mask & from) != 0 ? to : 0);
}

bool AKNodeNState::ChangeBit(AKNSClientFG& mask, AKNSClientFG flag, bool set)
{
    bool isSet = (mask & flag) != 0;
    if (flag == 0 || isSet == set)
        return false;
    if (set)
        mask |= flag;
    else
        mask &= ~flag;
    fDirty |= flag;
    return true;
}

bool AKNodeNState::AreAncestorsOpened(AKNSClientFG flag) const
{
    for (AKNode const* parent = fNode->Parent(); parent != nullptr; parent = parent->Parent()) {
        if ((StateOf(parent).fOpened & flag) == 0)
            return false;
    }
    return true;
}

// --- Opening ---

void AKNodeNState::SetOpened(AKNSClientID id, bool opened)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return;
    if (opened) {
        ChangeBit(fOpened, flag, true);
        return;
    }
    // The top node of a tree stays open.
    if (fNode->GetSup() == nullptr && fNode->GetPrev() == nullptr)
        return;
    ChangeBit(fOpened, flag, false);
    ClearRChildrenBits(fNode, kSelected | kDirty, flag);
}

bool AKNodeNState::ToggleOpened(AKNSClientID id)
{
    if (!AKNSClientIsValid(id))
        return false;
    SetOpened(id, !IsOpened(id));
    return IsOpened(id);
}

// --- Selecting ---

void AKNodeNState::SetSelected(AKNSClientID id, bool selected, bool deselectRChildren)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return;
    if (!selected) {
        ChangeBit(fSelected, flag, false);
        return;
    }
    if (!AreAncestorsOpened(flag))
        return;
    ChangeBit(fSelected, flag, true);
    if (deselectRChildren)
        ClearRChildrenBits(fNode, kSelected | kDirty, flag);
}

bool AKNodeNState::ToggleSelected(AKNSClientID id, bool deselectRChildren)
{
    if (!AKNSClientIsValid(id))
        return false;
    SetSelected(id, !IsSelected(id), deselectRChildren);
    return IsSelected(id);
}

void AKNodeNState::SetChildrenSelected(AKNSClientID id, bool selected)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return;
    if (selected && ((fOpened & flag) == 0 || !AreAncestorsOpened(flag)))
        return;
    for (AKNode const* child = fNode->GetSub(); child != nullptr; child = child->GetNext()) {
        AKNodeNState& state = StateOf(child);
        state.ChangeBit(state.fSelected, flag, selected);
    }
}

void AKNodeNState::SetRChildrenSelectedNot(AKNSClientID id)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag != 0)
        ClearRChildrenBits(fNode, kSelected | kDirty, flag);
}

void AKNodeNState::SetChildrenSelectionInvert(AKNSClientID id)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0 || (fOpened & flag) == 0 || !AreAncestorsOpened(flag))
        return;
    for (AKNode const* child = fNode->GetSub(); child != nullptr; child = child->GetNext()) {
        AKNodeNState& state = StateOf(child);
        state.fDirty |= flag;
        state.fSelected ^= flag;
    }
}

bool AKNodeNState::SetChildrenSelectionSearch(AKNSClientID id, AKSearchObjectsParam const& search, bool force,
                                              bool* changed)
{
    if (changed != nullptr)
        *changed = false;
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0 || !search.CanSearch())
        return false;
    if (!force && ((fOpened & flag) == 0 || !AreAncestorsOpened(flag)))
        return false;

    bool answer = false;
    bool anyChange = false;
    for (AKNode const* child = fNode->GetSub(); child != nullptr; child = child->GetNext()) {
        AKNodeNState& state = StateOf(child);
        bool selected = (state.fSelected & flag) != 0;
        switch (search.fMode) {
        case kAKSearchModeReplace: {
            bool match = search.ObjectMatch(child);
            answer |= match;
            anyChange |= state.ChangeBit(state.fSelected, flag, match);
            break;
        }
        case kAKSearchModeAdd:
            if (!selected && search.ObjectMatch(child)) {
                state.ChangeBit(state.fSelected, flag, true);
                answer = anyChange = true;
            }
            break;
        default:  // restrict: only the selected children are tested
            if (!selected)
                break;
            if (search.ObjectMatch(child))
                answer = true;
            else
                anyChange |= state.ChangeBit(state.fSelected, flag, false);
            break;
        }
    }
    if (changed != nullptr)
        *changed = anyChange;
    return answer;
}

// --- Visibility ---

void AKNodeNState::SetUservis(AKNSClientID id, bool uservis) { ChangeBit(fUservis, AKNSClientFlagOf(id), uservis); }

void AKNodeNState::SetRealvis(AKNSClientID id, bool realvis) { ChangeBit(fRealvis, AKNSClientFlagOf(id), realvis); }

bool AKNodeNState::ToggleUservis(AKNSClientID id)
{
    if (!AKNSClientIsValid(id))
        return false;
    SetUservis(id, !IsUservis(id));
    return IsUservis(id);
}

// --- Descendants and ancestors ---

void AKNodeNState::SetRChildrenOpened(AKNSClientID id, bool opened, unsigned int depth, AKClass const* filter)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0 || depth == 0)
        return;
    if (!opened) {
        for (AKNode const* child = fNode->GetSub(); child != nullptr; child = child->GetNext())
            ClearRChildrenBits(child, kSelected | kDirty, flag);
    }
    SetRChildrenBits(fNode, kOpened, flag, opened, depth, filter);
}

void AKNodeNState::SetRChildrenUservis(AKNSClientID id, bool uservis, unsigned int depth, AKClass const* filter)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0 || depth == 0)
        return;
    SetRChildrenBits(fNode, kUservis, flag, uservis, depth, filter);
}

void AKNodeNState::SetParentsOpened(AKNSClientID id, AKClass const* filter)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return;
    WalkParents(fNode, filter, [flag](AKNodeNState& state) {
        state.fOpened |= flag;
        return true;
    });
}

void AKNodeNState::SetParentsUservis(AKNSClientID id, AKClass const* filter)
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return;
    WalkParents(fNode, filter, [flag](AKNodeNState& state) {
        state.fUservis |= flag;
        return true;
    });
}

bool AKNodeNState::IsParentsOpened(AKNSClientID id, AKClass const* filter) const
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return false;
    return WalkParents(fNode, filter, [flag](AKNodeNState& state) { return (state.fOpened & flag) != 0; });
}

bool AKNodeNState::IsParentsUservis(AKNSClientID id, AKClass const* filter) const
{
    AKNSClientFG flag = AKNSClientFlagOf(id);
    if (flag == 0)
        return false;
    return WalkParents(fNode, filter, [flag](AKNodeNState& state) { return (state.fUservis & flag) != 0; });
}

// --- Channel numbers ---

bool AKNodeNState::HasChanum() const
{
    AKObject const* object = fNode != nullptr ? fNode->GetObject() : nullptr;
    return object != nullptr && object->akmGetNStateChanums() != nullptr;
}

unsigned char AKNodeNState::GetChanum(AKNSClientID id) const
{
    AKObject const* object = fNode != nullptr ? fNode->GetObject() : nullptr;
    unsigned char const* chanums = object != nullptr ? object->akmGetNStateChanums() : nullptr;
    if (chanums == nullptr || !AKNSClientIsValid(id))
        return 0;
    return chanums[AKNSClientIndexOf(id) - 1];
}

bool AKNodeNState::SetChanum(AKNSClientID id, unsigned char chanum)
{
    AKObject const* object = fNode != nullptr ? fNode->GetObject() : nullptr;
    unsigned char* chanums = object != nullptr ? object->akmGetNStateChanums() : nullptr;
    if (chanums == nullptr || !AKNSClientIsValid(id))
        return false;
    unsigned char& slot = chanums[AKNSClientIndexOf(id) - 1];
    if (slot == chanum)
        return false;
    slot = chanum;
    return true;
}
