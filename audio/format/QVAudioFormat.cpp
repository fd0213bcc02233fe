#include "QVAudioFormat.h"

#include "AKValueTyped.h"

QVAudioFormat QVAudioFormatFromAKString(AKString const& string)
{
    // Stop at an inner NUL as well: the bytes after the terminator must stay
    // zero, or equal formats would compare different.
    QVAudioFormat format = kQVNullAudioFormat;
    char const* text = string.c_str();
    for (unsigned int i = 0; i < sizeof(format.text) - 1 && text[i] != '\0'; ++i)
        format.text[i] = text[i];
    return format;
}

AKString QVAudioFormatToAKString(QVAudioFormat format)
{
    // The last byte is the terminator even when a caller filled all eight.
    return AKString(format.text, static_cast<unsigned int>(strnlen(format.text, sizeof(format.text) - 1)));
}

AKString QVAudioFormatGetName(QVAudioFormat format)
{
    AKString name = QVAudioFormatToAKString(format);
    name.ToUpperCase();
    return name;
}

AKString QVAudioFormatGetFileExtension(QVAudioFormat format)
{
    AKString extension = QVAudioFormatToAKString(format);
    extension.ToLowerCase();
    return extension;
}

bool AKValueGetasQVAudioFormat(AKValue const& value, QVAudioFormat* format)
{
    AKString text;
    if (!AKValueGetasAKString(value, &text))
        return false;
    if (format != nullptr)
        *format = QVAudioFormatFromAKString(text);
    return true;
}

QVAudioFormat AKValueGetasQVAudioFormat(AKValue const& value)
{
    QVAudioFormat format = kQVNullAudioFormat;
    AKValueGetasQVAudioFormat(value, &format);
    return format;
}

AKValue* AKValueSetasQVAudioFormat(AKValue* value, QVAudioFormat format)
{
    return AKValueSetasAKString(value, QVAudioFormatToAKString(format));
}

AKValue AKValueSetasQVAudioFormat(QVAudioFormat format)
{
    return AKValueSetasAKString(QVAudioFormatToAKString(format));
}
