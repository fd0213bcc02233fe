#pragma once

// Sound files for tests, written and read back with libsndfile only, never
// with the player's own writers, inside a temporary folder of the test's own.
//
// Every signal is made of multiples of 2^-(bits-1) in [-1, 1), so a file
// whose samples keep that many bits stores it exactly: writing goes through
// libsndfile's 32-bit integer path (left-justified), which every sample type
// takes without rounding, and reading as floats gives the values back.

#include "AKFilePath.h"

#include <sndfile.h>

#include <string>
#include <vector>

namespace SoundFixtures {

// A new folder under the system's temporary folder, removed with everything
// in it when the object dies.
class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(TempFolder const&) = delete;
    TempFolder& operator=(TempFolder const&) = delete;

    std::string const& Path() const { return mPath; }
    // The path of a file of that name in the folder (not created).
    std::string File(std::string const& name) const { return mPath + "/" + name; }

private:
    std::string mPath;
};

enum class Signal {
    Pattern,   // a different value at every frame and channel, using every bit
    Extremes,  // full scale: -1 and the largest value below 1, alternating
    Sine,      // a 441 Hz sine at half scale, a phase step per channel
    Silence,   // zeros
    Spikes,    // zeros with one largest value every 97 frames, a frame later per channel
};

// Bits a libsndfile format code keeps exactly: 8, 16 or 24 for integer
// samples of that size, 24 for every other sample type (32-bit integers and
// floats hold 24 bits in a float).
unsigned int ExactBits(int format);

// One sample of a signal with `bits` significant bits.
float SignalSample(Signal signal, unsigned long long frame, unsigned int channel, unsigned int bits);
// Interleaved frames of a signal.
std::vector<float> SignalFrames(Signal signal, unsigned int channels, unsigned long long frames, unsigned int bits);

struct SoundRecipe {
    int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    unsigned int channels = 2;
    unsigned long long frames = 1000;
    int sampleRate = 44100;
    Signal signal = Signal::Pattern;
};

// Writes the described signal, with ExactBits(format) bits, into a new file.
// Reports a test failure and answers false when libsndfile refuses.
bool WriteSoundFile(std::string const& path, SoundRecipe const& recipe);

// The whole file read with libsndfile as interleaved floats; `info` (may be
// null) receives its description. Empty, with a test failure, when the file
// does not open.
std::vector<float> ReadSoundFile(std::string const& path, SF_INFO* info = nullptr);

// The engine path of a file-system path (UTF-8); the name must be one the
// engine's text can hold.
AKFilePath EnginePath(std::string const& systemPath);

// Plain bytes of a file.
std::vector<unsigned char> ReadBytes(std::string const& path);
void WriteBytes(std::string const& path, std::vector<unsigned char> const& bytes);
// Keeps the first `size` bytes of a file.
void TruncateFile(std::string const& path, unsigned long long size);

}  // namespace SoundFixtures
