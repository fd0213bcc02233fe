#pragma once

// QVPluginDescUID: the 64-bit number that names one audio effect plug-in
// wherever it is remembered (documents, the presets file, the plug-in list);
// 0 names no plug-in. The host builds it from what its scanner reports: an
// Audio Unit's type code in the high 32 bits and its sub-type code in the low
// 32 bits; any other plug-in's format code (QVPluginFormat.h) in the high 32
// bits and the host's 32-bit plug-in number in the low 32 bits. UIDs compare
// and sort as unsigned numbers.

class AKFile;
class AKValue;

typedef unsigned long long QVPluginDescUID;

constexpr QVPluginDescUID kQVNullPluginDescUID = 0;

// One unsigned 64-bit number in the file's byte order; the file layer's status.
int AKFileReadQVPluginDescUID(AKFile const& file, QVPluginDescUID* uid);
int AKFileWriteQVPluginDescUID(AKFile& file, QVPluginDescUID const& uid);

// A UID is held as an unsigned integer value. The reader answers true and the
// UID when the value holds an unsigned integer, else false with the output
// untouched; the one-argument reader answers the UID or 0.
bool AKValueGetasQVPluginDescUID(AKValue const& value, QVPluginDescUID* uid);
QVPluginDescUID AKValueGetasQVPluginDescUID(AKValue const& value);
AKValue* AKValueSetasQVPluginDescUID(AKValue* value, QVPluginDescUID uid);
AKValue AKValueSetasQVPluginDescUID(QVPluginDescUID uid);

// Room for the text form: 8 characters and the terminating zero.
constexpr unsigned int kQVPluginDescUIDTextSize = 9;

// Writes the 8-character text form into the caller's buffer (at least
// kQVPluginDescUIDTextSize bytes) and returns it: the UID's bytes from the
// most significant one, each byte from 0x20 to 0x7F as itself, a zero byte as
// "0" and any other byte as "?". An Audio Unit prints as its type and
// sub-type codes ("aufxbpas"); UID 0 prints as "00000000".
char* strSetasQVPluginDescUID(char* text, QVPluginDescUID uid);
