#include "QVPluginDescUID.h"

#include "AKFileTypedIO.h"
#include "AKValueTyped.h"

int AKFileReadQVPluginDescUID(AKFile const& file, QVPluginDescUID* uid) { return AKFileReadUInt64(file, uid); }

int AKFileWriteQVPluginDescUID(AKFile& file, QVPluginDescUID const& uid) { return AKFileWriteUInt64(file, uid); }

bool AKValueGetasQVPluginDescUID(AKValue const& value, QVPluginDescUID* uid)
{
    unsigned long long number = 0;
    if (!AKValueGetasUInt(value, &number, false))
        return false;
    if (uid != nullptr)
        *uid = number;
    return true;
}

QVPluginDescUID AKValueGetasQVPluginDescUID(AKValue const& value)
{
    QVPluginDescUID uid = kQVNullPluginDescUID;
    AKValueGetasQVPluginDescUID(value, &uid);
    return uid;
}

AKValue* AKValueSetasQVPluginDescUID(AKValue* value, QVPluginDescUID uid) { return AKValueSetasUInt(value, uid); }

AKValue AKValueSetasQVPluginDescUID(QVPluginDescUID uid) { return AKValueSetasUInt(uid); }

char* strSetasQVPluginDescUID(char* text, QVPluginDescUID uid)
{
    if (text == nullptr)
        return nullptr;
    for (unsigned int i = 0; i < 8; ++i) {
        unsigned int const byte = static_cast<unsigned int>(uid >> (8 * (7 - i))) & 0xFFu;
        if (byte == 0)
            text[i] = '0';
        else if (byte >= 0x20 && byte <= 0x7F)
            text[i] = static_cast<char>(byte);
        else
            text[i] = '?';
    }
    text[8] = '\0';
    return text;
}
