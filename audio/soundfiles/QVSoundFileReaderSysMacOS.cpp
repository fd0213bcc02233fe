#include "QVSoundFileReaderSysMacOS.h"

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVSoundFileExtensions.h"
#include "QVSysAudioFile.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

struct TFileTypeFormat {
    unsigned int fileType;
    char const* format;
};

constexpr TFileTypeFormat kFileTypeFormats[] = {
    {QVSysFourCC("WAVE"), "wav"}, {QVSysFourCC("AIFF"), "aiff"}, {QVSysFourCC("AIFC"), "aifc"},
    {QVSysFourCC("caff"), "caf"}, {QVSysFourCC("NeXT"), "au"},   {QVSysFourCC("Sd2f"), "sd2"},
    {QVSysFourCC("MPG1"), "mp1"}, {QVSysFourCC("MPG2"), "mp2"},  {QVSysFourCC("MPG3"), "mp3"},
    {QVSysFourCC("adts"), "aac"}, {QVSysFourCC("ac-3"), "ac3"},  {QVSysFourCC("m4af"), "m4a"},
    {QVSysFourCC("mp4f"), "mp4"}, {QVSysFourCC("3gpp"), "3gp"},  {QVSysFourCC("3gp2"), "3g2"},
    {QVSysFourCC("amrf"), "amr"},
};

QVAudioFormat FormatOfFileType(unsigned int fileType)
{
    for (TFileTypeFormat const& entry : kFileTypeFormats) {
        if (entry.fileType == fileType)
            return QVAudioFormatFromAKString(entry.format);
    }
    return kQVNullAudioFormat;
}

// A compressed stream describes no bits per channel. The lossless format
// carries its source depth in its flags (1 to 4); other compressed formats
// have none to tell.
unsigned int BitsOfCompressedFormat(unsigned int formatID, unsigned int formatFlags)
{
    if (formatID != QVSysFourCC("alac"))
        return 0;
    switch (formatFlags) {
    case 1:
        return 16;
    case 2:
        return 20;
    case 3:
        return 24;
    case 4:
        return 32;
    default:
        return 0;
    }
}

// The four bytes of a code as they lie in memory.
AKString CodeBytes(unsigned int code)
{
    char bytes[4];
    std::memcpy(bytes, &code, sizeof(bytes));
    return AKString(bytes, 4);
}

// One converting read carries at most this many bytes (a 32-bit size).
constexpr unsigned long long kMaxReadBytes = 0xFFFFFFFFull;

}  // namespace

QVSoundFileReader* QVSoundFileReaderSysMacOS::New(AKFilePath const& path)
{
    return new QVSoundFileReaderSysMacOS(path);
}

AKStringArray QVSoundFileReaderSysMacOS::GetRecognizedFileExtensions()
{
    static AKStringArray const sExtensions = [] {
        AKStringArray extensions;
        if (QVSysAudioFile::Get().GetAllExtensions(&extensions) != 0)
            extensions.Clear();
        QVSoundFileExtensionsNormalize(&extensions);
        return extensions;
    }();
    return sExtensions;
}

QVSoundFileReaderSysMacOS::QVSoundFileReaderSysMacOS(AKFilePath const& path) : QVSoundFileReader("CoreAudio", path) {}

QVSoundFileReaderSysMacOS::~QVSoundFileReaderSysMacOS() { Close(); }

void QVSoundFileReaderSysMacOS::FillRawInfo(unsigned int fileType, unsigned int bitRate, long long dataOffset,
                                            long long frames, QVSysStreamDescription const& d)
{
    mRawInfo.Clear();
    AppendRawInfoLine(&mRawInfo, "Format:", "[%s]", CodeBytes(fileType).c_str());
    AppendRawInfoLine(&mRawInfo, "FormatID:", "[%s]", CodeBytes(d.formatID).c_str());
    AppendRawInfoLine(&mRawInfo, "FormatFlags:", "%u", d.formatFlags);
    AppendRawInfoLine(&mRawInfo, "BytesPerPacket:", "%u", d.bytesPerPacket);
    AppendRawInfoLine(&mRawInfo, "FramesPerPacket:", "%u", d.framesPerPacket);
    AppendRawInfoLine(&mRawInfo, "BytesPerFrame:", "%u", d.bytesPerFrame);
    AppendRawInfoLine(&mRawInfo, "ChannelsPerFrame:", "%u", d.channelsPerFrame);
    AppendRawInfoLine(&mRawInfo, "BitsPerChannel:", "%u", d.bitsPerChannel);
    AppendRawInfoLine(&mRawInfo, "Reserved:", "%u", d.reserved);
    AppendRawInfoLine(&mRawInfo, "SampleRate:", "%.3lf", d.sampleRate);
    AppendRawInfoLine(&mRawInfo, "FrameOffset:", "%lld", dataOffset);
    AppendRawInfoLine(&mRawInfo, "FrameCount:", "%lld", frames);
    AppendRawInfoLine(&mRawInfo, "BitRate:", "%u", bitRate);
}

int QVSoundFileReaderSysMacOS::Open()
{
    if (IsOpened())
        return AKLogError(kQVErrorSoundFileYetOpened, "The sound-file \"%s\" is already opened", mPath.c_str());
    if (mPath.IsEmpty())
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file \"%s\"", mPath.c_str());

    mServices = &QVSysAudioFile::Get();
    char systemPath[kAKSystemPathMaxSize];
    if (!AKFileUtils::GetAsSystemPath(systemPath, mPath, false) || mServices->OpenFile(systemPath, &mFile) != 0 ||
        mServices->WrapFile(mFile, &mExtFile) != 0) {
        Close();
        return AKLogError(kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file \"%s\"", mPath.c_str());
    }

    unsigned int fileType = 0;
    unsigned int bitRate = 0;
    long long dataOffset = 0;
    long long frames = 0;
    QVSysStreamDescription description;
    std::memset(&description, 0, sizeof(description));
    if (mServices->GetFileType(mFile, &fileType) != 0 || mServices->GetBitRate(mFile, &bitRate) != 0 ||
        mServices->GetDataOffset(mFile, &dataOffset) != 0 || mServices->GetFileLengthFrames(mExtFile, &frames) != 0 ||
        mServices->GetFileDataFormat(mExtFile, &description) != 0) {
        Close();
        return AKLogError(kQVErrorSoundFileCantGetInfo, "Can't get info of sound-file \"%s\"", mPath.c_str());
    }

    FillRawInfo(fileType, bitRate, dataOffset, frames, description);

    unsigned int const channels = description.channelsPerFrame;
    double const rate = description.sampleRate;
    if (channels == 0 || frames < 0 || !(rate > 0.0)) {
        Close();
        return AKLogError(kQVErrorSoundFileCantGetInfo, "Can't get info of sound-file \"%s\"", mPath.c_str());
    }

    QVAudioFormat const format = FormatOfFileType(fileType);
    double const kbitRate = bitRate * 0.001;
    unsigned long long const frameCount = static_cast<unsigned long long>(frames);
    if (description.formatID == kQVSysAudioFormatLinearPCM) {
        QVAudioPCMInfo pcmInfo = static_cast<QVAudioPCMInfo>(description.bitsPerChannel);
        if (description.formatFlags & kQVSysAudioFormatFlagIsFloat)
            pcmInfo |= kQVAudioPCMInfoFloat;
        else if (!(description.formatFlags & kQVSysAudioFormatFlagIsSignedInteger))
            pcmInfo |= kQVAudioPCMInfoUnsigned;
        pcmInfo |= (description.formatFlags & kQVSysAudioFormatFlagIsBigEndian) ? kQVAudioPCMInfoBigEndian
                                                                                : kQVAudioPCMInfoLittleEndian;
        // An offset beyond 31 bits cannot be mapped: the file is decoded instead.
        int const offset = dataOffset >= 0 && dataOffset <= INT_MAX ? static_cast<int>(dataOffset) : -1;
        mFileInfo.SetupForMemMap(format, channels, frameCount, rate, pcmInfo, offset, kbitRate);
    } else {
        unsigned int const bits = description.bitsPerChannel != 0
                                      ? description.bitsPerChannel
                                      : BitsOfCompressedFormat(description.formatID, description.formatFlags);
        mFileInfo.SetupForRead(format, channels, frameCount, rate, bits, kbitRate);
    }

    QVSysStreamDescription client;
    std::memset(&client, 0, sizeof(client));
    client.sampleRate = rate;
    client.formatID = kQVSysAudioFormatLinearPCM;
    client.formatFlags = kQVSysAudioFormatFlagIsFloat;
    client.bytesPerPacket = 4 * channels;
    client.framesPerPacket = 1;
    client.bytesPerFrame = 4 * channels;
    client.channelsPerFrame = channels;
    client.bitsPerChannel = 32;
    if (mServices->SetClientDataFormat(mExtFile, client) != 0 || mServices->Tell(mExtFile, &mOrigin) != 0) {
        Close();
        return AKLogError(kQVErrorSoundFileCantInit, "Can't init the decoder for sound-file \"%s\"", mPath.c_str());
    }

    mPosition = 0;
    mEndReached = false;
    return 0;
}

void QVSoundFileReaderSysMacOS::Close()
{
    if (mServices != nullptr) {
        if (mExtFile != nullptr)
            mServices->DisposeExtFile(mExtFile);
        if (mFile != nullptr)
            mServices->CloseFile(mFile);
    }
    mExtFile = nullptr;
    mFile = nullptr;
    mServices = nullptr;
    mOrigin = 0;
    mPosition = 0;
    mEndReached = false;
}

int QVSoundFileReaderSysMacOS::ReadNextFrames(float* frames, unsigned long long* count) const
{
    int refused = 0;
    if (!BeginTransfer(count, &refused))
        return refused;

    unsigned long long const wanted = *count;
    unsigned int const channels = mFileInfo.channelCount;
    unsigned long long delivered = 0;
    int status = 0;
    if (wanted > 0 && !mEndReached && frames != nullptr && channels > 0) {
        // The services count frames and bytes in 32 bits: long requests go in pieces.
        unsigned long long const maxPiece = kMaxReadBytes / (4ull * channels);
        while (delivered < wanted) {
            unsigned int piece = static_cast<unsigned int>(std::min(wanted - delivered, maxPiece));
            QVSysAudioBuffer buffer = {channels, static_cast<unsigned int>(piece * 4ull * channels),
                                       frames + delivered * channels};
            if (mServices->Read(mExtFile, &piece, &buffer) != 0) {
                status = AKLogError(kQVErrorSoundFileCantRead, "Can't read sound-file \"%s\"", mPath.c_str());
                delivered = 0;
                break;
            }
            if (piece == 0)
                break;
            delivered += std::min<unsigned long long>(piece, wanted - delivered);
        }
        if (status == 0) {
            mPosition += delivered;
            mEndReached = delivered == 0;
        }
    }
    ZeroTail(frames, wanted, delivered);
    *count = delivered;
    return status;
}

int QVSoundFileReaderSysMacOS::SkipNextFrames(unsigned long long* count) const
{
    int refused = 0;
    if (!BeginTransfer(count, &refused))
        return refused;
    if (*count == 0 || mEndReached) {
        *count = 0;
        return 0;
    }
    long long before = 0;
    long long after = 0;
    // Tell counts from the origin the services reported at opening; Seek does not.
    if (mServices->Tell(mExtFile, &before) != 0 ||
        mServices->Seek(mExtFile, before + static_cast<long long>(*count) - mOrigin) != 0 ||
        mServices->Tell(mExtFile, &after) != 0 || after < before) {
        *count = 0;
        return AKLogError(kQVErrorSoundFileCantSkip, "Can't skip in sound-file \"%s\"", mPath.c_str());
    }
    *count = static_cast<unsigned long long>(after - before);
    mPosition += *count;
    return 0;
}
