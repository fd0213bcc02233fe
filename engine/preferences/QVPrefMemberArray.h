#pragma once

// QVPrefMemberArray: the registry of a preferences owner. The owner keeps
// its settings as typed fields, holds one registry, and registers each
// field once at construction; the registry then treats the settings as a
// set: dictionaries (the preferences file, a document's "Prefs" entry),
// equality of two owners, parameters strings, the log.
//
// Members reach their fields by offsets from the registry's own address, so
// copying an owner (registry included) gives a copy whose registry
// describes the copy's fields. A registry copied on its own, apart from its
// owner, describes nothing usable.
//
// The modified flag and the change stamp belong to the owner's setters,
// which set the flag and move the stamp when a value changes; nothing here
// touches them.
//
// Parameters strings: "Name=value;Name=value", names being the parameter
// names (dots of the key turned into "_"), case-sensitive. Every space of
// the whole text is removed first, each element is trimmed of line breaks
// and tabs, empty elements are skipped. An unknown name logs warning 507
// and a refused value warning 508, naming the whole element; the other
// elements still apply (nothing is rolled back).
//
// Main thread only.

#include "AGTypes.h"
#include "AKDictionary.h"
#include "AKFilePath.h"
#include "AKString.h"
#include "ATArray.h"
#include "QVPrefMember.h"

class QVPrefMemberArray
{
public:
    QVPrefMemberArray();
    QVPrefMemberArray(QVPrefMemberArray const&) = default;
    QVPrefMemberArray& operator=(QVPrefMemberArray const&) = default;

    void Reserve(unsigned int count) { mMembers.Reserve(count); }

    // Appends a member for a field of the owner. The number overloads set
    // the field to zero (false, 0, 0.0); the others leave it as it is.
    void RegisterMember(AKString const& name, AKString const& key, bool* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, unsigned int* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, int* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, float* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, double* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, AKString* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, AKFilePath* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, AGColor* location, uint32_t tag);
    void RegisterMember(AKString const& name, AKString const& key, AGInterval* location, uint32_t tag);

    unsigned int Count() const { return mMembers.Count(); }
    QVPrefMember const& GetMember(unsigned int index) const { return mMembers[index]; }

    // Every member in order (none for an empty dictionary); returns 0.
    int ReadFromDictionary(AKDictionary const& dictionary, uint32_t filter);
    // One entry per member taken by the filter; other entries stay. Returns 0.
    int WriteToDictionary(AKDictionary* dictionary, uint32_t filter) const;

    // True for itself; false for another member count; else every member
    // equal to the other's member at the same index.
    bool AreEqualMemberValues(QVPrefMemberArray const& other) const;

    // The first member of that parameter name (byte for byte), or null.
    QVPrefMember const* FindMemberByName(AKString const& name) const;

    // Applies a parameters string (see above); true when at least one member
    // took a value. A null or empty text does nothing.
    bool SetupFromParametersString(char const* text);
    bool SetupFromParametersString(AKString const& text) { return SetupFromParametersString(text.c_str()); }

    // One log line per member, in order.
    void LogDescriptions() const;

    // --- Change state, kept for the owner ---

    bool IsModified() const { return mModified; }
    void SetModified(bool modified) { mModified = modified; }
    unsigned int GetChangeStamp() const { return mChangeStamp; }
    // Sets the modified flag and moves the stamp on.
    void MarkChanged()
    {
        mModified = true;
        ++mChangeStamp;
    }

private:
    void Register(AKString const& name, AKString const& key, void const* location, uint32_t type, uint32_t tag);
    QVPrefMember* FindMutableMemberByName(AKString const& name);

    ATArray<QVPrefMember> mMembers;
    bool mModified = false;
    unsigned int mChangeStamp;
};
