#pragma once

// QVAudioFormat: the name of a sound-file format, such as "wav", "aiff",
// "flac" or "mp3". Eight bytes holding a NUL-terminated text of at most 7
// characters, every byte after the terminator zero, so that two formats
// compare as one 64-bit number. The all-zero format (empty text) means no
// format. Which words exist is up to the readers and writers; the display
// name is the text in upper case and the file extension the text in lower
// case, with no table in between.
//
// Plain data: no allocation, usable from any thread.

#include "AKString.h"
#include "AKValue.h"

#include <cstring>

struct QVAudioFormat {
    char text[8];

    // The eight bytes as one number (memory order), the form formats compare by.
    unsigned long long Code() const
    {
        unsigned long long code = 0;
        std::memcpy(&code, text, sizeof(code));
        return code;
    }
    bool IsNull() const { return Code() == 0; }
};

static_assert(sizeof(QVAudioFormat) == 8, "QVAudioFormat is 8 bytes");

inline bool operator==(QVAudioFormat const& a, QVAudioFormat const& b) { return a.Code() == b.Code(); }
inline bool operator!=(QVAudioFormat const& a, QVAudioFormat const& b) { return a.Code() != b.Code(); }

// No format: every byte zero.
constexpr QVAudioFormat kQVNullAudioFormat = {};

// The first 7 bytes of the text (fewer when it is shorter or holds a NUL
// earlier), every other byte zero. Case is kept.
QVAudioFormat QVAudioFormatFromAKString(AKString const& string);
// The format's text ("wav").
AKString QVAudioFormatToAKString(QVAudioFormat format);
// The display name: the text in upper case ("WAV").
AKString QVAudioFormatGetName(QVAudioFormat format);
// The file extension: the text in lower case, without a dot ("wav").
AKString QVAudioFormatGetFileExtension(QVAudioFormat format);

// Value form: a string value of the text. The getter fails, leaving the
// output as it was, when the value holds no string; the by-value getter then
// gives kQVNullAudioFormat.
bool AKValueGetasQVAudioFormat(AKValue const& value, QVAudioFormat* format);
QVAudioFormat AKValueGetasQVAudioFormat(AKValue const& value);
// Null stays null; returns the value it was given.
AKValue* AKValueSetasQVAudioFormat(AKValue* value, QVAudioFormat format);
AKValue AKValueSetasQVAudioFormat(QVAudioFormat format);
