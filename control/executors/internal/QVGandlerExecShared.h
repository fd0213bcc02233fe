// Small pieces shared by the executors.

#pragma once

#include "AKFilePath.h"
#include "AKString.h"

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

// The sound files a command names through "SoundPaths" or "SoundPath", or
// picks in the open dialog when it names none and `withDialog`; empty paths
// are dropped. False when the dialog was cancelled.
bool QVGandlerExec_GatherSoundPaths(QVGandlerParam const& param, bool withDialog, QVGandlerLibext& libext,
                                    AKFilePathArray* kept);
