#pragma once

// Conversions between the toolkit's strings and files and the engine's 8-bit
// strings and paths. Toolkit text is Unicode (UTF-8 inside); engine text is
// Mac Roman, where characters it lacks read "?".

#include <juce_core/juce_core.h>

#include "AKFilePath.h"
#include "AKString.h"

AKString JC2AKString(juce::String const& string);
juce::String AK2JCString(AKString const& string);

// The engine path of the file's full path; with isDirectory it ends with "/".
AKFilePath JC2AKFilePath(juce::File const& file, bool isDirectory);
// The toolkit file of the path's text, not checked on disk. A relative or
// empty path gives the default (invalid) file, as the toolkit has no
// relative files.
juce::File AK2JCFilePath(AKFilePath const& path);

// The engine form of the string as a C string, for log arguments: valid
// until eight further calls (a ring of eight buffers, main thread only).
char const* jc_str(juce::String const& string);
