#include "QVSoundFileReaderLibMadLow.h"

#include "AKLog.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

// Sample conversion: libmad's fixed point (28 fraction bits) to float. A
// value beyond ±0x0FFFFFFF counts as ±0x7FFFFFFF, any other is multiplied by
// 8, and that 32-bit number times 2^-31 is the sample. In float, ±0x7FFFFFFF
// and ±0x0FFFFFFF × 8 both round to ±2^31, so clamping to ±0x0FFFFFFF gives
// the same samples without a branch; scaling by a power of two is exact.
static inline float ConvertMadSample(mad_fixed_t value)
{
    mad_fixed_t const clamped = std::min<mad_fixed_t>(std::max<mad_fixed_t>(value, -0x0FFFFFFF), 0x0FFFFFFF);
    return static_cast<float>(static_cast<int>(clamped) * 8) * (1.0f / 2147483648.0f);
}

// PCM frames one MP3 frame of this header synthesises.
static inline unsigned int HeaderFrameCount(mad_header const& header) { return 32 * MAD_NSBSAMPLES(&header); }

static bool SeekTo(FILE* stream, unsigned long long offset)
{
    return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

QVSoundFileReaderLibMadLow::QVSoundFileReaderLibMadLow()
{
    std::memset(&mFirstHeader, 0, sizeof(mFirstHeader));
    std::memset(&mMadStream, 0, sizeof(mMadStream));
    std::memset(&mMadFrame, 0, sizeof(mMadFrame));
    std::memset(&mMadSynth, 0, sizeof(mMadSynth));
}

QVSoundFileReaderLibMadLow::~QVSoundFileReaderLibMadLow() { DecodeFinish(); }

int QVSoundFileReaderLibMadLow::LowComputeFileSize(FILE* stream, unsigned long long* size)
{
    *size = 0;
    if (fseeko(stream, 0, SEEK_END) != 0)
        return -1;
    off_t const end = ftello(stream);
    if (end < 0 || fseeko(stream, 0, SEEK_SET) != 0)
        return -1;
    *size = static_cast<unsigned long long>(end);
    return 0;
}

int QVSoundFileReaderLibMadLow::LowComputeMetadataSize(FILE* stream, unsigned long long* size)
{
    *size = 0;
    if (!SeekTo(stream, 0))
        return -1;
    // Zeroed beyond what is read: a file read whole ends with libmad's guard.
    std::vector<unsigned char> data(kQVMadMetadataProbeSize + MAD_BUFFER_GUARD, 0);
    size_t length = fread(data.data(), 1, kQVMadMetadataProbeSize, stream);
    if (ferror(stream))
        return -1;
    if (length < kQVMadMetadataProbeSize && length > 0)
        length += MAD_BUFFER_GUARD;
    unsigned long skipped = mad_skip_metadata(data.data(), length);
    *size = skipped;
    return 0;
}

int QVSoundFileReaderLibMadLow::LowDecodeHeader(FILE* stream, unsigned long long offset, mad_header* header)
{
    if (!SeekTo(stream, offset))
        return -1;
    std::vector<unsigned char> data(kQVMadHeaderProbeSize + MAD_BUFFER_GUARD, 0);
    size_t length = fread(data.data(), 1, kQVMadHeaderProbeSize, stream);
    if (length == 0)
        return -1;
    // The stream's end is followed by the guard, so a last frame decodes.
    if (length < kQVMadHeaderProbeSize)
        length += MAD_BUFFER_GUARD;

    mad_stream madStream;
    mad_header_init(header);
    mad_stream_init(&madStream);
    mad_stream_buffer(&madStream, data.data(), length);
    int const result = mad_header_decode(header, &madStream);
    mad_stream_finish(&madStream);
    if (result != 0 || header->bitrate == 0 || header->samplerate == 0)
        return -1;
    return 0;
}

int QVSoundFileReaderLibMadLow::DecodeStart(FILE* stream, mad_header* header, unsigned long long* estimate)
{
    if (header != nullptr)
        std::memset(header, 0, sizeof(*header));
    if (estimate != nullptr)
        *estimate = 0;
    if (mStream != nullptr || stream == nullptr)
        return -1;

    unsigned long long fileSize = 0;
    unsigned long long dataOffset = 0;
    mad_header first;
    if (LowComputeFileSize(stream, &fileSize) != 0 || LowComputeMetadataSize(stream, &dataOffset) != 0)
        return -1;
    if (fileSize < dataOffset)
        return -1;
    if (LowDecodeHeader(stream, dataOffset, &first) != 0)
        return -1;
    if (!SeekTo(stream, dataOffset))
        return -1;

    mInput = static_cast<unsigned char*>(std::calloc(kQVMadInputSize + MAD_BUFFER_GUARD, 1));
    mPending = static_cast<float*>(std::calloc(kQVMadPendingCapacity, sizeof(float)));
    if (mInput == nullptr || mPending == nullptr) {
        std::free(mInput);
        std::free(mPending);
        mInput = nullptr;
        mPending = nullptr;
        return -1;
    }
    mStream = stream;
    mDataOffset = dataOffset;
    mDataSize = fileSize - dataOffset;
    mChannelCount = first.mode == MAD_MODE_SINGLE_CHANNEL ? 1 : 2;
    mFirstSampleRate = first.samplerate;
    mFirstHeader = first;
    mGuardGiven = false;
    mPendingSamples = 0;
    mBytesRead = 0;
    mDuration = 0.0;
    mFrameTotal = 0;
    mSynthesisedFrames = 0;
    mEstimatedFrameCount =
        static_cast<unsigned long long>(static_cast<double>(mDataSize) * first.samplerate * 8.0 / first.bitrate);
    mad_stream_init(&mMadStream);
    mad_frame_init(&mMadFrame);
    mad_synth_init(&mMadSynth);

    if (header != nullptr)
        *header = first;
    if (estimate != nullptr)
        *estimate = mEstimatedFrameCount + 0x400000;
    return 0;
}

void QVSoundFileReaderLibMadLow::DecodeFinish()
{
    if (mStream == nullptr)
        return;
    mad_synth_finish(&mMadSynth);
    mad_frame_finish(&mMadFrame);
    mad_stream_finish(&mMadStream);
    std::free(mInput);
    std::free(mPending);
    mStream = nullptr;
    mInput = nullptr;
    mPending = nullptr;
    mDataOffset = 0;
    mDataSize = 0;
    mChannelCount = 0;
    mFirstSampleRate = 0;
    mGuardGiven = false;
    mPendingSamples = 0;
    mBytesRead = 0;
    mDuration = 0.0;
    mFrameTotal = 0;
    mSynthesisedFrames = 0;
    mEstimatedFrameCount = 0;
    std::memset(&mFirstHeader, 0, sizeof(mFirstHeader));
    std::memset(&mMadStream, 0, sizeof(mMadStream));
    std::memset(&mMadFrame, 0, sizeof(mMadFrame));
    std::memset(&mMadSynth, 0, sizeof(mMadSynth));
}

bool QVSoundFileReaderLibMadLow::LowRefill()
{
    size_t kept = 0;
    if (mMadStream.buffer != nullptr && mMadStream.next_frame != nullptr) {
        kept = static_cast<size_t>(mMadStream.bufend - mMadStream.next_frame);
        if (kept > kQVMadInputSize)
            kept = 0;
        std::memmove(mInput, mMadStream.next_frame, kept);
    }
    if (mGuardGiven)
        return false;
    size_t const read = fread(mInput + kept, 1, kQVMadInputSize - kept, mStream);
    size_t length = kept + read;
    if (read == 0) {
        // The end of the stream: libmad decodes a frame only when
        // MAD_BUFFER_GUARD bytes follow it, so the last one needs these.
        std::memset(mInput + kept, 0, MAD_BUFFER_GUARD);
        length = kept + MAD_BUFFER_GUARD;
        mGuardGiven = true;
    }
    mBytesRead += read;
    mad_stream_buffer(&mMadStream, mInput, length);
    mMadStream.error = MAD_ERROR_NONE;
    return true;
}

int QVSoundFileReaderLibMadLow::LowNextFrame(unsigned int mode)
{
    for (;;) {
        if (mMadStream.buffer == nullptr || mMadStream.error == MAD_ERROR_BUFLEN) {
            if (!LowRefill())
                return 0;
        }
        int result;
        if (mode == kQVMadDecodeSynth) {
            result = mad_frame_decode(&mMadFrame, &mMadStream);
        } else {
            // The header part of mad_frame_decode, without the audio.
            mMadFrame.options = mMadStream.options;
            result = 0;
            if (!(mMadFrame.header.flags & MAD_FLAG_INCOMPLETE)) {
                result = mad_header_decode(&mMadFrame.header, &mMadStream);
                if (result != 0)
                    mMadStream.anc_bitlen = 0;
            }
            mMadFrame.header.flags &= ~MAD_FLAG_INCOMPLETE;
        }
        if (result == 0)
            break;
        if (MAD_RECOVERABLE(mMadStream.error)) {
            if (mMadStream.error != MAD_ERROR_LOSTSYNC)
                AKLogWarning(1, "Mad recoverable frame level error (%s)", mad_stream_errorstr(&mMadStream));
            continue;
        }
        if (mMadStream.error == MAD_ERROR_BUFLEN)
            continue;
        return AKLogError(kAKErrorMiscellaneous, "Mad unrecoverable frame level error (%s)",
                          mad_stream_errorstr(&mMadStream));
    }

    mad_header const& header = mMadFrame.header;
    mDuration += header.duration.seconds + static_cast<double>(header.duration.fraction) / MAD_TIMER_RESOLUTION;
    mFrameTotal += HeaderFrameCount(header);
    return 1;
}

void QVSoundFileReaderLibMadLow::LowConvertSynth(float* destination, unsigned int first, unsigned int count) const
{
    mad_pcm const& pcm = mMadSynth.pcm;
    mad_fixed_t const* left = pcm.samples[0] + first;
    if (mChannelCount == 1) {
        for (unsigned int i = 0; i < count; ++i)
            destination[i] = ConvertMadSample(left[i]);
        return;
    }
    // A one-channel frame inside a two-channel stream fills both channels.
    mad_fixed_t const* right = pcm.channels >= 2 ? pcm.samples[1] + first : left;
    for (unsigned int i = 0; i < count; ++i) {
        destination[2 * i] = ConvertMadSample(left[i]);
        destination[2 * i + 1] = ConvertMadSample(right[i]);
    }
}

unsigned long long QVSoundFileReaderLibMadLow::LowTakePending(float* destination, unsigned long long wanted)
{
    unsigned long long const pendingFrames = mPendingSamples / mChannelCount;
    unsigned long long const taken = pendingFrames < wanted ? pendingFrames : wanted;
    if (taken == 0)
        return 0;
    unsigned int const takenSamples = static_cast<unsigned int>(taken * mChannelCount);
    std::memcpy(destination, mPending, takenSamples * sizeof(float));
    mPendingSamples -= takenSamples;
    std::memmove(mPending, mPending + takenSamples, mPendingSamples * sizeof(float));
    return taken;
}

int QVSoundFileReaderLibMadLow::DecodeNextFrames(unsigned int mode, float* destination, unsigned long long wanted,
                                                 unsigned long long* done, bool* end)
{
    if (done != nullptr)
        *done = 0;
    if (end != nullptr)
        *end = false;
    if (mStream == nullptr || mode > kQVMadDecodeSynth)
        return -1;
    if (mode != kQVMadDecodeCount && wanted == 0)
        return 0;
    if (mode == kQVMadDecodeSynth && destination == nullptr)
        return -1;

    unsigned long long frames = 0;
    bool over = false;
    for (;;) {
        if (mode == kQVMadDecodeSynth) {
            // What is pending goes first; decoding resumes only once it is
            // all delivered, so nothing ever waits behind a full block.
            frames += LowTakePending(destination + frames * mChannelCount, wanted - frames);
            if (frames >= wanted)
                break;
        }
        int const next = LowNextFrame(mode);
        if (next < 0)
            return next;
        if (next == 0) {
            over = true;
            break;
        }
        if (mode == kQVMadDecodeCount)
            continue;
        if (mode == kQVMadDecodeSkip) {
            frames += HeaderFrameCount(mMadFrame.header);
            if (frames >= wanted)
                break;
            continue;
        }

        mad_synth_frame(&mMadSynth, &mMadFrame);
        unsigned int const length = mMadSynth.pcm.length;
        mSynthesisedFrames += length;
        // Straight to the request what it still wants, the rest pending.
        unsigned long long const left = wanted - frames;
        unsigned int const direct = left < length ? static_cast<unsigned int>(left) : length;
        LowConvertSynth(destination + frames * mChannelCount, 0, direct);
        frames += direct;
        if (direct < length) {
            LowConvertSynth(mPending + mPendingSamples, direct, length - direct);
            mPendingSamples += (length - direct) * mChannelCount;
        }
        if (frames >= wanted)
            break;
    }

    if (done != nullptr)
        *done = frames;
    if (end != nullptr)
        *end = over;
    return 0;
}

int LowComputeExactFrameCountOfMp3File(FILE* stream, unsigned long long* count)
{
    *count = 0;
    QVSoundFileReaderLibMadLow low;
    mad_header header;
    if (low.DecodeStart(stream, &header, nullptr) != 0)
        return -1;
    int const status = low.DecodeNextFrames(kQVMadDecodeCount, nullptr, 0, nullptr, nullptr);
    if (status == 0)
        *count = low.FrameTotal();
    low.DecodeFinish();
    return status;
}
