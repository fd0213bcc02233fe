#pragma once

// QVDocPrefs: the preferences that travel inside one document, stored under
// its "Prefs" entry: a comment title, author and text, and the document's
// master volume in dB. The global preferences keep one more, without a
// document, as a template that lives only in the preferences file: a new
// document starts from the built-in defaults, never from the template.
//
// Registered members (all saved):
//   Comment.Title, Comment.Author, Comment.Text   AKString, empty
//   Audio.MasterVolume                           Float64, 0 dB, -48 to 12
//
// The document applies Audio.MasterVolume to its audio source after opening
// or importing a file, and before every save hands the source's current
// master volume to GrabMasterVolume, which marks these preferences modified
// when it changed.
//
// Copying copies the document reference, the registry and every value.
// Main thread only.

#include "AKDictionary.h"
#include "AKString.h"
#include "QVPrefMemberArray.h"

class QVDocument;

// The range of a document's master volume, in dB.
constexpr double kQVDocPrefsMasterVolumeMin = -48.0;
constexpr double kQVDocPrefsMasterVolumeMax = 12.0;

class QVDocPrefs
{
public:
    // Registers the four members; the values are then empty and 0. The
    // document (null for the template) is only referred to.
    explicit QVDocPrefs(QVDocument* document);
    QVDocPrefs(QVDocPrefs const&) = default;
    QVDocPrefs& operator=(QVDocPrefs const&) = default;

    QVDocument* GetDocument() const { return mDocument; }

    // Empty comments, 0 dB; then CheckSettings. Returns 0.
    int SetupDefaults();
    // Keeps the master volume within -48..12 dB (a NaN becomes -48). Leaves
    // the modified flag and the change stamp alone. Returns 0.
    int CheckSettings();
    // Called for a new document with the global template: takes nothing, so
    // a new document keeps the built-in defaults.
    void CopyFromDefaults(QVDocPrefs const& defaults);
    // Whether every registered value equals the other's.
    bool IsEqual(QVDocPrefs const& other) const;

    // Defaults, then the members found in the dictionary, then the checks.
    // Returns 0.
    int ReadFromDictionary(AKDictionary const& dictionary);
    // Clears the dictionary and writes the four members. Returns 0.
    int WriteToDictionary(AKDictionary* dictionary) const;

    // Takes the master volume of the document's audio (clamped to the
    // range); when it differs from the stored one, stores it, marks the
    // preferences modified and moves the change stamp. True when it changed.
    bool GrabMasterVolume(double volumeDb);

    // With a document that has an audio source: its master volume becomes
    // Audio.MasterVolume (after opening or importing a file).
    void ApplySomePrefsToDocument() const;
    // With a document that has an audio source: GrabMasterVolume of its
    // current master volume (before saving or exporting). True when it
    // changed.
    bool GrabSomePrefsFromDocument();

    // Logs "Document Prefs:\n", one line per member, then "\n".
    void LogInfoPrefs() const;
    // Applies a parameters string; runs CheckSettings when a member took a
    // value. Returns 0.
    int SetupFromParametersString(char const* text);

    // --- Settings ---
    // The setters store the value (the volume clamped) and, when it differs,
    // mark the preferences modified and move the change stamp; true then.

    AKString const& GetCommentTitle() const { return mCommentTitle; }
    bool SetCommentTitle(AKString const& title);
    AKString const& GetCommentAuthor() const { return mCommentAuthor; }
    bool SetCommentAuthor(AKString const& author);
    AKString const& GetCommentText() const { return mCommentText; }
    bool SetCommentText(AKString const& text);
    double GetAudioMasterVolume() const { return mAudioMasterVolume; }
    bool SetAudioMasterVolume(double volumeDb);

    // --- Registry and change state ---

    QVPrefMemberArray const& GetMemberArray() const { return mMembers; }
    bool IsModified() const { return mMembers.IsModified(); }
    void SetModified(bool modified) { mMembers.SetModified(modified); }
    unsigned int GetChangeStamp() const { return mMembers.GetChangeStamp(); }

private:
    bool SetText(AKString* field, AKString const& text);

    QVDocument* mDocument;
    QVPrefMemberArray mMembers;
    AKString mCommentTitle;
    AKString mCommentAuthor;
    AKString mCommentText;
    double mAudioMasterVolume;
};
