#include "AKScopedPrintfFloatSepAsDot.h"

#include <cstring>
#include <langinfo.h>

AKScopedPrintfFloatSepAsDot::AKScopedPrintfFloatSepAsDot()
{
    // The thread's current locale decides the separator; nothing to do when
    // it already writes ".", which is the common case and allocates nothing.
    char const* radix = nl_langinfo(RADIXCHAR);
    if (radix != nullptr && std::strcmp(radix, ".") == 0)
        return;

    locale_t current = uselocale((locale_t)0);
    // newlocale may consume its base, and the global locale object must never
    // be handed to it: work on a private copy.
    locale_t base = duplocale(current);
    if (base == (locale_t)0)
        return;
    locale_t dot = newlocale(LC_NUMERIC_MASK, "C", base);
    if (dot == (locale_t)0) {
        freelocale(base);
        return;
    }
    mPreviousLocale = uselocale(dot);
    mDotLocale = dot;
}

AKScopedPrintfFloatSepAsDot::~AKScopedPrintfFloatSepAsDot()
{
    if (mDotLocale == (locale_t)0)
        return;
    uselocale(mPreviousLocale);
    freelocale(mDotLocale);
}
