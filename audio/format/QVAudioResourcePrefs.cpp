#include "QVAudioResourcePrefs.h"

// Constant-initialised: the defaults hold before any other code runs.
QVAudioResourcePrefs QVAudioResourcePrefs::sShared;
