// Small pieces shared by the sequence executors.

#pragma once

#include "AKString.h"

class AKTreeActionParam;
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
