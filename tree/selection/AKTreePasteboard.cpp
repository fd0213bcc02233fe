#include "AKTreePasteboard.h"

AKTreePasteboard AKTreePasteboard::sShared;
