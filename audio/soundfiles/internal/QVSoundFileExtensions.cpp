#include "QVSoundFileExtensions.h"

void QVSoundFileExtensionsNormalize(AKStringArray* extensions)
{
    extensions->RemoveIf([](AKString const& extension) { return extension.IsEmpty(); });
    extensions->ToLowerCase();
    extensions->Sort([](AKString const& a, AKString const& b) { return a < b; }, false);
    extensions->RemoveConsecutiveDuplicates();
}
