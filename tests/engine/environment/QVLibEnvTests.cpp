// The engine's start and stop, once per program as in the application: what
// the start sets up and logs, what a second start and a second stop do, the
// order in which the stop releases the managers, and what is left after it.

#include "AKClass.h"
#include "AKClassArray.h"
#include "AKClassMgr.h"
#include "AKEngineServices.h"
#include "AKFile.h"
#include "AKFileUtils.h"
#include "AKObjectFolderRoot.h"
#include "AKTreePasteboard.h"
#include "AKTreeSelModelMgr.h"
#include "AKValue.h"
#include "AKValueTyped.h"
#include "EnvironmentFixtures.h"
#include "LogCapture.h"
#include "QVAudioResourcePrefs.h"
#include "QVAudioServices.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"
#include "QVLibEnv.h"
#include "QVPluginMgr.h"
#include "QVPluginMgrLibext.h"
#include "QVPrefs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the engine still held when the plug-in manager let its host go.
struct StopSnapshot {
    bool called = false;
    bool classesRegistered = false;
    bool settingsFolderKnown = false;
    bool servicesInstalled = false;
    bool pasteboardEmpty = false;
    unsigned int customPlayers = 0;
    size_t logLines = 0;
};

class RecordingPluginHost : public QVPluginMgrLibext
{
public:
    RecordingPluginHost(StopSnapshot* snapshot, LogCapture const* log) : mSnapshot(snapshot), mLog(log) {}
    void Terminate() override
    {
        mSnapshot->called = true;
        mSnapshot->classesRegistered = AKClass::GetClassOfID(AKClassID("foldRot")) != nullptr;
        mSnapshot->settingsFolderKnown = !QVGetStandardPath(kQVStandardFolderSettings).IsEmpty();
        mSnapshot->servicesInstalled = &AKEngineServices::Get() == &QVEngineServices::sShared;
        mSnapshot->pasteboardEmpty = AKTreePasteboard::sShared.IsEmpty();
        mSnapshot->customPlayers = AKTreeSelModelMgr::sShared.CountModels();
        mSnapshot->logLines = mLog->Lines().size();
    }

private:
    StopSnapshot* const mSnapshot;
    LogCapture const* const mLog;
};

std::string const kBanner = "\n# Orvel-Player 1.7.0 Starts (MacOS 64 bits Application / 64 bits Audio Treatments).\n\n";
std::string const kTerminated = "# Orvel-Player has terminated.\n";

TEST(QVLibEnvTest, StartAndStopOnceEachInTheirOrder)
{
    LogCapture log;
    ASSERT_FALSE(QVLibEnv::IsInitialized());
    TempFolder repository;
    EXPECT_EQ(QVLibEnv::InitRepository(repository.Folder()), -1);
    EXPECT_TRUE(QVLibEnv::GetUserRepository().IsEmpty());

    // The audio resources' copy of the preferences is refreshed by the start.
    QVAudioResourcePrefs::sShared.providerSimultaneousLoad = 17;
    AKFile::SetPreferedModeCache(kAKFileModeMemoryStream);

    ASSERT_EQ(QVLibEnv::Initialize(true), 0);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{kBanner});
    EXPECT_TRUE(QVLibEnv::IsInitialized());

    // --- What the start set up ---
    EXPECT_EQ(AKFile::sPreferedModeCache, kAKFileModeTemporary);
    EXPECT_EQ(QVAudioResourcePrefs::sShared.providerSimultaneousLoad, QVPrefs::sShared.GetProviderSimultaneousLoad());
    EXPECT_TRUE(AKClassMgr::sShared.IsRegistrationComplete());
    EXPECT_NE(AKClass::GetClassOfID(AKClassID("foldRot")), nullptr);
    EXPECT_EQ(QVGetStandardPath(kQVStandardFolderApplication), AKFileUtils::GetApplicationDirPath(nullptr));
    EXPECT_FALSE(QVGetStandardPath(kQVStandardFolderSettings).IsEmpty());
    // The layers below reach the engine: its document type and its settings folder.
    EXPECT_EQ(&AKEngineServices::Get(), &QVEngineServices::sShared);
    EXPECT_EQ(&QVAudioServices::Get(), &QVEngineServices::sShared);
    EXPECT_TRUE(AKEngineServices::Get().IsValidDocumentType(1));
    EXPECT_EQ(AKEngineServices::Get().GetSettingsFilePath("x.plist"),
              QVGetStandardFilePath(kQVStandardFolderSettings, "x.plist"));
    QVDocumentTypeMgr const& types = QVDocumentTypeMgr::sShared;
    ASSERT_EQ(types.CountDocumentTypes(), 1u);
    EXPECT_EQ(types.GetDocumentTypeInfo(1).GetXmlSignature(), AKString("Score"));
    EXPECT_EQ(types.GetDocumentsFileSignature(), 0x504C5941u);
    EXPECT_EQ(types.GetDocumentsFileVersion(), 2u);
    EXPECT_EQ(types.GetDocumentsFileOldestVersion(), 2u);
    EXPECT_TRUE(QVLibEnv::IsUserRepositoryOk());

    // --- A second start changes nothing and says nothing ---
    log.Clear();
    EXPECT_EQ(QVLibEnv::Initialize(true), -1);
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_EQ(types.CountDocumentTypes(), 1u);
    EXPECT_TRUE(AKClassMgr::sShared.IsRegistrationComplete());

    // --- The repository can be chosen once started ---
    EXPECT_EQ(QVLibEnv::InitRepository(repository.Folder()), 0);
    EXPECT_EQ(QVLibEnv::GetUserRepository(), repository.Folder());
    EXPECT_EQ(QVLibEnv::GetStandardPath(kQVStandardFolderRepository), repository.Folder());

    // --- The stop: managers first, then the classes, the folders, the log line ---
    StopSnapshot snapshot;
    QVPluginMgr::sShared.SetQVLibExtendedFunctions(new RecordingPluginHost(&snapshot, &log));
    QVPluginMgr::sShared.InitializeWithCurrentPrefs();
    AKTreeSelModelMgr::sShared.CreateModel("Kept");
    AKClass const* root = AKObjectFolderRoot::_Class();
    AKTreePasteboard::sShared.SetSummary(1, AKClassArray{root}, root);
    log.Clear();

    QVLibEnv::Terminate();
    EXPECT_TRUE(snapshot.called);
    EXPECT_TRUE(snapshot.classesRegistered);
    EXPECT_TRUE(snapshot.settingsFolderKnown);
    EXPECT_TRUE(snapshot.servicesInstalled);
    EXPECT_TRUE(snapshot.pasteboardEmpty);  // emptied first, before its classes go
    EXPECT_EQ(snapshot.customPlayers, 1u);  // the custom players go after the plug-ins
    EXPECT_EQ(snapshot.logLines, 0u);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{kTerminated});

    // --- What the stop left ---
    EXPECT_FALSE(QVLibEnv::IsInitialized());
    EXPECT_FALSE(QVPluginMgr::sShared.IsInitialized());
    EXPECT_EQ(AKTreeSelModelMgr::sShared.CountModels(), 0u);
    EXPECT_EQ(AKClass::GetClassOfID(AKClassID("foldRot")), nullptr);
    EXPECT_FALSE(AKClassMgr::sShared.IsRegistrationComplete());
    EXPECT_NE(&AKEngineServices::Get(), &QVEngineServices::sShared);
    EXPECT_NE(&QVAudioServices::Get(), &QVEngineServices::sShared);
    for (unsigned int folder : {1u, 2u, 3u, 12u, 19u, 23u}) {
        SCOPED_TRACE(folder);
        EXPECT_TRUE(QVLibEnv::GetStandardPath(folder).IsEmpty());
        EXPECT_TRUE(QVGetStandardFilePath(folder, "f").IsEmpty());
    }
    EXPECT_FALSE(QVLibEnv::IsUserRepositoryOk());
    EXPECT_TRUE(QVLibEnv::GetUserRepository().IsEmpty());
    EXPECT_EQ(QVLibEnv::InitRepository(repository.Folder()), -1);
    AKValue dirPath;
    EXPECT_EQ(QVLibEnv::GetApplicationProperty("ApplicationDirPath", &dirPath), 0);
    EXPECT_TRUE(AKValueGetasAKFilePath(dirPath).IsEmpty());

    // --- A second stop does nothing ---
    log.Clear();
    QVLibEnv::Terminate();
    EXPECT_TRUE(log.Lines().empty());
}

}  // namespace
