// Fuzz target: arbitrary bytes read as a dictionary, both as an XML property
// list and as a binary dictionary file, then built into a tree of the fuzz
// document type, once renumbering the nodes and once keeping the IDs the
// dictionary gives. Building must fail cleanly, leaving the tree empty, or
// give a coherent tree whose dictionary form is stable: written, built again
// and written again, the dictionaries are equal (and so are the 'TREE'
// chunks when the IDs are kept).

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKMemoryBlock.h"
#include "AKTree.h"
#include "AKTreeRenum.h"
#include "FuzzTreeClasses.h"

#include <cstddef>
#include <cstdint>

namespace {

void BuildAndCheck(AKDictionary const& dictionary, unsigned int options)
{
    AKTree tree(options);
    tree.SetName(AKString("Fuzz"));
    AKTreeRenum map;
    if (tree.InitFromDictionary(dictionary, kFuzzDocumentType, &map) != 0) {
        if (tree.CountNodes() != 0 || tree.GetNextNodeID() != kAKNullNodeID || tree.IsDirectAccessOn())
            __builtin_trap();
        return;
    }
    FuzzRequireCoherent(tree);

    AKDictionary first;
    if (tree.WriteToDictionary(&first) != 0)
        __builtin_trap();
    AKTree again(options);
    if (again.InitFromDictionary(first, kFuzzDocumentType, nullptr) != 0)
        __builtin_trap();
    FuzzRequireCoherent(again);
    AKDictionary second;
    if (again.WriteToDictionary(&second) != 0 || !second.IsEqual(first))
        __builtin_trap();
    if (tree.KeepsLoadedIDs() && !FuzzTreeChunkBytes(again).IsEqual(FuzzTreeChunkBytes(tree)))
        __builtin_trap();
}

void BuildBothWays(AKDictionary const& dictionary)
{
    BuildAndCheck(dictionary, kAKTreeOptionDeferredDelete);
    BuildAndCheck(dictionary, kAKTreeOptionKeepLoadedIDs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    FuzzTreeSetUp();
    if (size > 0xFFFFFFFFu)
        return 0;

    AKFile xml(data, static_cast<unsigned int>(size));
    AKDictionary fromXml;
    if (xml.OpenForRead() == 0 && fromXml.LoadFromOpenedXmlFile(xml, true) == 0)
        BuildBothWays(fromXml);

    AKFile binary(data, static_cast<unsigned int>(size));
    AKDictionary fromBinary;
    if (binary.OpenForRead() == 0 && fromBinary.ReadFromFile(binary) == 0)
        BuildBothWays(fromBinary);
    return 0;
}
