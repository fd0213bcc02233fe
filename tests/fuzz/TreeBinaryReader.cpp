// Fuzz target: arbitrary bytes read as a tree's 'TREE' chunk, once with the
// loaded IDs renumbered and once with them kept. A load must fail cleanly,
// leaving the tree empty, or give a coherent tree whose chunk form is
// stable: written, read back and written again, the bytes are the same. The
// tree also goes through its dictionary form into another coherent tree.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKMemoryBlock.h"
#include "AKTree.h"
#include "AKTreeRenum.h"
#include "FuzzTreeClasses.h"

#include <cstddef>
#include <cstdint>

namespace {

void CheckChunkFormStable(AKTree const& tree, unsigned int options)
{
    AKMemoryBlock first = FuzzTreeChunkBytes(tree);
    AKFile stream(first);
    AKTree again(options);
    if (stream.OpenForRead() != 0 || again.InitFromBinFile(stream, nullptr) != 0)
        __builtin_trap();
    FuzzRequireCoherent(again);
    if (!FuzzTreeChunkBytes(again).IsEqual(first))
        __builtin_trap();
}

void CheckDictionaryForm(AKTree const& tree, unsigned int options)
{
    AKDictionary form;
    if (tree.WriteToDictionary(&form) != 0)
        __builtin_trap();
    AKTree copy(options);
    if (copy.InitFromDictionary(form, kFuzzDocumentType, nullptr) != 0)
        return;  // the loaded root may hold classes the document type refuses
    FuzzRequireCoherent(copy);
    if (copy.CountNodes() != tree.CountNodes())
        __builtin_trap();
}

void LoadAndCheck(uint8_t const* data, size_t size, unsigned int options)
{
    AKFile file(data, static_cast<unsigned int>(size));
    if (file.OpenForRead() != 0)
        __builtin_trap();
    AKTree tree(options);
    tree.SetName(AKString("Fuzz"));
    AKTreeRenum map;
    if (tree.InitFromBinFile(file, &map) != 0) {
        if (tree.CountNodes() != 0 || tree.GetNextNodeID() != kAKNullNodeID || tree.IsDirectAccessOn())
            __builtin_trap();
        return;
    }
    FuzzRequireCoherent(tree);
    CheckChunkFormStable(tree, options);
    // Every tree costs a node block: the dictionary form once is enough.
    if (!tree.KeepsLoadedIDs())
        CheckDictionaryForm(tree, options);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    FuzzTreeSetUp();
    if (size > 0xFFFFFFFFu)
        return 0;
    LoadAndCheck(data, size, kAKTreeOptionDeferredDelete);
    LoadAndCheck(data, size, kAKTreeOptionKeepLoadedIDs);
    return 0;
}
