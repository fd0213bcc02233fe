// The C-style interface's bounce of a sequence or of one of its tracks runs
// the bounce command end to end: the file holds the duration asked for.

#include "QVUniversalProcs.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void IgnoreLog(char const*) {}

TEST(QVGandlerBounceCStyleTest, SequenceAndTrackBouncesWriteTheirFiles)
{
    SoundFixtures::TempFolder folder;
    SoundFixtures::SoundRecipe recipe;
    recipe.frames = 44100;
    recipe.signal = SoundFixtures::Signal::Sine;
    ASSERT_TRUE(SoundFixtures::WriteSoundFile(folder.File("tone.wav"), recipe));
    ASSERT_EQ(_QX_initialize("RealTime=0;HostIdle=0;", &IgnoreLog), 0);
    int document = 0;
    int sequence = 0;
    ASSERT_EQ(_QX_newDocument("bounce", &document), 0);
    ASSERT_EQ(_QX_createSequenceWithSound(document, "take", folder.File("tone.wav").c_str(), &sequence), 0);
    int* ids = nullptr;
    int count = 0;
    ASSERT_EQ(_QX_getSubTracks(document, sequence, &ids, &count), 0);
    ASSERT_EQ(count, 1);
    int const track = ids[0];

    QXBounceParam const param = {0.5, 44100.0, 2, 16};
    for (int object : {sequence, track}) {
        SCOPED_TRACE(object);
        std::string const path = folder.File("out" + std::to_string(object) + ".wav");
        ASSERT_EQ(_QX_commandBounceOnTracks(document, object, path.c_str(), &param), 0);
        SF_INFO info = {};
        SoundFixtures::ReadSoundFile(path, &info);
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.frames, 22050);
    }
    EXPECT_EQ(_QX_closeDocument(document), 0);
    EXPECT_EQ(_QX_terminate(), 0);
}

}  // namespace
