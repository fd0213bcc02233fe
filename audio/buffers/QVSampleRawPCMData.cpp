#include "QVSampleRawPCMData.h"

bool QVSampleRawPCMData::AttachPCMData(unsigned char const* data, QVAudioPCMInfo info, unsigned int channelCount,
                                       unsigned long long frameCount, double sampleRate)
{
    unsigned int const bytesPerSample = QVAudioPCMInfoGetBytesPerSample(info);
    unsigned long long sampleCount = 0;
    unsigned long long byteCount = 0;
    // A frame count read from a damaged header must not wrap the sizes, or frame pointers could leave the mapping.
    bool const sizesFit =
        !__builtin_mul_overflow(frameCount, static_cast<unsigned long long>(channelCount), &sampleCount) &&
        !__builtin_mul_overflow(sampleCount, static_cast<unsigned long long>(bytesPerSample), &byteCount);
    if (data == nullptr || channelCount == 0 || !QVAudioPCMInfoIsValid(info) || !sizesFit) {
        DetachPCMData();
        mSampleRate = sampleRate;
        return false;
    }
    mData = data;
    mPCMInfo = info;
    mBytesPerSample = bytesPerSample;
    mChannelCount = channelCount;
    mFrameCount = frameCount;
    mSampleCount = sampleCount;
    mSampleRate = sampleRate;
    mByteCount = byteCount;
    return true;
}

void QVSampleRawPCMData::DetachPCMData()
{
    if (mData == nullptr)
        return;
    *this = QVSampleRawPCMData();
}

unsigned char const* QVSampleRawPCMData::FramePtrConst(unsigned long long frame) const
{
    if (mData == nullptr || frame >= mFrameCount)
        return nullptr;
    return mData + frame * mChannelCount * mBytesPerSample;
}
