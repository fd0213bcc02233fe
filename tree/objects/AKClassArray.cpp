// AKClassArray: look-ups, sorts and conversions of lists of classes.

#include "AKClassArray.h"

#include "AKClassMgr.h"
#include "AKStringArray.h"

namespace {

constexpr unsigned int kTextBytesPerClass = 10;

// Whether `aClass` derives from `base` by their masks (the later class's
// mask holds the whole mask of the candidate base).
bool MaskDerivesFrom(AKClass const* aClass, AKClass const* base)
{
    AKClassQCast baseMask = base->GetQCastMask();
    return (aClass->GetQCastMask() & baseMask) == baseMask;
}

}  // namespace

bool AKClassArray::FindClass(AKClass const* aClass, unsigned int* index) const
{
    if (aClass == nullptr) {
        if (index != nullptr)
            *index = kNotFound;
        return false;
    }
    return Find(aClass, index);
}

bool AKClassArray::FindClassByID(AKClassID id, unsigned int* index) const
{
    if (id.IsNull()) {
        if (index != nullptr)
            *index = kNotFound;
        return false;
    }
    return FindIf([id](AKClass const* aClass) { return aClass != nullptr && aClass->GetClassID() == id; }, index);
}

void AKClassArray::SortByID()
{
    Sort(
        [](AKClass const* a, AKClass const* b) {
            unsigned long long na = a != nullptr ? a->GetClassID().Number() : 0;
            unsigned long long nb = b != nullptr ? b->GetClassID().Number() : 0;
            return na < nb;
        },
        true);
}

void AKClassArray::SortByUserName()
{
    Sort(
        [](AKClass const* a, AKClass const* b) {
            if (a == nullptr || b == nullptr)
                return a == nullptr && b != nullptr;
            return a->GetDisplayName() < b->GetDisplayName();
        },
        true);
}

AKClass* AKClassArray::GetCommonBaseClass() const
{
    AKClass* top = AKClassMgr::sShared.GetTopClass();
    if (top == nullptr)
        return nullptr;
    AKClass* answer = nullptr;
    for (AKClass const* aClass : *this) {
        if (aClass == nullptr)
            continue;
        if (answer == nullptr) {
            answer = const_cast<AKClass*>(aClass);
            continue;
        }
        if (answer == top)
            break;
        while (answer != nullptr && answer != top && !MaskDerivesFrom(aClass, answer))
            answer = answer->GetSupClass();
        if (answer == nullptr)
            answer = top;
    }
    return answer != nullptr ? answer : top;
}

bool AKClassArray::GrabClassIDs(AKClassIDArray* ids, bool strict) const
{
    ids->Clear();
    ids->Reserve(Count());
    bool complete = true;
    for (AKClass const* aClass : *this) {
        if (aClass != nullptr) {
            ids->Push(aClass->GetClassID());
        } else if (strict) {
            complete = false;
        } else {
            ids->Push(kAKNullClassID);
        }
    }
    return complete;
}

bool AKClassArray::FillWithClassIDs(AKClassIDArray const& ids, bool strict)
{
    Clear();
    Reserve(ids.Count());
    bool complete = true;
    for (AKClassID const& id : ids) {
        AKClass const* aClass = AKClassMgr::sShared.GetClassOfID(id);
        if (aClass != nullptr || !strict)
            Push(aClass);
        else
            complete = false;
    }
    return complete;
}

bool AKClassArray::GrabAsStringList(AKString* text, bool strict) const
{
    text->Clear();
    text->SetCapacity(Count() * kTextBytesPerClass);
    bool complete = true;
    for (AKClass const* aClass : *this) {
        if (aClass == nullptr && strict) {
            complete = false;
            continue;
        }
        if (aClass != nullptr)
            text->Append(aClass->GetClassID().GetName());
        text->Append("; ");
    }
    text->RemoveLastChars(2);
    return complete;
}

bool AKClassArray::FillWithStringList(AKString const& text, bool strict)
{
    Clear();
    AKStringArray pieces = text.SplitToArray(",;", nullptr);
    bool complete = true;
    for (AKString const& piece : pieces) {
        AKClass const* aClass = AKClassMgr::sShared.GetClassOfID(AKClassID(piece.c_str()));
        if (aClass != nullptr || !strict)
            Push(aClass);
        else
            complete = false;
    }
    return complete;
}

AKClassArray const& AKNullClassArrayShared()
{
    static AKClassArray const sEmpty;
    return sEmpty;
}
