#pragma once

// Channel bitmaps: 64 bits, bit n set when channel n (counted from 0) is in
// use, as in the audio device's output channel selection.

#include "AKString.h"

// The number of channels in use.
int QVAudioChannelsBitmapGetChannelCount(unsigned long long bitmap);
// "[none]" for 0; otherwise, from channel 0 up to the highest in use, the
// 1-based number of each channel in use or "." for one not in use, separated
// by blanks and between brackets: bits 0 and 2 give "[1 . 3]".
AKString QVAudioChannelsBitmapGetStringInfo(unsigned long long bitmap);
