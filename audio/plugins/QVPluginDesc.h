#pragma once

// QVPluginDesc: what the engine knows of one audio effect plug-in without
// loading it: its UID, its format, its name as the plug-in lists show it, the
// file identifier its host reported, and its input and output channel
// counts. QVPluginDescArray: a list of them, kept sorted by UID or by name as
// its user needs. Plain values, free of any plug-in host.

#include "AKString.h"
#include "ATArray.h"
#include "QVPluginDescUID.h"
#include "QVPluginFormat.h"

class QVPluginDesc
{
public:
    // UID 0, format 0, empty texts, no channels: what failed look-ups give.
    QVPluginDesc() = default;
    // The name is normalised: whatever format prefix, blanks and dashes it
    // starts with are replaced by the format's prefix and one "-" ("VST3 -
    // Reverb" of a VST3 plug-in gives "VST3-Reverb", "Reverb" of an Audio
    // Unit "AU-Reverb"); a format without a prefix keeps the name as given.
    QVPluginDesc(QVPluginDescUID uid, QVPluginFormat format, AKString const& name, AKString const& fileID,
                 unsigned int inputCount, unsigned int outputCount);

    QVPluginDescUID GetUID() const { return mUID; }
    QVPluginFormat GetFormat() const { return mFormat; }
    AKString const& GetName() const { return mName; }
    AKString const& GetFileID() const { return mFileID; }
    unsigned int GetInputChannelCount() const { return mInputCount; }
    unsigned int GetOutputChannelCount() const { return mOutputCount; }

    // Replaces the name without normalising it (list placeholders).
    void SetNameAsIs(AKString const& name) { mName = name; }

    // Logs the UID text, name, file identifier and channel counts, then a
    // closing rule. The level is not used.
    void LogInfo(unsigned int level) const;

    // The name a plug-in of that format is listed under.
    static AKString NormaliseName(AKString const& name, QVPluginFormat format);

private:
    QVPluginDescUID mUID = kQVNullPluginDescUID;
    QVPluginFormat mFormat = 0;
    AKString mName;
    AKString mFileID;
    unsigned int mInputCount = 0;
    unsigned int mOutputCount = 0;
};

// The shared empty description, built on first use. Never modified.
QVPluginDesc const& QVNullPluginDescShared();
#define kQVNullPluginDesc (QVNullPluginDescShared())

// Look-ups answer the description by reference with its index (the index
// pointer may be null); UID 0, an empty name or no match answer
// kQVNullPluginDesc and index -1. The binary searches and the sorted insert
// and removal need the array sorted by the same key.
class QVPluginDescArray : public ATArray<QVPluginDesc>
{
public:
    QVPluginDescArray() = default;

    // Linear: the first description with that UID, or with a name equal byte
    // for byte.
    QVPluginDesc const& FindDescByUID(QVPluginDescUID uid, unsigned int* index) const;
    QVPluginDesc const& FindDescByName(AKString const& name, unsigned int* index) const;

    QVPluginDesc const& BSearchDescByUID(QVPluginDescUID uid, unsigned int* index) const;
    QVPluginDesc const& BSearchDescByName(AKString const& name, unsigned int* index) const;

    // Ascending, by unsigned UID or by the names' bytes; equal keys in no
    // set order.
    void SortDescByUID();
    void SortDescByName();

    // Inserts a copy where the UID order wants it and gives its index;
    // refused (false, index -1, nothing changed) for UID 0 or a UID already
    // present.
    bool InsertDescInSortedArray(QVPluginDesc const& desc, unsigned int* index);
    // Removes the description of that UID and gives its former index; false
    // and -1 for UID 0 or an absent UID.
    bool RemoveDescFromSortedArray(QVPluginDescUID uid, unsigned int* index);

private:
    // The first position whose UID is not below the given one.
    unsigned int LowerBoundByUID(QVPluginDescUID uid) const;
};
