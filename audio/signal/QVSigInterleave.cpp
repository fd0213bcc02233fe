#include "QVSig.h"

#include <cstring>
#include <type_traits>

namespace QVSig {

template <typename TDes, typename TSrc>
void CopyCastInterleave(TDes* destination, TSrc const* source, unsigned int channel, unsigned int channelCount,
                        unsigned int frameCount)
{
    if (destination == nullptr || source == nullptr || frameCount == 0 || channel >= channelCount)
        return;
    if (channelCount == 1) {
        if constexpr (std::is_same_v<TDes, TSrc>) {
            if (destination != source)
                memcpy(destination, source, size_t(frameCount) * sizeof(TDes));
        } else {
            for (unsigned int i = 0; i < frameCount; i++)
                destination[i] = static_cast<TDes>(source[i]);
        }
        return;
    }
    TDes* out = destination + channel;
    for (unsigned int i = 0; i < frameCount; i++, out += channelCount)
        *out = static_cast<TDes>(source[i]);
}

template <typename TDes, typename TSrc>
void CopyCastDeinterleave(TDes* destination, TSrc const* source, unsigned int channel, unsigned int channelCount,
                          unsigned int frameCount)
{
    if (destination == nullptr || source == nullptr || frameCount == 0 || channel >= channelCount)
        return;
    if (channelCount == 1) {
        if constexpr (std::is_same_v<TDes, TSrc>) {
            if (destination != source)
                memcpy(destination, source, size_t(frameCount) * sizeof(TDes));
        } else {
            for (unsigned int i = 0; i < frameCount; i++)
                destination[i] = static_cast<TDes>(source[i]);
        }
        return;
    }
    TSrc const* in = source + channel;
    for (unsigned int i = 0; i < frameCount; i++, in += channelCount)
        destination[i] = static_cast<TDes>(*in);
}

#define QV_SIG_INTERLEAVE_INSTANCES(TDes, TSrc)                                                                        \
    template void CopyCastInterleave<TDes, TSrc>(TDes*, TSrc const*, unsigned int, unsigned int, unsigned int);        \
    template void CopyCastDeinterleave<TDes, TSrc>(TDes*, TSrc const*, unsigned int, unsigned int, unsigned int);

QV_SIG_INTERLEAVE_INSTANCES(float, float)
QV_SIG_INTERLEAVE_INSTANCES(float, double)
QV_SIG_INTERLEAVE_INSTANCES(double, float)
QV_SIG_INTERLEAVE_INSTANCES(double, double)

}  // namespace QVSig
