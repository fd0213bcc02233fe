// The persistent forms of a sequence, after the playable's: the ID of the
// followed player, then its presets block. A followed player that is no
// longer among the players is written as no ID, so a deleted player is
// forgotten on saving.

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKNode.h"
#include "AKValueTyped.h"
#include "QVObjectSequence.h"

namespace {

char const* const kKey_FollowID = "FollowID";

// Whether a child node of the sequence's node is a player with that ID. The
// node's children are asked, not the fast links, which are refreshed only
// once the whole step is replayed.
bool IsOwnPlayerNode(AKNode const* sequence, AKNodeID id)
{
    if (sequence == nullptr || id == kAKNullNodeID)
        return false;
    for (AKNode const* child = sequence->GetSub(); child != nullptr; child = child->GetNext())
        if (child->GetID() == id)
            return child->GetObject() != nullptr && child->GetObject()->IsKindOfT<QVObjectZlayer>();
    return false;
}

}  // namespace

int QVObjectSequence::akmInitFromDictionary(AKDictionary const& dictionary)
{
    int const status = QVObjectPlayable::akmInitFromDictionary(dictionary);
    if (status != 0)
        return status;
    AKNodeID id = kAKNullNodeID;
    if (AKValueGetasAKNodeID(dictionary.GetValue(kKey_FollowID), &id)) {
        mFollowID = id;
        FindFollowIndex();
    }
    return mPresetsBlock.InitFromDictionary(dictionary);
}

int QVObjectSequence::akmWriteToDictionary(AKDictionary& dictionary) const
{
    int const status = QVObjectPlayable::akmWriteToDictionary(dictionary);
    if (status != 0)
        return status;
    AKNodeID const written = mFollowIndex < 0 ? kAKNullNodeID : mFollowID;
    int const set = dictionary.SetValue(kKey_FollowID, AKValueSetasAKNodeID(written));
    return set != 0 ? set : mPresetsBlock.WriteToDictionary(dictionary);
}

int QVObjectSequence::akmInitFromFile(AKFile const& file, unsigned int how)
{
    int const status = QVObjectPlayable::akmInitFromFile(file, how);
    if (status != 0)
        return status;
    AKNodeID id = kAKNullNodeID;
    int const read = AKFileReadAKNodeID(file, &id);
    if (read != 0)
        return read;
    // Re-initialised in place by the history (undo and redo of a revision),
    // the followed player comes back with the step, unless the step names
    // none of the sequence's players: a sequence with one player follows it
    // from the edit that gave it that player, which no step records, so a
    // step stored before (the sequence's creation) follows nothing and must
    // not take the followed player away.
    if (how != 0 || IsOwnPlayerNode(GetNodeOwner(), id)) {
        mFollowID = id;
        FindFollowIndex();
    }
    return mPresetsBlock.InitFromFile(file, how);
}

int QVObjectSequence::akmWriteToFile(AKFile& file) const
{
    int const status = QVObjectPlayable::akmWriteToFile(file);
    if (status != 0)
        return status;
    int const written = AKFileWriteAKNodeID(file, mFollowIndex < 0 ? kAKNullNodeID : mFollowID);
    return written != 0 ? written : mPresetsBlock.WriteToFile(file);
}
