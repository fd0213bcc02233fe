// The engine preferences read by the audio path and the plug-in manager:
// ranges, the copies the audio resources read, change tracking, and the
// plug-in folders reached through the engine's services.

#include "QVAudioResourcePrefs.h"
#include "QVEngineServices.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(QVPrefsTest, DefaultsMatchWhatTheAudioResourcesStartWith)
{
    QVPrefs const prefs;
    EXPECT_EQ(prefs.GetEngineBornFadeDuration(), 0.005);
    EXPECT_EQ(prefs.GetEngineOlapsysFadeDuration(), 0.005);
    EXPECT_EQ(prefs.GetEnginePluginWorkMaxDuration(), 10.0);
    EXPECT_TRUE(prefs.GetPluginSearchPaths().IsEmpty());
    EXPECT_TRUE(prefs.GetPluginSearchFlags().IsEmpty());
    EXPECT_FALSE(prefs.IsModified());

    QVAudioResourcePrefs const audio;
    EXPECT_EQ(audio.engineBornFadeDuration, prefs.GetEngineBornFadeDuration());
    EXPECT_EQ(audio.enginePluginWorkMaxDuration, prefs.GetEnginePluginWorkMaxDuration());
}

TEST(QVPrefsTest, DurationsAreKeptInTheirRangesAndPublished)
{
    struct Case {
        bool (QVPrefs::*set)(double);
        double (QVPrefs::*get)() const;
        double given;
        double kept;
    };
    double const nan = std::numeric_limits<double>::quiet_NaN();
    Case const cases[] = {
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, 0.002, 0.002},
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, 0.0, 0.0001},
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, 1.0, 0.01},
        {&QVPrefs::SetEngineBornFadeDuration, &QVPrefs::GetEngineBornFadeDuration, nan, 0.005},
        {&QVPrefs::SetEngineOlapsysFadeDuration, &QVPrefs::GetEngineOlapsysFadeDuration, -3.0, 0.0001},
        {&QVPrefs::SetEnginePluginWorkMaxDuration, &QVPrefs::GetEnginePluginWorkMaxDuration, 0.5, 1.0},
        {&QVPrefs::SetEnginePluginWorkMaxDuration, &QVPrefs::GetEnginePluginWorkMaxDuration, 1000.0, 600.0},
        {&QVPrefs::SetEnginePluginWorkMaxDuration, &QVPrefs::GetEnginePluginWorkMaxDuration, 30.0, 30.0},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.given);
        QVPrefs prefs;
        unsigned int const stamp = prefs.GetChangeStamp();
        bool const changes = c.kept != (prefs.*c.get)();
        EXPECT_EQ((prefs.*c.set)(c.given), changes);
        EXPECT_EQ((prefs.*c.get)(), c.kept);
        EXPECT_EQ(prefs.IsModified(), changes);
        EXPECT_EQ(prefs.GetChangeStamp() != stamp, changes);
        EXPECT_FALSE((prefs.*c.set)(c.given));  // the same again changes nothing
        if (changes) {
            // The audio resources read the published copies.
            EXPECT_EQ(QVAudioResourcePrefs::sShared.engineBornFadeDuration, prefs.GetEngineBornFadeDuration());
            EXPECT_EQ(QVAudioResourcePrefs::sShared.enginePluginWorkMaxDuration,
                      prefs.GetEnginePluginWorkMaxDuration());
        }
    }
    QVPrefs::sShared.PublishAudioResourcePrefs();
}

TEST(QVPrefsTest, PluginFoldersChangeOnlyWhenTheyDiffer)
{
    QVPrefs prefs;
    AKFilePathArray const paths = {"/a/", "/b/"};
    EXPECT_TRUE(prefs.SetPluginSearchPaths(paths));
    unsigned int const stamp = prefs.GetChangeStamp();
    prefs.SetModified(false);
    EXPECT_FALSE(prefs.SetPluginSearchPaths({"/a/", "/b/"}));
    EXPECT_FALSE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), stamp);
    EXPECT_TRUE(prefs.SetPluginSearchPaths({"/a/"}));
    EXPECT_TRUE(prefs.SetPluginSearchPaths({"/a/", "/c/"}));

    EXPECT_TRUE(prefs.SetPluginSearchFlags({1, 2}));
    EXPECT_FALSE(prefs.SetPluginSearchFlags({1, 2}));
    EXPECT_TRUE(prefs.SetPluginSearchFlags({1, 3}));
    EXPECT_EQ(prefs.GetPluginSearchFlags(), (QVPrefsUIntArray{1, 3}));
}

TEST(QVPrefsTest, TheAudioResourcesReachThePluginFoldersThroughTheServices)
{
    QVEngineServices::Install();
    AKFilePathArray const kept = QVPrefs::sShared.GetPluginSearchPaths();
    QVPrefsUIntArray const keptFlags = QVPrefs::sShared.GetPluginSearchFlags();

    QVAudioServices::Get().SetPluginSearchPrefs({"/x/", "/y/"}, {3, 2});
    EXPECT_EQ(QVPrefs::sShared.GetPluginSearchPaths(), (AKFilePathArray{"/x/", "/y/"}));
    EXPECT_TRUE(QVPrefs::sShared.IsModified());
    AKFilePathArray paths;
    QVPluginSearchFlagArray flags;
    QVAudioServices::Get().GetPluginSearchPrefs(&paths, &flags);
    EXPECT_EQ(paths, (AKFilePathArray{"/x/", "/y/"}));
    EXPECT_EQ(flags, (QVPluginSearchFlagArray{3, 2}));

    QVPrefs::sShared.SetPluginSearchPaths(kept);
    QVPrefs::sShared.SetPluginSearchFlags(keptFlags);
    QVEngineServices::Uninstall();
}

}  // namespace
