// QVLibEnv: the engine's start and stop.

#include "QVLibEnv.h"

#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKLog.h"
#include "AKSys.h"
#include "AKTreePasteboard.h"
#include "AKTreeSelModelMgr.h"
#include "QVBounceMgr.h"
#include "QVContextObject.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVDocumentTypeMgr.h"
#include "QVDocumentUpgrade.h"
#include "QVEngineObjectPaths.h"
#include "QVEngineServices.h"
#include "QVLibBasicOptions.h"
#include "QVObjectTrack.h"
#include "QVPlayableRTStateRandom.h"
#include "QVPluginMgr.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVSigTables.h"
#include "internal/QVManagerCalls.h"

bool QVLibEnv::sInitialized = false;

namespace {

// The oldest readable document file version the engine gives the document
// type manager: 0 stands for the current one.
constexpr unsigned int kDocumentsFileOldestVersion = 0;

}  // namespace

int QVLibEnv::Initialize(bool logWelcome)
{
    if (sInitialized)
        return -1;
    AKSys::Initialize();
    // The playables' speed wander starts from the engine's seed.
    QVPlayableRTRandom::SetEngineSeed(AKSys::GetRandomSeed());
    if (logWelcome)
        LogWelcome();
    AKFile::SetPreferedModeCache(gQVLib.fileCachesOnDisk ? kAKFileModeTemporary : kAKFileModeMemoryStream);
    QVSig::InitTables();

    QVPrefs::sShared.SetupDefaults();
    // The audio resources read their own copy of the preferences.
    QVPrefs::sShared.PublishAudioResourcePrefs();

    InitClasses();
    InitStandardPaths();
    // From here the tree and the audio resources find the document types,
    // the settings folder and the managers through the engine.
    QVEngineServices::Install();
    // OSC name paths resolve through the engine's sequences and players.
    QVObjectPathNavigator::Install(&QVEngineObjectPaths::sShared);
    // Tracks renumber their sounds through the document they are read into.
    QVObjectTrack::SetProviderRenumOfContext(&QVContextObject::ProviderRenumOfContext);
    // Trees read from older document files are upgraded as they open.
    QVDocument::InstallOldFileUpgrader(&QVOldFileFormat::UpgradeDocument);

    // The script engine lives above the engine and has nothing to start.

    QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
    types.SetupDocumentsFileSignatureAndVersions(kQVDocumentsFileSignature, kQVDocumentsFileVersion,
                                                 kDocumentsFileOldestVersion);
    types.RegisterDocumentTypeInfo(kQVDocumentInfoScore);

    sInitialized = true;
    QVStandardFolders::OpenRepository();
    return 0;
}

void QVLibEnv::Terminate()
{
    if (!sInitialized)
        return;
    AKTreePasteboard::sShared.Clear();
    // The script engine lives above the engine and has nothing to stop.

    // The application stops several of these itself first: each finds
    // nothing left to do the second time.
    QVTerminateManager(QVBounceMgr::sShared);
    QVDocumentMgr::sShared.Terminate();
    QVPluginMgr::sShared.Terminate();
    QVProviderMgr::sShared.Terminate();
    AKTreeSelModelMgr::sShared.Terminate();
    AKClassMgr::sShared.Terminate();

    AKSys::Terminate();
    QVEngineServices::Uninstall();
    QVObjectPathNavigator::Install(nullptr);
    QVObjectTrack::SetProviderRenumOfContext(nullptr);
    QVDocument::InstallOldFileUpgrader(nullptr);
    QVStandardFolders::TerminateStandardPaths();

    sInitialized = false;
    QVStandardFolders::CloseRepository();
    AKLog("# %s has terminated.\n", kQVApplicationName);
}

// --- Standard folders ---

int QVLibEnv::InitStandardPaths() { return QVStandardFolders::InitStandardPaths(); }

AKFilePath const& QVLibEnv::GetStandardPath(unsigned int folder) { return QVStandardFolders::GetStandardPath(folder); }

int QVLibEnv::InitRepository(AKFilePath const& path)
{
    if (!sInitialized)
        return -1;
    return QVStandardFolders::InitRepository(path);
}

AKFilePath const& QVLibEnv::GetUserRepository()
{
    return sInitialized ? QVStandardFolders::GetUserRepository() : kAKNullFilePath;
}

bool QVLibEnv::IsUserRepositoryOk() { return QVStandardFolders::IsUserRepositoryOk(); }
