#pragma once

// QVSoundFileReaderLibMadLow: the decoding state of the MP3 reader over one C
// stream, in three modes that walk the frames the same way, so that what the
// count pass finds is what decoding delivers:
//   0 count: reads every frame header to the end of the stream;
//   1 skip: reads frame headers until the wanted frames are passed;
//   2 decode: decodes and synthesises frames into interleaved floats.
//
// At the end of the stream libmad is given MAD_BUFFER_GUARD zero bytes once,
// without which it never decodes the last frame. Decoded samples that do not
// fit a request stay pending, in order, for the next one.

#include <cstdio>

#include <mad.h>

// Bytes of MP3 data read from the stream at a time.
constexpr unsigned int kQVMadInputSize = 40960;
// Decoded samples are handed over in runs of this many floats; the pending
// block also has room for one more MP3 frame of two channels.
constexpr unsigned int kQVMadOutputRun = 4096;
constexpr unsigned int kQVMadPendingCapacity = kQVMadOutputRun + 2 * 1152;
// Bytes read from the start of a file to measure its tags.
constexpr unsigned int kQVMadMetadataProbeSize = 262144;
// Bytes read to decode the first frame header.
constexpr unsigned int kQVMadHeaderProbeSize = 8192;

enum QVMadDecodeMode : unsigned int {
    kQVMadDecodeCount = 0,
    kQVMadDecodeSkip = 1,
    kQVMadDecodeSynth = 2,
};

class QVSoundFileReaderLibMadLow
{
public:
    QVSoundFileReaderLibMadLow();
    ~QVSoundFileReaderLibMadLow();

    QVSoundFileReaderLibMadLow(QVSoundFileReaderLibMadLow const&) = delete;
    QVSoundFileReaderLibMadLow& operator=(QVSoundFileReaderLibMadLow const&) = delete;

    // Starts decoding the stream after its tags; header and estimate (may be
    // null) receive the first frame's header and an estimated frame count.
    // -1 when already started or when no first frame with a bit rate is
    // found right after the tags.
    int DecodeStart(FILE* stream, mad_header* header, unsigned long long* estimate);
    // Runs one mode (see above) into `destination` (interleaved floats of
    // the stream's channel count, mode 2 only) for up to `wanted` frames.
    // done and end (may be null) receive the frames delivered or skipped and
    // whether the stream is over. -1 for an unrecoverable decoding error or
    // when not started.
    int DecodeNextFrames(unsigned int mode, float* destination, unsigned long long wanted, unsigned long long* done,
                         bool* end);
    // Ends decoding and zeroes the state; nothing when not started.
    void DecodeFinish();

    bool IsStarted() const { return mStream != nullptr; }
    unsigned int ChannelCount() const { return mChannelCount; }
    unsigned long long DataOffset() const { return mDataOffset; }
    unsigned long long DataSize() const { return mDataSize; }
    // PCM frames of every frame decoded (mode 2) or passed (modes 0 and 1).
    unsigned long long FrameTotal() const { return mFrameTotal; }
    unsigned long long SynthesisedFrames() const { return mSynthesisedFrames; }
    double Duration() const { return mDuration; }
    unsigned long long EstimatedFrameCount() const { return mEstimatedFrameCount; }

    // Steps of DecodeStart, each 0 or -1.
    static int LowComputeFileSize(FILE* stream, unsigned long long* size);
    static int LowComputeMetadataSize(FILE* stream, unsigned long long* size);
    static int LowDecodeHeader(FILE* stream, unsigned long long offset, mad_header* header);

private:
    // Refills the input after the bytes libmad has not used; at the end of
    // the stream adds the guard once. False when the stream is over.
    bool LowRefill();
    // Reads the next frame header (modes 0 and 1) or decodes the next frame
    // (mode 2). 1 a frame, 0 the stream is over, -1 an unrecoverable error.
    int LowNextFrame(unsigned int mode);
    // Moves up to `wanted` pending frames to the destination.
    unsigned long long LowTakePending(float* destination, unsigned long long wanted);
    // Converts the synthesised frame, frames from `first` on, to `destination`.
    void LowConvertSynth(float* destination, unsigned int first, unsigned int count) const;

    FILE* mStream = nullptr;
    unsigned long long mDataOffset = 0;
    unsigned long long mDataSize = 0;
    unsigned int mChannelCount = 0;
    unsigned int mFirstSampleRate = 0;
    unsigned char* mInput = nullptr;  // kQVMadInputSize + MAD_BUFFER_GUARD bytes
    bool mGuardGiven = false;
    float* mPending = nullptr;  // kQVMadPendingCapacity floats
    unsigned int mPendingSamples = 0;
    unsigned long long mBytesRead = 0;
    double mDuration = 0.0;
    unsigned long long mFrameTotal = 0;
    unsigned long long mSynthesisedFrames = 0;
    unsigned long long mEstimatedFrameCount = 0;
    mad_header mFirstHeader;
    mad_stream mMadStream;
    mad_frame mMadFrame;
    mad_synth mMadSynth;
};

// Counts the PCM frames of an MP3 stream by reading every frame header.
// 0 with the count, or a negative status with a count of 0. The stream is
// left anywhere.
int LowComputeExactFrameCountOfMp3File(FILE* stream, unsigned long long* count);

// Bytes to skip at the start of MP3 data: a leading ID3v1 or ID3v2 tag, and
// the first frame after it when it carries a Xing, Info or LAME header. The
// data should end with MAD_BUFFER_GUARD zero bytes when it holds the whole
// file, so that a file of a single frame can still be probed.
unsigned long mad_skip_metadata(unsigned char const* data, unsigned long length);
