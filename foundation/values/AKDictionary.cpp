// AKDictionary: key paths, keyed operations, merging, equality and the
// key-value iterator. The chunk form and the binary files are in
// AKDictionaryFile.cpp.

#include "AKDictionary.h"

#include "AKStatus.h"

#include <string>
#include <utility>

AKDictionary const& AKNullDictionaryShared()
{
    static AKDictionary const sNull;
    return sNull;
}

namespace {

bool IsKeyCharacter(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A key analysed as a path of components. The key is judged on its bytes
// before the first NUL; the components are split at the dots before that
// NUL, and the bytes from the NUL on belong to the last component.
class AKKeyPath
{
public:
    explicit AKKeyPath(AKString const& key) : fKey(key.StdString())
    {
        size_t nul = fKey.find('\0');
        fJudged = nul == std::string_view::npos ? fKey.size() : nul;
        fValid = Analyse();
    }

    bool IsValid() const { return fValid; }

    // The next component; `last` tells whether it is the final one.
    std::string_view Next(bool* last)
    {
        size_t dot = fKey.substr(0, fJudged).find('.', fPos);
        if (dot == std::string_view::npos) {
            *last = true;
            std::string_view component = fKey.substr(fPos);
            fPos = fKey.size();
            return component;
        }
        *last = false;
        std::string_view component = fKey.substr(fPos, dot - fPos);
        fPos = dot + 1;
        return component;
    }

private:
    bool Analyse() const
    {
        if (fJudged == 0)
            return false;
        bool afterDot = true;  // the start counts as a separator: no leading dot
        for (size_t i = 0; i < fJudged; ++i) {
            unsigned char c = static_cast<unsigned char>(fKey[i]);
            if (c == '.') {
                if (afterDot)
                    return false;
                afterDot = true;
            } else if (IsKeyCharacter(c)) {
                afterDot = false;
            } else {
                return false;
            }
        }
        return !afterDot;  // no trailing dot
    }

    std::string_view fKey;
    size_t fJudged = 0;
    size_t fPos = 0;
    bool fValid = false;
};

AKString MakeKey(std::string_view component) { return AKString(std::string(component)); }

}  // namespace

// --- Whole dictionary ---

AKDictionary& AKDictionary::Assign(AKDictionary const& other)
{
    if (&other == this)
        return *this;
    // Copy before releasing: the source may live inside one of our values.
    EntryMap copy(other.fEntries);
    fEntries.swap(copy);
    return *this;
}

bool AKDictionary::IsEqual(AKDictionary const& other) const
{
    if (&other == this)
        return true;
    if (fEntries.size() != other.fEntries.size())
        return false;
    auto mine = fEntries.begin();
    auto theirs = other.fEntries.begin();
    for (; mine != fEntries.end(); ++mine, ++theirs) {
        if (mine->first != theirs->first || !mine->second.IsEqual(theirs->second))
            return false;
    }
    return true;
}

AKString AKDictionary::GetUniqueSubKey() const
{
    if (fEntries.size() == 1)
        return fEntries.begin()->first;
    return AKString();
}

void AKDictionary::Merge(AKDictionary const& other, bool replace)
{
    // Copy first: the other dictionary may be this one or live inside it.
    EntryMap copy(other.fEntries);
    if (replace) {
        for (auto& entry : copy)
            fEntries.insert_or_assign(entry.first, std::move(entry.second));
    } else {
        // Moves over the entries whose keys are new here.
        fEntries.merge(copy);
    }
}

void AKDictionary::DebugPrint(unsigned int) const {}

// --- Keyed operations ---

// Write access to the entries of nested dictionaries for the walk below.
struct AKDictionaryAccess {
    static AKDictionary::EntryMap& EntriesOf(AKDictionary* dictionary) { return dictionary->fEntries; }
};

namespace {

// The opening of every keyed change: checks the key (else
// kAKErrorDictionaryInvalidKey), then walks from `map` every component of
// its path but the last. On success `map` is the dictionary holding the last
// component and `last` that component, a view into the key. Missing middle
// components are created as empty dictionaries when `create` is set, else
// give kAKErrorDictionaryUnknownKey; a middle component holding another kind
// gives `notDictionary`. Nothing is created before a failure can be found:
// below a created dictionary every component is missing too.
int WalkToLastComponent(AKString const& key, AKDictionary::EntryMap** map, std::string_view* last, bool create,
                        int notDictionary)
{
    AKKeyPath path(key);
    if (!path.IsValid())
        return kAKErrorDictionaryInvalidKey;
    bool isLast = false;
    std::string_view component = path.Next(&isLast);
    while (!isLast) {
        auto it = (*map)->find(component);
        if (it == (*map)->end()) {
            if (!create)
                return kAKErrorDictionaryUnknownKey;
            AKValue empty;
            empty.SetasAKDictionary(kAKNullDictionary);
            it = (*map)->emplace(MakeKey(component), std::move(empty)).first;
        }
        AKDictionary* sub = it->second.GetasAKDictionary();
        if (sub == nullptr)
            return notDictionary;
        *map = &AKDictionaryAccess::EntriesOf(sub);
        component = path.Next(&isLast);
    }
    *last = component;
    return 0;
}

}  // namespace

// Read-only walk shared by the look-ups.
static int FindValue(AKDictionary const& dictionary, AKString const& key, AKValue const** found)
{
    AKKeyPath path(key);
    if (!path.IsValid())
        return kAKErrorDictionaryInvalidKey;
    AKDictionary::EntryMap const* map = &dictionary.Entries();
    bool isLast = false;
    for (;;) {
        std::string_view component = path.Next(&isLast);
        auto it = map->find(component);
        if (it == map->end())
            return kAKErrorDictionaryUnknownKey;
        if (isLast) {
            *found = &it->second;
            return 0;
        }
        AKDictionary const* sub = it->second.GetasAKDictionary();
        if (sub == nullptr)
            return kAKErrorDictionaryInvalidKey;
        map = &sub->Entries();
    }
}

bool AKDictionary::ContainsKey(AKString const& key) const
{
    AKValue const* found = nullptr;
    return FindValue(*this, key, &found) == 0;
}

AKValue const& AKDictionary::GetValue(AKString const& key) const
{
    AKValue const* found = nullptr;
    if (FindValue(*this, key, &found) != 0)
        return kAKNullValue;
    return *found;
}

int AKDictionary::GetValueCopy(AKString const& key, AKValue* value) const
{
    AKValue const* found = nullptr;
    int status = FindValue(*this, key, &found);
    if (status != 0) {
        value->Clear();
        return status;
    }
    value->Assign(*found);
    return 0;
}

namespace {

// Walks to the dictionary holding the key's last component (see
// WalkToLastComponent) and makes the change there; the change gets that
// dictionary and the component and returns the status.
template <typename Change>
int ChangeAtKey(AKDictionary::EntryMap* map, AKString const& key, bool create, int notDictionary, Change change)
{
    std::string_view last;
    int status = WalkToLastComponent(key, &map, &last, create, notDictionary);
    return status != 0 ? status : change(*map, last);
}

// The same for a change to an existing entry, which the change gets; a
// missing one gives kAKErrorDictionaryUnknownKey.
template <typename Change>
int ChangeEntryAtKey(AKDictionary::EntryMap* map, AKString const& key, Change change)
{
    return ChangeAtKey(map, key, false, kAKErrorDictionaryInvalidKey,
                       [&change](AKDictionary::EntryMap& holder, std::string_view last) {
                           auto it = holder.find(last);
                           if (it == holder.end())
                               return kAKErrorDictionaryUnknownKey;
                           change(holder, it);
                           return 0;
                       });
}

// Where the component stands or would be inserted; `exists` tells which.
AKDictionary::EntryMap::iterator PlaceOf(AKDictionary::EntryMap& map, std::string_view component, bool* exists)
{
    auto it = map.lower_bound(component);
    *exists = it != map.end() && std::string_view(it->first.StdString()) == component;
    return it;
}

}  // namespace

// The value is copied only once its place is known; the walk never moves
// existing entries, so a value that lives in this dictionary stays valid.
// An entry in the way that is not a dictionary is kept: the path cannot be
// stored, and overwriting that entry would lose data.
int AKDictionary::SetValue(AKString const& key, AKValue const& value)
{
    return ChangeAtKey(&fEntries, key, true, kAKErrorDictionaryInvalidKey,
                       [&value](EntryMap& map, std::string_view last) {
                           AKValue copy(value);
                           bool exists = false;
                           auto it = PlaceOf(map, last, &exists);
                           if (exists)
                               it->second.Swap(&copy);
                           else
                               map.emplace_hint(it, MakeKey(last), std::move(copy));
                           return 0;
                       });
}

int AKDictionary::AddValue(AKString const& key, AKValue const& value)
{
    return ChangeAtKey(&fEntries, key, true, kAKErrorDictionaryCantAddKey,
                       [&value](EntryMap& map, std::string_view last) {
                           bool exists = false;
                           auto it = PlaceOf(map, last, &exists);
                           if (exists)
                               return kAKErrorDictionaryCantAddKey;
                           map.emplace_hint(it, MakeKey(last), value);
                           return 0;
                       });
}

int AKDictionary::ReplaceValue(AKString const& key, AKValue const& value)
{
    return ChangeEntryAtKey(&fEntries, key, [&value](EntryMap&, EntryMap::iterator it) {
        AKValue copy(value);
        it->second.Swap(&copy);
    });
}

int AKDictionary::RemoveValue(AKString const& key)
{
    return ChangeEntryAtKey(&fEntries, key, [](EntryMap& map, EntryMap::iterator it) { map.erase(it); });
}

// --- Iterator ---

AKKeyValueIterator::AKKeyValueIterator(AKDictionary const& dictionary)
    : fCurrent(dictionary.Entries().begin()), fEnd(dictionary.Entries().end())
{}

bool AKKeyValueIterator::Next(AKString* key, AKValue* value)
{
    if (fCurrent == fEnd) {
        if (key != nullptr)
            key->Clear();
        if (value != nullptr)
            value->Clear();
        return false;
    }
    if (key != nullptr)
        *key = fCurrent->first;
    if (value != nullptr)
        value->Assign(fCurrent->second);
    ++fCurrent;
    return true;
}

bool AKKeyValueIterator::NextInPlace(AKString const** key, AKValue const** value)
{
    if (fCurrent == fEnd) {
        if (key != nullptr)
            *key = nullptr;
        if (value != nullptr)
            *value = nullptr;
        return false;
    }
    if (key != nullptr)
        *key = &fCurrent->first;
    if (value != nullptr)
        *value = &fCurrent->second;
    ++fCurrent;
    return true;
}
