// A sequence has no head of its own to move: begin, end and the phases go
// to each of its players.

#include "QVObjectSequence.h"

namespace {

// True when the operation changed one of the players; every player is asked.
template <class Operation>
bool ForEachPlayer(QVObjectPlayableArray const& players, Operation operation)
{
    bool changed = false;
    for (QVObjectPlayable* player : players)
        changed = operation(player) || changed;
    return changed;
}

}  // namespace

bool QVObjectSequence::DoUserToBegin()
{
    return ForEachPlayer(mPlayers, [](QVObjectPlayable* player) { return player->DoUserToBegin(); });
}

bool QVObjectSequence::DoUserToEnd()
{
    return ForEachPlayer(mPlayers, [](QVObjectPlayable* player) { return player->DoUserToEnd(); });
}

bool QVObjectSequence::DoUserPeekPhases()
{
    return ForEachPlayer(mPlayers, [](QVObjectPlayable* player) { return player->DoUserPeekPhases(); });
}

bool QVObjectSequence::DoUserPokePhases()
{
    return ForEachPlayer(mPlayers, [](QVObjectPlayable* player) { return player->DoUserPokePhases(); });
}
