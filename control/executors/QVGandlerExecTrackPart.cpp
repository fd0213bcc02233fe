// Track-part commands: each runs its check and one operation of the engine
// tree handler on the selected time range of some tracks of one sequence;
// the operation records its own undo step.

#include "AKLog.h"
#include "AKStatus.h"
#include "AKTreeActionParam.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVTreeHandler.h"

int QVGandler::CheckTrackPartCommand(QVTreeHandler const& handler, int commandID, AKTreeActionParam const& action)
{
    switch (commandID) {
    case kQVCmdID_TrackPartCut:
        return handler.CheckTrackPartCut(action);
    case kQVCmdID_TrackPartCopy:
        return handler.CheckTrackPartCopy(action);
    case kQVCmdID_TrackPartPaste:
        return handler.CheckTrackPartPaste(action, nullptr);
    case kQVCmdID_TrackPartDuplicate:
        return handler.CheckTrackPartDuplicate(action);
    case kQVCmdID_TrackPartDelete:
        return handler.CheckTrackPartDelete(action);
    case kQVCmdID_TrackPartReset:
        return handler.CheckTrackPartReset(action);
    case kQVCmdID_TrackPartExtract:
        return handler.CheckTrackPartExtract(action);
    case kQVCmdID_TrackPartCrop:
        return handler.CheckTrackPartCrop(action);
    case kQVCmdID_TrackPartMoveOrCopy:
        return handler.CheckTrackPartMoveOrCopy(action);
    case kQVCmdID_TrackPartErase:
        return handler.CheckTrackPartErase(action);
    case kQVCmdID_TrackPartSilent:
        return handler.CheckTrackPartSilent(action);
    case kQVCmdID_TrackPartScale:
        return handler.CheckTrackPartScale(action);
    case kQVCmdID_TrackPartReverse:
        return handler.CheckTrackPartReverse(action);
    case kQVCmdID_TrackPartZxperScale:
        return handler.CheckTrackPartZxperScale(action);
    case kQVCmdID_TrackPartZxperRepeat:
        return handler.CheckTrackPartZxperRepeat(action);
    case kQVCmdID_TrackPartZxperMingle:
        return handler.CheckTrackPartZxperMingle(action);
    case kQVCmdID_TrackPartZxperStretch:
        return handler.CheckTrackPartZxperStretch(action);
    default:
        return -1;
    }
}

int QVGandler::DoCmd_TrackPartCommand(QVGandlerParam& param, QVCommandInfo const& command)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    VerboseCommandWithTreeSel(action.GetTreeSel(), "%s", command.GetMenuLabel().c_str());
    action.SetActionName(command);
    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int const id = command.GetCommandID();
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0)
        status = TreatAndVerboseError(CheckTrackPartCommand(*handler, id, action));

    int mode = 0;
    AKTime timeAt = -1.0;
    AKTime duration = 0.0;
    bool copyMode = true;
    bool inPlace = true;
    double scale = 1.0;
    param.GetOptionAsSInt("Mode", &mode);
    param.GetOptionAsAKTime("TimeAt", &timeAt);
    param.GetOptionAsAKTime("Duration", &duration);
    param.GetOptionAsBool("CopyMode", &copyMode);
    param.GetOptionAsBool("InPlace", &inPlace);
    if (status == 0 && id == kQVCmdID_TrackPartScale && !param.GetOptionAsFloat64("Scale", &scale))
        status = AKLogError(kQVErrorGandlerUndefOption, "Undefined parameter <%s>", "Scale");

    if (status == 0) {
        switch (id) {
        case kQVCmdID_TrackPartCut:
            status = handler->DoTrackPartCut(action, nullptr);
            break;
        case kQVCmdID_TrackPartCopy:
            status = handler->DoTrackPartCopy(action, nullptr);
            break;
        case kQVCmdID_TrackPartPaste:
            status = handler->DoTrackPartPaste(action, mode, timeAt, nullptr);
            break;
        case kQVCmdID_TrackPartDuplicate:
            status = handler->DoTrackPartDuplicate(action);
            break;
        case kQVCmdID_TrackPartDelete:
            status = handler->DoTrackPartDelete(action);
            break;
        case kQVCmdID_TrackPartReset:
            status = handler->DoTrackPartReset(action);
            break;
        case kQVCmdID_TrackPartExtract:
            status = handler->DoTrackPartExtract(action, copyMode);
            break;
        case kQVCmdID_TrackPartCrop:
            status = handler->DoTrackPartCrop(action, inPlace);
            break;
        case kQVCmdID_TrackPartMoveOrCopy:
            status = handler->DoTrackPartMoveOrCopy(action, timeAt, copyMode);
            break;
        case kQVCmdID_TrackPartErase:
            status = handler->DoTrackPartErase(action);
            break;
        case kQVCmdID_TrackPartSilent:
            status = handler->DoTrackPartSilent(action, mode, timeAt, duration);
            break;
        case kQVCmdID_TrackPartScale:
            status = handler->DoTrackPartScale(action, scale);
            break;
        case kQVCmdID_TrackPartReverse:
            status = handler->DoTrackPartReverse(action);
            break;
        case kQVCmdID_TrackPartZxperScale:
            status = handler->DoTrackPartZxperN(action, param.GetOptions(), kQVTrackPartZxperScale);
            break;
        case kQVCmdID_TrackPartZxperRepeat:
            status = handler->DoTrackPartZxperN(action, param.GetOptions(), kQVTrackPartZxperRepeat);
            break;
        case kQVCmdID_TrackPartZxperMingle:
            status = handler->DoTrackPartZxperN(action, param.GetOptions(), kQVTrackPartZxperMingle);
            break;
        case kQVCmdID_TrackPartZxperStretch:
            status = handler->DoTrackPartZxperN(action, param.GetOptions(), kQVTrackPartZxperStretch);
            break;
        default:
            status = -1;
            break;
        }
        NotifyIfDone(document, status, action);
    }
    VerboseResult(status, false, nullptr);
    return status;
}
