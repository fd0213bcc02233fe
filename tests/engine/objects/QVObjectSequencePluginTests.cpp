// The count of plug-ins among a sequence's players and subs: recounted by
// the fast links and kept up as plug-ins are attached and removed.

#include "SilentEffectFixtures.h"

#include <gtest/gtest.h>

namespace {

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SilentEffectEnvironment());

TEST(QVObjectSequencePlugins, CountFollowsThePlayersAndSubsThatCarryOne)
{
    SeqDoc doc;
    ASSERT_TRUE(doc.Load(SeqDocument({SeqNode(
        "sequenc", nullptr, {SeqNode("atomic", nullptr), SeqNode("cursor", nullptr, {SeqNode("atomic", nullptr)})})})));
    QVObjectSequence* sequence = doc.Sequence(0);
    QVObjectPlayableArray const& all = sequence->GetFLAllPlayables();
    ASSERT_EQ(all.Count(), 4u);
    EXPECT_EQ(sequence->GetFLPluginCount(), 0);

    // The sequence's own plug-in is not counted.
    ASSERT_TRUE(sequence->AttachPlugin(kSilentEffectUID));
    EXPECT_EQ(sequence->GetFLPluginCount(), 0);
    for (unsigned int i = 1; i < all.Count(); ++i) {
        ASSERT_TRUE(all[i]->AttachPlugin(kSilentEffectUID));
        ASSERT_NE(all[i]->GetPluginInstance(), nullptr);
        EXPECT_EQ(sequence->GetFLPluginCount(), static_cast<int>(i));
    }
    ASSERT_TRUE(all[1]->AttachPlugin(kQVNullPluginDescUID));
    EXPECT_EQ(sequence->GetFLPluginCount(), 2);

    // The fast links count again from the instances.
    SeqChildrenChanged(sequence);
    doc.sequences->RaiseStamp(kAKObjectStampFarSubLinks);
    doc.Synchronize();
    EXPECT_EQ(sequence->GetFLPluginCount(), 2);
}

}  // namespace
