#pragma once

// QVLibBasicOptions: the engine's seven start options, one shared record
// gQVLib. The application runs with all of them on; the C-style interface
// resets them and sets the first five from its parameters string (the last
// two have no key there and stay off).

struct QVLibBasicOptions {
    bool realTime = true;         // "RealTime": sounds load on the loader thread, documents get the real-time flag
    bool hostIdle = true;         // "HostIdle": the C-style interface's idling entry points
    bool undoRedo = true;         // "UndoRedo": documents get the undo-and-redo flag
    bool waveform = true;         // "Waveform": loading builds each sound's waveform envelope
    bool persistIDs = true;       // "PersistIDs": documents keep stored node IDs
    bool standardFolders = true;  // the standard folders are resolved
    bool fileCachesOnDisk = true;

    // All seven off.
    void Reset();
    // All seven on; 0.
    int SetupForCompleteApplication();
    // All seven off, then "Key=0|1" items separated by ";" for the first
    // five; an unknown key logs warning 507, a value other than 0 or 1
    // warning 508. Always 0.
    int SetupFromParametersString(char const* text);
};

extern QVLibBasicOptions gQVLib;
