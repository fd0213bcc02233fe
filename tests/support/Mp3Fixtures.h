#pragma once

// MP3 files for the tests, encoded here with LAME directly (never through the
// engine's writer), with optional ID3 tags and encoder information frame,
// plus a small frame-header walker that tells independently how many frames
// a file holds, and helpers that damage files in known ways.

#include <cstddef>
#include <string>
#include <vector>

using Mp3Bytes = std::vector<unsigned char>;

struct Mp3Recipe {
    unsigned int channels = 2;  // 1 or 2
    bool jointStereo = false;   // two channels only
    int sampleRate = 44100;
    int bitRate = 128;                  // kbit/s, constant
    unsigned long long frames = 22050;  // PCM frames given to the encoder
    double frequency = 1000.0;          // Hz, left channel
    double rightFrequency = 0.0;        // Hz, right channel; 0 for the left one's
    double amplitude = 0.5;
    bool infoFrame = false;             // an Info (Xing/LAME) frame first, filled once encoding ends
    bool id3v1 = false;                 // a 128-byte ID3v1 tag at the end
    unsigned int id3v2PayloadSize = 0;  // an ID3v2 tag at the start with this payload; 0 none
    bool id3v2Footer = false;
};

// The encoded file.
Mp3Bytes MakeMp3(Mp3Recipe const& recipe);

// An ID3v2.4 tag holding one text frame padded to `payloadSize` bytes (at
// least 16), with a footer when asked; and a 128-byte ID3v1 tag.
Mp3Bytes MakeId3v2Tag(unsigned int payloadSize, bool footer);
Mp3Bytes MakeId3v1Tag();

// --- Frame headers ---

struct Mp3FrameHeader {
    size_t length = 0;           // bytes, 0 when not a valid layer III header
    unsigned int pcmFrames = 0;  // 1152 (MPEG-1) or 576 (MPEG-2 and 2.5)
    int sampleRate = 0;
};
Mp3FrameHeader ParseMp3FrameHeader(unsigned char const* bytes, size_t available);

// Offsets of the consecutive frames from `start` until something that is no
// frame header (or too short a frame) is met.
std::vector<size_t> Mp3FrameOffsets(Mp3Bytes const& bytes, size_t start);
// Offset of the first frame: after a leading ID3v2 tag (and its footer).
size_t Mp3AudioStart(Mp3Bytes const& bytes);
// PCM frames of the file's audio frames, the Info frame excluded when the
// first frame is one.
unsigned long long Mp3PcmFrameCount(Mp3Bytes const& bytes);
// Whether the frame at `offset` carries a "Xing" or "Info" mark.
bool Mp3IsInfoFrame(Mp3Bytes const& bytes, size_t offset);

// Gives the frame header at `offset` the forbidden bit-rate index, which a
// decoder reports as a recoverable error and passes by.
void Mp3BreakFrameHeader(Mp3Bytes* bytes, size_t offset);

// --- Files ---

// A temporary folder, removed with what it holds when the object goes.
class Mp3TempDir
{
public:
    Mp3TempDir();
    ~Mp3TempDir();
    Mp3TempDir(Mp3TempDir const&) = delete;
    Mp3TempDir& operator=(Mp3TempDir const&) = delete;

    // The UTF-8 system path of a file name in the folder.
    std::string Path(std::string const& name) const;
    std::string const& Dir() const { return mDir; }

private:
    std::string mDir;
};

bool WriteMp3File(std::string const& systemPath, Mp3Bytes const& bytes);
Mp3Bytes ReadMp3File(std::string const& systemPath);
