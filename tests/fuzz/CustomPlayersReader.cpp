// Fuzz target: arbitrary bytes read as the custom players file (an XML
// property list whose "Models" lists the models), as the model manager loads
// it. The models' dictionary form must be stable (written, read into another
// manager and written again, it is the same), and inserting each model's copy
// anywhere in a small document tree, in every link mode, must either be
// refused or succeed where the model said it could go, leaving the tree
// coherent either way.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKNode.h"
#include "AKTree.h"
#include "AKTreeSel.h"
#include "AKTreeSelModel.h"
#include "AKTreeSelModelMgr.h"
#include "AKValueArray.h"
#include "FuzzTreeClasses.h"

#include <cstddef>
#include <cstdint>

namespace {

// Models tried for insertion: enough to reach every code path, few enough
// that a file of many models stays quick.
constexpr unsigned int kInsertedModels = 8;

AKDictionary NodeDictionary(char const* classID, std::initializer_list<AKDictionary> subs)
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString(classID)));
    if (subs.size() != 0) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

// A document holding a folder with an item, and an item beside it.
void BuildDocument(AKTree* tree)
{
    AKDictionary form = NodeDictionary(
        "foldRot", {NodeDictionary("fzFold", {NodeDictionary("fzItem", {})}), NodeDictionary("fzItem", {})});
    if (tree->InitFromDictionary(form, kFuzzDocumentType, nullptr) != 0 || tree->CountNodes() != 4)
        __builtin_trap();
}

void InsertEverywhere(AKTreeSelModel const& model)
{
    AKTree tree(kAKTreeOptionDeferredDelete);
    tree.SetName(AKString("Fuzz"));
    BuildDocument(&tree);
    // The targets are the nodes of the document as built: insertions only
    // add nodes after them.
    AKNodeArray targets = tree.GetNodes();
    for (AKNode* target : targets) {
        for (AKLinkMode mode = kAKLinkModeFirstChildren; mode <= kAKLinkModeAfter; ++mode) {
            bool allowed = model.CanLink(target, mode);
            unsigned int before = tree.CountNodes();
            AKTreeSel inserted;
            int status = tree.ReadAndLinkTreeSelFromCache(&inserted, model, target, mode);
            FuzzRequireCoherent(tree);
            if (status != 0 && tree.CountNodes() != before)
                __builtin_trap();
            if (status == 0 && !inserted.IsEmpty() && !allowed)
                __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    FuzzTreeSetUp();
    if (size > 0xFFFFFFFFu)
        return 0;

    AKFile file(data, static_cast<unsigned int>(size));
    AKDictionary content;
    if (file.OpenForRead() != 0 || content.LoadFromOpenedXmlFile(file, true) != 0)
        return 0;
    AKTreeSelModelMgr models;
    if (models.ReadFromDictionary(content) != 0)
        __builtin_trap();

    AKDictionary first;
    models.WriteToDictionary(&first);
    AKTreeSelModelMgr reread;
    reread.ReadFromDictionary(first);
    AKDictionary second;
    reread.WriteToDictionary(&second);
    if (!second.IsEqual(first))
        __builtin_trap();

    for (unsigned int i = 0; i < models.CountModels() && i < kInsertedModels; ++i)
        InsertEverywhere(*models.GetModels()[i]);
    return 0;
}
