#pragma once

#include <cstddef>

// Line counting of script texts. A line ends with a line feed, a carriage
// return, or the pair carriage return + line feed, which counts once: a text
// written with CRLF line ends has as many lines as the same text with LF.

// The number of line ends in the first length bytes.
unsigned int QVScriptCountLineEnds(char const* text, size_t length);

// The 1-based line of the byte at pos (pos may be the length: the line after
// the last byte).
unsigned int QVScriptLineOfPosition(char const* text, size_t length, size_t pos);

// True when the text is not empty and its last byte ends a line.
bool QVScriptEndsWithLineEnd(char const* text, size_t length);
