// QVDocument: the XML property-list form of document files.

#include "AKLog.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "AKValueTyped.h"
#include "QVContextObject.h"
#include "QVDocPrefs.h"
#include "QVDocument.h"
#include "QVDocumentFilesSteps.h"
#include "QVDocumentTypeMgr.h"
#include "QVProviderMgr.h"

namespace {

char const kKeyFileType[] = "FileType";
char const kKeyFileVers[] = "FileVers";
char const kKeyPrefs[] = "Prefs";
char const kKeyProviders[] = "Providers";
char const kKeyObjects[] = "Objects";
char const kKeyHost[] = "GUI";

}  // namespace

int QVDocument::InitFromXmlFile(AKFilePath const& path, AKDictionary const* dictionary, bool import)
{
    AKFilePath const folder(path.Path());
    AKDictionary loaded;
    if (dictionary == nullptr) {
        int const status = loaded.LoadFromXmlFile(path, true);
        if (status != 0)
            return status;
        dictionary = &loaded;
    }

    QVDocumentTypeMgr const& types = QVDocumentTypeMgr::sShared;
    AKValue const& fileType = dictionary->GetValue(kKeyFileType);
    bool const recognized = fileType.IsAKString() ? AKValueGetasAKString(fileType) ==
                                                        types.GetDocumentTypeInfo(mDocumentType).GetXmlSignature()
                                                  : types.CountDocumentTypes() == 1;
    if (!recognized)
        return AKLogError(kQVErrorDocumentFormatNotRecognized, "The document \"%s\" file-format is not recognized",
                          mName.c_str());

    // Only a file without any version is of version 0: a version that is
    // there but no unsigned number is as unknown as a wrong number.
    unsigned long long version = 0;
    AKValue const& versionValue = dictionary->GetValue(kKeyFileVers);
    if (!versionValue.IsEmpty() && !AKValueGetasUInt(versionValue, &version, false))
        version = ~0ull;
    int status = QVDocumentFilesCheckVersion(version, mName.c_str());
    if (status != 0)
        return status;

    status = mDocPrefs->ReadFromDictionary(QVDocumentFilesSubDictionary(*dictionary, kKeyPrefs));
    if (status != 0)
        return status;

    QVDocumentFilesProviderRollback rollback;
    QVProviderRenum renum;
    status = QVProviderMgr::sShared.ReadMoreFromDictionary(QVDocumentFilesSubDictionary(*dictionary, kKeyProviders),
                                                           folder, &renum);
    if (status == 0) {
        QVDocumentTreeGuard::EditScope edit(mTreeGuard);
        mContext->GetProviderRenum() = renum;
        status =
            mTree->InitFromDictionary(QVDocumentFilesSubDictionary(*dictionary, kKeyObjects), mDocumentType, nullptr);
        mContext->GetProviderRenum().Clear();
    }
    if (status != 0) {
        rollback.Rollback();
        return status;
    }

    if (!import)
        mHostSettings = QVDocumentFilesSubDictionary(*dictionary, kKeyHost);
    return QVDocumentFilesFinishRead(this, static_cast<unsigned int>(version));
}

int QVDocument::SaveToXmlFile(AKFilePath const& path, bool exporting) const
{
    AKFilePath const folder(path.Path());
    QVDocumentTypeMgr const& types = QVDocumentTypeMgr::sShared;
    AKDictionary file;
    file.SetValue(kKeyFileType, AKValueSetasAKString(types.GetDocumentTypeInfo(mDocumentType).GetXmlSignature()));
    file.SetValue(kKeyFileVers, AKValueSetasUInt(types.GetDocumentsFileVersion()));

    AKDictionary part;
    int status = mDocPrefs->WriteToDictionary(&part);
    if (status == 0)
        status = file.SetValue(kKeyPrefs, AKValueSetasAKDictionary(part));
    if (status == 0) {
        part.Clear();
        status = QVProviderMgr::sShared.WriteLinkedToDictionary(&part, folder, this);
    }
    if (status == 0)
        status = file.SetValue(kKeyProviders, AKValueSetasAKDictionary(part));
    if (status == 0)
        status = mTree->WriteToDictionary(&part);
    if (status == 0)
        status = file.SetValue(kKeyObjects, AKValueSetasAKDictionary(part));
    if (status == 0 && !exporting)
        status = file.SetValue(kKeyHost, AKValueSetasAKDictionary(mHostSettings));
    if (status != 0)
        return status;
    // Written beside the target and renamed over it: a failed save leaves
    // the previous file as it was.
    return file.SaveToXmlFile(path, true);
}
