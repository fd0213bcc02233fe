#pragma once

// AKScopedPrintfFloatSepAsDot: while it lives, the C library's formatted
// output and input on this thread use "." as the decimal separator, whatever
// the locale. It switches the calling thread to a copy of its current locale
// whose numeric category is "C", and switches back on destruction. Other
// threads are not affected. When the thread already uses ".", it does nothing.
//
// Stack-only and not copyable; guards may nest.

#include <locale.h>

class AKScopedPrintfFloatSepAsDot
{
public:
    AKScopedPrintfFloatSepAsDot();
    ~AKScopedPrintfFloatSepAsDot();

    AKScopedPrintfFloatSepAsDot(AKScopedPrintfFloatSepAsDot const&) = delete;
    AKScopedPrintfFloatSepAsDot& operator=(AKScopedPrintfFloatSepAsDot const&) = delete;

    // True when the guard switched the thread's locale.
    bool IsSwitched() const { return mDotLocale != (locale_t)0; }

private:
    locale_t mPreviousLocale = (locale_t)0;
    locale_t mDotLocale = (locale_t)0;
};
