// AKTreeSelModel: the checks of a copy read from a dictionary. The custom
// players file is the user's to edit, so its summary keys may not describe
// the node dictionaries stored beside them. The summary decides where a copy
// may be inserted: it is rebuilt from the top node dictionaries whenever it
// disagrees with them, and a copy that names one node ID twice is refused.

#include "AKTreeSelModel.h"

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "AKValueTyped.h"

#include <algorithm>
#include <vector>

namespace {

char const kKeySubs[] = "Subs";
char const kKeyClass[] = "Class";
char const kKeyID[] = "ID";

// The "Subs" array of a node dictionary (or of the copy), null without one.
AKValueArray const* SubsOf(AKDictionary const& dictionary)
{
    AKValue const& subs = dictionary.GetValue(kKeySubs);
    return subs.IsAKValueArray() ? &AKValueGetasAKValueArray(subs) : nullptr;
}

// The explicit node IDs of every node dictionary of the copy, at any depth,
// read as the tree reads them (a stored 0 or no "ID" asks for a new one).
std::vector<long long> ExplicitIDsOf(AKDictionary const& copy)
{
    std::vector<long long> ids;
    std::vector<AKValueArray const*> pending;
    if (AKValueArray const* top = SubsOf(copy))
        pending.push_back(top);
    while (!pending.empty()) {
        AKValueArray const* subs = pending.back();
        pending.pop_back();
        for (AKValue const& element : *subs) {
            if (!element.IsAKDictionary())
                continue;
            AKDictionary const& node = AKValueGetasAKDictionary(element);
            long long nodeID = 0;
            if (node.GetValue(kKeyID).GetasInteger(&nodeID, false) && nodeID != 0)
                ids.push_back(nodeID);
            if (AKValueArray const* children = SubsOf(node))
                pending.push_back(children);
        }
    }
    return ids;
}

// The first ID found twice, 0 when every ID is unique.
long long FirstDuplicateID(std::vector<long long> ids)
{
    std::sort(ids.begin(), ids.end());
    auto duplicate = std::adjacent_find(ids.begin(), ids.end());
    return duplicate != ids.end() ? *duplicate : 0;
}

// The distinct registered classes of the top node dictionaries in order of
// first appearance, as a store's summary gathers them; unknown ones are left
// out as they are from the stored list.
AKClassArray TopClassesOf(AKValueArray const* top)
{
    AKClassArray classes;
    if (top == nullptr)
        return classes;
    for (AKValue const& element : *top) {
        AKDictionary const& node = element.IsAKDictionary() ? AKValueGetasAKDictionary(element) : kAKNullDictionary;
        if (AKClass* aClass = AKClassOfID(AKValueGetasAKClassID(node.GetValue(kKeyClass))))
            classes.PushUniqueItem(aClass);
    }
    return classes;
}

// Whether every class is a kind of the base; a null base holds nothing.
bool AllKindsOf(AKClassArray const& classes, AKClass const* base)
{
    if (base == nullptr)
        return classes.IsEmpty();
    for (AKClass const* aClass : classes) {
        if (!aClass->IsKindOfClass(base))
            return false;
    }
    return true;
}

}  // namespace

int AKTreeSelModel::CheckObjectsRead()
{
    long long duplicate = FirstDuplicateID(ExplicitIDsOf(GetDictionary()));
    if (duplicate != 0) {
        Clear();
        return AKLogError(kAKErrorTreeNodeBadID,
                          "The model \"%s\" holds the node ID %lld twice: its objects are refused", fName.c_str(),
                          duplicate);
    }

    AKValueArray const* top = SubsOf(GetDictionary());
    unsigned int count = top != nullptr ? top->Count() : 0;
    AKClassArray classes = TopClassesOf(top);
    if (count == GetObjectCount() && classes == GetClasses() && AllKindsOf(classes, GetCommonBaseClass()))
        return 0;

    AKClass const* commonBaseClass = classes.IsEmpty() ? nullptr : classes.GetCommonBaseClass();
    SetSummary(count, classes, commonBaseClass);
    AKLogWarning(1, "The model \"%s\" does not describe its objects: %u object(s) of [%s] taken from them",
                 fName.c_str(), count,
                 commonBaseClass != nullptr ? commonBaseClass->GetClassID().GetName().c_str() : "");
    return 0;
}
