// Bounce commands: the selected sequence, or the selected tracks of one
// sequence, rendered to a sound file. The sequence is copied into a private
// store first, so the bounce never touches the document (and records no
// undo step); it runs inside the call when the engine is not real-time, on
// the bounce worker otherwise.

#include "AKLog.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"
#include "QVBounceMgr.h"
#include "QVBounceParam.h"
#include "QVBouncer.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVGandler.h"
#include "QVLibBasicOptions.h"
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"

int QVGandler::DoCmd_SequenceBounce(QVGandlerParam& param, bool withDialog)
{
    AKTreeActionParam& action = param.GetTreeActionParam();
    AKUIntArray indexes;
    QVObjectSequence* const sequence =
        QVTreeSel_ResolveSequenceAndTracksWithIndexes(action.GetTreeSel(), &indexes, true);
    AKString exportPath;
    bool overwrite = false;
    param.GetOptionAsAKString("ExportPath", &exportPath);
    param.GetOptionAsBool("Overwrite", &overwrite);
    QVBounceTrackIndexes tracks;
    for (unsigned int i = 0; i < indexes.Count(); ++i)
        tracks.Push(indexes[i]);
    QVBounceParam const bounce(param.GetOptions(), tracks);

    // Both bounce commands answer as the sequence bounce.
    VerboseCommandWithTreeSel(action.GetTreeSel(), "%s", kQVCmd_SequenceBounce.fMenuLabel.c_str());
    action.SetActionName(kQVCmd_SequenceBounce);

    QVDocument* const document = GetTargetOrDefaultDocument(param);
    QVTreeHandler* const handler = TreeHandlerOf(document);
    int status = CheckDocument(handler != nullptr ? document : nullptr);
    if (status == 0 && sequence == nullptr)
        status = AKLogError(kQVErrorGandlerUndefObject, "Undefined object");
    if (status == 0)
        status = TreatAndVerboseError(handler->CheckSequenceBounce(action));
    if (status != 0) {
        VerboseResult(status, false, nullptr);
        return status;
    }

    AKFilePath path;
    if (withDialog && exportPath.IsEmpty()) {
        status = document->ComputeNextBounceSoundFilePath(AKFilePath(), bounce.GetSoundFileExtension(), false, &path);
        if (status == 0 && !GetLibext().DoDialogSaveFile(&path, "Save Bounce", bounce.GetSoundFileExtension(),
                                                         document->GetUIFrameworkWindowPtr())) {
            VerboseResult(0, true, nullptr);
            return 0;
        }
    } else {
        status = QVBounceResolveExportPath(document, exportPath, overwrite, bounce, &path);
    }

    AKTreeSelCache store;
    if (status == 0) {
        AKTreeActionParam copy(document->GetTree());
        copy.WithTreeObject(sequence);
        status = handler->DoCopyToPasteboard(copy, &store);
    }
    if (status == 0) {
        unsigned int const mode = gQVLib.realTime ? 0 : kQVBounceModeSync;
        status = QVBounceMgr::sShared.LaunchBounce(mode, store, path, bounce);
    }
    VerboseResult(status, false, nullptr);
    return status;
}

int QVGandler::DoCmd_TrackPartBounce(QVGandlerParam& param, bool withDialog)
{
    return DoCmd_SequenceBounce(param, withDialog);
}
