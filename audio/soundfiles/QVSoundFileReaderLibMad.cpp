#include "QVSoundFileReaderLibMad.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVMP3FileCache.h"
#include "QVSoundFileReaderLibMadLow.h"

static char const* LayerName(unsigned int layer)
{
    switch (layer) {
    case MAD_LAYER_I:
        return "MPEG layer I";
    case MAD_LAYER_II:
        return "MPEG layer II";
    case MAD_LAYER_III:
        return "MPEG layer III";
    default:
        return "unexpected value";
    }
}

static char const* ModeName(unsigned int mode)
{
    static char const* const kNames[] = {"single channel", "dual channel", "joint stereo", "normal LR stereo"};
    return mode < 4 ? kNames[mode] : "unexpected value";
}

static char const* EmphasisName(unsigned int emphasis)
{
    static char const* const kNames[] = {"no", "50/15 us", "reserved", "CCITT J.17"};
    return emphasis < 4 ? kNames[emphasis] : "unexpected value";
}

// The header's flags in hexadecimal, then the names of those set.
static AKString FlagsText(int flags)
{
    struct FlagName {
        int flag;
        char const* name;
    };
    static FlagName const kNames[] = {
        {MAD_FLAG_INCOMPLETE, "INCOMPLETE"}, {MAD_FLAG_PROTECTION, "PROTECTION"},     {MAD_FLAG_COPYRIGHT, "COPYRIGHT"},
        {MAD_FLAG_ORIGINAL, "ORIGINAL"},     {MAD_FLAG_PADDING, "PADDING"},           {MAD_FLAG_I_STEREO, "I_STEREO"},
        {MAD_FLAG_MS_STEREO, "MS_STEREO"},   {MAD_FLAG_FREEFORMAT, "FREEFORMAT"},     {MAD_FLAG_LSF_EXT, "LSF_EXT"},
        {MAD_FLAG_MC_EXT, "MC_EXT"},         {MAD_FLAG_MPEG_2_5_EXT, "MPEG_2_5_EXT"},
    };
    AKString names;
    if ((flags & MAD_FLAG_NPRIVATE_III) == MAD_FLAG_NPRIVATE_III)
        names.Append("NPRIVATE_III");
    for (FlagName const& entry : kNames) {
        if ((flags & entry.flag) == 0)
            continue;
        if (!names.IsEmpty())
            names.Append(" / ");
        names.Append(entry.name);
    }
    if (names.IsEmpty())
        names = "no flag";
    AKString text;
    text.Assignf("%04X (%s)", static_cast<unsigned int>(flags) & 0xFFFF, names.c_str());
    return text;
}

QVSoundFileReader* QVSoundFileReaderLibMad::New(AKFilePath const& path) { return new QVSoundFileReaderLibMad(path); }

AKStringArray QVSoundFileReaderLibMad::GetRecognizedFileExtensions()
{
    AKStringArray extensions;
    extensions.Push(AKString("mp3"));
    return extensions;
}

QVSoundFileReaderLibMad::QVSoundFileReaderLibMad(AKFilePath const& path)
    : QVSoundFileReader("Mad", path), mLow(new QVSoundFileReaderLibMadLow)
{}

QVSoundFileReaderLibMad::~QVSoundFileReaderLibMad()
{
    Close();
    delete mLow;
}

int QVSoundFileReaderLibMad::Open()
{
    if (IsOpened())
        return AKLogError(kQVErrorSoundFileYetOpened, "The sound-file \"%s\" is already opened", mPath.c_str());
    if (mPath.IsEmpty())
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file \"%s\"", mPath.c_str());

    char systemPath[kAKSystemPathMaxSize];
    if (AKFileUtils::GetAsSystemPath(systemPath, mPath, false))
        mStream = fopen(systemPath, "rb");
    if (mStream == nullptr) {
        Close();
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file \"%s\"", mPath.c_str());
    }

    unsigned long long exactFrameCount = 0;
    mad_header header;
    unsigned long long estimate = 0;
    if (QVMP3FileCache::GetExactFrameCount(mPath, mStream, &exactFrameCount) != 0 ||
        mLow->DecodeStart(mStream, &header, &estimate) != 0) {
        Close();
        return AKLogError(kQVErrorSoundFileCantInit, "Can't init the MP3 decoder for sound-file \"%s\"", mPath.c_str());
    }

    double const blockDuration =
        header.duration.seconds + static_cast<double>(header.duration.fraction) / MAD_TIMER_RESOLUTION;
    mRawInfo.Clear();
    AppendRawInfoLine(&mRawInfo, "layer:", "%u (%s)", static_cast<unsigned int>(header.layer), LayerName(header.layer));
    AppendRawInfoLine(&mRawInfo, "mode:", "%u (%s)", static_cast<unsigned int>(header.mode), ModeName(header.mode));
    AppendRawInfoLine(&mRawInfo, "mode_ext:", "%d", header.mode_extension);
    AppendRawInfoLine(&mRawInfo, "emphasis:", "%u (%s)", static_cast<unsigned int>(header.emphasis),
                      EmphasisName(header.emphasis));
    AppendRawInfoLine(&mRawInfo, "bitrate:", "%lu", header.bitrate);
    AppendRawInfoLine(&mRawInfo, "samplerate:", "%u", header.samplerate);
    AppendRawInfoLine(&mRawInfo, "crc_check:", "%u", static_cast<unsigned int>(header.crc_check));
    AppendRawInfoLine(&mRawInfo, "crc_target:", "%u", static_cast<unsigned int>(header.crc_target));
    AppendRawInfoLine(&mRawInfo, "flags:", "%s", FlagsText(header.flags).c_str());
    AppendRawInfoLine(&mRawInfo, "priv_bits:", "%d", header.private_bits);
    AppendRawInfoLine(&mRawInfo, "block_duration:", "%.3f", blockDuration);
    AppendRawInfoLine(&mRawInfo, "block_frame_count:", "%llu",
                      static_cast<unsigned long long>(header.samplerate * blockDuration));
    AppendRawInfoLine(&mRawInfo, "exact_frame_count:", "%llu", exactFrameCount);
    AppendRawInfoLine(&mRawInfo, "estim_frame_count:", "%llu", estimate);
    AppendRawInfoLine(&mRawInfo, "file_data_pos:", "%llu", mLow->DataOffset());

    if (header.samplerate == 0 || header.bitrate == 0) {
        Close();
        return AKLogError(kQVErrorSoundFileCantGetInfo, "Can't get info of sound-file \"%s\"", mPath.c_str());
    }

    unsigned int const channels = header.mode == MAD_MODE_SINGLE_CHANNEL ? 1 : 2;
    mFileInfo.Clear();
    mFileInfo.SetupForRead(QVAudioFormatFromAKString("mp3"), channels, exactFrameCount, header.samplerate, 0,
                           header.bitrate * 0.001);
    mPosition = 0;
    mEndReached = false;
    return 0;
}

void QVSoundFileReaderLibMad::Close()
{
    if (mStream != nullptr) {
        mLow->DecodeFinish();
        fclose(mStream);
        mStream = nullptr;
    }
    mPosition = 0;
    mEndReached = false;
}

int QVSoundFileReaderLibMad::ReadNextFrames(float* frames, unsigned long long* count) const
{
    unsigned long long const wanted = count != nullptr ? *count : 0;
    if (count != nullptr)
        *count = 0;
    if (!IsOpened())
        return AKLogError(kQVErrorSoundFileNotOpened, "The sound-file \"%s\" is not opened", mPath.c_str());
    if (wanted > 0 && frames == nullptr)
        return AKLogError(kQVErrorSoundFileCantRead, "Can't read sound-file \"%s\"", mPath.c_str());

    unsigned long long delivered = 0;
    if (wanted > 0 && !mEndReached) {
        bool end = false;
        if (mLow->DecodeNextFrames(kQVMadDecodeSynth, frames, wanted, &delivered, &end) != 0) {
            // Nothing more can be decoded: what follows is made up of silence.
            mEndReached = true;
            ZeroTail(frames, wanted, 0);
            return AKLogError(kQVErrorSoundFileCantRead, "Can't read sound-file \"%s\"", mPath.c_str());
        }
        mEndReached = end;
        mPosition += delivered;
    }
    if (delivered > 0) {
        ZeroTail(frames, wanted, delivered);
        *count = delivered;
        return 0;
    }

    // The decoder gave fewer frames than the exact count (damaged frames were
    // dropped): silence makes up the difference. It counts as delivered, so
    // a caller reading until it gets no frame comes to an end.
    ZeroTail(frames, wanted, 0);
    unsigned long long const total = mFileInfo.frameCount;
    unsigned long long const owed = total > mPosition ? total - mPosition : 0;
    unsigned long long const silence = owed < wanted ? owed : wanted;
    if (silence > 0) {
        AKLogWarning(1, "Mad can't decode the current MP3 chunk, pass a zero buffer");
        mPosition += silence;
    }
    *count = silence;
    return 0;
}

int QVSoundFileReaderLibMad::SkipNextFrames(unsigned long long* count) const
{
    unsigned long long const wanted = count != nullptr ? *count : 0;
    if (count != nullptr)
        *count = 0;
    if (!IsOpened())
        return AKLogError(kQVErrorSoundFileNotOpened, "The sound-file \"%s\" is not opened", mPath.c_str());
    if (wanted == 0 || mEndReached)
        return 0;
    unsigned long long skipped = 0;
    if (mLow->DecodeNextFrames(kQVMadDecodeSkip, nullptr, wanted, &skipped, nullptr) != 0)
        return AKLogError(kQVErrorSoundFileCantSkip, "Can't skip in sound-file \"%s\"", mPath.c_str());
    mPosition += skipped;
    *count = skipped;
    return 0;
}
