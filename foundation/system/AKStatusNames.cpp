#include "AKLog.h"

// Symbolic names of the status codes, as printed in log lines and alerts.
// Each name is spelt from the constant itself, so the two cannot disagree;
// a value listed twice fails to compile as a duplicate case.
char const* AKGetStatusRawName(int status)
{
    switch (status) {
#define AK_STATUS(name, value)                                                                                         \
    case name:                                                                                                         \
        return #name;
#include "AKStatusCodes.def"
#undef AK_STATUS
    default:
        return "";
    }
}
