#include "QVDocPrefs.h"

#include "AKLog.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVPrefsClamp.h"

namespace {

// Room for the members a document may carry one day.
constexpr unsigned int kDocPrefsMemberRoom = 30;

}  // namespace

QVDocPrefs::QVDocPrefs(QVDocument* document) : mDocument(document), mAudioMasterVolume(0.0)
{
    mMembers.Reserve(kDocPrefsMemberRoom);
    mMembers.RegisterMember("Comment_Title", "Comment.Title", &mCommentTitle, 0);
    mMembers.RegisterMember("Comment_Author", "Comment.Author", &mCommentAuthor, 0);
    mMembers.RegisterMember("Comment_Text", "Comment.Text", &mCommentText, 0);
    mMembers.RegisterMember("Audio_MasterVolume", "Audio.MasterVolume", &mAudioMasterVolume, 0);
}

int QVDocPrefs::SetupDefaults()
{
    mCommentTitle.Clear();
    mCommentAuthor.Clear();
    mCommentText.Clear();
    mAudioMasterVolume = 0.0;
    return CheckSettings();
}

int QVDocPrefs::CheckSettings()
{
    QVPrefsClampReal(&mAudioMasterVolume, kQVDocPrefsMasterVolumeMin, kQVDocPrefsMasterVolumeMax);
    return 0;
}

void QVDocPrefs::CopyFromDefaults(QVDocPrefs const& defaults)
{
    // The template is kept in the preferences file only; new documents use
    // the built-in defaults.
    (void)defaults;
}

bool QVDocPrefs::IsEqual(QVDocPrefs const& other) const { return mMembers.AreEqualMemberValues(other.mMembers); }

int QVDocPrefs::ReadFromDictionary(AKDictionary const& dictionary)
{
    SetupDefaults();
    mMembers.ReadFromDictionary(dictionary, 0);
    return CheckSettings();
}

int QVDocPrefs::WriteToDictionary(AKDictionary* dictionary) const
{
    dictionary->Clear();
    return mMembers.WriteToDictionary(dictionary, 0);
}

bool QVDocPrefs::GrabMasterVolume(double volumeDb)
{
    QVPrefsClampReal(&volumeDb, kQVDocPrefsMasterVolumeMin, kQVDocPrefsMasterVolumeMax);
    if (volumeDb == mAudioMasterVolume)
        return false;
    mAudioMasterVolume = volumeDb;
    mMembers.MarkChanged();
    return true;
}

void QVDocPrefs::ApplySomePrefsToDocument() const
{
    QVDocumentAudioSource* const source = mDocument != nullptr ? mDocument->GetAudioSource() : nullptr;
    if (source != nullptr)
        source->SetMasterVolume(mAudioMasterVolume);
}

bool QVDocPrefs::GrabSomePrefsFromDocument()
{
    QVDocumentAudioSource const* const source = mDocument != nullptr ? mDocument->GetAudioSource() : nullptr;
    return source != nullptr && GrabMasterVolume(source->GetMasterVolume());
}

void QVDocPrefs::LogInfoPrefs() const
{
    AKLog("Document Prefs:\n");
    mMembers.LogDescriptions();
    AKLog("\n");
}

int QVDocPrefs::SetupFromParametersString(char const* text)
{
    if (mMembers.SetupFromParametersString(text))
        CheckSettings();
    return 0;
}

bool QVDocPrefs::SetText(AKString* field, AKString const& text)
{
    if (*field == text)
        return false;
    *field = text;
    mMembers.MarkChanged();
    return true;
}

bool QVDocPrefs::SetCommentTitle(AKString const& title) { return SetText(&mCommentTitle, title); }

bool QVDocPrefs::SetCommentAuthor(AKString const& author) { return SetText(&mCommentAuthor, author); }

bool QVDocPrefs::SetCommentText(AKString const& text) { return SetText(&mCommentText, text); }

bool QVDocPrefs::SetAudioMasterVolume(double volumeDb) { return GrabMasterVolume(volumeDb); }
