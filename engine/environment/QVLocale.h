#pragma once

// Localisation hooks: every user-visible engine text passes through
// QVLocaleGetString. No translation table is loaded, so each text comes back
// as it was given.

char const* QVLocaleGetString(char const* text);
// Chooses a text domain; nothing to choose among yet.
void QVLocaleSetDomain(char const* domain);
