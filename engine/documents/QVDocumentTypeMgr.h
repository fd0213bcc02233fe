#pragma once

// QVDocumentTypeMgr: the registered document types and the facts common to
// every document file: the binary file signature and the range of file
// versions that can be read. A type's number is its position in the
// registration order plus 1. One shared instance, built empty when the
// program loads and filled by the engine start; never emptied. The object
// tree reaches it through the engine's services (QVEngineServices).
//
// Main thread for registration; look-ups from any thread afterwards.

#include "AKString.h"
#include "ATArray.h"
#include "QVDocumentTypeInfo.h"

// What the engine start sets up: signature 'PLYA', versions 2 to 2.
constexpr unsigned int kQVDocumentsFileSignature = 0x504C5941;  // 'PLYA'
constexpr unsigned int kQVDocumentsFileVersion = 2;
constexpr unsigned int kQVDocumentsFileOldestVersion = 2;

class QVDocumentTypeMgr
{
public:
    static QVDocumentTypeMgr sShared;

    QVDocumentTypeMgr();

    // An oldest version of 0 means the current one.
    void SetupDocumentsFileSignatureAndVersions(unsigned int signature, unsigned int currentVersion,
                                                unsigned int oldestVersion);
    unsigned int GetDocumentsFileSignature() const { return fFileSignature; }
    unsigned int GetDocumentsFileVersion() const { return fCurrentVersion; }
    unsigned int GetDocumentsFileOldestVersion() const { return fOldestVersion; }
    // True when no current version is set; else oldest <= version <= current.
    bool CheckDocumentFileVersionSupported(unsigned int version) const;

    // Appends a copy; duplicates are not looked for.
    void RegisterDocumentTypeInfo(QVDocumentTypeInfo const& info);
    unsigned int CountDocumentTypes() const { return fTypes.Count(); }
    // kQVNullDocumentTypeInfo for 0 or a number above the count.
    QVDocumentTypeInfo const& GetDocumentTypeInfo(unsigned int type) const;
    bool IsValidDocumentType(unsigned int type) const;

    // Numbers of the first type with that binary signature, XML signature
    // or extension (exact comparisons); 0 for 0, the empty string or no match.
    unsigned int GetTypeFromBinFileSignature(unsigned int signature) const;
    unsigned int GetTypeFromXmlFileSignature(AKString const& signature) const;
    unsigned int GetTypeFromFileExtension(AKString const& extension) const;

private:
    unsigned int fFileSignature = 0;
    unsigned int fCurrentVersion = 0;
    unsigned int fOldestVersion = 0;
    ATArray<QVDocumentTypeInfo> fTypes;
};
