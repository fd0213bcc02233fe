#include "QVAudioPCMInfo.h"

#include "AKValueTyped.h"

#include <cstdio>
#include <cstdlib>

AKString QVAudioPCMInfoToAKString(QVAudioPCMInfo info, bool allLetters)
{
    char text[16];
    int length = std::snprintf(text, sizeof(text), "%02d", static_cast<int>(QVAudioPCMInfoGetBitsPerSample(info)));

    bool const hasByteOrder = (info & (kQVAudioPCMInfoBigEndian | kQVAudioPCMInfoLittleEndian)) != 0;
    if (info & kQVAudioPCMInfoFloat)
        text[length++] = 'F';
    else if (info & kQVAudioPCMInfoUnsigned)
        text[length++] = 'U';
    else if (hasByteOrder || allLetters)
        text[length++] = 'S';

    if (info & kQVAudioPCMInfoBigEndian)
        text[length++] = 'B';
    else if (info & kQVAudioPCMInfoLittleEndian)
        text[length++] = 'L';
    else if (allLetters)
        text[length++] = '_';

    return AKString(text, static_cast<unsigned int>(length));
}

QVAudioPCMInfo QVAudioPCMInfoFromAKString(AKString const& string)
{
    if (string.IsEmpty())
        return 0;

    // The leading number as "%u" reads it (blanks and a sign allowed, cut to
    // 32 bits), without the C library's undefined result on overflow.
    char const* text = string.c_str();
    char* end = nullptr;
    unsigned long long const number = std::strtoull(text, &end, 10);
    if (end == text)
        return 0;
    QVAudioPCMInfo info = static_cast<QVAudioPCMInfo>(static_cast<unsigned int>(number));

    // The letters sit at fixed places, where the two-digit form puts them.
    if (string.Length() >= 3) {
        switch (string[2]) {
        case 'U':
            info |= kQVAudioPCMInfoUnsigned;
            break;
        case 'S':
            break;
        case 'F':
            info |= kQVAudioPCMInfoFloat;
            break;
        default:
            return 0;
        }
    }
    if (string.Length() >= 4) {
        switch (string[3]) {
        case '_':
            break;
        case 'L':
            info |= kQVAudioPCMInfoLittleEndian;
            break;
        case 'B':
            info |= kQVAudioPCMInfoBigEndian;
            break;
        default:
            return 0;
        }
    }
    return info;
}

bool QVAudioPCMInfoIsValid(QVAudioPCMInfo info)
{
    if (info <= 0)
        return false;
    if ((info & kQVAudioPCMInfoBigEndian) && (info & kQVAudioPCMInfoLittleEndian))
        return false;

    unsigned int const bits = QVAudioPCMInfoGetBitsPerSample(info);
    if (info & kQVAudioPCMInfoUnsigned)
        return bits == 8 && !(info & kQVAudioPCMInfoFloat);
    if (info & kQVAudioPCMInfoFloat)
        return bits == 32 || bits == 64;
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool AKValueGetasQVAudioPCMInfo(AKValue const& value, QVAudioPCMInfo* info)
{
    AKString text;
    if (!AKValueGetasAKString(value, &text))
        return false;
    if (info != nullptr)
        *info = QVAudioPCMInfoFromAKString(text);
    return true;
}

QVAudioPCMInfo AKValueGetasQVAudioPCMInfo(AKValue const& value)
{
    QVAudioPCMInfo info = 0;
    AKValueGetasQVAudioPCMInfo(value, &info);
    return info;
}

AKValue* AKValueSetasQVAudioPCMInfo(AKValue* value, QVAudioPCMInfo info)
{
    return AKValueSetasAKString(value, QVAudioPCMInfoToAKString(info, false));
}

AKValue AKValueSetasQVAudioPCMInfo(QVAudioPCMInfo info)
{
    return AKValueSetasAKString(QVAudioPCMInfoToAKString(info, false));
}
