// Bounce parameters: the refusals in their order with their messages, the
// ranges Check brings values into, the "Bounce" dictionary read over the
// preferences, and the export paths, "#AUTO#" taking consecutive numbers.

#include "AKValueTyped.h"
#include "QVAudioChannelsBitmap.h"
#include "QVBounceMgr.h"
#include "QVBounceParam.h"
#include "QVDocument.h"
#include "QVLibEnv.h"
#include "QVPrefs.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

namespace {

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

QVBounceParam ValidParam()
{
    QVBounceParam param;
    param.soundFormat = QVAudioFormatFromAKString(AKString("wav"));
    param.pcmInfo = QVAudioPCMInfoFromAKString(AKString("16"));
    param.channelCount = 2;
    param.sampleRate = 44100.0;
    param.duration = 3.0;
    return param;
}

TEST(QVBounceParam, CanApplyNamesTheFirstFailingTest)
{
    double const max = QVPrefs::sShared.GetBounceExportMaxDuration();
    struct Case {
        std::function<void(QVBounceParam*)> change;
        std::string message;
    };
    char tooBig[64];
    snprintf(tooBig, sizeof(tooBig), "Duration is too big (%.0lf seconds at maximum)", max);
    Case const cases[] = {
        {[](QVBounceParam* p) { p->soundFormat = kQVNullAudioFormat; }, "Undefined sound-file format"},
        // The format test comes first.
        {[](QVBounceParam* p) {
             p->soundFormat = kQVNullAudioFormat;
             p->channelCount = 0;
         },
         "Undefined sound-file format"},
        {[](QVBounceParam* p) { p->channelCount = 0; }, "No channel (1 at least)"},
        {[](QVBounceParam* p) { p->channelCount = 17; }, "Too many channels (16 at maximum)"},
        {[](QVBounceParam* p) { p->sampleRate = 7999.0; }, "Sample-Rate is too small (8000 at least)"},
        {[](QVBounceParam* p) { p->sampleRate = std::numeric_limits<double>::quiet_NaN(); },
         "Sample-Rate is too small (8000 at least)"},
        {[](QVBounceParam* p) { p->sampleRate = 192001.0; }, "Sample-Rate is too big (192000 at maximum)"},
        {[](QVBounceParam* p) { p->duration = 0.005; }, "Duration is too small (0.010 second at least)"},
        {[max](QVBounceParam* p) { p->duration = max + 1.0; }, tooBig},
        {[](QVBounceParam* p) { p->pcmInfo = 0; }, "Invalid sound-file PCM info"},
        {[](QVBounceParam* p) { p->pcmInfo = 12; }, "Invalid sound-file PCM info"},
        // Until silence passes.
        {[](QVBounceParam* p) { p->duration = 0.0; }, ""},
        {[](QVBounceParam* p) { p->duration = -1.0; }, ""},
    };
    for (Case const& c : cases) {
        QVBounceParam param = ValidParam();
        c.change(&param);
        AKString message("stale");
        EXPECT_EQ(param.CanApply(&message), c.message.empty()) << c.message;
        EXPECT_EQ(message.StdString(), c.message);
    }
}

TEST(QVBounceParam, CheckBringsValuesIntoTheirRanges)
{
    double const max = QVPrefs::sShared.GetBounceExportMaxDuration();
    QVBounceParam param = ValidParam();
    param.channelCount = 0;
    param.sampleRate = 100.0;
    param.duration = 0.001;
    param.Check();
    EXPECT_EQ(param.channelCount, 1u);
    EXPECT_EQ(param.sampleRate, 8000.0);
    EXPECT_EQ(param.duration, 0.01);
    param.channelCount = 40;
    param.sampleRate = 1e9;
    param.duration = max * 2.0;
    param.Check();
    EXPECT_EQ(param.channelCount, 16u);
    EXPECT_EQ(param.sampleRate, 192000.0);
    EXPECT_EQ(param.duration, max);
    param.duration = -3.0;  // until silence stays
    param.Check();
    EXPECT_EQ(param.duration, -3.0);
    EXPECT_TRUE(param.CanApply(nullptr));
}

TEST(QVBounceParam, TheDictionaryOverridesThePreferencesKeyByKey)
{
    QVPrefs const& prefs = QVPrefs::sShared;
    QVBounceParam fromPrefs;
    fromPrefs.SetupFromCurrentPrefs();
    EXPECT_EQ(fromPrefs.soundFormat, prefs.GetRecordSoundFormat());
    EXPECT_EQ(fromPrefs.pcmInfo, prefs.GetRecordSoundFormatInfo());
    EXPECT_EQ(fromPrefs.channelCount,
              static_cast<unsigned int>(QVAudioChannelsBitmapGetChannelCount(prefs.GetPortAudioOutChannelsBitmap())));
    EXPECT_EQ(fromPrefs.sampleRate, prefs.GetPortAudioSampleRate());
    EXPECT_EQ(fromPrefs.duration, 0.0);

    // Written and read back whole.
    QVBounceParam written = ValidParam();
    written.soundFormat = QVAudioFormatFromAKString(AKString("flac"));
    written.pcmInfo = QVAudioPCMInfoFromAKString(AKString("24"));
    AKDictionary settings;
    written.WriteToDictionary(&settings);
    QVBounceTrackIndexes tracks;
    tracks.Push(2);
    QVBounceParam const read(settings, tracks);
    EXPECT_EQ(read.soundFormat, written.soundFormat);
    EXPECT_EQ(read.pcmInfo, written.pcmInfo);
    EXPECT_EQ(read.channelCount, 2u);
    EXPECT_EQ(read.sampleRate, 44100.0);
    EXPECT_EQ(read.duration, 3.0);
    ASSERT_EQ(read.trackIndexes.Count(), 1u);
    EXPECT_EQ(read.trackIndexes[0], 2u);

    // One key only: the rest from the preferences, then checked.
    AKDictionary bounce;
    bounce.SetValue(AKString("ChannelCount"), AKValueSetasUInt(99));
    AKDictionary partial;
    partial.SetValue(AKString("Bounce"), AKValueSetasAKDictionary(bounce));
    QVBounceParam const one(partial);
    EXPECT_EQ(one.channelCount, 16u);
    EXPECT_EQ(one.soundFormat, fromPrefs.soundFormat);
    EXPECT_EQ(one.sampleRate, fromPrefs.sampleRate);

    // No "Bounce" dictionary: the preferences as they are.
    QVBounceParam const none{AKDictionary()};
    EXPECT_EQ(none.channelCount, fromPrefs.channelCount);
}

TEST(QVBounceParam, ExportPathsAutoTakeConsecutiveNumbers)
{
    SoundFixtures::TempFolder folder;
    AKFilePath const savedFolder = QVPrefs::sShared.GetRecordSoundFolderPath();
    QVPrefs::sShared.SetRecordSoundFolderPath(AKFilePath((folder.Path() + "/").c_str()));
    QVDocument document(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(document.OnDocumentNew(AKString("Doc"), 0, false), 0);
    QVBounceParam param = ValidParam();

    AKFilePath first;
    AKFilePath second;
    ASSERT_EQ(QVBounceResolveExportPath(&document, AKString(kQVBounceAutoPath), false, param, &first), 0);
    ASSERT_EQ(QVBounceResolveExportPath(&document, AKString(kQVBounceAutoPath), false, param, &second), 0);
    EXPECT_EQ(std::string(first.c_str()), folder.File("Doc Bnc001.wav"));
    EXPECT_EQ(std::string(second.c_str()), folder.File("Doc Bnc002.wav"));

    // A given path: numbered unless overwriting; the format's extension.
    param.soundFormat = QVAudioFormatFromAKString(AKString("aiff"));
    AKFilePath given;
    ASSERT_EQ(QVBounceResolveExportPath(&document, AKString(folder.File("Mix").c_str()), true, param, &given), 0);
    EXPECT_EQ(std::string(given.c_str()), folder.File("Mix.aiff"));
    QVPrefs::sShared.SetRecordSoundFolderPath(savedFolder);
}

}  // namespace
