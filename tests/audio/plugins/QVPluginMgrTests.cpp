// The plug-in manager with a fake host: the description list, scanning,
// instances and their deferred deletion, and the search folders kept in the
// preferences.

#include "AKIdlingCenter.h"
#include "LogCapture.h"
#include "PluginTestFixtures.h"
#include "QVPluginMgr.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <typeinfo>

namespace {

// UIDs whose text is readable: "vst3000A" and so on.
constexpr QVPluginDescUID kUIDA = 0x7673743300000041ull;
constexpr QVPluginDescUID kUIDB = 0x7673743300000042ull;
constexpr QVPluginDescUID kUIDC = 0x7673743300000043ull;

class QVPluginMgrTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVAudioServices::Install(&mServices);
        mHost = new FakePluginHost();
        Mgr().SetQVLibExtendedFunctions(mHost);
    }
    void TearDown() override
    {
        Mgr().Terminate();
        QVAudioServices::Install(nullptr);
        EXPECT_EQ(FakePluginInstance::LiveCount(), 0);
    }

    static QVPluginMgr& Mgr() { return QVPluginMgr::sShared; }

    // Lists three plug-ins and initialises the manager.
    void InitWithThreePlugins()
    {
        mHost->mList.Push(FakeDesc(kUIDB, "Bravo"));
        mHost->mList.Push(FakeDesc(kUIDA, "Alpha"));
        mHost->mList.Push(FakeDesc(kUIDC, "Charlie"));
        Mgr().InitializeWithCurrentPrefs();
    }

    FakeAudioServices mServices;
    FakePluginHost* mHost = nullptr;  // owned by the manager
};

TEST_F(QVPluginMgrTest, BeforeInitialisationNothingCanBeDone)
{
    mHost->mList.Push(FakeDesc(kUIDA, "Alpha"));
    mHost->mRescanning = true;
    ASSERT_EQ(Mgr().GetPluginDescs().Count(), 1u);
    EXPECT_EQ(Mgr().GetPluginDesc(kQVNullPluginDescUID).GetName(), "No Plugin");
    EXPECT_EQ(Mgr().CreatePluginInstance(kUIDA), nullptr);
    EXPECT_FALSE(Mgr().StartRescanAllPlugins());
    EXPECT_FALSE(Mgr().IsRescanning());
    EXPECT_EQ(mHost->mCreateCalls, 0);
    EXPECT_EQ(mHost->mRescanStarts, 0);

    // A release is ignored: the caller keeps the instance.
    FakePluginInstance* const stray = new FakePluginInstance(FakeDesc(kUIDA, "Alpha"));
    Mgr().ReleasePluginInstance(stray);
    EXPECT_EQ(Mgr().CountQueuedInstances(), 0u);
    EXPECT_EQ(stray->mWindowCalls, 0);
    delete stray;

    QVPluginSearchPathArray paths;
    paths.AppendUserPath("/x", true);
    Mgr().GetSearchPathsFromPrefs(&paths);
    EXPECT_TRUE(paths.IsEmpty());
    AKFilePathArray scan = {"/stale/"};
    Mgr().GetSearchPathsToScann(&scan, {"/Standard/"});
    EXPECT_TRUE(scan.IsEmpty());
}

TEST_F(QVPluginMgrTest, TheDoNothingHostListsOnlyNoPlugin)
{
    Mgr().SetQVLibExtendedFunctions(nullptr);
    mHost = nullptr;
    Mgr().InitializeWithCurrentPrefs();
    EXPECT_TRUE(Mgr().IsInitialized());
    ASSERT_EQ(Mgr().GetPluginDescs().Count(), 1u);
    EXPECT_EQ(Mgr().GetPluginDescs()[0].GetName(), "No Plugin");
    EXPECT_EQ(Mgr().CreatePluginInstance(kUIDA), nullptr);
    EXPECT_FALSE(Mgr().StartRescanAllPlugins());
}

TEST_F(QVPluginMgrTest, SynchronisingKeepsTheFirstOfEachUIDAndWarnsOfTheOthers)
{
    mHost->mList.Push(FakeDesc(kUIDC, "Charlie"));
    mHost->mList.Push(FakeDesc(kUIDA, "Alpha"));
    mHost->mList.Push(FakeDesc(kUIDC, "Dup"));
    mHost->mList.Push(FakeDesc(kQVNullPluginDescUID, "Nothing"));
    mHost->mList.Push(QVPluginDesc(kUIDB, 0x41424344, "", "no name", 2, 2));
    unsigned int const stampBefore = Mgr().GetPluginListStamp();

    LogCapture capture;
    Mgr().InitializeWithCurrentPrefs();
    std::vector<std::string> const expected = {
        "# PLUGIN Warning: Plugin \"VST3-Dup\" can't be registered because its UID \"vst3000C\" already exists !\n"};
    EXPECT_EQ(capture.Lines(), expected);

    QVPluginDescArray const& descs = Mgr().GetPluginDescs();
    ASSERT_EQ(descs.Count(), 3u);
    EXPECT_EQ(descs[0].GetName(), "No Plugin");
    EXPECT_EQ(descs[1].GetUID(), kUIDA);
    EXPECT_EQ(descs[2].GetName(), "VST3-Charlie");
    EXPECT_EQ(Mgr().GetPluginDesc(kUIDC).GetName(), "VST3-Charlie");
    EXPECT_EQ(&Mgr().GetPluginDesc(kUIDB), &kQVNullPluginDesc);
    EXPECT_NE(Mgr().GetPluginListStamp(), stampBefore);
}

TEST_F(QVPluginMgrTest, SortedListPutsNoPluginFirstAndIsRebuiltOnlyAfterAChange)
{
    mHost->mList.Push(QVPluginDesc(kUIDB, kQVPluginFormatAudioUnit, "Alpha", "aufx,Alph,none/", 2, 2));
    mHost->mList.Push(FakeDesc(kUIDA, "Bravo"));
    Mgr().InitializeWithCurrentPrefs();

    QVPluginDescArray const& sorted = Mgr().GetSortedPluginDescs();
    ASSERT_EQ(sorted.Count(), 3u);
    EXPECT_EQ(sorted[0].GetName(), "No Plugin");  // "AU-Alpha" sorts before it by name
    EXPECT_EQ(sorted[0].GetUID(), kQVNullPluginDescUID);
    EXPECT_EQ(sorted[1].GetName(), "AU-Alpha");
    EXPECT_EQ(sorted[2].GetName(), "VST3-Bravo");
    EXPECT_EQ(Mgr().GetPluginDescs()[0].GetName(), "No Plugin");  // the list itself is untouched

    mHost->mList.Push(FakeDesc(kUIDC, "Aaron"));
    EXPECT_EQ(Mgr().GetSortedPluginDescs().Count(), 3u);  // no change of the list yet
    mHost->SynchronizePluginList();
    ASSERT_EQ(Mgr().GetSortedPluginDescs().Count(), 4u);
    EXPECT_EQ(Mgr().GetSortedPluginDescs()[2].GetName(), "VST3-Aaron");
}

TEST_F(QVPluginMgrTest, RescansAreRefusedWhileAnInstanceLives)
{
    InitWithThreePlugins();
    QVPluginInstance* const instance = Mgr().CreatePluginInstance(kUIDA);
    ASSERT_NE(instance, nullptr);

    EXPECT_FALSE(Mgr().StartRescanAllPlugins());
    EXPECT_EQ(Mgr().GetPluginDescs().Count(), 4u);
    EXPECT_EQ(mHost->mRescanStarts, 0);

    // A released instance no longer holds the list, even while it waits.
    Mgr().ReleasePluginInstance(instance);
    mHost->mRescanning = true;
    EXPECT_FALSE(Mgr().StartRescanAllPlugins());
    EXPECT_TRUE(Mgr().IsRescanning());
    mHost->mRescanning = false;
    EXPECT_TRUE(Mgr().StartRescanAllPlugins());
    EXPECT_EQ(mHost->mRescanStarts, 1);
    EXPECT_EQ(Mgr().GetPluginDescs().Count(), 1u);
}

TEST_F(QVPluginMgrTest, CreatedInstancesArePreparedForTheEngineFormatAndRegistered)
{
    InitWithThreePlugins();
    mServices.mAudioInfo.Setup(6, 256, 96000.0);
    EXPECT_EQ(Mgr().CreatePluginInstance(kQVNullPluginDescUID), nullptr);
    EXPECT_EQ(Mgr().CreatePluginInstance(0x1234), nullptr);
    EXPECT_EQ(mHost->mCreateCalls, 0);

    auto* const first = static_cast<FakePluginInstance*>(Mgr().CreatePluginInstance(kUIDB));
    auto* const second = static_cast<FakePluginInstance*>(Mgr().CreatePluginInstance(kUIDB));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetName(), "VST3-Bravo");
    EXPECT_EQ(first->mPrepared.channelCount, 6u);
    EXPECT_EQ(first->mPrepared.frameCount, 256u);
    EXPECT_EQ(first->mPrepared.sampleRate, 96000.0);
    EXPECT_GT(second->GetInstanceID(), first->GetInstanceID());
    EXPECT_EQ(Mgr().GetPluginInstance(first->GetInstanceID()), first);
    EXPECT_EQ(Mgr().GetPluginInstance(second->GetInstanceID()), second);
    EXPECT_EQ(Mgr().GetPluginInstance(kQVNullInstanceID), nullptr);
    EXPECT_EQ(Mgr().GetLiveInstances().Count(), 2u);

    mHost->mRefuseCreation = true;
    EXPECT_EQ(Mgr().CreatePluginInstance(kUIDA), nullptr);
    EXPECT_EQ(Mgr().GetLiveInstances().Count(), 2u);
}

TEST_F(QVPluginMgrTest, AnInvalidAudioFormatIsRefusedBeforeTheHostIsAsked)
{
    InitWithThreePlugins();
    QVAudioInfo const refused[] = {kQVNullAudioInfo, [] {
                                       QVAudioInfo noBlock;
                                       noBlock.Setup(2, 0, 48000.0);
                                       return noBlock;
                                   }()};
    for (QVAudioInfo const& info : refused) {
        mServices.mAudioInfo = info;
        LogCapture capture;
        EXPECT_EQ(Mgr().CreatePluginInstance(kUIDA), nullptr);
        ASSERT_EQ(capture.Lines().size(), 1u);
        EXPECT_EQ(capture.Lines()[0].rfind("# Quorvex Error -538 (kQVErrorCantLoadPlugin): ", 0), 0u)
            << capture.Lines()[0];
    }
    EXPECT_EQ(mHost->mCreateCalls, 0);
    EXPECT_TRUE(Mgr().GetLiveInstances().IsEmpty());
}

TEST_F(QVPluginMgrTest, ReleasedInstancesAreDeletedOnTheEighthIdlePass)
{
    InitWithThreePlugins();
    auto* const instance = static_cast<FakePluginInstance*>(Mgr().CreatePluginInstance(kUIDA));
    ASSERT_NE(instance, nullptr);
    instance->mWindowShown = true;
    QVInstanceID const id = instance->GetInstanceID();

    Mgr().ReleasePluginInstance(instance);
    EXPECT_FALSE(instance->mWindowShown);
    EXPECT_EQ(Mgr().GetPluginInstance(id), nullptr);
    EXPECT_TRUE(Mgr().GetLiveInstances().IsEmpty());
    EXPECT_EQ(Mgr().CountQueuedInstances(), 1u);
    EXPECT_TRUE(Mgr().IsIdlingRegistered());

    for (int pass = 1; pass <= 7; ++pass) {
        AKIdlingCenter::sShared.DoGlobalIdling();
        ASSERT_EQ(FakePluginInstance::LiveCount(), 1) << "pass " << pass;
    }
    AKIdlingCenter::sShared.DoGlobalIdling();
    EXPECT_EQ(FakePluginInstance::LiveCount(), 0);
    EXPECT_EQ(Mgr().CountQueuedInstances(), 0u);
    EXPECT_FALSE(Mgr().IsIdlingRegistered());
}

TEST_F(QVPluginMgrTest, ReleasingAnUnknownInstanceWarnsAndStillDeletesIt)
{
    InitWithThreePlugins();
    FakePluginInstance* const stray = new FakePluginInstance(FakeDesc(kUIDA, "Stray"));
    LogCapture capture;
    Mgr().ReleasePluginInstance(stray);
    std::vector<std::string> const expected = {"# PLUGIN Warning: Plugin instance \"VST3-Stray\" with ID [" +
                                               std::to_string(stray->GetInstanceID()) + "] cannot be found !\n"};
    EXPECT_EQ(capture.Lines(), expected);
    EXPECT_EQ(Mgr().CountQueuedInstances(), 1u);
    for (int pass = 0; pass < 8; ++pass)
        Mgr().DoIdling();
    EXPECT_EQ(FakePluginInstance::LiveCount(), 0);
}

TEST_F(QVPluginMgrTest, InstancesBeyondTheDirectTableAreFoundBySearch)
{
    InitWithThreePlugins();
    QVPluginInstance* const early = Mgr().CreatePluginInstance(kUIDA);
    ASSERT_NE(early, nullptr);
    // Instance IDs only grow: spend IDs until the next one is beyond 9999.
    while (true) {
        FakePluginInstance spent(FakeDesc(kUIDA, "Spent"));
        if (spent.GetInstanceID() >= 9999)
            break;
    }
    QVPluginInstance* const late = Mgr().CreatePluginInstance(kUIDB);
    ASSERT_NE(late, nullptr);
    ASSERT_GT(late->GetInstanceID(), 9999u);
    EXPECT_EQ(Mgr().GetPluginInstance(early->GetInstanceID()), early);
    EXPECT_EQ(Mgr().GetPluginInstance(late->GetInstanceID()), late);
    EXPECT_EQ(Mgr().GetPluginInstance(late->GetInstanceID() + 1), nullptr);
    EXPECT_EQ(Mgr().GetPluginInstance(kQVNullInstanceID), nullptr);

    Mgr().ReleasePluginInstance(early);
    EXPECT_EQ(Mgr().GetPluginInstance(early->GetInstanceID()), nullptr);
    EXPECT_EQ(Mgr().GetPluginInstance(late->GetInstanceID()), late);
}

TEST_F(QVPluginMgrTest, TerminateDeletesEveryInstanceAndReinstallsTheDoNothingHost)
{
    InitWithThreePlugins();
    ASSERT_NE(Mgr().CreatePluginInstance(kUIDA), nullptr);
    Mgr().ReleasePluginInstance(Mgr().CreatePluginInstance(kUIDB));
    EXPECT_EQ(FakePluginInstance::LiveCount(), 2);

    Mgr().Terminate();
    EXPECT_FALSE(Mgr().IsInitialized());
    EXPECT_EQ(FakePluginInstance::LiveCount(), 0);
    EXPECT_EQ(Mgr().CountQueuedInstances(), 0u);
    EXPECT_EQ(Mgr().GetPluginDescs().Count(), 1u);
    EXPECT_EQ(typeid(*Mgr().GetQVLibExtendedFunctions()), typeid(QVPluginMgrLibext));
}

TEST_F(QVPluginMgrTest, LogInfoListsEveryDescription)
{
    mHost->mList.Push(FakeDesc(kUIDA, "Alpha"));
    Mgr().InitializeWithCurrentPrefs();
    LogCapture capture;
    Mgr().LogInfo(0);
    std::vector<std::string> const lines = capture.Lines();
    std::string const rule = "+" + std::string(82, '=') + "+\n";
    ASSERT_EQ(lines.size(), 3u + 2u * 5u + 1u);
    EXPECT_EQ(lines[0], rule);
    EXPECT_EQ(lines[1], "| Plugin-Manager has 2 Plugin(s)\n");
    EXPECT_EQ(lines[2], rule);
    EXPECT_EQ(lines[4], "| Name:    \"No Plugin\"\n");
    EXPECT_EQ(lines[9], "| Name:    \"VST3-Alpha\"\n");
    EXPECT_EQ(lines.back(), "\n");
}

// --- Search folders ---

class QVPluginMgrSearchPathTest : public QVPluginMgrTest
{
protected:
    void SetUp() override
    {
        QVPluginMgrTest::SetUp();
        char pattern[] = "/tmp/orvel-plugin-folders-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        mRoot = pattern;
        for (char const* name : {"std1", "std2", "user1", "user2"})
            std::filesystem::create_directory(mRoot + "/" + name);
    }
    void TearDown() override
    {
        QVPluginMgrTest::TearDown();
        std::filesystem::remove_all(mRoot);
    }

    AKFilePath Folder(char const* name) const { return AKFilePath((mRoot + "/" + name + "/").c_str()); }

    void SavePrefs(std::initializer_list<std::pair<char const*, unsigned int>> entries)
    {
        for (auto const& [name, flags] : entries) {
            mServices.mSearchPaths.Push(Folder(name));
            mServices.mSearchFlags.Push(flags);
        }
    }

    // "name:flags" per entry, the folder given by its last component.
    static std::string Describe(QVPluginSearchPathArray const& paths)
    {
        std::string text;
        for (QVPluginSearchPath const& entry : paths) {
            text += text.empty() ? "" : " ";
            text += entry.path.LastComponent().c_str();
            text += ":";
            text += entry.isDefault ? "D" : "";
            text += entry.isEnabled ? "E" : "";
            text += entry.exists ? "X" : "";
        }
        return text;
    }

    std::string mRoot;
};

constexpr unsigned int kDefault = kQVPluginSearchFlagDefault;
constexpr unsigned int kEnabled = kQVPluginSearchFlagEnabled;

TEST_F(QVPluginMgrSearchPathTest, OnlyPairsOfPathAndFlagsAreLoaded)
{
    mServices.mSearchPaths = {Folder("user2"), Folder("user1"), Folder("std1")};
    mServices.mSearchFlags = {kEnabled, 0};
    Mgr().InitializeWithCurrentPrefs();
    QVPluginSearchPathArray paths;
    Mgr().GetSearchPathsFromPrefs(&paths);
    EXPECT_EQ(Describe(paths), "user1:X user2:EX");
}

TEST_F(QVPluginMgrSearchPathTest, StandardFoldersKeepTheSavedEnabledFlagWhileTheHostReportsThem)
{
    // std1 was saved disabled, std2 enabled, gone was a standard folder the
    // host no longer reports; the host now reports std1 and a new one, std3.
    SavePrefs({{"std1", kDefault}, {"std2", kDefault | kEnabled}, {"gone", kDefault}, {"user1", kEnabled}});
    mHost->mDefaultPaths = {Folder("std3"), Folder("std1")};
    Mgr().InitializeWithCurrentPrefs();

    QVPluginSearchPathArray paths;
    Mgr().GetSearchPathsFromPrefs(&paths);
    EXPECT_EQ(Describe(paths), "std1:DX std3:DE user1:EX");
}

TEST_F(QVPluginMgrSearchPathTest, ScanningLeavesOutDisabledStandardFoldersAndMissingUserFolders)
{
    SavePrefs({{"std1", kDefault}, {"user1", kEnabled}, {"user2", 0}, {"missing", kEnabled}});
    mHost->mDefaultPaths = {Folder("std1"), Folder("std2")};
    Mgr().InitializeWithCurrentPrefs();

    AKFilePathArray scan;
    Mgr().GetSearchPathsToScann(&scan, {Folder("std1"), Folder("std2"), Folder("vst3only")});
    ASSERT_EQ(scan.Count(), 3u);
    EXPECT_EQ(scan[0], Folder("std2"));
    EXPECT_EQ(scan[1], Folder("vst3only"));  // not in the list: scanned
    EXPECT_EQ(scan[2], Folder("user1"));
}

TEST_F(QVPluginMgrSearchPathTest, StoringTheFoldersWritesOnePairPerFolder)
{
    mHost->mDefaultPaths = {Folder("std1")};
    Mgr().InitializeWithCurrentPrefs();
    QVPluginSearchPathArray paths;
    Mgr().GetSearchPathsFromPrefs(&paths);
    paths[0].isEnabled = false;
    paths.AppendUserPath(Folder("user1"), true);
    paths.AppendUserPath(Folder("user2"), false);
    Mgr().SetSearchPathsToPrefs(paths);

    AKFilePathArray const expectedPaths = {Folder("std1"), Folder("user1"), Folder("user2")};
    QVPluginSearchFlagArray const expectedFlags = {kDefault, kEnabled, 0};
    EXPECT_EQ(mServices.mSearchPaths, expectedPaths);
    EXPECT_EQ(mServices.mSearchFlags, expectedFlags);

    // What was stored comes back the same at the next start.
    Mgr().Terminate();
    mHost = new FakePluginHost();
    mHost->mDefaultPaths = {Folder("std1")};
    Mgr().SetQVLibExtendedFunctions(mHost);
    Mgr().InitializeWithCurrentPrefs();
    QVPluginSearchPathArray reloaded;
    Mgr().GetSearchPathsFromPrefs(&reloaded);
    EXPECT_EQ(Describe(reloaded), "std1:DX user1:EX user2:X");
}

}  // namespace
