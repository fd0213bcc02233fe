#pragma once

// Copies what one block of a playable reads: its user parameters and the
// preferences of the real-time steps. Each value is one aligned read, so a
// block may mix old and new values of different parameters but never sees
// a half-written one.

#include "QVPlayableRTState.h"

class QVObjectPlayable;
class QVPrefs;

QVPlayableRTInputs QVReadPlayableRTInputs(QVObjectPlayable const& playable);
QVPlayableRTPrefs QVReadPlayableRTPrefs(QVPrefs const& prefs);
