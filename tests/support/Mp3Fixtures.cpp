#include "Mp3Fixtures.h"

#include <lame/lame.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static constexpr double kPi = 3.14159265358979323846;

Mp3Bytes MakeMp3(Mp3Recipe const& recipe)
{
    lame_t lame = lame_init();
    if (lame == nullptr)
        return {};
    MPEG_mode const mode = recipe.channels == 1 ? MONO : (recipe.jointStereo ? JOINT_STEREO : STEREO);
    lame_set_num_channels(lame, static_cast<int>(recipe.channels));
    lame_set_in_samplerate(lame, recipe.sampleRate);
    lame_set_out_samplerate(lame, recipe.sampleRate);
    lame_set_mode(lame, mode);
    lame_set_brate(lame, recipe.bitRate);
    lame_set_bWriteVbrTag(lame, recipe.infoFrame ? 1 : 0);
    if (lame_init_params(lame) != 0) {
        lame_close(lame);
        return {};
    }

    size_t const frames = static_cast<size_t>(recipe.frames);
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    double const rightFrequency = recipe.rightFrequency > 0.0 ? recipe.rightFrequency : recipe.frequency;
    for (size_t i = 0; i < frames; ++i) {
        double const t = static_cast<double>(i) / recipe.sampleRate;
        left[i] = static_cast<float>(recipe.amplitude * std::sin(2.0 * kPi * recipe.frequency * t));
        right[i] = static_cast<float>(recipe.amplitude * std::sin(2.0 * kPi * rightFrequency * t));
    }

    Mp3Bytes audio;
    std::vector<unsigned char> block(static_cast<size_t>(1.25 * 8192 + 7200));
    for (size_t done = 0; done < frames;) {
        int const slice = static_cast<int>(frames - done < 8192 ? frames - done : 8192);
        int const bytes = lame_encode_buffer_ieee_float(lame, left.data() + done, right.data() + done, slice,
                                                        block.data(), static_cast<int>(block.size()));
        if (bytes < 0) {
            lame_close(lame);
            return {};
        }
        audio.insert(audio.end(), block.begin(), block.begin() + bytes);
        done += static_cast<size_t>(slice);
    }
    int const flushed = lame_encode_flush(lame, block.data(), static_cast<int>(block.size()));
    if (flushed > 0)
        audio.insert(audio.end(), block.begin(), block.begin() + flushed);
    if (recipe.infoFrame) {
        // The encoder began with a blank frame of the same size: fill it.
        unsigned char tag[4096];
        size_t const tagBytes = lame_get_lametag_frame(lame, tag, sizeof(tag));
        if (tagBytes > 0 && tagBytes <= audio.size())
            std::memcpy(audio.data(), tag, tagBytes);
    }
    lame_close(lame);

    Mp3Bytes file;
    if (recipe.id3v2PayloadSize > 0)
        file = MakeId3v2Tag(recipe.id3v2PayloadSize, recipe.id3v2Footer);
    file.insert(file.end(), audio.begin(), audio.end());
    if (recipe.id3v1) {
        Mp3Bytes const tag = MakeId3v1Tag();
        file.insert(file.end(), tag.begin(), tag.end());
    }
    return file;
}

static void PutSynchsafe(unsigned char* out, unsigned int value)
{
    out[0] = static_cast<unsigned char>((value >> 21) & 0x7F);
    out[1] = static_cast<unsigned char>((value >> 14) & 0x7F);
    out[2] = static_cast<unsigned char>((value >> 7) & 0x7F);
    out[3] = static_cast<unsigned char>(value & 0x7F);
}

Mp3Bytes MakeId3v2Tag(unsigned int payloadSize, bool footer)
{
    if (payloadSize < 16)
        payloadSize = 16;
    Mp3Bytes tag(10 + payloadSize + (footer ? 10 : 0), 0);
    std::memcpy(tag.data(), "ID3", 3);
    tag[3] = 4;
    tag[5] = footer ? 0x10 : 0x00;
    PutSynchsafe(&tag[6], payloadSize);
    // One title frame; the rest of the payload is padding.
    static char const kTitle[] = "Sine";
    unsigned char* frame = &tag[10];
    std::memcpy(frame, "TIT2", 4);
    PutSynchsafe(frame + 4, 1 + sizeof(kTitle) - 1);
    frame[10] = 3;  // UTF-8
    std::memcpy(frame + 11, kTitle, sizeof(kTitle) - 1);
    if (footer) {
        unsigned char* end = &tag[10 + payloadSize];
        std::memcpy(end, "3DI", 3);
        end[3] = 4;
        end[5] = 0x10;
        PutSynchsafe(end + 6, payloadSize);
    }
    return tag;
}

Mp3Bytes MakeId3v1Tag()
{
    Mp3Bytes tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(&tag[3], "Sine", 4);
    std::memcpy(&tag[33], "Tests", 5);
    tag[127] = 255;  // no genre
    return tag;
}

Mp3FrameHeader ParseMp3FrameHeader(unsigned char const* bytes, size_t available)
{
    static int const kRatesMpeg1[3] = {44100, 48000, 32000};
    static int const kBitRatesMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static int const kBitRatesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    Mp3FrameHeader header;
    if (available < 4 || bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0)
        return header;
    unsigned int const version = (bytes[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    unsigned int const layer = (bytes[1] >> 1) & 3;    // 1 layer III
    unsigned int const bitRateIndex = bytes[2] >> 4;
    unsigned int const rateIndex = (bytes[2] >> 2) & 3;
    unsigned int const padding = (bytes[2] >> 1) & 1;
    if (version == 1 || layer != 1 || rateIndex == 3)
        return header;
    bool const mpeg1 = version == 3;
    int const bitRate = (mpeg1 ? kBitRatesMpeg1 : kBitRatesMpeg2)[bitRateIndex];
    if (bitRate == 0)
        return header;
    int const rate = kRatesMpeg1[rateIndex] / (mpeg1 ? 1 : (version == 2 ? 2 : 4));
    header.sampleRate = rate;
    header.pcmFrames = mpeg1 ? 1152 : 576;
    header.length = static_cast<size_t>((mpeg1 ? 144 : 72) * bitRate * 1000 / rate) + padding;
    return header;
}

std::vector<size_t> Mp3FrameOffsets(Mp3Bytes const& bytes, size_t start)
{
    std::vector<size_t> offsets;
    size_t offset = start;
    while (offset < bytes.size()) {
        Mp3FrameHeader const header = ParseMp3FrameHeader(bytes.data() + offset, bytes.size() - offset);
        if (header.length == 0 || offset + header.length > bytes.size())
            break;
        offsets.push_back(offset);
        offset += header.length;
    }
    return offsets;
}

size_t Mp3AudioStart(Mp3Bytes const& bytes)
{
    if (bytes.size() < 10 || std::memcmp(bytes.data(), "ID3", 3) != 0)
        return 0;
    size_t const size = (static_cast<size_t>(bytes[6]) << 21) | (static_cast<size_t>(bytes[7]) << 14) |
                        (static_cast<size_t>(bytes[8]) << 7) | bytes[9];
    return 10 + size + ((bytes[5] & 0x10) ? 10 : 0);
}

bool Mp3IsInfoFrame(Mp3Bytes const& bytes, size_t offset)
{
    Mp3FrameHeader const header = ParseMp3FrameHeader(bytes.data() + offset, bytes.size() - offset);
    if (header.length == 0)
        return false;
    for (size_t i = offset + 4; i + 4 <= offset + header.length && i < offset + 64; ++i) {
        if (std::memcmp(&bytes[i], "Xing", 4) == 0 || std::memcmp(&bytes[i], "Info", 4) == 0)
            return true;
    }
    return false;
}

unsigned long long Mp3PcmFrameCount(Mp3Bytes const& bytes)
{
    std::vector<size_t> const offsets = Mp3FrameOffsets(bytes, Mp3AudioStart(bytes));
    unsigned long long count = 0;
    for (size_t i = 0; i < offsets.size(); ++i) {
        if (i == 0 && Mp3IsInfoFrame(bytes, offsets[0]))
            continue;
        count += ParseMp3FrameHeader(bytes.data() + offsets[i], bytes.size() - offsets[i]).pcmFrames;
    }
    return count;
}

void Mp3BreakFrameHeader(Mp3Bytes* bytes, size_t offset)
{
    if (offset + 4 <= bytes->size())
        (*bytes)[offset + 2] |= 0xF0;
}

Mp3TempDir::Mp3TempDir()
{
    char const* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] == '/' ? base : "/tmp") + "/mp3fixtures_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr)
        mDir = buffer.data();
}

Mp3TempDir::~Mp3TempDir()
{
    if (mDir.empty())
        return;
    if (DIR* dir = opendir(mDir.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlink((mDir + "/" + entry->d_name).c_str());
        }
        closedir(dir);
    }
    rmdir(mDir.c_str());
}

std::string Mp3TempDir::Path(std::string const& name) const { return mDir + "/" + name; }

bool WriteMp3File(std::string const& systemPath, Mp3Bytes const& bytes)
{
    FILE* file = std::fopen(systemPath.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool const written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

Mp3Bytes ReadMp3File(std::string const& systemPath)
{
    Mp3Bytes bytes;
    FILE* file = std::fopen(systemPath.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    unsigned char block[65536];
    size_t read;
    while ((read = std::fread(block, 1, sizeof(block), file)) > 0)
        bytes.insert(bytes.end(), block, block + read);
    std::fclose(file);
    return bytes;
}
