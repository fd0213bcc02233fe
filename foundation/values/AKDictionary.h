#pragma once

// AKDictionary: an ordered map from keys to values, the container of every
// structured setting of the engine (preferences, documents, object states,
// command options, presets), nested as deep as needed. It owns its values:
// copying a dictionary copies every value deeply, and every operation that
// stores a value stores a deep copy. Keys are byte strings (Mac Roman text),
// unique, kept in ascending order of their bytes taken as unsigned values
// (so "Z" < "_" < "a").
//
// Key paths. A key given to the keyed operations is a path of components
// joined by single ".", each component a non-empty run of 0-9, A-Z, a-z and
// "_": "Gui.FramesPerSecond" names the entry "FramesPerSecond" of the
// dictionary stored under "Gui". Any other key (empty, a dot at either end,
// two dots in a row, any other character) is invalid. A NUL byte ends the
// examination: the key is judged on the bytes before it, the bytes after it
// still belong to the last component. Entries read from binary files keep
// their keys as stored; keys that are not valid paths are reached through
// AKKeyValueIterator only.
//
// Outcomes of the keyed operations (none logs anything; the caller decides
// whether a code is an error, and a failing operation changes nothing):
//   invalid key                         kAKErrorDictionaryInvalidKey
//   a middle component is missing       Get/Replace/Remove: kAKErrorDictionaryUnknownKey;
//                                       Set/Add create it
//   a middle component is no dictionary Add: kAKErrorDictionaryCantAddKey,
//                                       every other: kAKErrorDictionaryInvalidKey
//   the last component is missing       Get/Replace/Remove: kAKErrorDictionaryUnknownKey;
//                                       Set/Add insert
//   the last component exists           Add: kAKErrorDictionaryCantAddKey;
//                                       Set/Replace replace; Remove erases
//
// Binary chunk form 'dict': the chunk header, an unsigned 32-bit count, then
// for each entry in key order the key in the string file form and the
// value's chunk. Equal dictionaries give identical bytes. A binary
// dictionary file holds that one chunk and nothing else.

#include "AKMemoryBlock.h"
#include "AKString.h"
#include "AKValue.h"
#include "AKValueArray.h"

#include <map>
#include <string_view>

class AKFile;
class AKFilePath;

// Byte order of dictionary keys, usable with plain byte views of keys.
struct AKDictionaryKeyLess {
    using is_transparent = void;
    bool operator()(AKString const& a, AKString const& b) const { return a.StdString() < b.StdString(); }
    bool operator()(AKString const& a, std::string_view b) const { return std::string_view(a.StdString()) < b; }
    bool operator()(std::string_view a, AKString const& b) const { return a < std::string_view(b.StdString()); }
};

class AKDictionary
{
public:
    using EntryMap = std::map<AKString, AKValue, AKDictionaryKeyLess>;

    AKDictionary() = default;
    AKDictionary(AKDictionary const&) = default;
    AKDictionary(AKDictionary&& other) noexcept = default;
    ~AKDictionary() = default;

    AKDictionary& operator=(AKDictionary const& other) { return Assign(other); }
    AKDictionary& operator=(AKDictionary&& other) noexcept = default;

    // Nothing when given itself; else replaces every entry by a copy of the other's.
    AKDictionary& Assign(AKDictionary const& other);
    void Clear() { fEntries.clear(); }
    void Free() { fEntries.clear(); }
    void Swap(AKDictionary* other) noexcept { fEntries.swap(other->fEntries); }

    // True for itself; else the same count and, in key order, byte-equal keys
    // holding equal values.
    bool IsEqual(AKDictionary const& other) const;
    bool operator==(AKDictionary const& other) const { return IsEqual(other); }
    bool operator!=(AKDictionary const& other) const { return !IsEqual(other); }

    bool IsEmpty() const { return fEntries.empty(); }
    // Number of top-level entries.
    unsigned int Count() const { return static_cast<unsigned int>(fEntries.size()); }
    // The key of the only entry when Count is 1, else the empty string.
    AKString GetUniqueSubKey() const;

    // --- Keyed operations (key paths, see above) ---

    bool ContainsKey(AKString const& key) const;
    // The stored value itself, valid until the dictionary changes, or
    // kAKNullValue when the key is invalid, missing or walks through a value
    // that is not a dictionary.
    AKValue const& GetValue(AKString const& key) const;
    // Copies the stored value and returns 0; on failure copies the empty
    // value and returns the code.
    int GetValueCopy(AKString const& key, AKValue* value) const;
    // Inserts or replaces; creates missing dictionaries along the path.
    int SetValue(AKString const& key, AKValue const& value);
    // Inserts only; creates missing dictionaries along the path.
    int AddValue(AKString const& key, AKValue const& value);
    // Replaces an existing entry only.
    int ReplaceValue(AKString const& key, AKValue const& value);
    // Removes the named entry (a whole nested dictionary when it names one).
    int RemoveValue(AKString const& key);

    // Adds the other dictionary's top-level entries; with `replace` its
    // values take the place of existing ones, without it this dictionary
    // keeps its own. Nested dictionaries are not merged: a key present on
    // both sides takes one side's whole value.
    void Merge(AKDictionary const& other, bool replace);

    // --- Binary chunk form and files ---

    // Skipping checks the 'dict' header and moves past the chunk.
    static int SkipFromFile(AKFile const& file);
    // Reads a 'dict' chunk (a different signature fails with
    // kAKErrorChunkUnknownSignature); keys are stored as read, a key read
    // twice keeps the later value. On failure the dictionary is left empty.
    int ReadFromFile(AKFile const& file);
    int WriteToFile(AKFile& file) const;

    // Reads the one 'dict' chunk of a binary dictionary file.
    int LoadFromBinFile(AKFilePath const& path);
    // Writes the dictionary as a binary dictionary file. The bytes go to a
    // new file beside the target, which then takes the target's place, so a
    // failed save leaves the previous file as it was.
    int SaveToBinFile(AKFilePath const& path) const;

    // --- XML property lists (written with the XML forms) ---

    // `plist` says whether the plist wrapper is written or expected;
    // `errorLine` (may be null) receives the line of the error that ended a read.
    int LoadFromXmlFile(AKFilePath const& path, bool plist, int* errorLine = nullptr);
    int LoadFromOpenedXmlFile(AKFile const& file, bool plist, int* errorLine = nullptr);
    int LoadFromXmlString(AKString const& text, bool plist, int* errorLine = nullptr);
    int SaveToXmlFile(AKFilePath const& path, bool plist) const;
    int SaveToOpenedXmlFile(AKFile& file, bool plist) const;
    int SaveToXmlString(AKString* text, bool plist) const;

    // Prints nothing; kept for the callers that trace values.
    void DebugPrint(unsigned int indent) const;

    // The entries in key order, for readers that walk without copying.
    EntryMap const& Entries() const { return fEntries; }

private:
    friend class AKValue;
    friend class AKValueArray;
    friend struct AKDictionaryAccess;

    // The dictionary's XML property-list element (written with the XML forms).
    int XmlReadFromElement(TiXmlElement const* element);
    int XmlWriteToElement(TiXmlNode* parent) const;

    EntryMap fEntries;
};

// A cursor over one dictionary's entries in ascending byte order of the keys.
// It does not own the dictionary, which must stay unchanged while it is walked.
class AKKeyValueIterator
{
public:
    explicit AKKeyValueIterator(AKDictionary const& dictionary);

    // While entries remain: copies the current key and value into the
    // out-parameters that are not null, moves on and returns true. At the
    // end: the empty key and the empty value, and false.
    bool Next(AKString* key, AKValue* value);
    // The same without copies: pointers to the stored key and value (null at
    // the end), valid while the dictionary stays unchanged.
    bool NextInPlace(AKString const** key, AKValue const** value);

private:
    AKDictionary::EntryMap::const_iterator fCurrent;
    AKDictionary::EntryMap::const_iterator fEnd;
};

// The shared empty dictionary, built on first use. Never modified.
AKDictionary const& AKNullDictionaryShared();
#define kAKNullDictionary (AKNullDictionaryShared())
