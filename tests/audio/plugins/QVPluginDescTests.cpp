// Plug-in identifiers and descriptions: the UID's text, file and value forms,
// name normalisation, and the description lists sorted by UID or name.

#include "AKFile.h"
#include "AKValue.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVPluginDesc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string UIDText(QVPluginDescUID uid)
{
    char text[kQVPluginDescUIDTextSize];
    return strSetasQVPluginDescUID(text, uid);
}

TEST(QVPluginDescUIDTest, TextShowsPrintableBytesZerosAndOthers)
{
    struct Case {
        QVPluginDescUID uid;
        char const* text;
    };
    Case const cases[] = {
        {0, "00000000"},
        {0x6175667800010000ull | 0xC320ull, "aufx0?? "},  // 61 75 66 78 00 01 C3 20
        {0x6175667862706173ull, "aufxbpas"},              // an Audio Unit: type and sub-type
        {0x767374330000007Full, "vst3000\x7F"},           // 0x7F is still shown as itself
        {0x7673743200000080ull, "vst2000?"},
        {0x1F20000000000000ull, "? 000000"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(UIDText(c.uid), c.text);
    }
}

TEST(QVPluginDescUIDTest, FileAndValueFormsKeepTheWholeNumber)
{
    QVPluginDescUID const uid = 0x7673743312345678ull;
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(AKFileWriteQVPluginDescUID(file, uid), 0);
    ASSERT_EQ(file.Seek(0, kAKFileWhenceStart), 0);
    QVPluginDescUID read = 0;
    ASSERT_EQ(AKFileReadQVPluginDescUID(file, &read), 0);
    EXPECT_EQ(read, uid);

    AKValue value = AKValueSetasQVPluginDescUID(uid);
    EXPECT_TRUE(value.IsInteger());
    EXPECT_EQ(AKValueGetasQVPluginDescUID(value), uid);

    // Anything but an unsigned integer is refused and leaves the output alone.
    QVPluginDescUID untouched = 7;
    for (AKValue const& other : {AKValueSetasAKString("1234"), AKValueSetasSInt(-1), AKValue()}) {
        EXPECT_FALSE(AKValueGetasQVPluginDescUID(other, &untouched));
        EXPECT_EQ(untouched, 7u);
        EXPECT_EQ(AKValueGetasQVPluginDescUID(other), kQVNullPluginDescUID);
    }
}

TEST(QVPluginDescTest, NamesTakeTheirFormatPrefixOnce)
{
    struct Case {
        QVPluginFormat format;
        char const* given;
        char const* listed;
    };
    Case const cases[] = {
        {kQVPluginFormatVST3, "VST3 - Reverb", "VST3-Reverb"},
        {kQVPluginFormatAudioUnit, "Reverb", "AU-Reverb"},
        {kQVPluginFormatVST, "VST3 Echo", "VST-3 Echo"},
        {kQVPluginFormatAudioUnit, "AU Filter", "AU-Filter"},
        {kQVPluginFormatAudioUnit, "AU-AU-Filter", "AU-AU-Filter"},
        {kQVPluginFormatVST, "VST- -Delay", "VST-Delay"},
        {kQVPluginFormatVST, " - - Delay", "VST- Delay"},  // each step once, in order
        {kQVPluginFormatInternal, "Gain", "INTR-Gain"},
        {kQVPluginFormatOther, "", "OTHR-"},
        {kQVPluginFormatVST, "vst Chorus", "VST-vst Chorus"},  // the prefix is case-sensitive
        {0x41424344, "VST3 Kept", "VST3 Kept"},                // a format without a prefix
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.given);
        QVPluginDesc const desc(1, c.format, c.given, "id", 2, 2);
        EXPECT_EQ(desc.GetName(), c.listed);
    }
}

TEST(QVPluginDescTest, DefaultDescriptionIsTheNullOne)
{
    QVPluginDesc const desc;
    EXPECT_EQ(desc.GetUID(), kQVNullPluginDescUID);
    EXPECT_EQ(desc.GetFormat(), 0u);
    EXPECT_TRUE(desc.GetName().IsEmpty());
    EXPECT_TRUE(desc.GetFileID().IsEmpty());
    EXPECT_EQ(desc.GetInputChannelCount() + desc.GetOutputChannelCount(), 0u);
    EXPECT_EQ(&kQVNullPluginDesc, &kQVNullPluginDesc);
    EXPECT_EQ(kQVNullPluginDesc.GetUID(), kQVNullPluginDescUID);
}

TEST(QVPluginDescTest, LogInfoWritesItsLines)
{
    LogCapture capture;
    QVPluginDesc(0x6175667862706173ull, kQVPluginFormatAudioUnit, "Band", "aufx,bpas,appl/", 1, 2).LogInfo(0);
    std::vector<std::string> const expected = {
        "| UID:     \"aufxbpas\"\n", "| Name:    \"AU-Band\"\n",         "| FileID:  \"aufx,bpas,appl/\"\n",
        "| In/Out:  1 => 2\n",       "+" + std::string(82, '-') + "+\n",
    };
    EXPECT_EQ(capture.Lines(), expected);
}

// A list holding UIDs 30, 10 and 20 named so that name order differs.
QVPluginDescArray ThreeDescs()
{
    QVPluginDescArray descs;
    descs.Push(QVPluginDesc(30, kQVPluginFormatVST, "Alpha", "a", 2, 2));
    descs.Push(QVPluginDesc(10, kQVPluginFormatVST, "Gamma", "g", 2, 2));
    descs.Push(QVPluginDesc(20, kQVPluginFormatVST, "Beta", "b", 2, 2));
    return descs;
}

TEST(QVPluginDescArrayTest, LinearAndBinarySearchesAgree)
{
    QVPluginDescArray byUID = ThreeDescs();
    byUID.SortDescByUID();
    QVPluginDescArray byName = ThreeDescs();
    byName.SortDescByName();
    EXPECT_EQ(byName[0].GetName(), "VST-Alpha");
    EXPECT_EQ(byName[2].GetName(), "VST-Gamma");

    for (QVPluginDescUID uid : {10ull, 20ull, 30ull}) {
        unsigned int linear = 0;
        unsigned int binary = 0;
        EXPECT_EQ(byUID.FindDescByUID(uid, &linear).GetUID(), uid);
        EXPECT_EQ(byUID.BSearchDescByUID(uid, &binary).GetUID(), uid);
        EXPECT_EQ(linear, binary);
    }
    unsigned int index = 0;
    EXPECT_EQ(byName.BSearchDescByName("VST-Beta", &index).GetUID(), 20u);
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(byName.FindDescByName("VST-Beta", &index).GetUID(), 20u);
    EXPECT_EQ(index, 1u);

    // Only the exact normalised name is found; UID 0, an empty name and
    // misses answer the null description and -1.
    struct Miss {
        char const* what;
        QVPluginDesc const& answer;
    };
    Miss const misses[] = {
        {"plain name", byName.FindDescByName("Beta", &index)},
        {"plain name, binary", byName.BSearchDescByName("Beta", &index)},
        {"empty name", byName.FindDescByName("", &index)},
        {"UID 0", byUID.FindDescByUID(0, &index)},
        {"UID 0, binary", byUID.BSearchDescByUID(0, &index)},
        {"unknown UID", byUID.BSearchDescByUID(25, &index)},
        {"beyond the last UID", byUID.BSearchDescByUID(31, &index)},
    };
    for (Miss const& miss : misses) {
        SCOPED_TRACE(miss.what);
        EXPECT_EQ(&miss.answer, &kQVNullPluginDesc);
    }
    byUID.FindDescByUID(25, &index);
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_EQ(byUID.FindDescByUID(20, nullptr).GetUID(), 20u);
}

TEST(QVPluginDescArrayTest, SortedInsertKeepsTheOrderAndRefusesUIDZeroAndDuplicates)
{
    QVPluginDescArray descs = ThreeDescs();
    descs.SortDescByUID();

    unsigned int index = 0;
    ASSERT_TRUE(descs.InsertDescInSortedArray(QVPluginDesc(15, kQVPluginFormatVST, "New", "n", 2, 2), &index));
    EXPECT_EQ(index, 1u);
    ASSERT_TRUE(descs.InsertDescInSortedArray(QVPluginDesc(99, kQVPluginFormatVST, "Last", "l", 2, 2), &index));
    EXPECT_EQ(index, 4u);
    ASSERT_TRUE(descs.InsertDescInSortedArray(QVPluginDesc(1, kQVPluginFormatVST, "First", "f", 2, 2), &index));
    EXPECT_EQ(index, 0u);
    for (unsigned int i = 1; i < descs.Count(); ++i)
        EXPECT_LT(descs[i - 1].GetUID(), descs[i].GetUID());

    QVPluginDescArray const before = descs;
    for (QVPluginDescUID refused : {0ull, 20ull, 99ull}) {
        SCOPED_TRACE(refused);
        index = 5;
        EXPECT_FALSE(
            descs.InsertDescInSortedArray(QVPluginDesc(refused, kQVPluginFormatVST, "Dup", "d", 2, 2), &index));
        EXPECT_EQ(index, 0xFFFFFFFFu);
        EXPECT_EQ(descs.Count(), before.Count());
        EXPECT_EQ(descs.FindDescByName("VST-Dup", nullptr).GetUID(), kQVNullPluginDescUID);
    }
}

TEST(QVPluginDescArrayTest, SortedRemovalGivesTheFormerIndex)
{
    QVPluginDescArray descs = ThreeDescs();
    descs.SortDescByUID();
    unsigned int index = 0;
    EXPECT_TRUE(descs.RemoveDescFromSortedArray(20, &index));
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(descs.Count(), 2u);
    EXPECT_EQ(descs[1].GetUID(), 30u);
    EXPECT_FALSE(descs.RemoveDescFromSortedArray(20, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_FALSE(descs.RemoveDescFromSortedArray(0, &index));
    EXPECT_EQ(descs.Count(), 2u);
}

}  // namespace
