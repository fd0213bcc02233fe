#pragma once

// Status codes returned by every operation that can fail.
// 0 is success, a negative code an error, a positive code a warning.
// Functions return the first non-zero code they meet and pass it up unchanged.
// Some layers also use codes without a symbolic name (1 and 1990 as warnings,
// -1984 to -1990, -2989 and -2990); those are written as plain numbers.
//
// The codes themselves are listed once, in AKStatusCodes.def, which also
// gives AKGetStatusRawName its names.

#define AK_STATUS(name, value) constexpr int name = value;
#include "AKStatusCodes.def"
#undef AK_STATUS
