#pragma once

#include "AKString.h"

// A new random UUID as 36 characters: groups of 8, 4, 4, 4 and 12 upper-case
// hexadecimal digits joined by "-".
AKString AKStringGenerateUUID();
