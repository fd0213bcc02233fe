#pragma once

// Steps shared by the readers and writers of document files: the version
// rule, the upgrade of older files, the sub-dictionaries of a file and the
// rollback of the sounds a failed read registered.

#include "AKDictionary.h"
#include "QVProviderMgr.h"

class QVDocument;

// The four-character codes of the binary form.
constexpr unsigned int kQVDocumentBinLittleEndian = 0x4C495445;    // 'LITE'
constexpr unsigned int kQVDocumentBinBigEndian = 0x42494745;       // 'BIGE'
constexpr unsigned int kQVDocumentBinPrefsChunk = 0x50524F50;      // 'PROP'
constexpr unsigned int kQVDocumentBinProvidersChunk = 0x50525644;  // 'PRVD'
constexpr unsigned int kQVDocumentBinTreeChunk = 0x54524545;       // 'TREE'
constexpr unsigned int kQVDocumentBinHostChunk = 0x47554953;       // 'GUIS'
constexpr unsigned int kQVDocumentBinReservedSize = 16;

// A file of version 0 (from before versions were written) is read and then
// upgraded; any other version must be one the type manager supports, else
// kAKErrorChunkUnknownVersion, logged with the file's name.
int QVDocumentFilesCheckVersion(unsigned long long version, char const* fileName);
// After a successful read: upgrades a version-0 tree and logs it.
int QVDocumentFilesUpgradeIfOld(QVDocument* document, unsigned int version);
// After a successful read: the default folders the document's type takes
// are made when missing (an older file may lack some, and the upgrade
// expects them), then the tree is upgraded when old.
int QVDocumentFilesFinishRead(QVDocument* document, unsigned int version);

// The dictionary under the key, or the shared empty one.
AKDictionary const& QVDocumentFilesSubDictionary(AKDictionary const& file, char const* key);

// Remembers the sounds registered before a read, so that a read that fails
// after registering the file's sounds takes back those it added.
class QVDocumentFilesProviderRollback
{
public:
    QVDocumentFilesProviderRollback();
    // Removes every provider registered since construction.
    void Rollback();

private:
    QVProviderIDArray mBefore;
};
