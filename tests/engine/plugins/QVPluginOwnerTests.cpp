// Plug-ins carried by playables in open documents: attaching, the bypass
// through the playable, the release by the playable, and the plug-in
// manager's search for the document and playable that carry an instance.

#include "AKClassMgr.h"
#include "AKObjectFolderRoot.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"
#include "QVObjectPlayable.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr QVPluginDescUID kReverb = 0x7673743300000052ull;
constexpr QVPluginDescUID kDelay = 0x7673743300000044ull;

// A playable that is nothing more.
class TestPlayable : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(TestPlayable, "tstPlay")

    TestPlayable() : QVObjectPlayable(0) {}
};

// An effect that processes nothing.
class SilentInstance : public QVPluginInstance
{
public:
    explicit SilentInstance(QVPluginDesc const& desc) : QVPluginInstance(desc) {}

    bool SetStateInformation(AKMemoryBlock const&) override { return true; }
    bool GetStateInformation(AKMemoryBlock*) const override { return true; }
    void PrepareAudioResources(QVAudioInfo const& info) override { mPrepared = info; }
    void ReleaseAudioResources() override {}
    bool ShowPluginWindow(bool) override { return true; }
    void ApplyRTFilterSelf(QXSampleBuffer<double>*, bool, bool) const override {}

    QVAudioInfo mPrepared;
};

class TestHost : public QVPluginMgrLibext
{
public:
    void GrabCurrentPluginList(QVPluginDescArray* descs) const override
    {
        descs->Push(QVPluginDesc(kReverb, kQVPluginFormatVST3, "Reverb", "/reverb", 2, 2));
        descs->Push(QVPluginDesc(kDelay, kQVPluginFormatVST3, "Delay", "/delay", 2, 2));
    }
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const& info) override
    {
        SilentInstance* const instance = new SilentInstance(desc);
        instance->PrepareAudioResources(info);
        return instance;
    }
};

// Registers the classes once per program, with a document type whose root
// takes test playables.
class PlayableEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        AKClassMgr& registry = AKClassMgr::sShared;
        registry.Terminate();
        ASSERT_EQ(registry.RegisterBegin(), 0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfAbstract<AKObject>(AKObject::_ClassID(), "AKObject"), false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(
                AKClassInfoOfConcrete<AKObjectFolderRoot>(AKObject::_ClassID(), "AKObjectFolderRoot"), false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfAbstract<QVObjectPlayable>(AKObject::_ClassID(), "QVObjectPlayable"),
                                   false, nullptr),
            0);
        ASSERT_EQ(
            registry.RegisterClass(AKClassInfoOfConcrete<TestPlayable>(QVObjectPlayable::_ClassID(), "TestPlayable"),
                                   false, nullptr),
            0);
        ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
        QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
        types.RegisterDocumentTypeInfo(QVDocumentTypeInfo(types.CountDocumentTypes() + 1, "PlayTest", "ptst",
                                                          TestPlayable::_ClassID(), AKClassID(), AKClassID(),
                                                          AKClassID()));
        sDocumentType = types.CountDocumentTypes();
    }
    void TearDown() override { AKClassMgr::sShared.Terminate(); }

    static inline unsigned int sDocumentType = 0;
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PlayableEnvironment());

class QVPluginOwnerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVEngineServices::Install();
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(new TestHost());
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
    }
    void TearDown() override
    {
        mDocuments.clear();
        QVPluginMgr::sShared.Terminate();
        QVEngineServices::Uninstall();
    }

    // A registered document whose root holds `count` playables.
    QVDocument* NewDocument(unsigned int count)
    {
        mDocuments.push_back(std::make_unique<QVDocument>(PlayableEnvironment::sDocumentType, 0));
        QVDocument* const document = mDocuments.back().get();
        AKTree* const tree = document->GetTree();
        EXPECT_EQ(tree->InitDefault(PlayableEnvironment::sDocumentType), 0);
        ATObjectArray<AKObject> objects;
        for (unsigned int i = 0; i < count; ++i)
            objects.Push(AKNew<TestPlayable>("%s", ""));
        EXPECT_EQ(tree->DoTreeSelAddNewObjects(nullptr, nullptr, tree->GetRootNode(), kAKLinkModeLastChildren, objects),
                  0);
        return document;
    }

    static TestPlayable* PlayableAt(QVDocument* document, unsigned int index)
    {
        // The root is node 1; its children follow in order.
        return document->GetTree()->GetObjectT<TestPlayable>(static_cast<AKNodeID>(2 + index));
    }

    std::vector<std::unique_ptr<QVDocument>> mDocuments;
};

TEST_F(QVPluginOwnerTest, AttachingCreatesAnInstanceForTheDocumentManagersFormat)
{
    TestPlayable* const playable = PlayableAt(NewDocument(1), 0);
    ASSERT_NE(playable, nullptr);
    unsigned int const stamp = playable->GetPluginStamp();
    EXPECT_TRUE(playable->AttachPlugin(kReverb));
    auto* const instance = static_cast<SilentInstance*>(playable->GetPluginInstance());
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->GetUID(), kReverb);
    EXPECT_EQ(instance->mPrepared.channelCount, 2u);
    EXPECT_EQ(instance->mPrepared.frameCount, 512u);
    EXPECT_EQ(instance->mPrepared.sampleRate, 48000.0);
    EXPECT_NE(playable->GetPluginStamp(), stamp);
    EXPECT_TRUE(playable->IsModified());
    EXPECT_FALSE(playable->AttachPlugin(kReverb));

    // Another plug-in replaces the instance; the old one waits for deletion.
    EXPECT_TRUE(playable->AttachPlugin(kDelay));
    EXPECT_EQ(playable->GetPluginInstance()->GetUID(), kDelay);
    EXPECT_EQ(QVPluginMgr::sShared.CountQueuedInstances(), 1u);
    EXPECT_TRUE(playable->AttachPlugin(kQVNullPluginDescUID));
    EXPECT_EQ(playable->GetPluginInstance(), nullptr);
    EXPECT_EQ(QVPluginMgr::sShared.CountQueuedInstances(), 2u);
}

TEST_F(QVPluginOwnerTest, WithoutAValidDeviceFormatTheUIDIsKeptWithoutAnInstance)
{
    TestPlayable* const playable = PlayableAt(NewDocument(1), 0);
    QVAudioInfo const kept = QVDocumentMgr::sShared.GetCurrentAudioInfo();
    QVDocumentMgr::sShared.PrepareRealTimeAudioResources(kQVNullAudioInfo);
    EXPECT_TRUE(playable->AttachPlugin(kReverb));
    QVDocumentMgr::sShared.PrepareRealTimeAudioResources(kept);
    EXPECT_EQ(playable->GetPluginUID(), kReverb);
    EXPECT_EQ(playable->GetPluginInstance(), nullptr);
    EXPECT_FALSE(playable->SetPluginBypass(1));
}

TEST_F(QVPluginOwnerTest, TheBypassGoesThroughThePlayable)
{
    TestPlayable* const playable = PlayableAt(NewDocument(1), 0);
    EXPECT_FALSE(playable->SetPluginBypass(1));  // nothing attached
    ASSERT_TRUE(playable->AttachPlugin(kReverb));
    playable->SetModified(false);
    unsigned int stamp = playable->GetPluginStamp();

    EXPECT_TRUE(playable->SetPluginBypass(1));
    EXPECT_TRUE(playable->IsPluginBypass());
    EXPECT_TRUE(playable->IsModified());
    EXPECT_NE(playable->GetPluginStamp(), stamp);

    stamp = playable->GetPluginStamp();
    playable->SetModified(false);
    EXPECT_FALSE(playable->SetPluginBypass(1));
    EXPECT_EQ(playable->GetPluginStamp(), stamp);
    EXPECT_FALSE(playable->IsModified());

    EXPECT_TRUE(playable->SetPluginBypass(2));
    EXPECT_FALSE(playable->IsPluginBypass());
}

TEST_F(QVPluginOwnerTest, OwnersAreFoundInEveryOpenDocumentAndRemembered)
{
    QVDocument* const first = NewDocument(3);
    QVDocument* const second = NewDocument(2);
    ASSERT_TRUE(PlayableAt(first, 0)->AttachPlugin(kReverb));
    ASSERT_TRUE(PlayableAt(first, 2)->AttachPlugin(kDelay));
    TestPlayable* const carrier = PlayableAt(second, 1);
    ASSERT_TRUE(carrier->AttachPlugin(kReverb));
    QVPluginInstance* const instance = carrier->GetPluginInstance();

    QVDocument* document = nullptr;
    QVObjectPlayable* playable = nullptr;
    QVPluginInstance* found = nullptr;
    ASSERT_TRUE(QVPluginMgr::sShared.RetrieveOwnerObject(instance->GetInstanceID(), &document, &playable, &found));
    EXPECT_EQ(document, second);
    EXPECT_EQ(playable, carrier);
    EXPECT_EQ(found, instance);
    EXPECT_EQ(instance->GetOwnerDocumentID(), second->GetDocumentID());
    EXPECT_EQ(instance->GetOwnerNodeID(), carrier->NodeOwnerID());

    // The next search goes straight to the remembered carrier.
    ASSERT_TRUE(QVPluginMgr::sShared.RetrieveOwnerObject(instance->GetInstanceID(), &document, &playable, nullptr));
    EXPECT_EQ(playable, carrier);

    // A remembered carrier that no longer resolves is not searched again.
    instance->SetOwner(second->GetDocumentID(), 99);
    EXPECT_FALSE(QVPluginMgr::sShared.RetrieveOwnerObject(instance->GetInstanceID(), &document, &playable, &found));
    EXPECT_EQ(document, nullptr);
    EXPECT_EQ(playable, nullptr);
    EXPECT_EQ(found, nullptr);
    instance->SetOwner(first->GetDocumentID(), 1);  // the root folder: not a playable
    EXPECT_FALSE(QVPluginMgr::sShared.RetrieveOwnerObject(instance->GetInstanceID(), &document, &playable, &found));
}

TEST_F(QVPluginOwnerTest, InstancesWithoutACarrierHaveNoOwner)
{
    NewDocument(2);
    QVPluginInstance* const loose = QVPluginMgr::sShared.CreatePluginInstance(kDelay);
    ASSERT_NE(loose, nullptr);
    QVDocument* document = nullptr;
    QVObjectPlayable* playable = nullptr;
    QVPluginInstance* found = nullptr;
    EXPECT_FALSE(QVPluginMgr::sShared.RetrieveOwnerObject(loose->GetInstanceID(), &document, &playable, &found));
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(loose->GetOwnerDocumentID(), kQVNullDocumentID);
    EXPECT_FALSE(QVPluginMgr::sShared.RetrieveOwnerObject(loose->GetInstanceID() + 100, &document, &playable, &found));
    QVPluginMgr::sShared.ReleasePluginInstance(loose);
}

TEST_F(QVPluginOwnerTest, ClosingADocumentReleasesItsInstances)
{
    QVDocument* const document = NewDocument(2);
    ASSERT_TRUE(PlayableAt(document, 0)->AttachPlugin(kReverb));
    ASSERT_TRUE(PlayableAt(document, 1)->AttachPlugin(kDelay));
    EXPECT_EQ(QVPluginMgr::sShared.GetLiveInstances().Count(), 2u);
    QVDocumentID const id = document->GetDocumentID();
    EXPECT_EQ(QVDocumentMgr::sShared.GetDocumentByID(id), document);

    mDocuments.clear();
    EXPECT_EQ(QVDocumentMgr::sShared.GetDocumentByID(id), nullptr);
    EXPECT_TRUE(QVPluginMgr::sShared.GetLiveInstances().IsEmpty());
    EXPECT_EQ(QVPluginMgr::sShared.CountQueuedInstances(), 2u);
}

}  // namespace
