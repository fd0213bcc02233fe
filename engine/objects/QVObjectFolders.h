#pragma once

// The three folders at the fixed top of every document tree, made by the
// tree handler: the sequence folder holds the document's sequences (only
// they are played), the player folder the players attached to no sequence,
// and the temporary folder anything, left out of the dictionary form with
// everything under it. The first two cache their typed children (fast
// links), refreshed after every command when their link stamps moved.
//
// Main thread only.

#include "AKObject.h"
#include "QVFolderFastLinks.h"

// The classes allowed under the folders, by their registered IDs.
constexpr char const* kQVClassIDSequence = "sequenc";
constexpr char const* kQVClassIDZlayer = "player";
constexpr char const* kQVClassIDCursor = "cursor";

class QVObjectFolderSequence : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectFolderSequence, "foldSeq")

    QVObjectFolderSequence();

    // Only sequences.
    AKClass const** akmGetAuthoChildClasses() const override;

    // Refreshes the sequences array when the folder's link stamps moved,
    // then every sequence's links and, with force, their active flags.
    void SynchronizeFLFastLinks();
    QVObjectPoolableArray const& GetFLSubSequences() const { return mLinks.GetChildren(); }
    AKNodeIDArray const& GetFLSubSequenceIDs() const { return mLinks.GetChildIDs(); }
    // The first sequence, in tree order, whose displayed name is the name;
    // without the flag, "Internal.ObjectNameCaseSensitive" decides.
    QVObjectPoolable* FindSequenceByName(AKString const& name, bool caseSensitive) const;
    QVObjectPoolable* FindSequenceByName(AKString const& name) const;

    // Recounts the soloed sequences and sets every sequence's active flag
    // (only the soloed ones are active while some are).
    void UpdateRActiveFlagOfSubs(bool force);
    // Clears Mute and Solo in every sequence and below; all become active.
    void ResetAllMutesAndSolos();
    int GetSoloCount() const { return mSoloCount; }

private:
    int CountSolos() const;

    QVFolderFastLinks mLinks;
    int mSoloCount = 0;
};

class QVObjectFolderCursor : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectFolderCursor, "foldCrs")

    QVObjectFolderCursor();

    // Only players (single and multi).
    AKClass const** akmGetAuthoChildClasses() const override;

    void SynchronizeFLFastLinks();
    QVObjectPoolableArray const& GetFLSubPlayers() const { return mLinks.GetChildren(); }
    AKNodeIDArray const& GetFLSubPlayerIDs() const { return mLinks.GetChildIDs(); }
    // The first multi-player, in tree order, whose displayed name is the name.
    QVObjectPoolable* FindCursorByName(AKString const& name, bool caseSensitive) const;
    QVObjectPoolable* FindCursorByName(AKString const& name) const;

    // Players are never soloed against each other here.
    void UpdateRActiveFlagOfSubs(bool force);
    void ResetAllMutesAndSolos();

private:
    QVFolderFastLinks mLinks;
};

class QVObjectFolderTemp : public AKObject
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(QVObjectFolderTemp, "foldTmp")

    QVObjectFolderTemp();

    // Any object.
    AKClass const** akmGetAuthoChildClasses() const override;
};
