// Fuzz target: arbitrary bytes opened as a document file, in the XML form of
// the "Score" type or in the binary form of a test type. The first input
// byte picks the form (bit 0: binary), the rest is the file. An open must
// fail cleanly, leaving the document uninitialised and no sound registered,
// or give a document that saves and opens again.

#include "AKLog.h"
#include "QVDocument.h"
#include "QVDocumentTypeMgr.h"
#include "QVLibEnv.h"
#include "QVObjectFolders.h"
#include "QVProviderMgr.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr unsigned int kBinarySignature = 0x54424E59;  // 'TBNY'

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

unsigned int StartEngine()
{
    AKLogErrorMute();
    Check(QVLibEnv::Initialize(false) == 0);
    QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
    QVDocumentTypeInfo info(types.CountDocumentTypes() + 1, AKString("TestBinary"), AKString("qvb"),
                            QVObjectFolderSequence::_ClassID(), QVObjectFolderCursor::_ClassID(),
                            QVObjectFolderTemp::_ClassID(), AKClassID());
    info.SetBinaryForm(kBinarySignature);
    types.RegisterDocumentTypeInfo(info);
    return types.CountDocumentTypes();
}

std::string ScratchPath(char const* stem, bool binary)
{
    return "/tmp/orvel-fuzz-document-" + std::to_string(getpid()) + "-" + stem + (binary ? ".qvb" : ".qvd");
}

bool WriteFile(std::string const& path, uint8_t const* data, size_t size)
{
    FILE* const file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool const written = size == 0 || fwrite(data, 1, size, file) == size;
    return fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static unsigned int const sBinaryType = StartEngine();
    if (size == 0 || size > 0x40000)
        return 0;
    bool const binary = (data[0] & 1) != 0;
    unsigned int const type = binary ? sBinaryType : 1;
    std::string const input = ScratchPath("in", binary);
    std::string const output = ScratchPath("out", binary);
    if (!WriteFile(input, data + 1, size - 1))
        return 0;

    unsigned int const providers = QVProviderMgr::sShared.GetProviders().Count();
    {
        auto document = std::make_unique<QVDocument>(type, kQVDocumentFlagPrivate);
        int const status = document->OnDocumentOpen(AKFilePath(input.c_str()), 0, false);
        if (status != 0) {
            Check(status < 0);
            Check(!document->IsInitialized());
            Check(QVProviderMgr::sShared.GetProviders().Count() == providers);
        } else {
            Check(document->DoDocumentSaveAs(AKFilePath(output.c_str()), 0x4000, nullptr) == 0);
            auto again = std::make_unique<QVDocument>(type, kQVDocumentFlagPrivate);
            Check(again->OnDocumentOpen(AKFilePath(output.c_str()), 0, false) == 0);
        }
    }
    // Sounds a successful open registered go with its documents.
    unsigned int removed = 0;
    QVProviderMgr::sShared.RemoveUnusedProviders(&removed);
    unlink(input.c_str());
    unlink(output.c_str());
    return 0;
}
