#include "QVAudioChannelsBitmap.h"

int QVAudioChannelsBitmapGetChannelCount(unsigned long long bitmap) { return __builtin_popcountll(bitmap); }

AKString QVAudioChannelsBitmapGetStringInfo(unsigned long long bitmap)
{
    if (bitmap == 0)
        return AKString("[none]");
    AKString text("[");
    for (unsigned int channel = 0; channel < 64 && (bitmap >> channel) != 0; ++channel) {
        if (channel != 0)
            text.Append(" ");
        if ((bitmap >> channel) & 1)
            text.Appendf("%u", channel + 1);
        else
            text.Append(".");
    }
    text.Append("]");
    return text;
}
