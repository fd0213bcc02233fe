// The persistent forms of a sequence, after the playable's: the ID of the
// followed player. A followed player that is no longer among the players is
// written as no ID, so a deleted player is forgotten on saving.

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
    return 0;
}

int QVObjectSequence::akmWriteToDictionary(AKDictionary& dictionary) const
{
    int const status = QVObjectPlayable::akmWriteToDictionary(dictionary);
    if (status != 0)
        return status;
    AKNodeID const written = mFollowIndex < 0 ? kAKNullNodeID : mFollowID;
    return dictionary.SetValue(kKey_FollowID, AKValueSetasAKNodeID(written));
}

int QVObjectSequence::akmInitFromFile(AKFile const& file, unsigned int how)
{
    int const status = QVObjectPlayable::akmInitFromFile(file, how);
    if (status != 0)
        return status;
    // Re-initialised in place by the history: the followed player stays.
    if (how == 0)
        return AKFileSkip(file, kFollowIDBytes);
    AKNodeID id = kAKNullNodeID;
    int const read = AKFileReadAKNodeID(file, &id);
    if (read != 0)
        return read;
    mFollowID = id;
    FindFollowIndex();
    return 0;
}

int QVObjectSequence::akmWriteToFile(AKFile& file) const
{
    int const status = QVObjectPlayable::akmWriteToFile(file);
    if (status != 0)
        return status;
    return AKFileWriteAKNodeID(file, mFollowIndex < 0 ? kAKNullNodeID : mFollowID);
}
