#include "JCStrings.h"

#include "AKStringEncoding.h"

AKString JC2AKString(juce::String const& string)
{
    return AKStringCopyWithEncoding(AKString(string.toStdString()), kAKStringEncodingUTF8, kAKStringEncodingMacRoman);
}

juce::String AK2JCString(AKString const& string)
{
    AKString const utf8 = AKStringCopyWithEncoding(string, kAKStringEncodingMacRoman, kAKStringEncodingUTF8);
    return juce::String::fromUTF8(utf8.c_str(), static_cast<int>(utf8.Length()));
}

AKFilePath JC2AKFilePath(juce::File const& file, bool isDirectory)
{
    AKFilePath path(JC2AKString(file.getFullPathName()));
    if (isDirectory)
        path.ForceDirectorySyntax();
    return path;
}

juce::File AK2JCFilePath(AKFilePath const& path)
{
    juce::String const text = AK2JCString(path.String());
    if (!juce::File::isAbsolutePath(text))
        return juce::File();
    return juce::File(text);
}

char const* jc_str(juce::String const& string)
{
    static AKString sRing[8];
    static unsigned int sNext = 0;
    AKString& slot = sRing[sNext];
    sNext = (sNext + 1) % 8;
    slot = JC2AKString(string);
    return slot.c_str();
}
