// Localisation hooks without a translation table.

#include "QVLocale.h"

char const* QVLocaleGetString(char const* text) { return text; }

void QVLocaleSetDomain(char const*) {}
