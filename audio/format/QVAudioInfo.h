#pragma once

// QVAudioInfo: the shape of a stream of sound (channels, frames, sample rate
// and what follows from them). QVAudioFileInfo: the same plus what a sound
// file needs (format, bit depth, bit rate, raw sample layout and where the
// raw samples start). Readers fill them when they open a file, writers are
// configured with them, providers keep them, plug-ins are prepared with
// them, and a document's list of sounds stores an audio info as a dictionary.
//
// Plain data with value semantics: no allocation, no sharing, usable from
// any thread (the file and value forms allocate as their layers do).

#include "AKString.h"
#include "QVAudioFormat.h"
#include "QVAudioPCMInfo.h"

class AKFile;
class AKValue;

// Dictionary keys of an audio info.
constexpr char kQVAudioInfoKeyChannelCount[] = "ChannelCount";
constexpr char kQVAudioInfoKeyFrameCount[] = "FrameCount";
constexpr char kQVAudioInfoKeySampleRate[] = "SampleRate";

// Valid exactly when the channel count and the sample rate are above 0; an
// invalid info has every field zero. The sample count is always channels ×
// frames, the duration frames / rate. A description whose numbers do not
// hold (a rate that is not a finite normal number, a sample count beyond 64
// bits, a duration beyond the doubles) is never valid.
struct QVAudioInfo {
    int isValid = 0;  // 1 valid, 0 not
    unsigned int channelCount = 0;
    unsigned long long frameCount = 0;
    unsigned long long sampleCount = 0;  // channelCount × frameCount
    double sampleRate = 0.0;             // Hz
    double duration = 0.0;               // seconds, frameCount / sampleRate

    bool IsValid() const { return isValid != 0; }

    // With a channel count above 0, a usable rate, a sample count that fits
    // in 64 bits and a finite duration, sets every field and returns true;
    // otherwise clears the info and returns false.
    bool Setup(unsigned int channels, unsigned long long frames, double rate);
    // A finite rate of at least the smallest normal double: NaN, infinities,
    // 0, negative and subnormal rates are refused.
    static bool IsUsableSampleRate(double rate);
    // Every field zero.
    void Clear();

    // Binary form, 20 bytes in the file's byte order: channel count (u32),
    // frame count (u64), sample rate (f64); the rest is rebuilt by Setup.
    // A failed read clears the info and returns the read's status; numbers
    // that make no valid info clear it and still succeed.
    int WriteToFile(AKFile& file) const;
    int ReadFromFile(AKFile const& file);

    // Dictionary form {"ChannelCount": unsigned, "FrameCount": unsigned,
    // "SampleRate": real}. Reading leaves the info as it is when the value
    // holds no dictionary or none of the three keys reads (convert lets
    // numbers of other kinds be read); otherwise it runs Setup with what was
    // read, a missing key counting as 0. Always true.
    void WriteToValue(AKValue* value) const;
    bool ReadFromValue(AKValue const& value, bool convert);
};

// The all-zero info.
constexpr QVAudioInfo kQVNullAudioInfo = {};

// The audio part, then the file part. A cleared file part has the null
// format, 0 bits, bit rate 0, PCM info 0 and a raw data offset of -1.
//
// Each setup sets the audio part as QVAudioInfo::Setup does (it stays set
// when only the file part is refused) and returns whether the file part was
// set; a refused file part is left cleared.
struct QVAudioFileInfo : QVAudioInfo {
    QVAudioFormat format = kQVNullAudioFormat;
    unsigned int bitsPerSample = 0;  // 0 when unknown
    double bitRate = 0.0;            // kbit/s, 0 when unknown
    QVAudioPCMInfo pcmInfo = 0;      // 0 when the file is not read as raw samples
    int rawDataOffset = -1;          // byte offset of the first raw sample, -1 none

    // A file decoded through its reader. Needs a valid audio part, a format
    // and a finite bit rate of 0 or more.
    bool SetupForRead(QVAudioFormat format, unsigned int channels, unsigned long long frames, double rate,
                      unsigned int bits, double bitRate);
    // A file whose raw samples are mapped. Needs a valid audio part, a format,
    // an offset and a finite bit rate of 0 or more and a valid PCM info; the
    // bits come from the PCM info.
    bool SetupForMemMap(QVAudioFormat format, unsigned int channels, unsigned long long frames, double rate,
                        QVAudioPCMInfo pcmInfo, int rawDataOffset, double bitRate);
    // A file to be written, 0 frames so far. Needs a valid audio part, a
    // format, a finite bit rate, and a bit rate above 0 or a valid PCM info;
    // the PCM info is kept as given and the bits come from it.
    bool SetupForWrite(QVAudioFormat format, unsigned int channels, double rate, QVAudioPCMInfo pcmInfo,
                       double bitRate);

    // Clears the file part, and the audio part too unless asked to keep it.
    void Clear(bool keepAudioPart = false);
    // On a valid info whose frame count differs: the new frame count, with
    // the sample count and duration that follow. Otherwise, or when the
    // sample count or the duration would not hold, nothing.
    void SetFrameCount(unsigned long long frames);

    // One line for display: "WAV 24Bit Stereo at 44.1kHz / 1m15s"; empty for
    // an invalid info.
    AKString GetShortInfoString() const;
    // Eleven labelled lines with every field, for logs.
    AKString GetFullInfoString() const;

private:
    void ClearFilePart();
};

// Every field zero, the raw data offset -1.
constexpr QVAudioFileInfo kQVNullAudioFileInfo = {};
