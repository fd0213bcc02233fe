// Small pieces shared by the executors.

#pragma once

#include "AKFilePath.h"
#include "AKString.h"
#include "ATObjectArray.h"

class AKObject;
class AKTreeActionParam;
class QVGandlerLibext;
class QVGandlerParam;
class QVObjectPlayable;
class QVObjectSequence;
class QVTreeHandler;

// The name echoed for an option left empty.
char const* QVGandlerExec_NameOrDefault(AKString const& name);

// The target node's object, when there is one: it must be a playable.
int QVGandlerExec_CheckTargetPlayable(AKTreeActionParam const& action, QVObjectPlayable** target);

// Inside an open group: the target moved into the new sequence, or a new
// single player when `withPlayer`; the sequence then follows it.
int QVGandlerExec_AddPlayerToNewSequence(QVTreeHandler* handler, QVObjectSequence* sequence, QVObjectPlayable* target,
                                         bool withPlayer);

// A sequence labels the unlabelled players that join it and follows its
// player when it has only one. Both belong to the edit's undo step, so an
// edit that moves or creates players records them in its open group:
// - before moving players, it records as they are the sequences the players
//   leave that follow one of them, and the unlabelled players that join
//   `destination` (a sequence, or null): undoing the move then gives back
//   the followed player and takes the label away again, since this step is
//   undone once the players are back where they were (a re-read keeps the
//   label of a player in a sequence, and keeps the followed player unless
//   the step names one of the sequence's players);
// - once players joined a sequence (moved or created), the sequence sets up
//   its followed player and labels, and the sequence and the players it
//   changed are recorded, for redo to give them back.
int QVGandlerExec_RecordBeforeMoving(QVTreeHandler* handler, QVObjectSequence* destination,
                                     ATObjectArray<AKObject> const& moving);
int QVGandlerExec_SetupJoinedSequence(QVTreeHandler* handler, QVObjectSequence* sequence);

// The sound files a command names through "SoundPaths" or "SoundPath", or
// picks in the open dialog when it names none and `withDialog`; empty paths
// are dropped. False when the dialog was cancelled.
bool QVGandlerExec_GatherSoundPaths(QVGandlerParam const& param, bool withDialog, QVGandlerLibext& libext,
                                    AKFilePathArray* kept);
