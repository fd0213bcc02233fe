// The engine's answers to the sound providers: start options, localisation,
// the open documents, the bounce jobs' documents and the provider IDs a
// document's tracks name, as the provider manager uses them.

#include "AKClassMgr.h"
#include "AKObjectFolderRoot.h"
#include "AKValueTyped.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVDocumentProviderMarks.h"
#include "QVEngineServices.h"
#include "QVLibBasicOptions.h"
#include "QVProviderMgr.h"
#include "QVProviderReleaseQueue.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <memory>

using namespace SoundFixtures;

namespace {

class DocumentEnvironment : public ::testing::Environment
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
        ASSERT_EQ(registry.RegisterComplete(nullptr), 0);
    }
    void TearDown() override { AKClassMgr::sShared.Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DocumentEnvironment());

class QVEngineProviderServicesTest : public ::testing::Test
{
protected:
    void SetUp() override { QVEngineServices::Install(); }
    void TearDown() override
    {
        QVProviderMgr::sShared.Terminate();
        QVEngineServices::Uninstall();
        gQVLib.SetupForCompleteApplication();
    }
};

TEST_F(QVEngineProviderServicesTest, OptionsAndLocalisation)
{
    QVAudioServices const& services = QVAudioServices::Get();
    EXPECT_TRUE(services.IsRealTimeLoadingOn());
    EXPECT_TRUE(services.IsWaveformBuildingOn());
    gQVLib.SetupFromParametersString("Waveform=1");
    EXPECT_FALSE(services.IsRealTimeLoadingOn());
    EXPECT_TRUE(services.IsWaveformBuildingOn());
    EXPECT_STREQ(services.LocaleGetString("(Unknown Format)"), "(Unknown Format)");
    ATArray<QVDocument*> documents;
    documents.Push(nullptr);
    services.GetBounceUsedPrivateDocuments(&documents);
    EXPECT_TRUE(documents.IsEmpty());
}

// Sounds the open documents' tracks name stay; the others go, and the
// "Providers" list of a document holds its own sounds only.
TEST_F(QVEngineProviderServicesTest, ProvidersOfOpenDocuments)
{
    gQVLib.SetupFromParametersString("");  // load at once
    TempFolder folder;
    SoundRecipe recipe;
    QVProviderMgr& mgr = QVProviderMgr::sShared;
    ATArray<QVProvider*> providers;
    for (char const* name : {"a.wav", "b.wav", "c.wav"}) {
        ASSERT_TRUE(WriteSoundFile(folder.File(name), recipe));
        providers.Push(mgr.RegisterProvider(EnginePath(folder.File(name))));
    }
    auto first = std::make_unique<QVDocument>(0u, 0u);
    auto second = std::make_unique<QVDocument>(0u, 0u);
    ATArray<QVDocument*> open;
    QVAudioServices::Get().GetOpenDocuments(&open);
    ASSERT_EQ(open.Count(), 2u);
    EXPECT_EQ(open[0], first.get());

    QVDocumentProviderMarks::SetActiveProviderIDsForTesting(first.get(), {providers[2]->GetID()});
    QVDocumentProviderMarks::SetActiveProviderIDsForTesting(second.get(), {providers[0]->GetID(), 50000});
    QVProviderIDArray ids;
    mgr.GrabActiveProviderIDsInDocument(&ids, second.get());
    ASSERT_EQ(ids.Count(), 1u);
    EXPECT_EQ(ids[0], providers[0]->GetID());

    AKDictionary written;
    ASSERT_EQ(mgr.WriteLinkedToDictionary(&written, EnginePath(folder.File("doc.score")), first.get()), 0);
    AKValueArray const& list = AKValueGetasAKValueArray(written.GetValue("Providers"));
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(AKValueGetasAKFilePath(AKValueGetasAKDictionary(list[0]).GetValue("PathRel")), AKFilePath("c.wav"));

    unsigned int removed = 0;
    EXPECT_TRUE(mgr.RemoveUnusedProviders(&removed));
    EXPECT_EQ(removed, 1u);
    EXPECT_EQ(mgr.GetProviderByID(providers[1]->GetID()), nullptr);
    EXPECT_NE(mgr.GetProviderByID(providers[0]->GetID()), nullptr);

    QVDocumentProviderMarks::Forget(first.get());
    QVDocumentProviderMarks::Forget(second.get());
    second.reset();
    first.reset();
    EXPECT_TRUE(mgr.RemoveUnusedProviders(&removed));
    EXPECT_EQ(removed, 2u);
}

}  // namespace
