#include "QVScriptLines.h"

unsigned int QVScriptCountLineEnds(char const* text, size_t length)
{
    unsigned int ends = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\n')
            ++ends;
        else if (text[i] == '\r' && (i + 1 >= length || text[i + 1] != '\n'))
            ++ends;
    }
    return ends;
}

unsigned int QVScriptLineOfPosition(char const* text, size_t length, size_t pos)
{
    if (pos > length)
        pos = length;
    // A carriage return just before pos whose line feed is at pos has not
    // ended its line yet: the pair ends it.
    unsigned int ends = QVScriptCountLineEnds(text, pos);
    if (pos > 0 && pos < length && text[pos - 1] == '\r' && text[pos] == '\n')
        --ends;
    return 1 + ends;
}

bool QVScriptEndsWithLineEnd(char const* text, size_t length)
{
    return length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r');
}
