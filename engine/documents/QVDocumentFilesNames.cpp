// QVDocument: the names of the sound files that recording and bounce write.
//
// folder + name + number + extension: the folder of the given path, else the
// record folder, else (when that folder is missing) the desktop; the name of
// the given path, else the document's name and " Rec" or " Bnc"; a
// three-digit number from the document's counter, shared by recordings and
// bounces, taken by the first name that no file has.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "QVAudioFormat.h"
#include "QVDocument.h"
#include "QVPrefs.h"
#include "QVStandardFolders.h"

namespace {

// Names tried from the counter on before giving up.
constexpr unsigned int kNumberedNameTries = 1000;

AKString RecordExtension() { return QVAudioFormatGetFileExtension(QVPrefs::sShared.GetRecordSoundFormat()); }

AKFilePath MakePath(AKString const& folder, AKString const& name, AKString const& extension)
{
    AKString text(folder);
    text.Append(name);
    if (!extension.IsEmpty())
        text.Appendf(".%s", extension.c_str());
    return AKFilePath(text);
}

int ComputeSoundFilePath(QVDocument* document, AKFilePath const& given, char const* suffix, AKString const& extension,
                         bool numbered, AKFilePath* result)
{
    AKFilePath const defaultFolder = QVPrefs::sShared.GetRecordSoundFolderPathResolved();
    AKString folder = given.Path();
    if (folder.IsEmpty())
        folder = defaultFolder.Path();
    if (folder.IsEmpty() || !AKFileUtils::DirExists(AKFilePath(folder)))
        folder = QVGetStandardPath(kQVStandardFolderDesktop).Path();

    AKString name = given.ShortFileName();
    if (name.IsEmpty())
        name = defaultFolder.ShortFileName();
    if (name.IsEmpty())
        name = document->GetDocumentName() + AKString(suffix);

    if (!numbered) {
        *result = MakePath(folder, name, extension);
        return 0;
    }
    unsigned int const first = document->GetRecordFileCounter();
    for (unsigned int i = 0; i < kNumberedNameTries; ++i) {
        unsigned int const number = first + i;
        AKString numberedName(name);
        numberedName.Appendf("%03u", number);
        AKFilePath const candidate = MakePath(folder, numberedName, extension);
        if (!AKFileUtils::FileExists(candidate)) {
            document->SetRecordFileCounter(number + 1);
            *result = candidate;
            return 0;
        }
    }
    // Falling back to the name without a number would write over a file.
    result->Clear();
    return AKLogError(kAKErrorFileCantOpen, "No free name is left for \"%s%s\" (numbers %03u to %03u are taken)",
                      folder.c_str(), name.c_str(), first, first + kNumberedNameTries - 1);
}

}  // namespace

int QVDocument::ComputeNextRecordSoundFilePath(AKFilePath* result)
{
    return ComputeSoundFilePath(this, AKFilePath(), " Rec", RecordExtension(), true, result);
}

int QVDocument::ComputeNextBounceSoundFilePath(AKFilePath const& path, AKString const& extension, bool numbered,
                                               AKFilePath* result)
{
    return ComputeSoundFilePath(this, path, " Bnc", extension.IsEmpty() ? RecordExtension() : extension, numbered,
                                result);
}
