#include "QVAudioInfo.h"

#include "AKScopedPrintfFloatSepAsDot.h"
#include "AKTextForms.h"

#include <cmath>

void QVAudioFileInfo::ClearFilePart()
{
    format = kQVNullAudioFormat;
    bitsPerSample = 0;
    bitRate = 0.0;
    pcmInfo = 0;
    rawDataOffset = -1;
}

void QVAudioFileInfo::Clear(bool keepAudioPart)
{
    ClearFilePart();
    if (!keepAudioPart)
        QVAudioInfo::Clear();
}

namespace {

// A bit rate of 0 or more that is a number: NaN and infinities are refused.
bool IsUsableBitRate(double bitRate) { return bitRate >= 0.0 && std::isfinite(bitRate); }

}  // namespace

bool QVAudioFileInfo::SetupForRead(QVAudioFormat newFormat, unsigned int channels, unsigned long long frames,
                                   double rate, unsigned int bits, double newBitRate)
{
    ClearFilePart();
    bool const audioValid = Setup(channels, frames, rate);
    if (!audioValid || newFormat.IsNull() || !IsUsableBitRate(newBitRate))
        return false;
    format = newFormat;
    bitsPerSample = bits;
    bitRate = newBitRate;
    return true;
}

bool QVAudioFileInfo::SetupForMemMap(QVAudioFormat newFormat, unsigned int channels, unsigned long long frames,
                                     double rate, QVAudioPCMInfo newPCMInfo, int newRawDataOffset, double newBitRate)
{
    ClearFilePart();
    bool const audioValid = Setup(channels, frames, rate);
    if (!audioValid || newFormat.IsNull() || newRawDataOffset < 0 || !IsUsableBitRate(newBitRate) ||
        !QVAudioPCMInfoIsValid(newPCMInfo))
        return false;
    format = newFormat;
    bitsPerSample = QVAudioPCMInfoGetBitsPerSample(newPCMInfo);
    bitRate = newBitRate;
    pcmInfo = newPCMInfo;
    rawDataOffset = newRawDataOffset;
    return true;
}

bool QVAudioFileInfo::SetupForWrite(QVAudioFormat newFormat, unsigned int channels, double rate,
                                    QVAudioPCMInfo newPCMInfo, double newBitRate)
{
    ClearFilePart();
    bool const audioValid = Setup(channels, 0, rate);
    bool const encodable =
        IsUsableBitRate(newBitRate) && (newBitRate > 0.0 || (newPCMInfo > 0 && QVAudioPCMInfoIsValid(newPCMInfo)));
    if (!audioValid || newFormat.IsNull() || !encodable)
        return false;
    format = newFormat;
    bitsPerSample = QVAudioPCMInfoGetBitsPerSample(newPCMInfo);
    bitRate = newBitRate;
    pcmInfo = newPCMInfo;
    return true;
}

void QVAudioFileInfo::SetFrameCount(unsigned long long frames)
{
    if (!IsValid() || frames == frameCount)
        return;
    // Numbers that no valid info could hold leave it as it was.
    unsigned long long samples = 0;
    double const seconds = static_cast<double>(frames) / sampleRate;
    if (__builtin_mul_overflow(static_cast<unsigned long long>(channelCount), frames, &samples) ||
        !std::isfinite(seconds))
        return;
    frameCount = frames;
    sampleCount = samples;
    duration = seconds;
}

AKString QVAudioFileInfo::GetShortInfoString() const
{
    AKString text;
    if (!IsValid())
        return text;

    AKScopedPrintfFloatSepAsDot dotGuard;
    char buffer[kAKStrSetasMaxLen];
    text = QVAudioFormatGetName(format);
    if (bitsPerSample != 0)
        text.Appendf(" %uBit", bitsPerSample);
    if (channelCount != 0)
        text.Appendf(" %s", strSetasChannCount(buffer, static_cast<int>(channelCount)));
    if (sampleRate > 0.0)
        text.Appendf(" at %.1lfkHz", sampleRate * 0.001);
    if (pcmInfo == 0 && bitRate > 0.0)
        text.Appendf(" / %.0lfkBps", bitRate);
    text.Appendf(" / %s", strSetasDuration(buffer, duration, -1));
    return text;
}

AKString QVAudioFileInfo::GetFullInfoString() const
{
    AKScopedPrintfFloatSepAsDot dotGuard;
    AKString text;
    text.Appendf("Format:             [%s]\n", QVAudioFormatToAKString(format).c_str());
    text.Appendf("IsValid:            %d\n", isValid);
    text.Appendf("ChannelCount:       %d\n", static_cast<int>(channelCount));
    text.Appendf("FrameCount:         %lld\n", static_cast<long long>(frameCount));
    text.Appendf("SampleCount:        %lld\n", static_cast<long long>(sampleCount));
    text.Appendf("SampleRate:         %lf\n", sampleRate);
    text.Appendf("Duration:           %lf\n", duration);
    text.Appendf("BitDepth:           %d\n", static_cast<int>(bitsPerSample));
    text.Appendf("BitRate:            %lf\n", bitRate);
    text.Appendf("PCMInfo:            %d [%s]\n", pcmInfo, QVAudioPCMInfoToAKString(pcmInfo, false).c_str());
    text.Appendf("DataFilePos:        %d\n", rawDataOffset);
    return text;
}
