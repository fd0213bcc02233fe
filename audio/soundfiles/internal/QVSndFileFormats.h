#pragma once

// What the libsndfile reader and writer share: the format words of
// libsndfile's major types, the raw sample layouts of its sub-types, and the
// virtual I/O callbacks over a C stream that measure where raw samples start.

#include "QVAudioFormat.h"
#include "QVAudioInfo.h"
#include "QVAudioPCMInfo.h"

#include <cstdio>
#include <sndfile.h>

// The format word of a libsndfile major type (the format masked with
// SF_FORMAT_TYPEMASK); the null format for a type the player does not name.
QVAudioFormat QVSndFileGetAudioFormat(int majorType);

// Bits per sample of a sub-type from SF_FORMAT_PCM_S8 to SF_FORMAT_DOUBLE;
// 0 for any other sub-type.
unsigned int QVSndFileGetSubtypeBits(int subtype);

// The raw layout of a WAV or AIFF file whose sub-type is one of the seven
// above, with the byte order of its endian field (the file type's own order
// when the field says "file"); 0 for every other file.
QVAudioPCMInfo QVSndFileGetRawPCMInfo(int format);

// The libsndfile format code that writes a description: major type from the
// format word ("wav", "aif", "aiff", "flac"), sub-type from the PCM info's
// flags and bits, endian field from its byte-order flag. False for an
// invalid description or any part that cannot be made.
bool QVSndFileBuildWriteFormat(QVAudioFileInfo const& info, int* format);

// Virtual I/O over a C stream (the user data is the FILE*); writing is
// refused.
SF_VIRTUAL_IO* QVSndFileStreamIO();

// The byte offset of the first sample of a file, as libsndfile positions its
// stream once seeked to frame 0; -1 when it cannot be measured, does not fit
// in 31 bits, or the `frames` frames of `frameBytes` bytes from there do not
// lie inside the file (a header may announce more than the file holds, and
// the samples are mapped as announced).
int QVSndFileMeasureRawDataOffset(char const* systemPath, unsigned long long frames, unsigned long long frameBytes);
