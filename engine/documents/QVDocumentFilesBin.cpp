// QVDocument: the binary chunk form of document files.
//
// The header (32 bytes, its four words always big-endian): the documents'
// signature, the byte order of the rest, the file version, the type's
// signature, 16 zero bytes. Then the chunks 'PROP', 'PRVD', 'TREE' and
// 'GUIS'; a reader skips any other chunk. Every chunk must lie within the
// file, and the sound list must come before the tree, whose tracks renumber
// their sounds through it.

#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFileReplace.h"
#include "AKLog.h"
#include "AKNode.h"
#include "AKObjectFolderRoot.h"
#include "AKStatus.h"
#include "AKTree.h"
#include "QVContextObject.h"
#include "QVDocPrefs.h"
#include "QVDocument.h"
#include "QVDocumentFilesSteps.h"
#include "QVDocumentTypeMgr.h"
#include "QVProviderMgr.h"

namespace {

// A dictionary in its own chunk, padded with zero bytes to 8 bytes.
int WriteDictionaryChunk(AKFile& file, unsigned int signature, AKDictionary const& dictionary)
{
    AKFileChunk chunk(signature);
    int status = AKFileWriteChunkHeader(file, chunk);
    if (status == 0)
        status = dictionary.WriteToFile(file);
    if (status == 0)
        status = AKFileWritePadding64(file);
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    return status;
}

// The dictionary of a chunk whose header was just read; it may not run past
// the chunk.
int ReadDictionaryChunk(AKFile const& file, AKFileChunk const& chunk, AKDictionary* dictionary)
{
    int status = dictionary->ReadFromFile(file);
    if (status == 0)
        status = AKFileCheckChunkNotOverrun(file, chunk);
    return status;
}

int WriteHeader(AKFile& file, unsigned int typeSignature)
{
    QVDocumentTypeMgr const& types = QVDocumentTypeMgr::sShared;
    int status = AKFileWriteSignat32(file, types.GetDocumentsFileSignature());
    if (status == 0)
        status = AKFileWriteSignat32(file, kQVDocumentBinLittleEndian);
    if (status == 0)
        status = AKFileWriteSignat32(file, types.GetDocumentsFileVersion());
    if (status == 0)
        status = AKFileWriteSignat32(file, typeSignature);
    if (status == 0) {
        unsigned char const reserved[kQVDocumentBinReservedSize] = {};
        status = file.Write(reserved, sizeof(reserved));
    }
    return status;
}

// Reads the header, sets the file's byte order and gives the version.
int ReadHeader(AKFile& file, unsigned int typeSignature, unsigned int* version)
{
    unsigned int order = 0;
    int status = AKFileCheckSignat32(file, QVDocumentTypeMgr::sShared.GetDocumentsFileSignature());
    if (status == 0)
        status = AKFileReadSignat32(file, &order);
    if (status == 0)
        status = AKFileReadSignat32(file, version);
    if (status == 0)
        status = AKFileCheckSignat32(file, typeSignature);
    if (status == 0)
        status = file.Skip(kQVDocumentBinReservedSize);
    if (status != 0)
        return status;
    if (order == kQVDocumentBinLittleEndian)
        file.SetEndianness(kAKFileEndianLittle);
    else if (order == kQVDocumentBinBigEndian)
        file.SetEndianness(kAKFileEndianBig);
    else
        return AKLogError(kAKErrorChunkUnknownEndianness, "In file \"%s\", unknown endianness", file.GetLogName());
    return QVDocumentFilesCheckVersion(*version, file.GetLogName());
}

int FailChunkOrder(AKFile const& file, char const* what)
{
    return AKLogError(kAKErrorChunkUnknownSignature, "In file \"%s\", %s", file.GetLogName(), what);
}

}  // namespace

int QVDocument::SaveToBinFile(AKFilePath const& path) const
{
    AKFilePath const folder(path.Path());
    AKFile file(kAKFileModeMemoryStream);
    int status = file.CreateForReadWrite();
    if (status == 0)
        status = WriteHeader(file, QVDocumentTypeMgr::sShared.GetDocumentTypeInfo(mDocumentType).GetBinSignature());

    AKDictionary part;
    if (status == 0)
        status = mDocPrefs->WriteToDictionary(&part);
    if (status == 0)
        status = WriteDictionaryChunk(file, kQVDocumentBinPrefsChunk, part);
    if (status == 0) {
        part.Clear();
        status = QVProviderMgr::sShared.WriteLinkedToDictionary(&part, folder, this);
    }
    if (status == 0)
        status = WriteDictionaryChunk(file, kQVDocumentBinProvidersChunk, part);
    if (status == 0)
        status = mTree->WriteToBinFile(file);
    if (status == 0)
        status = WriteDictionaryChunk(file, kQVDocumentBinHostChunk, mHostSettings);

    // The whole file is built in memory, then written beside the target and
    // renamed over it: a failed save leaves the previous file as it was.
    void const* data = nullptr;
    unsigned long long size = 0;
    if (status == 0)
        status = file.GetMemoryStreamDataPtr(&data, &size);
    if (status == 0)
        status = AKFileReplaceContent(path, data, size);
    file.Close();
    return status;
}

int QVDocument::InitFromBinFile(AKFilePath const& path)
{
    AKFilePath const folder(path.Path());
    AKFile file(path);
    int status = file.OpenForRead();
    if (status != 0)
        return status;

    unsigned int version = 0;
    status =
        ReadHeader(file, QVDocumentTypeMgr::sShared.GetDocumentTypeInfo(mDocumentType).GetBinSignature(), &version);

    QVDocumentFilesProviderRollback rollback;
    QVProviderRenum renum;
    AKDictionary hostSettings;
    bool providersRead = false;
    bool treeRead = false;
    while (status == 0 && !file.IsEndOfFile()) {
        AKFileChunk chunk;
        status = AKFileReadChunkHeader(file, &chunk);
        if (status == 0)
            status = AKFileCheckChunkFits(file, chunk, 0);
        if (status != 0)
            break;
        AKDictionary dictionary;
        switch (chunk.signature) {
        case kQVDocumentBinPrefsChunk:
            status = ReadDictionaryChunk(file, chunk, &dictionary);
            if (status == 0)
                status = mDocPrefs->ReadFromDictionary(dictionary);
            break;
        case kQVDocumentBinProvidersChunk:
            if (providersRead) {
                status = FailChunkOrder(file, "the sound list is there twice");
                break;
            }
            status = ReadDictionaryChunk(file, chunk, &dictionary);
            if (status == 0)
                status = QVProviderMgr::sShared.ReadMoreFromDictionary(dictionary, folder, &renum);
            providersRead = true;
            break;
        case kQVDocumentBinTreeChunk: {
            if (!providersRead || treeRead) {
                status =
                    FailChunkOrder(file, treeRead ? "the tree is there twice" : "the tree comes before the sound list");
                break;
            }
            QVDocumentTreeGuard::EditScope edit(mTreeGuard);
            mContext->GetProviderRenum() = renum;
            status = AKFileGotoChunkBegin(file, chunk);
            if (status == 0)
                status = mTree->InitFromBinFile(file, nullptr);
            if (status == 0)
                status = AKFileCheckChunkNotOverrun(file, chunk);
            // The root read from the file takes the classes of the document's
            // type, and what it holds must be among them.
            if (status == 0) {
                auto* const root = dynamic_cast<AKObjectFolderRoot*>(mTree->GetRootNode()->GetObject());
                if (root == nullptr)
                    status = FailChunkOrder(file, "the tree has no root folder");
                else
                    root->SetupRootAuthoChildClassesFromDocumentType(mDocumentType);
            }
            if (status == 0)
                status = mTree->CheckAuthoChildClasses();
            mContext->GetProviderRenum().Clear();
            treeRead = true;
            break;
        }
        case kQVDocumentBinHostChunk:
            status = ReadDictionaryChunk(file, chunk, &hostSettings);
            break;
        default:
            break;
        }
        if (status == 0)
            status = AKFileGotoChunkEnd(file, chunk);
    }
    if (status == 0 && !treeRead)
        status = FailChunkOrder(file, "the tree is missing");
    file.Close();

    if (status != 0) {
        rollback.Rollback();
        return status;
    }
    mHostSettings = hostSettings;
    return QVDocumentFilesFinishRead(this, version);
}
