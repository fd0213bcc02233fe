// The document preferences: their four members, the master volume range,
// the "Prefs" dictionary both ways, the grabbed master volume that marks a
// change, and new documents ignoring the template of the preferences file.

#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVDocPrefs.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

TEST(QVDocPrefsTest, MembersAndDefaults)
{
    QVDocPrefs prefs(nullptr);
    QVPrefMemberArray const& members = prefs.GetMemberArray();
    ASSERT_EQ(members.Count(), 4u);
    char const* const keys[] = {"Comment.Title", "Comment.Author", "Comment.Text", "Audio.MasterVolume"};
    uint32_t const types[] = {kQVPrefTypeAKString, kQVPrefTypeAKString, kQVPrefTypeAKString, kQVPrefTypeFloat64};
    for (unsigned int i = 0; i < 4; ++i) {
        SCOPED_TRACE(keys[i]);
        std::string name = keys[i];
        name[name.find('.')] = '_';
        EXPECT_EQ(members.GetMember(i).GetKey().StdString(), keys[i]);
        EXPECT_EQ(members.GetMember(i).GetParameterName().StdString(), name);
        EXPECT_EQ(members.GetMember(i).GetValueType(), types[i]);
        EXPECT_EQ(members.GetMember(i).GetSaveTag(), 0u);
    }
    prefs.SetupFromParametersString("Comment_Title=Live;Audio_MasterVolume=-3");
    EXPECT_EQ(prefs.SetupDefaults(), 0);
    EXPECT_TRUE(prefs.GetCommentTitle().IsEmpty());
    EXPECT_EQ(prefs.GetAudioMasterVolume(), 0.0);
    EXPECT_FALSE(prefs.IsModified());
}

TEST(QVDocPrefsTest, TheMasterVolumeStaysInItsRange)
{
    struct Case {
        double given;
        double kept;
    };
    Case const cases[] = {{-60, -48}, {20, 12}, {-6.5, -6.5}, {std::numeric_limits<double>::quiet_NaN(), -48}};
    for (Case const& c : cases) {
        SCOPED_TRACE(c.given);
        AKDictionary entry;
        entry.SetValue("Audio.MasterVolume", AKValueSetasFloat64(c.given));
        QVDocPrefs prefs(nullptr);
        EXPECT_EQ(prefs.ReadFromDictionary(entry), 0);
        EXPECT_EQ(prefs.GetAudioMasterVolume(), c.kept);
        EXPECT_FALSE(prefs.IsModified());
    }
}

TEST(QVDocPrefsTest, ThePrefsEntryRoundTripsAndReadingStartsFromDefaults)
{
    QVDocPrefs source(nullptr);
    source.SetCommentTitle("Set list");
    source.SetCommentAuthor("Someone");
    source.SetCommentText("Line one\nLine two");
    source.SetAudioMasterVolume(-12);
    AKDictionary entry;
    entry.SetValue("Leftover", AKValueSetasBool(true));
    EXPECT_EQ(source.WriteToDictionary(&entry), 0);
    EXPECT_FALSE(entry.ContainsKey("Leftover"));
    EXPECT_EQ(entry.Count(), 2u);  // "Comment" and "Audio"

    QVDocPrefs target(nullptr);
    target.SetCommentText("old");
    target.ReadFromDictionary(entry);
    EXPECT_TRUE(target.IsEqual(source));

    AKDictionary partial;
    partial.SetValue("Comment.Title", AKValueSetasAKString("Only a title"));
    target.ReadFromDictionary(partial);
    EXPECT_EQ(target.GetCommentTitle(), AKString("Only a title"));
    EXPECT_TRUE(target.GetCommentText().IsEmpty());
    EXPECT_EQ(target.GetAudioMasterVolume(), 0.0);
    EXPECT_FALSE(target.IsEqual(source));
}

TEST(QVDocPrefsTest, GrabbingTheMasterVolumeMarksOnlyRealChanges)
{
    QVDocPrefs prefs(nullptr);
    prefs.SetupDefaults();
    unsigned int const stamp = prefs.GetChangeStamp();
    EXPECT_FALSE(prefs.GrabMasterVolume(0.0));
    EXPECT_FALSE(prefs.IsModified());
    EXPECT_TRUE(prefs.GrabMasterVolume(-70.0));
    EXPECT_EQ(prefs.GetAudioMasterVolume(), -48.0);
    EXPECT_FALSE(prefs.GrabMasterVolume(-50.0));  // also -48 once clamped
    EXPECT_TRUE(prefs.IsModified());
    EXPECT_EQ(prefs.GetChangeStamp(), stamp + 1);
}

TEST(QVDocPrefsTest, ANewDocumentIgnoresTheTemplateOfThePreferencesFile)
{
    AKDictionary file;
    file.SetValue("_Version", AKValueSetasUInt(4));
    file.SetValue("Default.DocPrefs.Comment.Author", AKValueSetasAKString("Template author"));
    file.SetValue("Default.DocPrefs.Audio.MasterVolume", AKValueSetasFloat64(-9));
    QVPrefs global;
    global.ReadFromDictionary(file);
    EXPECT_EQ(global.GetDefaultDocPrefs().GetCommentAuthor(), AKString("Template author"));

    QVDocPrefs fresh(nullptr);
    fresh.SetupDefaults();
    fresh.CopyFromDefaults(global.GetDefaultDocPrefs());
    EXPECT_TRUE(fresh.GetCommentAuthor().IsEmpty());
    EXPECT_EQ(fresh.GetAudioMasterVolume(), 0.0);
}

TEST(QVDocPrefsTest, LogAndParametersStrings)
{
    QVDocPrefs prefs(nullptr);
    prefs.SetupDefaults();
    LogCapture capture;
    prefs.SetupFromParametersString("Audio_MasterVolume=30;Comment_Text=x");
    EXPECT_EQ(prefs.GetAudioMasterVolume(), 12.0);
    EXPECT_TRUE(capture.Lines().empty());
    prefs.LogInfoPrefs();
    std::vector<std::string> const lines = capture.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.front(), "Document Prefs:\n");
    EXPECT_NE(lines[3].find("Comment_Text"), std::string::npos);
    EXPECT_NE(lines[4].find("12.000000"), std::string::npos);
    EXPECT_EQ(lines.back(), "\n");
}

}  // namespace
