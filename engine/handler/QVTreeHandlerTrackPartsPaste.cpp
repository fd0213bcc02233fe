// QVTreeHandler: track parts through the pasteboard (copy, cut, paste),
// moving and copying parts between tracks, and the handler's paste, which
// files the objects that land in the temp folder.

#include "QVTreeHandler.h"

#include "AKClass.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKNodeArray.h"
#include "AKStatus.h"
#include "AKTreePasteboard.h"
#include "AKTreeSelBuilders.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVTreeHandlerTrackPartsEasy.h"

namespace {

// Enables the history again on every exit of a step that ran with it
// disabled.
class HistoryPause
{
public:
    explicit HistoryPause(QVTreeHandler& handler) : mHandler(handler) { mHandler.SetHistoryTemporarilyDisabled(); }
    ~HistoryPause() { mHandler.SetHistoryTemporarilyDisabledOff(); }
    HistoryPause(HistoryPause const&) = delete;
    HistoryPause& operator=(HistoryPause const&) = delete;

private:
    QVTreeHandler& mHandler;
};

int ErrorNew()
{
    int const status = AKClass::GetErrorNew();
    return status != 0 ? status : -1;
}

}  // namespace

// --- Pasteboard ---

int QVTreeHandler::DoTrackPartCopy(AKTreeActionParam& param, AKTreeSelCache* pasteboard)
{
    int status = CheckTrackPartCopy(param);
    if (status != 0)
        return status;
    {
        HistoryPause const pause(*this);
        AKTreeActionParam extract(param);
        status = DoTrackPartExtract(extract, true);
        if (status != 0)
            return status;
        if (extract.GetResultTreeSel().IsEmpty())
            return 0;
        AKTreeActionParam cut(GetTree());
        cut.WithActionNameOf(param);
        cut.WithTreeSel(extract.GetResultTreeSel());
        status = DoCutToPasteboard(cut, pasteboard);
        if (status != 0)
            return status;
    }
    param.SetResultFlags(kAKTreeActionDone | kAKTreeActionPasteboard);
    param.SetResultTreeSel(param.GetTreeSel());
    return 0;
}

int QVTreeHandler::DoTrackPartCut(AKTreeActionParam& param, AKTreeSelCache* pasteboard)
{
    int status = CheckTrackPartCut(param);
    if (status != 0)
        return status;
    AKTreeActionParam copy(param);
    status = DoTrackPartCopy(copy, pasteboard);
    if (status != 0)
        return status;
    status = DoTrackPartDelete(param);
    if (status == 0)
        param.AddResultFlags(kAKTreeActionDone | kAKTreeActionPasteboard);
    return status;
}

int QVTreeHandler::DoTrackPartPaste(AKTreeActionParam& param, int mode, double time, AKTreeSelCache const* pasteboard)
{
    int status = CheckTrackPartPaste(param, pasteboard);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    QVObjectTrackArray targets;
    QVObjectSequence* const sequence = QVTreeSel_ResolveSequenceAndTracks(selection, &targets, false);
    bool const hasRange = selection.HasTimeSel();
    AKTimeIntv const range = hasRange ? selection.GetTimeRange() : kAKNullTimeIntv;
    if (mode == kQVInsertModeDefault)
        mode = hasRange ? kQVInsertModeReplaceKeepDur : kQVInsertModeAppend;

    bool const insertion = mode < kQVInsertModeReplace;
    double at = -1.0;
    bool applies;
    if (insertion) {
        at = mode == kQVInsertModeAt ? time : QVInsertMode_ComputeInsertTime(mode, sequence, targets, false);
        applies = at >= 0.0;
    } else {
        applies = hasRange && range.beg < range.end;
    }
    if (!applies)
        return AKLogError(kQVErrorGandlerWrongOption, "Paste-Command has incomplet parameter for insert-mode %u",
                          static_cast<unsigned int>(mode));
    if (targets.IsEmpty())
        return 0;
    AKNode* const temp = GetFolderTempNode();
    if (temp == nullptr)
        return kAKErrorTreeHandlerNoTargetNode;

    bool changedSome = false;
    QVObjectTrackArray changed;
    double pastedDuration = 0.0;
    {
        HistoryPause const pause(*this);
        AKTreeActionParam paste(GetTree());
        paste.WithActionNameOf(param);
        paste.WithTargetNode(temp, kAKLinkModeLastChildren);
        status = AKTreeHandler::DoPasteFromPasteboard(paste, pasteboard, AKString());
        if (status != 0)
            return status;

        QVObjectTrackArray sources;
        if (QVTreeSel_ResolveSequenceAndTracks(paste.GetResultTreeSel(), &sources, false) != nullptr &&
            !sources.IsEmpty()) {
            pastedDuration = QVObjectTrackArray_GetUnionTimeIntv(sources).end;
            bool const keepDuration = mode != kQVInsertModeReplace;
            for (unsigned int index = 0; index < targets.Count(); ++index) {
                QVObjectTrack* const target = targets[index];
                QVObjectTrack const* const source = sources[index % sources.Count()];
                bool const edited = insertion ? target->DoTrackPartInsert(source, at, 1)
                                              : target->DoTrackPartReplace(source, range, keepDuration);
                if (edited) {
                    changedSome = true;
                    changed.PushUniqueItem(target);
                }
            }
        }
        if (temp->GetSub() != nullptr) {
            AKTreeActionParam removal(GetTree());
            removal.WithActionNameOf(param);
            removal.WithTreeChildrenOfNode(temp);
            status = DoDelete(removal);
        }
    }
    if (status != 0 || !changedSome)
        return status;

    if (insertion) {
        bool const aroundSpan = mode == kQVInsertModePrependToSpan || mode == kQVInsertModeAppendToSpan;
        return LowReviseTrackPart(param, changed, {at, at + pastedDuration}, aroundSpan ? range : kAKNullTimeIntv,
                                  true);
    }
    if (mode == kQVInsertModeReplace)
        return LowReviseTrackPart(param, changed, range, range, true);
    return LowReviseTrackPart(param, changed, {range.beg, range.beg + pastedDuration}, range, true);
}

// --- Moving and copying between tracks ---

int QVTreeHandler::DoTrackPartMoveOrCopy(AKTreeActionParam& param, double time, bool copy)
{
    int status = CheckTrackPartMoveOrCopy(param);
    if (status != 0)
        return status;
    AKTreeSel const& selection = param.GetTreeSel();
    QVObjectTrackArray sources;
    QVObjectTrackArray targets;
    QVObjectSequence* const sourceSequence = QVTreeSel_ResolveSequenceAndTracks(selection, &sources, false);
    QVObjectSequence* const targetSequence =
        QVObject_ResolveSequenceAndTracks(param.GetTargetNode()->GetObject(), &targets, false);
    AKTimeIntv const range = selection.GetTimeRange();
    if (sources.IsEmpty() || targets.IsEmpty() || time < 0.0 || !(range.beg < range.end))
        return 0;

    QVObjectTrack* const scratch = AKNew<QVObjectTrack>("%s", "");
    if (scratch == nullptr)
        return ErrorNew();
    QVObjectTrackArray changed;
    for (unsigned int index = 0; index < targets.Count(); ++index) {
        QVObjectTrack* const target = targets[index];
        QVObjectTrack* const source = sources[index % sources.Count()];
        if (copy || source != target) {
            source->DoTrackPartExtract(range, scratch);
            if (!target->DoTrackPartInsert(scratch, time, 1))
                continue;
            changed.PushUniqueItem(target);
            // A move takes the part out of its source only once it has
            // reached the target, so a refused insertion loses nothing.
            if (!copy && source->DoTrackPartDelete(range))
                changed.PushUniqueItem(source);
        } else if (target->DoTrackPartMove(range, time)) {
            changed.PushUniqueItem(target);
        }
    }
    AKClass::DeleteObject(scratch);
    if (changed.IsEmpty())
        return 0;

    double const length = range.end - range.beg;
    AKTimeIntv done;
    AKTimeIntv undone;
    if (copy) {
        done = {time, time + length};
        undone = targetSequence == sourceSequence ? range : kAKNullTimeIntv;
    } else {
        double const start = time < range.beg ? time : time - length;
        done = {start, start + length};
        undone = range;
    }
    return LowReviseTrackPart(param, changed, done, undone, false);
}

// --- The handler's paste ---

int QVTreeHandler::DoPasteFromPasteboard(AKTreeActionParam& param, AKTreeSelCache const* cache, AKString const& name)
{
    AKNode* target = nullptr;
    int status = CheckPasteFromPasteboard(param, cache, &target, nullptr);
    if (status != 0)
        return status;
    bool const shared = cache == nullptr || cache == &AKTreePasteboard::sShared;
    QVTreeHandlerEasyScope scope(*this,
                                 shared ? QVTreeHandlerCommandEditPaste() : QVTreeHandlerCommandEditPasteModel());
    status = AKTreeHandler::DoPasteFromPasteboard(param, cache, name);
    AKNode* const temp = GetFolderTempNode();
    if (status != 0 || temp == nullptr || target != temp || temp->GetSub() == nullptr) {
        scope.End(0);
        return status;
    }

    ATObjectArray<AKObject> cursors;
    ATObjectArray<AKObject> atomics;
    ATObjectArray<AKObject> sequences;
    QVObjectTrackArray tracks;
    ATObjectArray<AKObject> others;
    for (AKNode* node = temp->GetSub(); node != nullptr; node = node->GetNext()) {
        AKObject* const object = node->GetObject();
        if (object == nullptr)
            continue;
        if (object->IsKindOfT<QVObjectCursor>())
            cursors.Push(object);
        else if (object->IsKindOfT<QVObjectAtomic>())
            atomics.Push(object);
        else if (object->IsKindOfT<QVObjectSequence>())
            sequences.Push(object);
        else if (object->IsKindOfT<QVObjectTrack>())
            tracks.Push(static_cast<QVObjectTrack*>(object));
        else
            others.Push(object);
    }

    ATObjectArray<AKObject> results;
    ATObjectArray<AKObject>* const groups[] = {&cursors, &atomics, &sequences};
    AKObject* const folders[] = {GetFolderCursor(), GetFolderCursor(), GetFolderSequence()};
    for (unsigned int index = 0; index < 3 && status == 0; ++index) {
        ATObjectArray<AKObject> moved = *groups[index];
        status = DoEasyMoveObjects(nullptr, &moved, folders[index], kAKLinkModeLastChildren);
        if (status == 0) {
            for (AKObject* object : *groups[index])
                results.Push(object);
        }
    }
    if (status == 0 && !tracks.IsEmpty()) {
        QVObjectSequence* sequence = nullptr;
        status = DoEasyNewSequenceWithTracks(&sequence, AKString(), &tracks);
        if (status == 0 && sequence != nullptr)
            results.Push(sequence);
    }
    if (status == 0 && !others.IsEmpty()) {
        int const remaining = static_cast<int>(others.Count());
        status = DoEasyDeleteObjects(&others);
        AKLogWarning(kQVWarningHandlerCantCompletePaste,
                     "%d objects still in the temporary temp-folder have been deleted (no place defined)", remaining);
    }
    unsigned int const result = scope.End(kAKTreeActionCreated);
    if (status != 0)
        return status;
    param.SetResultFlags(result);
    param.SetResultTreeSel(AKTreeSelWithRawSelObjects(GetTree(), results));
    return 0;
}
