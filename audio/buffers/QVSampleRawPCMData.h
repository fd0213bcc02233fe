#pragma once

// QVSampleRawPCMData: a view on interleaved raw samples of a sound file (a
// memory-mapped file held by a provider). It owns nothing: the bytes belong
// to whoever mapped them and must outlive the attachment.
//
// Container operations check their ranges against it by ChannelCount() and
// FrameCount(); QVSig's raw kernels convert its bytes into samples.

#include "QVAudioPCMInfo.h"

class QVSampleRawPCMData
{
public:
    // Detached: every field zero.
    QVSampleRawPCMData() = default;

    // Attaches to `data` (frame 0's first byte) with its layout, channel count,
    // frame count and rate. Needs data, at least one channel, a valid layout
    // and a byte count that fits in 64 bits. On refusal the view is detached,
    // keeps only the rate and false is returned.
    bool AttachPCMData(unsigned char const* data, QVAudioPCMInfo info, unsigned int channelCount,
                       unsigned long long frameCount, double sampleRate);
    // Sets every field to zero when attached; the bytes are not touched.
    void DetachPCMData();

    // The first byte of a frame; null when detached or the frame is not below the frame count.
    unsigned char const* FramePtrConst(unsigned long long frame) const;

    bool IsAttached() const { return mData != nullptr; }
    unsigned char const* Data() const { return mData; }
    QVAudioPCMInfo PCMInfo() const { return mPCMInfo; }
    unsigned int BytesPerSample() const { return mBytesPerSample; }
    unsigned int ChannelCount() const { return mChannelCount; }
    unsigned long long FrameCount() const { return mFrameCount; }
    unsigned long long SampleCount() const { return mSampleCount; }
    double SampleRate() const { return mSampleRate; }
    unsigned long long ByteCount() const { return mByteCount; }

private:
    unsigned char const* mData = nullptr;
    QVAudioPCMInfo mPCMInfo = 0;
    unsigned int mBytesPerSample = 0;
    unsigned int mChannelCount = 0;
    unsigned long long mFrameCount = 0;
    unsigned long long mSampleCount = 0;  // frames × channels
    double mSampleRate = 0.0;
    unsigned long long mByteCount = 0;  // samples × bytes per sample
};
