#include "QVGandlerDispatchTable.h"

#include "AKTreeActionParam.h"
#include "QVCommands.h"
#include "QVGandler.h"
#include "QVTreeHandler.h"

namespace {

using Row = QVGandlerDispatchRow;

// --- Tests ---

bool CanUndo(QVTreeHandler const& handler, int, AKTreeActionParam const&) { return handler.CanUndo(nullptr, nullptr); }
bool CanRedo(QVTreeHandler const& handler, int, AKTreeActionParam const&) { return handler.CanRedo(nullptr, nullptr); }
bool CanCut(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CanCutToPasteboard(action);
}
bool CanCopy(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CanCopyToPasteboard(action);
}
bool CanPaste(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CanPasteFromPasteboard(action);
}
bool CanDuplicate(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CanDuplicate(action);
}
bool CanDelete(QVTreeHandler const& handler, int, AKTreeActionParam const& action) { return handler.CanDelete(action); }
bool CanAddNewCursor(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckSequenceAddNewCursor(action) == 0;
}
bool CanAddNewTrack(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckSequenceAddNewTrack(action) == 0;
}
bool CanSequenceGroup(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckSequenceGroup(action) == 0;
}
bool CanSequenceBounce(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckSequenceBounce(action) == 0;
}
bool CanAddNewAtomic(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckCursorAddNewAtomic(action) == 0;
}
bool CanCursorGroup(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckCursorGroup(action) == 0;
}
bool CanCursorAttach(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckCursorAttach(action, nullptr, nullptr) == 0;
}
bool CanCursorDetach(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckCursorDetach(action, nullptr) == 0;
}
bool CanPlug(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckPlayablePlug(action) == 0;
}
bool CanPlugNone(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckPlayablePlugNone(action) == 0;
}

bool CanTrackPart(QVTreeHandler const& handler, int commandID, AKTreeActionParam const& action)
{
    return QVGandler::CheckTrackPartCommand(handler, commandID, action) == 0;
}

// --- Runners ---

int RunUndo(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditUndo(param); }
int RunRedo(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditRedo(param); }
int RunCut(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditCut(param); }
int RunCopy(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditCopy(param, nullptr); }
int RunPaste(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditPaste(param, nullptr); }
int RunDuplicate(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditDuplicate(param); }
int RunDelete(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_EditDelete(param); }
int RunSequenceNewEmpty(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceNewEmpty(param);
}
int RunSequenceNewWithEmptyTrack(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceNewWithEmptyTrack(param);
}
int RunSequenceNewWithSound(QVGandler& gandler, int, QVGandlerParam& param, bool withDialog)
{
    return gandler.DoCmd_SequenceNewWithSound(param, withDialog);
}
int RunSequenceNewWithSounds(QVGandler& gandler, int, QVGandlerParam& param, bool withDialog)
{
    return gandler.DoCmd_SequenceNewWithSounds(param, withDialog);
}
int RunSequenceNewWithRandom(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceNewWithRandom(param);
}
int RunSequenceAddNewCursor(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceAddNewCursor(param);
}
int RunSequenceAddNewTrack(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceAddNewTrack(param);
}
int RunSequenceAddNewTrackWithSound(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceAddNewTrackWithSound(param);
}
int RunCursorNew(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_CursorNew(param); }
int RunCursorAddNewAtomic(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_CursorAddNewAtomic(param);
}
int RunCursorGroup(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_CursorGroup(param); }
int RunCursorAttach(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_CursorAttach(param); }
int RunCursorDetach(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_CursorDetach(param); }
int RunPlug(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_PlayablePlug(param); }
int RunPlugNone(QVGandler& gandler, int, QVGandlerParam& param, bool) { return gandler.DoCmd_PlayablePlugNone(param); }
int RunTrackPart(QVGandler& gandler, int commandID, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_TrackPartCommand(param, *QVCommands::GetByID(commandID));
}
int RunSequenceGroup(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceGroup(param);
}
int RunSequenceNewWithTrackParts(QVGandler& gandler, int, QVGandlerParam& param, bool)
{
    return gandler.DoCmd_SequenceNewWithTrackParts(param);
}
int RunSequenceBounce(QVGandler& gandler, int, QVGandlerParam& param, bool withDialog)
{
    return gandler.DoCmd_SequenceBounce(param, withDialog);
}
int RunTrackPartBounce(QVGandler& gandler, int, QVGandlerParam& param, bool withDialog)
{
    return gandler.DoCmd_TrackPartBounce(param, withDialog);
}
bool CanTrackPartBounce(QVTreeHandler const& handler, int, AKTreeActionParam const& action)
{
    return handler.CheckTrackPartBounce(action) == 0;
}

Row const kRows[] = {
    {kQVCmdID_EditUndo, kQVCmdID_EditUndo, false, RunUndo, CanUndo},
    {kQVCmdID_EditRedo, kQVCmdID_EditRedo, false, RunRedo, CanRedo},
    {kQVCmdID_EditCut, kQVCmdID_EditCut, true, RunCut, CanCut},
    {kQVCmdID_EditCopy, kQVCmdID_EditCopy, true, RunCopy, CanCopy},
    {kQVCmdID_EditPaste, kQVCmdID_EditPaste, true, RunPaste, CanPaste},
    {kQVCmdID_EditDuplicate, kQVCmdID_EditDuplicate, true, RunDuplicate, CanDuplicate},
    {kQVCmdID_EditDelete, kQVCmdID_EditDelete, true, RunDelete, CanDelete},
    {kQVCmdID_SequenceNewEmpty, kQVCmdID_SequenceNewEmpty, true, RunSequenceNewEmpty, nullptr},
    {kQVCmdID_SequenceNewWithEmptyTrack, kQVCmdID_SequenceNewWithEmptyTrack, true, RunSequenceNewWithEmptyTrack,
     nullptr},
    {kQVCmdID_SequenceNewWithTrackParts, kQVCmdID_SequenceNewWithTrackParts, true, RunSequenceNewWithTrackParts,
     nullptr},
    {kQVCmdID_SequenceNewWithSound, kQVCmdID_SequenceNewWithSound, true, RunSequenceNewWithSound, nullptr},
    {kQVCmdID_SequenceNewWithSounds, kQVCmdID_SequenceNewWithSounds, true, RunSequenceNewWithSounds, nullptr},
    {kQVCmdID_SequenceNewWithRandom, kQVCmdID_SequenceNewWithRandom, true, RunSequenceNewWithRandom, nullptr},
    {kQVCmdID_SequenceAddNewCursor, kQVCmdID_SequenceAddNewCursor, false, RunSequenceAddNewCursor, CanAddNewCursor},
    {kQVCmdID_SequenceAddNewTrack, kQVCmdID_SequenceAddNewTrack, false, RunSequenceAddNewTrack, CanAddNewTrack},
    {kQVCmdID_SequenceAddNewTrackWithSound, kQVCmdID_SequenceAddNewTrackWithSound, false,
     RunSequenceAddNewTrackWithSound, CanAddNewTrack},
    {kQVCmdID_SequenceGroup, kQVCmdID_SequenceGroup, true, RunSequenceGroup, CanSequenceGroup},
    {kQVCmdID_SequenceBounce, kQVCmdID_SequenceBounce, false, RunSequenceBounce, CanSequenceBounce},
    {kQVCmdID_CursorNew, kQVCmdID_CursorNew, true, RunCursorNew, nullptr},
    {kQVCmdID_CursorAddNewAtomic, kQVCmdID_CursorAddNewAtomic, false, RunCursorAddNewAtomic, CanAddNewAtomic},
    {kQVCmdID_CursorGroup, kQVCmdID_CursorGroup, false, RunCursorGroup, CanCursorGroup},
    {kQVCmdID_CursorAttach, kQVCmdID_CursorAttach, true, RunCursorAttach, CanCursorAttach},
    {kQVCmdID_CursorDetach, kQVCmdID_CursorDetach, true, RunCursorDetach, CanCursorDetach},
    {kQVCmdID_PlayablePlug, kQVCmdID_PlayablePlug, false, RunPlug, CanPlug},
    {kQVCmdID_PlayablePlugNone, kQVCmdID_PlayablePlugNone, false, RunPlugNone, CanPlugNone},
    {kQVCmdID_TrackPartCut, kQVCmdID_TrackPartReset, false, RunTrackPart, CanTrackPart},
    {kQVCmdID_TrackPartExtract, kQVCmdID_TrackPartExtract, true, RunTrackPart, CanTrackPart},
    {kQVCmdID_TrackPartCrop, kQVCmdID_TrackPartReverse, false, RunTrackPart, CanTrackPart},
    {kQVCmdID_TrackPartBounce, kQVCmdID_TrackPartBounce, false, RunTrackPartBounce, CanTrackPartBounce},
    {kQVCmdID_TrackPartZxperScale, kQVCmdID_TrackPartZxperStretch, false, RunTrackPart, CanTrackPart},
};

}  // namespace

QVGandlerDispatchRow const* QVGandlerFindDispatchRow(int commandID)
{
    for (Row const& row : kRows) {
        if (commandID >= row.firstID && commandID <= row.lastID)
            return &row;
    }
    return nullptr;
}
