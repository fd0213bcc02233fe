#pragma once

// QVPluginPresetMgr: named plug-in states ("presets") for every plug-in,
// independent of any document, kept in one binary dictionary file in the
// settings folder. The plug-in window saves and recalls them; the
// application's presets dialog lists, renames and removes them; the
// application loads the file at start-up and saves it at shut-down when
// anything changed.
//
// The presets dictionary, which is also the file's content:
//   "_" + the UID's 8 bytes, least significant first, as 16 upper-case hex
//   digits  ->  the plug-in's dictionary (never left empty):
//     "_" + the UTF-8 bytes of the preset's name as upper-case hex  ->
//       {"Name": string, "Date": unsigned (seconds since 1970),
//        "State": binary (the plug-in's state bytes)}
// Hexadecimal keys keep every name a valid key and list a plug-in's presets
// in the byte order of their UTF-8 names.
//
// Names are treated before use: blanks and tabs removed at both ends, then
// cut to 64 bytes. UID 0, or a name empty once treated, makes every preset
// operation fail. Preset operations answer a bool and log nothing; the file
// operations return the dictionary files' statuses.
//
// A file that exists but cannot be read is never overwritten silently: the
// next save to it first moves it aside under its name followed by ".bad".
//
// Main thread only.

#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKMemoryBlock.h"
#include "AKString.h"
#include "AKStringArray.h"
#include "ATNumberArray.h"
#include "QVPluginDesc.h"

// The presets file, in the settings folder.
constexpr char kQVPluginPresetsFileName[] = "Orvel-Player-PluginPresets";
// What an unreadable presets file is renamed with, appended to its name.
constexpr char kQVPluginPresetsDamagedExtension[] = "bad";
// The longest preset name, in bytes.
constexpr unsigned int kQVPluginPresetNameMaxLength = 64;

class QVPluginPresetMgr
{
public:
    static QVPluginPresetMgr sShared;

    QVPluginPresetMgr() = default;

    QVPluginPresetMgr(QVPluginPresetMgr const&) = delete;
    QVPluginPresetMgr& operator=(QVPluginPresetMgr const&) = delete;

    // --- Files and copies ---

    // The presets file of the settings folder; empty when the engine has no
    // settings folder.
    static AKFilePath GetDefaultBinFilePath();
    // Loads the settings folder's file when it exists; a missing file is no
    // error (0).
    int LoadFromDefaultBinFile();
    // Replaces the presets with the file's. A failure leaves the presets as
    // the dictionary's load leaves them (empty) and, when the file exists,
    // marks it to be set aside before anything is saved over it.
    int LoadFromBinFile(AKFilePath const& path);
    // With onlyIfModified and nothing modified, writes nothing and returns 0.
    int SaveToDefaultBinFile(bool onlyIfModified);
    int SaveToBinFile(AKFilePath const& path, bool onlyIfModified);

    // Replaces every preset with a copy (the modified flag is kept).
    int ReadFromDictionary(AKDictionary const& presets);
    int WriteToDictionary(AKDictionary* presets) const;

    // Set by every successful add, remove and rename; nothing clears it.
    bool IsModified() const { return mModified; }

    // --- Presets ---

    bool ExistsPreset(QVPluginDescUID uid, AKString const& name) const;
    // Empties the state, then reads the preset's "State" into it; whether
    // that read succeeded.
    bool GetPreset(QVPluginDescUID uid, AKString const& name, AKMemoryBlock* state) const;
    // Stores the state under the name, now; an existing name is replaced
    // only with overwrite.
    bool AddPreset(QVPluginDescUID uid, AKString const& name, AKMemoryBlock const& state, bool overwrite);
    // Removes the preset, and the plug-in's entry with its last one.
    bool RemovePreset(QVPluginDescUID uid, AKString const& name);
    // Renames a preset, keeping its date and state. The new name is treated
    // and written back in every case. Fails when a name or the UID is
    // unusable, both names are the same once treated, the old name does not
    // exist, or the new one does; nameTaken (may be null) tells that last case.
    bool RenamePreset(QVPluginDescUID uid, AKString const& oldName, AKString* newName, bool* nameTaken);

    // Empties the list, then appends each known plug-in that has presets, in
    // the order of the plug-in manager's sorted list; true when any. Presets
    // of plug-ins not in the current list stay in the file unlisted.
    bool GetPluginsThatHavePresets(QVPluginDescArray* descs) const;
    // Empties both lists (dates may be null), then appends the name and the
    // date of each preset of the plug-in in key order; true when the plug-in
    // has presets.
    bool GetPresetNamesForPlugin(QVPluginDescUID uid, AKStringArray* names,
                                 ATNumberArray<unsigned int, unsigned int, 32>* dates) const;

    // --- Keys ---

    // The name as presets store it.
    static AKString _LowTreatInputName(AKString const& name);
    // "_" and the hexadecimal form of the UID's bytes, least significant
    // first; empty for UID 0.
    static AKString _LowGenerateKey(QVPluginDescUID uid);
    // "_" and the hexadecimal form of the treated name's UTF-8 bytes; empty
    // for an empty name.
    static AKString _LowGenerateKey(AKString const& treatedName);

private:
    // The key path of a preset inside the presets; empty when unusable.
    static AKString PresetKeyPath(QVPluginDescUID uid, AKString const& treatedName);
    // The plug-in's dictionary, or null.
    AKDictionary const* PluginPresets(QVPluginDescUID uid) const;
    // Moves the unreadable file at the path to the path with ".bad" appended.
    int SetDamagedFileAside(AKFilePath const& path);

    AKDictionary mPresets;
    bool mModified = false;
    // The existing file whose last load failed; empty when none.
    AKFilePath mDamagedFilePath;
};
