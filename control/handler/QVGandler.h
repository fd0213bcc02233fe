#pragma once

// QVGandler: the one door through which every command edits a document.
// Menus, buttons, inspectors, scripts and the C-style interface call
// DoGenericCommand with a command ID of the command table and a
// QVGandlerParam (document, tree-action record, options); the handler turns
// edits on a track time selection into their track-part twins, refuses the
// locked commands while the document's master mode is locked and runs the
// command's executor. Each executor that changes the tree makes exactly one
// undo step named after the command's menu label, fills the result part of
// the record and hands it to the document, which synchronises itself and
// tells its listeners.
//
// While Internal.VerboseLevel is above 0 every command writes its echo line
// ("# <text>.") and one result line ("# Ok", "# Ok (<detail>).",
// "# Canceled." or "# Error <code>.", each followed by an empty line).
//
// The handler never talks to a toolkit: documents, quitting, alerts and
// dialogs go through its host extension (QVGandlerLibext), which it owns and
// which is never null. The executors are public: the user interface and the
// C-style interface also call them directly. Commands keep no state between
// calls. Main thread only (or the one thread of a host driving the engine).

#include "AKDictionary.h"
#include "AKLog.h"
#include "AKString.h"
#include "ATObjectArray.h"
#include "QVGandlerLibext.h"
#include "QVGandlerLibextOwner.h"
#include "QVGandlerParam.h"

class AKObject;
class AKTreeActionParam;
class AKTreeSel;
class AKTreeSelCache;
class QVDocument;
class QVTreeHandler;
struct QVCommandInfo;

// Flags the handler adds to the ones it passes to documents and the host.
constexpr unsigned int kQVGandlerFlagInteractive = 0x1000;  // the user can answer dialogs
constexpr unsigned int kQVGandlerFlagOverwrite = 0x4000;    // save-as may replace a file

// The document type of the documents the handler creates.
constexpr unsigned int kQVGandlerDocumentType = 1;

class QVGandler
{
public:
    static QVGandler sShared;

    // Holds a default host extension.
    QVGandler() = default;
    ~QVGandler() = default;

    QVGandler(QVGandler const&) = delete;
    QVGandler& operator=(QVGandler const&) = delete;

    // --- Host extension ---

    // Deletes the current extension and takes ownership of the given one
    // (null: a fresh default one).
    void SetQVLibExtendedFunctions(QVGandlerLibext* extension);
    QVGandlerLibext& GetLibext() const { return mLibext.Get(); }

    // --- Dispatch ---

    // The parameter's document, else the active one, else null.
    static QVDocument* GetTargetOrDefaultDocument(QVGandlerParam const& param);
    // The ID a command really runs as: cut, copy, paste, duplicate and
    // delete on a selection carrying a time range become their track-part
    // twins; paste on a selection of tracks only becomes track-part paste.
    static int ConvertCommandID(int commandID, AKTreeSel const& selection);
    // Whether the command can run now (menus, buttons). Never logs.
    bool CanGenericCommand(int commandID, QVGandlerParam const& param) const;
    // Runs the command: -1, silently, without a document with a tree
    // handler, for an ID outside the dispatch table, for a command not
    // available in this build, and for a locked command while the master
    // mode is locked; otherwise the executor's status.
    int DoGenericCommand(int commandID, QVGandlerParam& param, bool withDialog);
    // For undo (8232) and redo (8233): whether the step is possible, and the
    // menu text ("Undo New Player"); the bare menu label without document
    // or tree handler; false and an empty label for other IDs. label may be
    // null.
    bool GetUndoRedoState(int commandID, QVGandlerParam const& param, AKString* label) const;

    // --- Results ---

    // The record's command ID and action name from the entry, its result
    // selection the new objects (one, or a list kept in order), its result
    // flags and more info as given, and the result selection's time range
    // from the more info.
    static void BuildResultParam(QVDocument* document, AKTreeActionParam& action, AKObject* newObject,
                                 QVCommandInfo const& command, unsigned int resultFlags, AKDictionary const& moreInfo);
    static void BuildResultParam(QVDocument* document, AKTreeActionParam& action,
                                 ATObjectArray<AKObject> const& newObjects, QVCommandInfo const& command,
                                 unsigned int resultFlags, AKDictionary const& moreInfo);
    // The document synchronises itself and tells its listeners.
    static void NotifyDocument(QVDocument* document, AKTreeActionParam const& action);

    // --- Echo (nothing while Internal.VerboseLevel is 0) ---

    static bool IsVerbose();
    // "# <text>.\n"; nothing for an empty text.
    static void VerboseCommand(char const* format, ...) AK_PRINTF_FORMAT(1, 2);
    // "# <class>:\"<name>\" <text>.\n": the display name of the selection's
    // common class, and its one object's name, or "<list>" for several
    // nodes; two empty strings for an empty selection.
    static void VerboseCommandWithTreeSel(AKTreeSel const& selection, char const* format, ...) AK_PRINTF_FORMAT(2, 3);
    // "# Error %d.", else "# Canceled.", else "# Ok (<detail>).", else
    // "# Ok", each followed by an empty line.
    static void VerboseResult(int status, bool cancelled, char const* detail);
    // Logs a non-zero code with its text (the tree handler's codes have
    // their own) and returns it unchanged.
    static int TreatAndVerboseError(int status);

    // --- Global and application commands ---

    int DoCmd_GlobalSetVerboseLevel(QVGandlerParam& param);
    int DoCmd_GlobalSetRandomSeed(QVGandlerParam& param);
    int DoCmd_GlobalSetTreatExtraIntv(QVGandlerParam& param);
    int DoCmd_ApplicationLaunchScript(QVGandlerParam& param);
    int DoCmd_ApplicationLoadSounds(QVGandlerParam& param, bool withDialog);
    int DoCmd_ApplicationReplaceSound(QVGandlerParam& param, bool withDialog);
    int DoCmd_ApplicationRetrieveLostSounds(QVGandlerParam& param, bool withDialog);
    int DoCmd_ApplicationPurgeUnusedSounds(QVGandlerParam& param, bool withDialog);
    int DoCmd_ApplicationLogInfo(QVGandlerParam& param);
    int DoCmd_ApplicationQuit(QVGandlerParam& param, bool withDialog);
    int DoCmd_ApplicationStandardDialog(QVGandlerDialogID dialogID);

    // Runs a script file and returns its status; the script engine installs
    // it at start. Without one, launching a script fails with -1.
    using ScriptRunner = int (*)(AKFilePath const& path);
    static void InstallScriptRunner(ScriptRunner runner);

    // --- Document commands ---

    int DoCmd_DocumentNew(QVGandlerParam& param, bool withDialog);
    int DoCmd_DocumentOpen(QVGandlerParam& param, bool withDialog);
    int DoCmd_DocumentSave(QVGandlerParam& param, bool withDialog);
    int DoCmd_DocumentSaveAs(QVGandlerParam& param, bool withDialog);
    int DoCmd_DocumentClose(QVGandlerParam& param, bool withDialog);
    int DoCmd_DocumentActivate(QVGandlerParam& param);
    int DoCmd_DocumentResetAllStartKeys(QVGandlerParam& param);
    int DoCmd_DocumentResetAllMutesAndSolos(QVGandlerParam& param);
    int DoCmd_DocumentStopAllPlayers(QVGandlerParam& param);
    int DoCmd_DocumentSetNextObjectID(QVGandlerParam& param);
    int DoCmd_DocumentLogInfo(QVGandlerParam& param);

    // --- Edit commands ---

    int DoCmd_EditUndo(QVGandlerParam& param);
    int DoCmd_EditRedo(QVGandlerParam& param);
    int DoCmd_EditCut(QVGandlerParam& param);
    // store null: the shared pasteboard.
    int DoCmd_EditCopy(QVGandlerParam& param, AKTreeSelCache* store);
    int DoCmd_EditPaste(QVGandlerParam& param, AKTreeSelCache const* store);
    int DoCmd_EditDuplicate(QVGandlerParam& param);
    int DoCmd_EditDelete(QVGandlerParam& param);
    int DoCmd_EditPasteModel(QVGandlerParam& param);
    // Never asks the host.
    int DoCmd_EditRename(QVGandlerParam& param, bool withDialog);
    // Records a change the caller already made to the selected objects,
    // under the action name the caller put in the record.
    int DoCmd_EditRevise(QVGandlerParam& param);

    // --- Sequence commands ---

    int DoCmd_SequenceNewEmpty(QVGandlerParam& param);
    int DoCmd_SequenceNewWithEmptyTrack(QVGandlerParam& param);
    int DoCmd_SequenceNewWithSound(QVGandlerParam& param, bool withDialog);
    int DoCmd_SequenceNewWithSounds(QVGandlerParam& param, bool withDialog);
    int DoCmd_SequenceNewWithRandom(QVGandlerParam& param);
    int DoCmd_SequenceAddNewCursor(QVGandlerParam& param);
    int DoCmd_SequenceAddNewTrack(QVGandlerParam& param);
    // Never asks the host.
    int DoCmd_SequenceAddNewTrackWithSound(QVGandlerParam& param);
    // Mix: the second selected sequence's children move to the first, and
    // the second goes.
    int DoCmd_SequenceGroup(QVGandlerParam& param);
    // A new sequence holding copies of the selected tracks' time range (moved
    // out of them when "CopyMode" is false).
    int DoCmd_SequenceNewWithTrackParts(QVGandlerParam& param);
    // Renders the selected sequence (or selected tracks of one sequence) to a
    // sound file; recorded nowhere in the history.
    int DoCmd_SequenceBounce(QVGandlerParam& param, bool withDialog);
    int DoCmd_TrackPartBounce(QVGandlerParam& param, bool withDialog);

    // --- Player and plug-in commands ---

    int DoCmd_CursorNew(QVGandlerParam& param);
    int DoCmd_CursorAddNewAtomic(QVGandlerParam& param);
    int DoCmd_CursorGroup(QVGandlerParam& param);
    // Nothing recorded and nobody told when no link changes.
    int DoCmd_CursorAttach(QVGandlerParam& param);
    int DoCmd_CursorDetach(QVGandlerParam& param);
    // Recorded only when the playable's plug-in changed.
    int DoCmd_PlayablePlug(QVGandlerParam& param);
    int DoCmd_PlayablePlugNone(QVGandlerParam& param);

    // --- Track-part commands ---

    // Runs the track-part command of the entry (8282 to 8294, 8296 to
    // 8299) on the selection's time range: check, options ("Mode",
    // "TimeAt", "Duration", "CopyMode", "InPlace", "Scale", and the whole
    // options for the experimental transforms), operation.
    int DoCmd_TrackPartCommand(QVGandlerParam& param, QVCommandInfo const& command);
    // One forwarder per track-part command, with that command's entry.
    int DoCmd_TrackPartCut(QVGandlerParam& param);
    int DoCmd_TrackPartCopy(QVGandlerParam& param);
    int DoCmd_TrackPartPaste(QVGandlerParam& param);
    int DoCmd_TrackPartDuplicate(QVGandlerParam& param);
    int DoCmd_TrackPartDelete(QVGandlerParam& param);
    int DoCmd_TrackPartReset(QVGandlerParam& param);
    int DoCmd_TrackPartExtract(QVGandlerParam& param);
    int DoCmd_TrackPartCrop(QVGandlerParam& param);
    int DoCmd_TrackPartMoveOrCopy(QVGandlerParam& param);
    int DoCmd_TrackPartErase(QVGandlerParam& param);
    int DoCmd_TrackPartSilent(QVGandlerParam& param);
    int DoCmd_TrackPartScale(QVGandlerParam& param);
    int DoCmd_TrackPartReverse(QVGandlerParam& param);
    int DoCmd_TrackPartZxperScale(QVGandlerParam& param);
    int DoCmd_TrackPartZxperRepeat(QVGandlerParam& param);
    int DoCmd_TrackPartZxperMingle(QVGandlerParam& param);
    int DoCmd_TrackPartZxperStretch(QVGandlerParam& param);

    // --- Smart commands ---

    // The selection moved, respectively copied, to the record's target node
    // with its link mode; tracks dropped onto the sequence folder go into a
    // new sequence named after their former one (" Copy" added for copies).
    int DoCmd_SmartMoveTo(QVGandlerParam& param);
    int DoCmd_SmartCopyTo(QVGandlerParam& param);
    // The one selected object dropped on the record's target (or on
    // nothing): a player attached, grouped or detached; otherwise moved or
    // copied ("CopyMode"), only its players with "Cluster"; a player placed
    // at "TimeAt" (0 or more) outside the history. -1, silently, without a
    // document with a tree handler or with another selection than one
    // object; 0 after warning 502 for a player dropped on another kind.
    int DoCmd_SmartAssociateObjects(QVGandlerParam& param);

    // --- Track commands ---

    // Recorded only when the track changed; loads the sound on success.
    int DoCmd_TrackReinitWithSound(QVGandlerParam& param, bool withDialog);
    // "SoundBeg" and "SoundEnd" ([0, 0]: the whole sound), "TimeAt" (below
    // 0: the track's end). A sound that cannot be registered fails.
    int DoCmd_TrackInsertSound(QVGandlerParam& param, bool withDialog);
    // The check of a track-part command; -1 for another ID.
    static int CheckTrackPartCommand(QVTreeHandler const& handler, int commandID, AKTreeActionParam const& action);

    // --- Shared steps of the executors ---

    // The document's engine tree handler, or null.
    static QVTreeHandler* TreeHandlerOf(QVDocument const* document);
    // -599 logged when the document is null.
    static int CheckDocument(QVDocument const* document);
    // After an edit that records its own step: notifies the document when
    // the status is 0 and the low byte of the result flags is set.
    static void NotifyIfDone(QVDocument* document, int status, AKTreeActionParam const& action);
    // Closes the group opened with DoEasyStart. On success builds the result
    // with the new objects and notifies; on failure notifies a full refresh
    // when the group still recorded something, so that fast links, pools
    // and listeners never miss edits left in the tree.
    static int EndGroupAndNotify(QVDocument* document, QVTreeHandler* handler, AKTreeActionParam& action,
                                 QVCommandInfo const& command, ATObjectArray<AKObject> const& newObjects, int status);

private:
    int LowUndoOrRedo(QVGandlerParam& param, bool redo);
    template <class Fill>
    int LowNewSequenceWithTrack(QVGandlerParam& param, QVCommandInfo const& command, AKString const& name,
                                bool withPlayer, int status, Fill fill);
    int LowSequenceAddNewTrack(QVGandlerParam& param, bool withSound);
    int LowCursorAttachOrDetach(QVGandlerParam& param, bool attach);
    int LowPlayablePlug(QVGandlerParam& param, bool plug);
    int LowSmartMoveOrCopy(QVGandlerParam& param, bool copy);
    int LowSmartAssociatePlayer(QVGandlerParam& param, QVDocument* document, AKObject* dragged, AKObject* target);
    template <class Change>
    int LowTrackSound(QVGandlerParam& param, bool withDialog, QVCommandInfo const& command, char const* echo,
                      Change change);

    QVGandlerLibextOwner mLibext;
};
