#include "SoundFixtures.h"

#include "AKFileSystemText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace SoundFixtures {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvel-sound-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        ADD_FAILURE() << "can't create a temporary folder from " << pattern;
        return;
    }
    mPath = name.data();
}

TempFolder::~TempFolder()
{
    if (!mPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }
}

unsigned int ExactBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    default:
        return 24;
    }
}

namespace {

// Multiples of 2^-(bits-1): k / 2^(bits-1) for k in [-2^(bits-1), 2^(bits-1)).
float FromLevel(long long level, unsigned int bits) { return static_cast<float>(std::ldexp(level, -int(bits - 1))); }

bool IsIntegerFormat(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_PCM_U8:
        return true;
    default:
        return false;
    }
}

long long MaxLevel(unsigned int bits) { return (1ll << (bits - 1)) - 1; }

// A value spread over all `bits` bits, different for each frame and channel.
long long PatternLevel(unsigned long long frame, unsigned int channel, unsigned int bits)
{
    uint64_t h = (frame + 1) * 0x9E3779B97F4A7C15ull ^ (channel + 1) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<long long>(h >> (64 - bits)) - (1ll << (bits - 1));
}

}  // namespace

float SignalSample(Signal signal, unsigned long long frame, unsigned int channel, unsigned int bits)
{
    switch (signal) {
    case Signal::Pattern:
        return FromLevel(PatternLevel(frame, channel, bits), bits);
    case Signal::Extremes:
        return (frame + channel) % 2 == 0 ? -1.0f : FromLevel(MaxLevel(bits), bits);
    case Signal::Sine: {
        double const x = 0.5 * std::sin(2.0 * M_PI * 441.0 * static_cast<double>(frame) / 44100.0 + channel);
        return FromLevel(std::llround(std::ldexp(x, int(bits - 1))), bits);
    }
    case Signal::Silence:
        return 0.0f;
    case Signal::Spikes:
        return (frame + 97 - channel % 97) % 97 == 0 ? FromLevel(MaxLevel(bits), bits) : 0.0f;
    }
    return 0.0f;
}

std::vector<float> SignalFrames(Signal signal, unsigned int channels, unsigned long long frames, unsigned int bits)
{
    std::vector<float> samples(frames * channels);
    for (unsigned long long f = 0; f < frames; ++f) {
        for (unsigned int c = 0; c < channels; ++c)
            samples[f * channels + c] = SignalSample(signal, f, c, bits);
    }
    return samples;
}

bool WriteSoundFile(std::string const& path, SoundRecipe const& recipe)
{
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    info.samplerate = recipe.sampleRate;
    info.channels = static_cast<int>(recipe.channels);
    info.format = recipe.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        ADD_FAILURE() << "libsndfile can't write " << path << ": " << sf_strerror(nullptr);
        return false;
    }
    unsigned int const bits = ExactBits(recipe.format);
    std::vector<float> const samples = SignalFrames(recipe.signal, recipe.channels, recipe.frames, bits);
    sf_count_t written = 0;
    if (IsIntegerFormat(recipe.format)) {
        // Integers go left-justified: libsndfile shifts them into any size
        // without the rounding of its float path.
        std::vector<int> levels(samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
            levels[i] = static_cast<int>(std::ldexp(static_cast<double>(samples[i]), 31));
        written = sf_writef_int(file, levels.data(), static_cast<sf_count_t>(recipe.frames));
    } else {
        written = sf_writef_float(file, samples.data(), static_cast<sf_count_t>(recipe.frames));
    }
    sf_close(file);
    if (written != static_cast<sf_count_t>(recipe.frames)) {
        ADD_FAILURE() << "libsndfile wrote " << written << " of " << recipe.frames << " frames to " << path;
        return false;
    }
    return true;
}

std::vector<float> ReadSoundFile(std::string const& path, SF_INFO* info)
{
    SF_INFO local;
    std::memset(&local, 0, sizeof(local));
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &local);
    if (info != nullptr)
        *info = local;
    if (file == nullptr) {
        ADD_FAILURE() << "libsndfile can't read " << path << ": " << sf_strerror(nullptr);
        return {};
    }
    std::vector<float> samples(static_cast<size_t>(local.frames) * static_cast<size_t>(local.channels));
    sf_count_t const read = sf_readf_float(file, samples.data(), local.frames);
    sf_close(file);
    samples.resize(static_cast<size_t>(read > 0 ? read : 0) * static_cast<size_t>(local.channels));
    return samples;
}

AKFilePath EnginePath(std::string const& systemPath)
{
    AKString text;
    if (!AKEngineTextFromSystemText(systemPath, &text))
        ADD_FAILURE() << "no engine path for " << systemPath;
    return AKFilePath(text);
}

std::vector<unsigned char> ReadBytes(std::string const& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void WriteBytes(std::string const& path, std::vector<unsigned char> const& bytes)
{
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void TruncateFile(std::string const& path, unsigned long long size)
{
    std::error_code error;
    std::filesystem::resize_file(path, size, error);
    if (error)
        ADD_FAILURE() << "can't truncate " << path << ": " << error.message();
}

}  // namespace SoundFixtures
