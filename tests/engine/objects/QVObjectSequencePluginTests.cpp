// The count of plug-ins among a sequence's players and subs: recounted by
// the fast links and kept up as plug-ins are attached and removed.

#include "QVAudioServices.h"
#include "QVPluginDesc.h"
#include "QVPluginInstance.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"
#include "SequenceTestFixtures.h"

#include <gtest/gtest.h>

namespace {

constexpr QVPluginDescUID kEffectUID = 0x7365717100000001ull;

class SilentEffect : public QVPluginInstance
{
public:
    explicit SilentEffect(QVPluginDesc const& desc) : QVPluginInstance(desc) {}
    bool SetStateInformation(AKMemoryBlock const&) override { return true; }
    bool GetStateInformation(AKMemoryBlock*) const override { return true; }
    void PrepareAudioResources(QVAudioInfo const&) override {}
    void ReleaseAudioResources() override {}
    bool ShowPluginWindow(bool) override { return false; }
    void ApplyRTFilterSelf(QXSampleBuffer<double>*, bool, bool) const override {}
};

class EffectHost : public QVPluginMgrLibext
{
public:
    EffectHost() : QVPluginMgrLibext(&QVPluginMgr::sShared) {}
    void GrabCurrentPluginList(QVPluginDescArray* descs) const override
    {
        descs->Push(QVPluginDesc(kEffectUID, kQVPluginFormatVST3, "Silence", "/plugins/Silence", 2, 2));
    }
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const&) override
    {
        return new SilentEffect(desc);
    }
};

class StereoServices : public QVAudioServices
{
public:
    StereoServices() { mInfo.Setup(2, 512, 48000.0); }
    QVAudioInfo GetCurrentAudioInfo() const override { return mInfo; }
    QVAudioInfo mInfo;
};

class PluginEnvironment : public SequenceTestEnvironment
{
public:
    void SetUp() override
    {
        SequenceTestEnvironment::SetUp();
        QVAudioServices::Install(&mServices);
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(new EffectHost());
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
    }
    void TearDown() override
    {
        QVPluginMgr::sShared.Terminate();
        QVAudioServices::Install(nullptr);
        SequenceTestEnvironment::TearDown();
    }

private:
    StereoServices mServices;
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PluginEnvironment());

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
    ASSERT_TRUE(sequence->AttachPlugin(kEffectUID));
    EXPECT_EQ(sequence->GetFLPluginCount(), 0);
    for (unsigned int i = 1; i < all.Count(); ++i) {
        ASSERT_TRUE(all[i]->AttachPlugin(kEffectUID));
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
