// The reader factory: which reader opens a file for each extension and each
// setting of the preference for the system reader (scripted system services
// stand in for the real ones, which read nothing on Linux), the silence of
// probing, the refusal of unknown files, and the file-info shortcut.

#include "FakeSysAudioFile.h"
#include "AKLog.h"
#include "LogCapture.h"
#include "Mp3Fixtures.h"
#include "QVAudioResourcePrefs.h"
#include "QVSoundFileReader.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace SoundFixtures;

namespace {

// The extension lists are built once per run, so the scripted services are
// installed before any test asks for them.
FakeSysAudioFile& Services()
{
    static FakeSysAudioFile* sServices = [] {
        auto* services = new FakeSysAudioFile();
        services->extensions = {"WAV", "aiff", "AIF", "mp3", "m4a", "", "caf", "wav"};
        return services;
    }();
    return *sServices;
}

class ServicesEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { QVSysAudioFile::Install(&Services()); }
    void TearDown() override { QVSysAudioFile::Install(nullptr); }
};

::testing::Environment* const sEnvironment = ::testing::AddGlobalTestEnvironment(new ServicesEnvironment());

enum class Content { SoundFile, Mp3, Garbage };

struct RouteCase {
    char const* label;
    bool preferSys;
    char const* name;
    Content content;
    bool sysAccepts;
    char const* expected;  // reader name, null for no reader
};

RouteCase const kRouteCases[] = {
    {"wav, system preferred", true, "a.wav", Content::SoundFile, true, "CoreAudio"},
    {"WAV in capitals, system preferred", true, "a.WAV", Content::SoundFile, true, "CoreAudio"},
    {"wav, system last", false, "a.wav", Content::SoundFile, true, "SndFile"},
    {"WAV in capitals, system last", false, "a.WAV", Content::SoundFile, true, "SndFile"},
    {"wav refused by the system", true, "a.wav", Content::SoundFile, false, "SndFile"},
    {"aif, system last", false, "a.aif", Content::SoundFile, true, "SndFile"},
    {"flac, unknown to the system", true, "a.flac", Content::SoundFile, true, "SndFile"},
    {"mp3, system preferred", true, "a.mp3", Content::Mp3, true, "CoreAudio"},
    {"mp3, system last", false, "a.mp3", Content::Mp3, true, "Mad"},
    {"mp3 refused by the system", true, "a.mp3", Content::Mp3, false, "Mad"},
    {"m4a, system preferred", true, "a.m4a", Content::Garbage, true, "CoreAudio"},
    {"m4a, system last", false, "a.m4a", Content::Garbage, true, "CoreAudio"},
    {"m4a refused by the system", false, "a.m4a", Content::Garbage, false, nullptr},
    {"damaged wav, system last", false, "bad.wav", Content::Garbage, true, "CoreAudio"},
    {"damaged wav refused everywhere", true, "bad.wav", Content::Garbage, false, nullptr},
    {"unknown extension", true, "a.xyz", Content::SoundFile, true, nullptr},
    {"no extension", false, "noext", Content::SoundFile, true, nullptr},
};

class FactoryTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        QVAudioResourcePrefs::sShared.providerPreferSysReader = true;
        Services().files.clear();
        Services().openRequests.clear();
        EXPECT_EQ(Services().liveHandles, 0);
    }

    std::string Make(std::string const& name, Content content)
    {
        std::string const path = mFolder.File(name);
        if (content == Content::SoundFile) {
            SoundRecipe recipe;
            recipe.frames = 100;
            EXPECT_TRUE(WriteSoundFile(path, recipe));
        } else if (content == Content::Mp3) {
            Mp3Recipe recipe;
            recipe.frames = 4410;
            EXPECT_TRUE(WriteMp3File(path, MakeMp3(recipe)));
        } else {
            WriteBytes(path, std::vector<unsigned char>(512, 0xA5));
        }
        return path;
    }

    TempFolder mFolder;
};

std::string CantRecognizeLine(std::string const& path)
{
    return "# Quorvex Error -585 (kQVErrorSoundFileCantOpen): Can't recognize format of sound-file \"" + path + "\".\n";
}

// The first reader of the table that opens the file wins; the readers tried
// before it say nothing; no reader gives one line and null.
TEST_F(FactoryTest, RoutesByExtensionAndPreference)
{
    for (RouteCase const& c : kRouteCases) {
        SCOPED_TRACE(c.label);
        std::string const path = Make(c.name, c.content);
        Services().files.clear();
        if (c.sysAccepts) {
            FakeSysFile& file = Services().files[path];
            file.frames = 10;
            file.samples.assign(20, 0.5f);
        }
        QVAudioResourcePrefs::sShared.providerPreferSysReader = c.preferSys;

        LogCapture log;
        std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReader::New(AKFilePath(path), true));
        if (c.expected == nullptr) {
            EXPECT_EQ(reader, nullptr);
            EXPECT_EQ(log.Lines(), std::vector<std::string>{CantRecognizeLine(path)});
            continue;
        }
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(reader->GetName(), AKString(c.expected));
        EXPECT_TRUE(reader->IsOpened());
        EXPECT_TRUE(reader->GetFileInfo().IsValid());
        EXPECT_TRUE(log.Lines().empty()) << log.Lines()[0];
    }
}

// An unknown extension tries no reader at all, not even the system's.
TEST_F(FactoryTest, UnknownExtensionAsksNoReader)
{
    std::string const path = Make("sound.xyz", Content::SoundFile);
    Services().files[path].frames = 0;
    LogCapture log;
    EXPECT_EQ(QVSoundFileReader::New(AKFilePath(path), true), nullptr);
    EXPECT_TRUE(Services().openRequests.empty());
}

TEST_F(FactoryTest, MissingFileGivesNullSilently)
{
    LogCapture log;
    EXPECT_EQ(QVSoundFileReader::New(AKFilePath(mFolder.File("missing.wav")), true), nullptr);
    EXPECT_EQ(QVSoundFileReader::New(AKFilePath(), true), nullptr);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_TRUE(Services().openRequests.empty());
}

TEST_F(FactoryTest, ClosedReaderKeepsItsDescription)
{
    std::string const path = Make("keep.wav", Content::SoundFile);
    QVAudioResourcePrefs::sShared.providerPreferSysReader = false;
    std::unique_ptr<QVSoundFileReader> reader(QVSoundFileReader::New(AKFilePath(path), false));
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->IsOpened());
    EXPECT_EQ(reader->GetName(), AKString("SndFile"));
    EXPECT_EQ(reader->GetFileInfo().frameCount, 100u);
    EXPECT_EQ(reader->GetFileInfo().pcmInfo, 16 | kQVAudioPCMInfoLittleEndian);
    EXPECT_FALSE(reader->GetRawInfo().IsEmpty());
    ASSERT_EQ(reader->Open(), 0);
}

TEST_F(FactoryTest, ReadSoundInfo)
{
    std::string const path = Make("info.wav", Content::SoundFile);
    QVAudioResourcePrefs::sShared.providerPreferSysReader = false;
    LogCapture log;

    QVAudioFileInfo info;
    AKString name;
    AKString raw;
    ASSERT_EQ(QVSoundFileReader::ReadSoundInfo(AKFilePath(path), &info, &name, &raw), 0);
    EXPECT_EQ(name, AKString("SndFile"));
    EXPECT_STREQ(info.format.text, "wav");
    EXPECT_EQ(info.channelCount, 2u);
    EXPECT_EQ(info.frameCount, 100u);
    EXPECT_TRUE(raw.StartsWith(AKString("format:")));

    QVAudioInfo audio;
    ASSERT_EQ(QVSoundFileReader::ReadSoundInfo(AKFilePath(path), &audio, nullptr, nullptr), 0);
    EXPECT_EQ(audio.frameCount, 100u);
    EXPECT_EQ(audio.sampleRate, 44100.0);

    // A file no reader takes: a null info, empty strings, and nothing logged.
    std::string const bad = Make("bad.flac", Content::Garbage);
    name = "before";
    raw = "before";
    EXPECT_EQ(QVSoundFileReader::ReadSoundInfo(AKFilePath(bad), &info, &name, &raw), kQVErrorSoundFileCantOpen);
    EXPECT_EQ(info.isValid, 0);
    EXPECT_EQ(info.rawDataOffset, -1);
    EXPECT_TRUE(info.format.IsNull());
    EXPECT_TRUE(name.IsEmpty());
    EXPECT_TRUE(raw.IsEmpty());
    EXPECT_EQ(QVSoundFileReader::ReadSoundInfo(AKFilePath(mFolder.File("none.wav")), &audio, nullptr, nullptr),
              kQVErrorSoundFileCantOpen);
    EXPECT_EQ(audio.isValid, 0);
    EXPECT_TRUE(log.Lines().empty());

    // Muting nests: the caller's own error lines still come through afterwards.
    AKLogError(-1, "after");
    EXPECT_EQ(log.Lines().size(), 1u);
}

// Every reader's list, whatever the preference says: the system's own
// spellings lower-cased, empty ones dropped, sorted, each once.
TEST_F(FactoryTest, RecognizedExtensionsGatherEveryReader)
{
    AKStringArray const& extensions = QVSoundFileReader::GetRecognizedFileExtensions();
    for (char const* expected : {"aif", "aiff", "caf", "flac", "m4a", "mp3", "oga", "ogg", "wav"})
        EXPECT_TRUE(extensions.Find(AKString(expected), nullptr)) << expected;
    for (unsigned int i = 0; i < extensions.Count(); ++i) {
        EXPECT_FALSE(extensions[i].IsEmpty());
        AKString lower = extensions[i];
        EXPECT_EQ(lower.ToLowerCase(), extensions[i]);
        if (i > 0) {
            EXPECT_LT(extensions[i - 1], extensions[i]);
        }
    }
    EXPECT_EQ(&extensions, &QVSoundFileReader::GetRecognizedFileExtensions());
}

}  // namespace
