// Long runs of raw samples: mono and stereo reads take a vectorised loop,
// which must give the same bits as converting the samples one at a time,
// at any length and from any byte offset.

#include "QVSig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace QVSig;

namespace {

constexpr QVAudioPCMInfo kBE = kQVAudioPCMInfoBigEndian;
constexpr QVAudioPCMInfo kF = kQVAudioPCMInfoFloat;

// Raw bytes that make varied samples in every layout: a simple generator,
// so that floats come out as ordinary values, zeros, denormals and NaNs.
std::vector<unsigned char> RawBytes(size_t count)
{
    std::vector<unsigned char> bytes(count);
    unsigned int state = 12345;
    for (unsigned char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}

template <typename T>
void ExpectRunsMatchSingleSamples(QVAudioPCMInfo info)
{
    unsigned int const bytesPerSample = QVAudioPCMInfoGetBytesPerSample(info);
    for (unsigned int channels = 1; channels <= 3; ++channels)
        for (unsigned int offset = 0; offset < 3; ++offset)
            for (unsigned int frames : {1u, 2u, 3u, 7u, 16u, 33u, 517u}) {
                std::vector<unsigned char> const raw = RawBytes(offset + size_t(frames) * channels * bytesPerSample);
                unsigned char const* const source = raw.data() + offset;
                for (unsigned int channel = 0; channel < channels; ++channel) {
                    std::vector<T> run(frames), single(frames);
                    ASSERT_TRUE(CopyCastDeinterleavePCMData(run.data(), source, info, channel, channels, frames));
                    for (unsigned int i = 0; i < frames; ++i)
                        ASSERT_TRUE(CopyCastDeinterleavePCMData(
                            &single[i], source + size_t(i) * channels * bytesPerSample, info, channel, channels, 1));
                    EXPECT_EQ(0, memcmp(run.data(), single.data(), frames * sizeof(T)))
                        << "layout " << info << ", " << channels << " channels, offset " << offset << ", " << frames
                        << " frames, channel " << channel;
                }
            }
}

TEST(QVSigPCMRuns, EveryLayoutGivesTheBitsOfSingleSamples)
{
    QVAudioPCMInfo const layouts[] = {8,       8 | kQVAudioPCMInfoUnsigned,
                                      16,      16 | kBE,
                                      24,      24 | kBE,
                                      32,      32 | kBE,
                                      32 | kF, 32 | kF | kBE,
                                      64 | kF, 64 | kF | kBE};
    for (QVAudioPCMInfo const info : layouts) {
        ExpectRunsMatchSingleSamples<double>(info);
        ExpectRunsMatchSingleSamples<float>(info);
    }
}

}  // namespace
