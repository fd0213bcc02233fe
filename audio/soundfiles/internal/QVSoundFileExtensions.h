#pragma once

// The one form of every extension list of the readers: empty entries
// dropped, lower case, sorted ascending by byte value, each once.

#include "AKStringArray.h"

void QVSoundFileExtensionsNormalize(AKStringArray* extensions);
