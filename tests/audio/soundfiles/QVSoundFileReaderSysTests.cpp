// The system reader's own logic over scripted system services: how it
// describes a file from the properties the services report, reading and
// skipping through the converting reader, and every refusal.

#include "FakeSysAudioFile.h"
#include "LogCapture.h"
#include "QVSoundFileReaderSysMacOS.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using namespace SoundFixtures;

namespace {

unsigned int Code(char const* text) { return QVSysFourCC({text[0], text[1], text[2], text[3], '\0'}); }

class SysReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { QVSysAudioFile::Install(&mServices); }
    void TearDown() override
    {
        QVSysAudioFile::Install(nullptr);
        EXPECT_EQ(mServices.liveHandles, 0);
    }

    // A scripted file of `frames` frames of the pattern, whose path exists.
    FakeSysFile& Script(std::string const& name, unsigned int channels, long long frames)
    {
        std::string const path = mFolder.File(name);
        WriteBytes(path, {0});
        FakeSysFile& file = mServices.files[path];
        file.description.channelsPerFrame = channels;
        file.frames = frames;
        file.samples = SignalFrames(Signal::Pattern, channels, static_cast<unsigned long long>(frames), 24);
        return file;
    }

    std::unique_ptr<QVSoundFileReader> Reader(std::string const& name)
    {
        return std::unique_ptr<QVSoundFileReader>(QVSoundFileReaderSysMacOS::New(AKFilePath(mFolder.File(name))));
    }

    TempFolder mFolder;
    FakeSysAudioFile mServices;
};

struct DescriptionCase {
    char const* label;
    char const* fileType;
    char const* formatID;
    unsigned int flags;
    unsigned int bits;
    char const* word;
    QVAudioPCMInfo pcmInfo;
    unsigned int bitsPerSample;
};

DescriptionCase const kDescriptionCases[] = {
    {"wav 24-bit", "WAVE", "lpcm", 0x4, 24, "wav", 0x818, 24},
    {"wav 8-bit unsigned", "WAVE", "lpcm", 0x0, 8, "wav", 0xA08, 8},
    {"caf float little", "caff", "lpcm", 0x1, 32, "caf", 0x920, 32},
    {"caf float big", "caff", "lpcm", 0x3, 32, "caf", 0x520, 32},
    {"aiff 16-bit", "AIFF", "lpcm", 0x6, 16, "aiff", 0x410, 16},
    {"aifc double", "AIFC", "lpcm", 0x3, 64, "aifc", 0x540, 64},
    {"m4a aac", "m4af", "aac ", 0x0, 0, "m4a", 0, 0},
    {"m4a lossless 16", "m4af", "alac", 0x1, 0, "m4a", 0, 16},
    {"m4a lossless 24", "m4af", "alac", 0x3, 0, "m4a", 0, 24},
    {"m4a aac main", "m4af", "aac ", 0x1, 0, "m4a", 0, 0},
    {"mp3", "MPG3", ".mp3", 0x0, 0, "mp3", 0, 0},
    // Without a format word the file cannot be described: only its audio part stays.
    {"unknown type", "zzzz", "lpcm", 0x4, 16, "", 0, 0},
};

TEST_F(SysReaderTest, DescribesFilesFromTheReportedProperties)
{
    for (DescriptionCase const& c : kDescriptionCases) {
        SCOPED_TRACE(c.label);
        FakeSysFile& file = Script("file.any", 2, 1000);
        file.fileType = Code(c.fileType);
        file.description.formatID = Code(c.formatID);
        file.description.formatFlags = c.flags;
        file.description.bitsPerChannel = c.bits;
        file.dataOffset = 4096;
        file.bitRate = 256000;

        std::unique_ptr<QVSoundFileReader> reader = Reader("file.any");
        ASSERT_EQ(reader->Open(), 0);
        QVAudioFileInfo const& info = reader->GetFileInfo();
        EXPECT_STREQ(info.format.text, c.word);
        EXPECT_EQ(info.pcmInfo, c.pcmInfo);
        EXPECT_EQ(info.bitsPerSample, c.bitsPerSample);
        bool const mapped = c.pcmInfo != 0;
        EXPECT_EQ(info.rawDataOffset, mapped ? 4096 : -1);
        EXPECT_EQ(reader->IsSkipNextFramesSafe(), mapped);
        EXPECT_EQ(info.channelCount, 2u);
        EXPECT_EQ(info.frameCount, 1000u);
        EXPECT_EQ(info.sampleRate, 44100.0);
        EXPECT_EQ(info.bitRate, c.word[0] == '\0' ? 0.0 : 256.0);

        // The converting reader is asked for interleaved native floats.
        QVSysStreamDescription const& client = mServices.lastClientFormat;
        EXPECT_EQ(client.sampleRate, 44100.0);
        EXPECT_EQ(client.formatID, kQVSysAudioFormatLinearPCM);
        EXPECT_EQ(client.formatFlags, kQVSysAudioFormatFlagIsFloat);
        EXPECT_EQ(client.bytesPerPacket, 8u);
        EXPECT_EQ(client.framesPerPacket, 1u);
        EXPECT_EQ(client.bytesPerFrame, 8u);
        EXPECT_EQ(client.channelsPerFrame, 2u);
        EXPECT_EQ(client.bitsPerChannel, 32u);
    }
}

TEST_F(SysReaderTest, RawInfoListsTheReportedProperties)
{
    FakeSysFile& file = Script("raw.wav", 2, 1234);
    file.description.bytesPerFrame = 4;
    std::unique_ptr<QVSoundFileReader> reader = Reader("raw.wav");
    ASSERT_EQ(reader->Open(), 0);
    EXPECT_EQ(reader->GetName(), AKString("CoreAudio"));
    // Codes are shown as their bytes lie in memory, little-endian here.
    EXPECT_EQ(reader->GetRawInfo(), AKString("Format:             [EVAW]\n"
                                             "FormatID:           [mcpl]\n"
                                             "FormatFlags:        4\n"
                                             "BytesPerPacket:     4\n"
                                             "FramesPerPacket:    1\n"
                                             "BytesPerFrame:      4\n"
                                             "ChannelsPerFrame:   2\n"
                                             "BitsPerChannel:     16\n"
                                             "Reserved:           0\n"
                                             "SampleRate:         44100.000\n"
                                             "FrameOffset:        44\n"
                                             "FrameCount:         1234\n"
                                             "BitRate:            1411200\n"));
}

TEST_F(SysReaderTest, ReadsThroughTheConvertingReader)
{
    Script("read.wav", 2, 1600);
    std::vector<float> const expected = SignalFrames(Signal::Pattern, 2, 1600, 24);
    std::unique_ptr<QVSoundFileReader> reader = Reader("read.wav");
    ASSERT_EQ(reader->Open(), 0);

    std::vector<float> buffer(2000, 7.0f);
    unsigned long long count = 1000;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 1000u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), expected.begin()));

    std::fill(buffer.begin(), buffer.end(), 7.0f);
    count = 1000;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 600u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 1200, expected.begin() + 2000));
    EXPECT_TRUE(std::all_of(buffer.begin() + 1200, buffer.end(), [](float x) { return x == 0.0f; }));

    count = 1000;
    ASSERT_EQ(reader->ReadNextFrames(buffer.data(), &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(reader->IsEndReached());
    EXPECT_EQ(reader->GetPosition(), 1600u);
}

// Tell counts from the origin the services report after opening (priming
// frames of a decoder), Seek does not: a skip lands on the asked frame.
TEST_F(SysReaderTest, SkipAccountsForTheOrigin)
{
    FakeSysFile& file = Script("skip.m4a", 1, 1000);
    file.origin = 2112;
    std::vector<float> const expected = file.samples;
    std::unique_ptr<QVSoundFileReader> reader = Reader("skip.m4a");
    ASSERT_EQ(reader->Open(), 0);
    EXPECT_EQ(static_cast<QVSoundFileReaderSysMacOS*>(reader.get())->GetOrigin(), 2112);

    unsigned long long skipped = 300;
    ASSERT_EQ(reader->SkipNextFrames(&skipped), 0);
    EXPECT_EQ(skipped, 300u);
    ASSERT_EQ(reader->SkipNextFrames(200ull), 0);
    EXPECT_EQ(reader->GetPosition(), 500u);
    float sample = 0.0f;
    unsigned long long count = 1;
    ASSERT_EQ(reader->ReadNextFrames(&sample, &count), 0);
    EXPECT_EQ(sample, expected[500]);

    LogCapture log;
    skipped = 600;
    EXPECT_EQ(reader->SkipNextFrames(&skipped), kQVErrorSoundFileCantSkip);
    EXPECT_EQ(skipped, 0u);
    EXPECT_EQ(reader->GetPosition(), 501u);
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST_F(SysReaderTest, ReadFailureDeliversNothing)
{
    FakeSysFile& file = Script("bad.wav", 2, 100);
    file.failAt = FakeSysFile::kFailRead;
    std::unique_ptr<QVSoundFileReader> reader = Reader("bad.wav");
    ASSERT_EQ(reader->Open(), 0);
    LogCapture log;
    std::vector<float> buffer(20, 7.0f);
    unsigned long long count = 10;
    EXPECT_EQ(reader->ReadNextFrames(buffer.data(), &count), kQVErrorSoundFileCantRead);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(buffer, std::vector<float>(20, 0.0f));
    EXPECT_EQ(reader->GetPosition(), 0u);
    EXPECT_FALSE(reader->IsEndReached());
    std::string const path = mFolder.File("bad.wav");
    EXPECT_EQ(log.Lines(),
              std::vector<std::string>{"# Quorvex Error -583 (kQVErrorSoundFileCantRead): Can't read sound-file \"" +
                                       path + "\".\n"});
}

struct RefusalCase {
    char const* label;
    FakeSysFile::FailAt failAt;
    unsigned int channels;
    long long frames;
    double rate;
    int status;
    char const* message;
};

RefusalCase const kRefusalCases[] = {
    {"open", FakeSysFile::kFailOpen, 2, 10, 44100.0, kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file"},
    {"wrap", FakeSysFile::kFailWrap, 2, 10, 44100.0, kQVErrorSoundFileCantOpen, "Can't open (for read) sound-file"},
    {"file type", FakeSysFile::kFailFileType, 2, 10, 44100.0, kQVErrorSoundFileCantGetInfo,
     "Can't get info of sound-file"},
    {"bit rate", FakeSysFile::kFailBitRate, 2, 10, 44100.0, kQVErrorSoundFileCantGetInfo,
     "Can't get info of sound-file"},
    {"data offset", FakeSysFile::kFailDataOffset, 2, 10, 44100.0, kQVErrorSoundFileCantGetInfo,
     "Can't get info of sound-file"},
    {"length", FakeSysFile::kFailLength, 2, 10, 44100.0, kQVErrorSoundFileCantGetInfo, "Can't get info of sound-file"},
    {"data format", FakeSysFile::kFailDataFormat, 2, 10, 44100.0, kQVErrorSoundFileCantGetInfo,
     "Can't get info of sound-file"},
    {"no channel", FakeSysFile::kFailNowhere, 0, 10, 44100.0, kQVErrorSoundFileCantGetInfo,
     "Can't get info of sound-file"},
    {"negative length", FakeSysFile::kFailNowhere, 2, -1, 44100.0, kQVErrorSoundFileCantGetInfo,
     "Can't get info of sound-file"},
    {"no rate", FakeSysFile::kFailNowhere, 2, 10, 0.0, kQVErrorSoundFileCantGetInfo, "Can't get info of sound-file"},
    {"client format", FakeSysFile::kFailClientFormat, 2, 10, 44100.0, kQVErrorSoundFileCantInit,
     "Can't init the decoder for sound-file"},
    {"first tell", FakeSysFile::kFailFirstTell, 2, 10, 44100.0, kQVErrorSoundFileCantInit,
     "Can't init the decoder for sound-file"},
};

// Each refusal is logged once, leaves the reader closed with every handle
// released, and the same reader opens once the cause is gone.
TEST_F(SysReaderTest, RefusalsCloseTheReader)
{
    for (RefusalCase const& c : kRefusalCases) {
        SCOPED_TRACE(c.label);
        FakeSysFile& file = Script("refused.wav", 2, 10);
        file.failAt = c.failAt;
        file.description.channelsPerFrame = c.channels;
        file.frames = c.frames;
        file.description.sampleRate = c.rate;
        std::unique_ptr<QVSoundFileReader> reader = Reader("refused.wav");
        {
            LogCapture log;
            EXPECT_EQ(reader->Open(), c.status);
            ASSERT_EQ(log.Lines().size(), 1u);
            EXPECT_NE(log.Lines()[0].find(std::string(c.message) + " \"" + mFolder.File("refused.wav") + "\""),
                      std::string::npos)
                << log.Lines()[0];
        }
        EXPECT_FALSE(reader->IsOpened());
        EXPECT_EQ(mServices.liveHandles, 0);

        file = FakeSysFile();
        file.frames = 10;
        file.samples.assign(20, 0.25f);
        EXPECT_EQ(reader->Open(), 0);
    }
}

TEST_F(SysReaderTest, OpenAndStateRefusals)
{
    Script("twice.wav", 2, 10);
    std::unique_ptr<QVSoundFileReader> reader = Reader("twice.wav");
    std::string const path = mFolder.File("twice.wav");
    LogCapture log;
    float buffer[4];
    unsigned long long count = 2;
    EXPECT_EQ(reader->ReadNextFrames(buffer, &count), kQVErrorSoundFileNotOpened);
    EXPECT_EQ(reader->SkipNextFrames(2ull), kQVErrorSoundFileNotOpened);
    ASSERT_EQ(reader->Open(), 0);
    EXPECT_EQ(reader->Open(), kQVErrorSoundFileYetOpened);
    EXPECT_TRUE(reader->IsOpened());
    std::unique_ptr<QVSoundFileReader> unnamed(QVSoundFileReaderSysMacOS::New(AKFilePath()));
    EXPECT_EQ(unnamed->Open(), kQVErrorSoundFileCantOpen);
    std::string const notOpened =
        "# Quorvex Error -589 (kQVErrorSoundFileNotOpened): The sound-file \"" + path + "\" is not opened.\n";
    EXPECT_EQ(
        log.Lines(),
        (std::vector<std::string>{
            notOpened, notOpened,
            "# Quorvex Error -588 (kQVErrorSoundFileYetOpened): The sound-file \"" + path + "\" is already opened.\n",
            "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't open (for read) sound-file \"\".\n"}));
    // An empty path is refused before the services are asked.
    EXPECT_EQ(mServices.openRequests, std::vector<std::string>{path});
}

// A reader keeps the services that opened its file: installing others
// meanwhile does not send its handles elsewhere.
TEST_F(SysReaderTest, ClosesWithTheServicesThatOpened)
{
    Script("kept.wav", 2, 10);
    std::unique_ptr<QVSoundFileReader> reader = Reader("kept.wav");
    ASSERT_EQ(reader->Open(), 0);
    QVSysAudioFile::Install(nullptr);
    reader->Close();
    EXPECT_EQ(mServices.liveHandles, 0);
}

}  // namespace
