#include "QVSndFileFormats.h"

#include <climits>
#include <cstring>

namespace {

struct TMajorTypeFormat {
    int majorType;
    char const* format;
};

// Types that share a word (three WAV variants, two MAT versions) are read
// alike by the player.
constexpr TMajorTypeFormat kMajorTypeFormats[] = {
    {SF_FORMAT_WAV, "wav"},   {SF_FORMAT_AIFF, "aiff"}, {SF_FORMAT_AU, "au"},    {SF_FORMAT_RAW, "raw"},
    {SF_FORMAT_PAF, "paf"},   {SF_FORMAT_SVX, "iff"},   {SF_FORMAT_NIST, "wav"}, {SF_FORMAT_VOC, "voc"},
    {SF_FORMAT_IRCAM, "sf"},  {SF_FORMAT_W64, "w64"},   {SF_FORMAT_MAT4, "mat"}, {SF_FORMAT_MAT5, "mat"},
    {SF_FORMAT_PVF, "pvf"},   {SF_FORMAT_XI, "xi"},     {SF_FORMAT_HTK, "htk"},  {SF_FORMAT_SDS, "sds"},
    {SF_FORMAT_AVR, "avr"},   {SF_FORMAT_WAVEX, "wav"}, {SF_FORMAT_SD2, "sd2"},  {SF_FORMAT_FLAC, "flac"},
    {SF_FORMAT_CAF, "caf"},   {SF_FORMAT_WVE, "wve"},   {SF_FORMAT_OGG, "ogg"},  {SF_FORMAT_MPC2K, "mpc"},
    {SF_FORMAT_RF64, "rf64"},
};

// Endian field values, the format masked with SF_FORMAT_ENDMASK and shifted
// right by 28.
constexpr int kEndianFile = 0;
constexpr int kEndianLittle = 1;
constexpr int kEndianBig = 2;
constexpr int kEndianCpu = 3;

long long ToOffset(FILE* stream)
{
    off_t const position = ftello(stream);
    return position < 0 ? -1 : static_cast<long long>(position);
}

sf_count_t StreamLength(void* userData)
{
    FILE* stream = static_cast<FILE*>(userData);
    off_t const saved = ftello(stream);
    if (saved < 0 || fseeko(stream, 0, SEEK_END) != 0)
        return -1;
    off_t const length = ftello(stream);
    if (fseeko(stream, saved, SEEK_SET) != 0)
        return -1;
    return length;
}

sf_count_t StreamSeek(sf_count_t offset, int whence, void* userData)
{
    FILE* stream = static_cast<FILE*>(userData);
    if (fseeko(stream, static_cast<off_t>(offset), whence) != 0)
        return -1;
    return ToOffset(stream);
}

sf_count_t StreamRead(void* destination, sf_count_t count, void* userData)
{
    if (count <= 0)
        return 0;
    return static_cast<sf_count_t>(fread(destination, 1, static_cast<size_t>(count), static_cast<FILE*>(userData)));
}

sf_count_t StreamWrite(void const*, sf_count_t, void*) { return -1; }

sf_count_t StreamTell(void* userData) { return ToOffset(static_cast<FILE*>(userData)); }

}  // namespace

QVAudioFormat QVSndFileGetAudioFormat(int majorType)
{
    for (TMajorTypeFormat const& entry : kMajorTypeFormats) {
        if (entry.majorType == majorType)
            return QVAudioFormatFromAKString(entry.format);
    }
    return kQVNullAudioFormat;
}

unsigned int QVSndFileGetSubtypeBits(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 32;
    case SF_FORMAT_DOUBLE:
        return 64;
    default:
        return 0;
    }
}

QVAudioPCMInfo QVSndFileGetRawPCMInfo(int format)
{
    int const major = format & SF_FORMAT_TYPEMASK;
    int const subtype = format & SF_FORMAT_SUBMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_AIFF)
        return 0;
    unsigned int const bits = QVSndFileGetSubtypeBits(subtype);
    if (bits == 0)
        return 0;

    QVAudioPCMInfo info = static_cast<QVAudioPCMInfo>(bits);
    if (subtype == SF_FORMAT_PCM_U8)
        info |= kQVAudioPCMInfoUnsigned;
    else if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE)
        info |= kQVAudioPCMInfoFloat;

    // The processor's order is little-endian on every machine the player runs on.
    int const endian = static_cast<int>(static_cast<unsigned int>(format & SF_FORMAT_ENDMASK) >> 28);
    if (endian == kEndianLittle || endian == kEndianCpu)
        info |= kQVAudioPCMInfoLittleEndian;
    else if (endian == kEndianBig)
        info |= kQVAudioPCMInfoBigEndian;
    else if (endian == kEndianFile)
        info |= major == SF_FORMAT_AIFF ? kQVAudioPCMInfoBigEndian : kQVAudioPCMInfoLittleEndian;
    return info;
}

bool QVSndFileBuildWriteFormat(QVAudioFileInfo const& info, int* format)
{
    if (format != nullptr)
        *format = 0;
    if (!info.IsValid())
        return false;

    int major = 0;
    if (std::strcmp(info.format.text, "aif") == 0 || std::strcmp(info.format.text, "aiff") == 0)
        major = SF_FORMAT_AIFF;
    else if (std::strcmp(info.format.text, "wav") == 0)
        major = SF_FORMAT_WAV;
    else if (std::strcmp(info.format.text, "flac") == 0)
        major = SF_FORMAT_FLAC;
    else
        return false;

    QVAudioPCMInfo const pcm = info.pcmInfo;
    bool const isFloat = QVAudioPCMInfoIsFloat(pcm);
    bool const isUnsigned = QVAudioPCMInfoIsUnsigned(pcm);
    unsigned int const bits = QVAudioPCMInfoGetBitsPerSample(pcm);
    int subtype = 0;
    if (!isFloat && !isUnsigned) {
        subtype = bits == 8    ? SF_FORMAT_PCM_S8
                  : bits == 16 ? SF_FORMAT_PCM_16
                  : bits == 24 ? SF_FORMAT_PCM_24
                  : bits == 32 ? SF_FORMAT_PCM_32
                               : 0;
    } else if (!isFloat && isUnsigned) {
        subtype = bits == 8 ? SF_FORMAT_PCM_U8 : 0;
    } else if (isFloat && !isUnsigned) {
        subtype = bits == 32 ? SF_FORMAT_FLOAT : bits == 64 ? SF_FORMAT_DOUBLE : 0;
    }
    if (subtype == 0)
        return false;

    bool const big = (pcm & kQVAudioPCMInfoBigEndian) != 0;
    bool const little = (pcm & kQVAudioPCMInfoLittleEndian) != 0;
    if (big && little)
        return false;
    int const endian = big ? SF_ENDIAN_BIG : little ? SF_ENDIAN_LITTLE : 0;

    if (format != nullptr)
        *format = major | subtype | endian;
    return true;
}

SF_VIRTUAL_IO* QVSndFileStreamIO()
{
    static SF_VIRTUAL_IO sIO = {StreamLength, StreamSeek, StreamRead, StreamWrite, StreamTell};
    return &sIO;
}

int QVSndFileMeasureRawDataOffset(char const* systemPath, unsigned long long frames, unsigned long long frameBytes)
{
    FILE* stream = fopen(systemPath, "rb");
    if (stream == nullptr)
        return -1;
    long long offset = -1;
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    SNDFILE* handle = sf_open_virtual(QVSndFileStreamIO(), SFM_READ, &info, stream);
    if (handle != nullptr) {
        // libsndfile leaves its stream on the first sample of the frame it seeked to.
        if (sf_seek(handle, 0, SEEK_SET) == 0)
            offset = ToOffset(stream);
        sf_close(handle);
    }
    long long const length = offset >= 0 ? StreamLength(stream) : -1;
    fclose(stream);
    if (offset < 0 || offset > INT_MAX || length < offset || frameBytes == 0 ||
        frames > static_cast<unsigned long long>(length - offset) / frameBytes)
        return -1;
    return static_cast<int>(offset);
}
