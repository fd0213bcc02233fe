// The tree's dictionary form: the root's node dictionary with the nested
// dictionaries of the whole tree under "Subs".

#include "AKTree.h"

#include "AKDictionary.h"
#include "AKNode.h"
#include "AKTreeRenum.h"

namespace {

// Room for the nodes of a dictionary being loaded, whose count is unknown.
constexpr unsigned int kDictionaryExpectedNodes = 240;

}  // namespace

int AKTree::InitFromDictionary(AKDictionary const& dictionary, unsigned int documentType, AKTreeRenum* map)
{
    int status = RefuseInitialized();
    if (status != 0) {
        if (map != nullptr)
            map->Clear();
        return status;
    }

    fAllocator.ExpandMemory(kDictionaryExpectedNodes);
    // Only "Subs" is read from the top: the root is always a fresh root
    // folder of the document type.
    status = InitTopRoot(documentType);
    if (status == 0)
        status = fNodes.InitNodesWithRChildrenFromDico(dictionary, fAllocator, fContext, fNextNodeID, true);
    if (status == 0) {
        fNodes.SortByID();
        status = CompleteLoadedNodes(map);
    }
    if (status != 0)
        DiscardAllNodes(map);
    return status;
}

int AKTree::WriteToDictionary(AKDictionary* dictionary) const
{
    dictionary->Clear();
    if (fNodes.IsEmpty())
        return -1;
    int status = fNodes.First()->WriteNodeWithRChildrenToDictionary(*dictionary, fIDsInDictionaries);
    if (status != 0)
        dictionary->Clear();
    return status;
}
