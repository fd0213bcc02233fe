#include "AKStringEncoding.h"

#include "AKMacOS.h"

void AKStringConvertWithEncoding(AKString* string, AKStringEncoding from, AKStringEncoding to)
{
    if (!string || string->IsEmpty())
        return;
    unsigned int cfFrom = AKMacOS::CFStringEncodingConvert(from);
    unsigned int cfTo = AKMacOS::CFStringEncodingConvert(to);
    if (cfFrom == cfTo)
        return;
    // Invalid source bytes give no system string, hence the empty text.
    __CFString const* system = AKMacOS::CFStringConvert(*string, cfFrom);
    *string = AKMacOS::AKStringConvert(system, cfTo);
    AKMacOS::CFStringRelease(system);
}

AKString AKStringCopyWithEncoding(AKString const& string, AKStringEncoding from, AKStringEncoding to)
{
    AKString copy(string);
    AKStringConvertWithEncoding(&copy, from, to);
    return copy;
}
