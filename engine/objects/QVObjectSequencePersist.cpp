// The persistent forms of a sequence, after the playable's: the ID of the
// followed player, then its presets block. A followed player that is no
// longer among the players is written as no ID, so a deleted player is
// forgotten on saving.

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKValueTyped.h"
#include "QVObjectSequence.h"

namespace {

char const* const kKey_FollowID = "FollowID";
constexpr unsigned long long kFollowIDBytes = 4;

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
    // Re-initialised in place by the history: the followed player stays.
    if (how == 0) {
        int const skipped = AKFileSkip(file, kFollowIDBytes);
        return skipped != 0 ? skipped : mPresetsBlock.InitFromFile(file, how);
    }
    AKNodeID id = kAKNullNodeID;
    int const read = AKFileReadAKNodeID(file, &id);
    if (read != 0)
        return read;
    mFollowID = id;
    FindFollowIndex();
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
