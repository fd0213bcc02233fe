// QVTreeHandler: the checks of track-part edits, the insertion times of the
// paste and silence modes, and the selection resolvers and descriptions of
// the command layer.

#include "QVTreeHandler.h"

#include "AKClass.h"
#include "AKNode.h"
#include "AKStatus.h"
#include "AKTextForms.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"
#include "AKTreePasteboard.h"
#include "QVLocale.h"
#include "QVObjectAtomic.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

#include <algorithm>
#include <cstdio>

namespace {

bool HasPositiveRange(AKTreeSel const& selection)
{
    return selection.HasTimeSel() && selection.GetTimeRange().end - selection.GetTimeRange().beg > 0.0;
}

}  // namespace

// --- Checks ---

int QVTreeHandler::CheckHasSomeTrackPart(AKTreeActionParam const& param, bool modifiable, bool needsRange) const
{
    int const status = CheckHasSomeTreeSel(param, modifiable);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    if (QVTreeSel_ResolveSequenceAndTracks(selection, nullptr, false) == nullptr)
        return kAKErrorTreeHandlerBadTreeSelType;
    if (needsRange && !HasPositiveRange(selection))
        return kAKErrorTreeHandlerEmptyTreeSel;
    return 0;
}

int QVTreeHandler::CheckTrackPartCut(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartCopy(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, false, true);
}

int QVTreeHandler::CheckTrackPartDuplicate(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartDelete(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartReset(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartExtract(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, false, true);
}

int QVTreeHandler::CheckTrackPartCrop(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartErase(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartSilent(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, false);
}

int QVTreeHandler::CheckTrackPartScale(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartReverse(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartBounce(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, false, true);
}

int QVTreeHandler::CheckTrackPartZxperScale(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartZxperRepeat(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartZxperMingle(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartZxperStretch(AKTreeActionParam const& param) const
{
    return CheckHasSomeTrackPart(param, true, true);
}

int QVTreeHandler::CheckTrackPartPaste(AKTreeActionParam const& param, AKTreeSelCache const* pasteboard) const
{
    int const status = CheckHasSomeTrackPart(param, true, false);
    if (status != 0)
        return status;
    AKTreeSelCache const& store = pasteboard != nullptr ? *pasteboard : AKTreePasteboard::sShared;
    AKClass const* const common = store.GetCommonBaseClass();
    if (common != nullptr && common->IsKindOfClass(QVObjectSequence::_Class()))
        return store.GetObjectCount() == 1 ? 0 : kAKErrorTreeHandlerIncompatiblePasteboard;
    if (common != nullptr && common->IsKindOfClass(QVObjectTrack::_Class()) && !store.IsEmpty())
        return 0;
    return kAKErrorTreeHandlerIncompatiblePasteboard;
}

int QVTreeHandler::CheckTrackPartMoveOrCopy(AKTreeActionParam const& param) const
{
    int const status = CheckHasSomeTreeSel(param, true);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    if (QVTreeSel_ResolveSequenceAndTracks(selection, nullptr, false) == nullptr)
        return kAKErrorTreeHandlerBadTreeSelType;
    AKNode const* const target = param.GetTargetNode();
    if (target == nullptr || QVObject_ResolveSequenceAndTracks(target->GetObject(), nullptr, false) == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;
    if (!HasPositiveRange(selection))
        return kAKErrorTreeHandlerEmptyTreeSel;
    return 0;
}

// --- Insertion times ---

double QVInsertMode_ComputeInsertTime(int mode, QVObjectSequence const* sequence, QVObjectTrackArray const& tracks,
                                      bool useFullInterval)
{
    switch (mode) {
    case kQVInsertModePrependToSpan:
    case kQVInsertModeAppendToSpan: {
        if (sequence == nullptr || !(sequence->GetUserSpan() > 0.0))
            return -1.0;
        double const start = sequence->GetUserTime() - sequence->GetUserSpan() / 2.0;
        return mode == kQVInsertModePrependToSpan ? start : start + sequence->GetUserSpan();
    }
    case kQVInsertModePrepend:
        return 0.0;
    case kQVInsertModeAppend: {
        if (tracks.Count() == 1 && tracks[0] != nullptr)
            return tracks[0]->GetTrackTimeIntv().end;
        if (sequence == nullptr)
            return -1.0;
        if (useFullInterval)
            return sequence->GetFLFullIntv().end;
        QVObjectTrackArray all;
        QVObject_ResolveSequenceAndTracks(const_cast<QVObjectSequence*>(sequence), &all, false);
        return QVObjectTrackArray_GetUnionTimeIntv(all).end;
    }
    default:
        return -1.0;
    }
}

// --- Resolvers and descriptions ---

QVObjectSequence* QVTreeSel_ResolveSequenceAndTracksWithIndexes(AKTreeSel const& selection, AKUIntArray* indexes,
                                                                bool useCachedList)
{
    if (indexes != nullptr)
        indexes->Clear();
    QVObjectTrackArray selected;
    QVObjectSequence* const sequence = QVTreeSel_ResolveSequenceAndTracks(selection, &selected, useCachedList);
    if (sequence == nullptr || indexes == nullptr)
        return sequence;
    QVObjectTrackArray all;
    QVObject_ResolveSequenceAndTracks(sequence, &all, useCachedList);
    if (selected.Count() >= all.Count())
        return sequence;
    for (QVObjectTrack* track : selected) {
        for (unsigned int index = 0; index < all.Count(); ++index) {
            if (all[index] == track) {
                indexes->Push(index);
                break;
            }
        }
    }
    return sequence;
}

AKString QVTreeSel_GetDescription1(AKTreeSel const& selection)
{
    char text[256];
    unsigned int const count = selection.CountNodes();
    if (selection.HasTimeSel()) {
        char duration[64];
        AKTimeIntv const range = selection.GetTimeRange();
        strSetasDuration(duration, range.end - range.beg, -1);
        std::snprintf(text, sizeof text, "%u x %s", count, duration);
        return AKString(text);
    }
    AKClass const* const common = selection.GetCommonBaseClass();
    if (count >= 2 && common != nullptr) {
        std::snprintf(text, sizeof text, "%u %s", count, common->GetPluralName().c_str());
        return AKString(text);
    }
    if (count == 1 && common != nullptr) {
        std::snprintf(text, sizeof text, "%u %s", 1u, common->GetDisplayName().c_str());
        return AKString(text);
    }
    if (count == 0)
        return AKString(QVLocaleGetString("No Selection"));
    return AKString();
}

AKString QVTreeSel_GetDescription2(AKTreeSel const& selection)
{
    ATObjectArray<AKObject> const& objects = selection.GetObjects();
    if (objects.Count() == 1 && objects[0] != nullptr && objects[0]->IsKindOfT<QVObjectAtomic>()) {
        auto const* const player = static_cast<QVObjectAtomic const*>(objects[0]);
        if ((player->GetKind() & kQVPlayableKindAtomicSub) == kQVPlayableKindAtomicSub)
            return AKString(QVLocaleGetString("Sub-Player"));
    }
    AKString description;
    if (selection.CountNodes() > 1) {
        QVObjectTrackArray tracks;
        if (QVTreeSel_ResolveSequenceAndTracks(selection, &tracks, true) != nullptr) {
            char text[128];
            std::snprintf(text, sizeof text, "%u %s", tracks.Count(), QVLocaleGetString("Tracks"));
            description = AKString(text);
        }
    }
    if (description.IsEmpty() && objects.Count() == 1 && objects[0] != nullptr)
        description = objects[0]->GetClass()->GetDisplayName();
    return description;
}
