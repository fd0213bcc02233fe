#pragma once

// QVGandlerLibext: what the command handler asks of its host: making the
// document object, quitting, alerts, questions, file and folder dialogs and
// the application's standard windows. The handler never talks to a
// user-interface toolkit: the application installs its implementation at
// start-up, and without one these defaults answer every question as
// cancelled, so an engine without a host never waits on the user.
//
// Operations run on the thread that runs commands and return once the user
// has answered. Refusal shows only in the results: false from a dialog means
// cancelled (nothing chosen), -1 from DoDialogStandard an unknown window
// number, *cancelled from DoApplicationQuit a quit that did not happen.

#include "AKFilePath.h"
#include "AKString.h"

class QVDocument;

// The application's standard windows, opened by DoDialogStandard.
enum QVGandlerDialogID : int {
    kQVGandlerDialogPreferences = 1,
    kQVGandlerDialogAudioMidiSetup = 2,
    kQVGandlerDialogRecordSetup = 3,
    kQVGandlerDialogLoadedSounds = 4,
    kQVGandlerDialogCurrentBounces = 5,
    kQVGandlerDialogCustomPlayers = 6,
    kQVGandlerDialogAudioPlugins = 7,
    kQVGandlerDialogAudioPluginPresets = 8,
};

// DoDialogStandard's answer for a window number it does not serve.
constexpr int kQVGandlerDialogUnknown = -1;

class QVGandlerLibext
{
public:
    QVGandlerLibext() = default;
    virtual ~QVGandlerLibext() = default;

    QVGandlerLibext(QVGandlerLibext const&) = delete;
    QVGandlerLibext& operator=(QVGandlerLibext const&) = delete;

    // Makes (does not open or initialise) the document object of that
    // document type and flags; the caller runs the document's own new or
    // open operation and deletes the object when that fails. Default: a
    // plain QVDocument.
    virtual QVDocument* DoDocumentNew(unsigned int documentType, unsigned int flags);
    // Asks the host to quit; `flags` carry the command's interactive bit
    // (0x1000); *cancelled reports a quit stopped by the user or a pending
    // state. Default: 0, *cancelled untouched.
    virtual int DoApplicationQuit(unsigned int flags, bool* cancelled);
    // Shows the text and returns once dismissed. Default: nothing.
    virtual void DoAlertMessage(AKString const& text);
    // A yes/no question; true goes on. Default: false.
    virtual bool DoAlertOkCancel(AKString const& text);
    // A file to write: *path holds the proposed path on entry and the chosen
    // one on a true return; `extension` is enforced; `window` is the
    // document's host window (QVDocument::GetUIFrameworkWindowPtr) or null.
    // Default: false.
    virtual bool DoDialogSaveFile(AKFilePath* path, AKString const& title, AKString const& extension, void* window);
    // Sound files to read (several when `multiple`), in *paths on a true
    // return. Default: false.
    virtual bool DoDialogOpenSoundFiles(AKFilePathArray* paths, AKString const& title, bool multiple);
    // A folder, in *path on a true return. Default: false.
    virtual bool DoDialogChooseDirectory(AKFilePath* path, AKString const& title);
    // Opens a standard window (QVGandlerDialogID) and returns 0, or returns
    // kQVGandlerDialogUnknown. Default: kQVGandlerDialogUnknown for every
    // number.
    virtual int DoDialogStandard(int dialogID);
};
