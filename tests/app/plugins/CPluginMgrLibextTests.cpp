// The toolkit plug-in host: conversions of the toolkit's descriptions, the
// effects it hands to the engine, the known list kept in the user settings,
// instance creation failures and the scan driven by idle passes.

#include "CPluginMgrLibext.h"
#include "JCAppUserSettings.h"
#include "JCIdlingCenter.h"
#include "JCPluginsDialogLink.h"
#include "JCStrings.h"
#include "LogCapture.h"
#include "QVPluginDesc.h"
#include "QVPluginFormat.h"
#include "QVPluginMgr.h"
#include "QVPluginSearchPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// The toolkit's bundled LV2 library keeps a copy of its search path each time
// the path is set, and never frees the earlier one; loading the installed
// plug-ins again, it also drops the plug-in classes it read the first time:
// not this program's leaks.
extern "C" char const* __lsan_default_suppressions()
{
    return "leak:lilv_world_set_option\nleak:lilv_world_load_plugin_classes\n";
}

// Plug-in libraries stay loaded until the program ends: what their start-up
// code allocates stays reachable from their globals instead of turning into
// leaks of unknown origin when the toolkit unloads them.
extern "C" int dlclose(void*) { return 0; }

namespace {

juce::PluginDescription MakeType(juce::String const& name, juce::String const& format, juce::String const& file,
                                 int uniqueId, int inputs, int outputs, bool instrument = false)
{
    juce::PluginDescription type;
    type.name = name;
    type.pluginFormatName = format;
    type.fileOrIdentifier = file;
    type.uniqueId = uniqueId;
    type.numInputChannels = inputs;
    type.numOutputChannels = outputs;
    type.isInstrument = instrument;
    return type;
}

// A format whose plug-ins are the ".fake" files of a folder: each file holds
// one effect, named after the file, except "organ", an instrument. Nothing
// can be instantiated.
class FakeFormat : public juce::AudioPluginFormat
{
public:
    juce::String getName() const override { return "Fake"; }
    void findAllTypesForFile(juce::OwnedArray<juce::PluginDescription>& results,
                             juce::String const& fileOrIdentifier) override
    {
        juce::File const file(fileOrIdentifier);
        if (file.getFileExtension() != ".fake")
            return;
        juce::String const name = file.getFileNameWithoutExtension();
        results.add(new juce::PluginDescription(
            MakeType(name, getName(), fileOrIdentifier, name.hashCode(), 2, 2, name == "organ")));
    }
    bool fileMightContainThisPluginType(juce::String const& fileOrIdentifier) override
    {
        return fileOrIdentifier.endsWith(".fake");
    }
    juce::String getNameOfPluginFromIdentifier(juce::String const& fileOrIdentifier) override
    {
        return juce::File(fileOrIdentifier).getFileNameWithoutExtension();
    }
    bool pluginNeedsRescanning(juce::PluginDescription const&) override { return false; }
    bool doesPluginStillExist(juce::PluginDescription const& desc) override
    {
        return juce::File(desc.fileOrIdentifier).existsAsFile();
    }
    bool canScanForPlugins() const override { return true; }
    bool isTrivialToScan() const override { return false; }
    juce::StringArray searchPathsForPlugins(juce::FileSearchPath const& folders, bool recursive, bool) override
    {
        juce::StringArray files;
        for (int i = 0; i < folders.getNumPaths(); ++i) {
            for (juce::File const& file : folders[i].findChildFiles(juce::File::findFiles, recursive, "*.fake"))
                files.add(file.getFullPathName());
        }
        files.sort(false);
        return files;
    }
    juce::FileSearchPath getDefaultLocationsToSearch() override { return {}; }
    bool requiresUnblockedMessageThreadDuringCreation(juce::PluginDescription const&) const override { return false; }

private:
    void createPluginInstance(juce::PluginDescription const&, double, int, PluginCreationCallback callback) override
    {
        callback(nullptr, "fake plug-ins make no instances");
    }
};

TEST(CPluginMgrLibextConversions, FormatNamesAndUIDs)
{
    EXPECT_EQ(CPluginMgrLibext::JC2QVPluginFormat("VST"), kQVPluginFormatVST);
    EXPECT_EQ(CPluginMgrLibext::JC2QVPluginFormat("VST3"), kQVPluginFormatVST3);
    EXPECT_EQ(CPluginMgrLibext::JC2QVPluginFormat("AudioUnit"), kQVPluginFormatAudioUnit);
    EXPECT_EQ(CPluginMgrLibext::JC2QVPluginFormat("LV2"), kQVPluginFormatOther);
    EXPECT_EQ(CPluginMgrLibext::JC2QVPluginFormat("vst"), kQVPluginFormatOther);

    struct UIDCase {
        juce::PluginDescription type;
        QVPluginDescUID uid;
    };
    UIDCase const cases[] = {
        // An Audio Unit is named by its type and sub-type codes, whatever its number.
        {MakeType("Band", "AudioUnit", "AudioUnit:Effects/aufx,bpas,appl", 99, 2, 2), 0x6175667862706173ull},
        {MakeType("Echo", "VST", "/usr/lib/vst/echo.so", 7, 2, 2), 0x7673743200000007ull},
        {MakeType("Wide", "VST", "/usr/lib/vst/wide.so", -1, 2, 2), 0x76737432FFFFFFFFull},
        {MakeType("Amp", "LV2", "urn:example:amp", 5, 1, 1), 0x6F74687200000005ull},
        // Too short for the Audio Unit form: "/aufx,bpas,app" has 14 bytes.
        {MakeType("Short", "VST", "/aufx,bpas,app", 3, 2, 2), 0x7673743200000003ull},
    };
    for (UIDCase const& c : cases)
        EXPECT_EQ(CPluginMgrLibext::JC2QVPluginDescUID(&c.type), c.uid) << c.type.name;
    EXPECT_EQ(CPluginMgrLibext::JC2QVPluginDescUID(nullptr), kQVNullPluginDescUID);
}

class CPluginMgrLibextTest : public testing::Test
{
protected:
    void SetUp() override
    {
        mFolder = juce::File::createTempFile("plugin-host");
        ASSERT_TRUE(mFolder.createDirectory());
        OpenSettings();
        JCSetPluginsDialogLoadingListener([this](bool loading, juce::String const& file) {
            mDialogCalls.push_back({loading, file});
        });
    }
    void TearDown() override
    {
        QVPluginMgr::sShared.Terminate();
        JCSetPluginsDialogLoadingListener({});
        JCSetAppUserSettings(nullptr);
        mSettings.reset();
        mFolder.deleteRecursively();
    }

    void OpenSettings()
    {
        JCSetAppUserSettings(nullptr);
        mSettings.reset();
        juce::PropertiesFile::Options options;
        options.storageFormat = juce::PropertiesFile::storeAsXML;
        options.millisecondsBeforeSaving = -1;
        mSettings = std::make_unique<juce::PropertiesFile>(mFolder.getChildFile("Orvel-Player-Caches.xml"), options);
        JCSetAppUserSettings(mSettings.get());
    }

    // A host installed in the shared manager, which owns it.
    CPluginMgrLibext* InstallHost()
    {
        CPluginMgrLibext* host = new CPluginMgrLibext();
        QVPluginMgr::sShared.SetQVLibExtendedFunctions(host);
        QVPluginMgr::sShared.InitializeWithCurrentPrefs();
        return host;
    }

    juce::ScopedJuceInitialiser_GUI mToolkit;
    juce::File mFolder;
    std::unique_ptr<juce::PropertiesFile> mSettings;
    std::vector<std::pair<bool, juce::String>> mDialogCalls;
};

TEST_F(CPluginMgrLibextTest, OnlyEffectsWithInputsAndOutputsReachTheEngine)
{
    CPluginMgrLibext host;
    host.GetKnownPluginList().addType(MakeType("Echo", "VST", "/vst/echo.so", 1, 2, 2));
    host.GetKnownPluginList().addType(MakeType("Synth", "VST", "/vst/synth.so", 2, 0, 2, true));
    host.GetKnownPluginList().addType(MakeType("Meter", "VST", "/vst/meter.so", 3, 2, 0));
    host.GetKnownPluginList().addType(MakeType("Gen", "VST", "/vst/gen.so", 4, 0, 2));
    host.GetKnownPluginList().addType(MakeType(juce::String::fromUTF8("Caf\xC3\xA9"), "LV2", "urn:cafe", 5, 1, 1));

    QVPluginDescArray descs;
    host.GrabCurrentPluginList(&descs);
    ASSERT_EQ(descs.Count(), 2u);
    QVPluginDesc const& echo = descs.FindDescByUID(0x7673743200000001ull, nullptr);
    EXPECT_EQ(echo.GetName(), "VST-Echo");
    EXPECT_EQ(echo.GetInputChannelCount(), 2u);
    QVPluginDesc const& cafe = descs.FindDescByUID(0x6F74687200000005ull, nullptr);
    EXPECT_EQ(cafe.GetFormat(), kQVPluginFormatOther);
    EXPECT_EQ(cafe.GetFileID(), "urn:cafe");
    EXPECT_EQ(cafe.GetName(), "OTHR-Caf\x8E");
}

TEST_F(CPluginMgrLibextTest, TheKnownListIsKeptInTheUserSettings)
{
    CPluginMgrLibext* host = InstallHost();
    ASSERT_TRUE(host->IsStarted());
    EXPECT_EQ(QVPluginMgr::sShared.GetPluginDescs().Count(), 1u);  // no setting yet: only "No Plugin"
    host->GetKnownPluginList().addType(MakeType("Echo", "VST", "/vst/echo.so", 1, 2, 2));
    host->GetKnownPluginList().addType(MakeType("Delay", "VST", "/vst/delay.so", 2, 2, 2));
    QVPluginMgr::sShared.Terminate();  // saves the list, then deletes the host
    ASSERT_TRUE(mSettings->saveIfNeeded());

    OpenSettings();
    ASSERT_NE(mSettings->getXmlValue(CPluginMgrLibext::kPluginListSettings), nullptr);
    InstallHost();
    QVPluginDescArray const& descs = QVPluginMgr::sShared.GetPluginDescs();
    ASSERT_EQ(descs.Count(), 3u);
    EXPECT_EQ(QVPluginMgr::sShared.GetPluginDesc(0x7673743200000002ull).GetName(), "VST-Delay");
}

TEST_F(CPluginMgrLibextTest, KnownPluginsWithOneUIDReachTheManagerWhichKeepsTheFirst)
{
    CPluginMgrLibext* host = InstallHost();
    host->GetKnownPluginList().addType(MakeType("Echo", "VST", "/vst/a/echo.so", 9, 2, 2));
    host->GetKnownPluginList().addType(MakeType("Echo Copy", "VST", "/vst/b/echo.so", 9, 2, 2));
    LogCapture log;
    host->SynchronizePluginList();
    EXPECT_EQ(QVPluginMgr::sShared.GetPluginDescs().Count(), 2u);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find("already exists"), std::string::npos);
}

TEST_F(CPluginMgrLibextTest, InstancesOfUnknownOrBrokenPluginsAreNotMade)
{
    QVAudioInfo info;
    ASSERT_TRUE(info.Setup(2, 512, 48000.0));
    QVPluginDesc const unknown(0x7673743200000042ull, kQVPluginFormatVST, "Gone", "/vst/gone.so", 2, 2);

    CPluginMgrLibext host;
    EXPECT_EQ(host.CreatePluginInstance(unknown, info), nullptr);  // not started

    host.InitializeWithCurrentPrefs();
    LogCapture log;
    EXPECT_EQ(host.CreatePluginInstance(QVPluginDesc(), info), nullptr);
    EXPECT_EQ(host.CreatePluginInstance(unknown, info), nullptr);
    EXPECT_TRUE(log.Lines().empty());  // not in the known list: no warning

    // Known, but its file is missing: the toolkit's reason is logged.
    host.GetKnownPluginList().addType(
        MakeType("Gone", "VST", mFolder.getChildFile("gone.so").getFullPathName(), 0x42, 2, 2));
    EXPECT_EQ(host.CreatePluginInstance(unknown, info), nullptr);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].rfind("# PLUGIN Warning: Plugin \"VST-Gone\" can't be instanciated because:\n", 0), 0u);
    host.Terminate();
}

TEST_F(CPluginMgrLibextTest, AScanRunsOnIdlePassesUntilEveryFormatIsDone)
{
    CPluginMgrLibext* host = InstallHost();
    ASSERT_GT(host->GetFormatManager()->getNumFormats(), 0);
    AKFilePathArray defaults;
    host->GetDefaultSearchPaths(&defaults);
    for (AKFilePath const& path : defaults)
        EXPECT_TRUE(path.HasDirectorySyntax()) << path.c_str();

    host->GetKnownPluginList().addType(MakeType("Old", "VST", "/vst/old.so", 1, 2, 2));
    ASSERT_TRUE(QVPluginMgr::sShared.StartRescanAllPlugins());
    EXPECT_TRUE(host->IsRescanning());
    EXPECT_FALSE(host->StartRescanAllPlugins());             // one scan at a time
    EXPECT_EQ(host->GetKnownPluginList().getNumTypes(), 0);  // the scan rebuilds the list

    int passes = 0;
    while (host->IsRescanning() && passes < 100000) {
        JCIdlingCenter::sShared.DoGlobalIdlingAt(passes);
        ++passes;
    }
    EXPECT_FALSE(host->IsRescanning());
    EXPECT_FALSE(host->isIdlingRegistered());
    ASSERT_FALSE(mDialogCalls.empty());
    EXPECT_FALSE(mDialogCalls.back().first);
    EXPECT_EQ(static_cast<int>(mDialogCalls.size()), passes);
    // The crash guard lies beside the settings file.
    EXPECT_EQ(CPluginMgrLibext::GetDeadMansPedalFile().getFileName(), "Orvel-Player-Reports");
}

TEST_F(CPluginMgrLibextTest, StoppingAScanRebuildsTheEngineListAndTellsTheDialog)
{
    CPluginMgrLibext* host = InstallHost();
    ASSERT_TRUE(host->StartRescanAllPlugins());
    host->GetKnownPluginList().addType(MakeType("Found", "VST", "/vst/found.so", 3, 2, 2));
    QVPluginMgr::sShared.StopRescan();
    EXPECT_FALSE(host->IsRescanning());
    EXPECT_FALSE(host->isIdlingRegistered());
    EXPECT_EQ(QVPluginMgr::sShared.GetPluginDesc(0x7673743200000003ull).GetName(), "VST-Found");
    ASSERT_EQ(mDialogCalls.size(), 1u);
    EXPECT_FALSE(mDialogCalls[0].first);
    EXPECT_TRUE(mDialogCalls[0].second.isEmpty());
}

TEST_F(CPluginMgrLibextTest, AFakeFormatIsScannedOneFilePerIdlePass)
{
    CPluginMgrLibext* host = InstallHost();
    host->GetFormatManager()->addFormat(new FakeFormat());
    juce::File const folder = mFolder.getChildFile("fake");
    ASSERT_TRUE(folder.createDirectory());
    for (char const* name : {"echo", "delay", "organ", "chorus"})
        ASSERT_TRUE(folder.getChildFile(juce::String(name) + ".fake").create());
    // Only that folder is scanned: every standard folder is turned off.
    QVPluginSearchPathArray paths;
    AKFilePathArray defaults;
    host->GetDefaultSearchPaths(&defaults);
    for (AKFilePath const& path : defaults)
        paths.Push(QVPluginSearchPath(path, true, false));
    paths.AppendUserPath(JC2AKFilePath(folder, true), true);
    QVPluginMgr::sShared.SetSearchPathsToPrefs(paths);

    ASSERT_TRUE(QVPluginMgr::sShared.StartRescanAllPlugins());
    int passes = 0;
    while (host->IsRescanning() && passes < 1000)
        JCIdlingCenter::sShared.DoGlobalIdlingAt(passes++);
    ASSERT_FALSE(host->IsRescanning());

    // Each pass scans one file and names it to the dialog: the four fake
    // files came in four passes. (The installed LV2
    // plug-ins are listed by the LV2 library whatever the folders.)
    std::vector<juce::String> scanned;
    for (auto const& call : mDialogCalls) {
        if (folder.getChildFile(call.second + ".fake").existsAsFile())
            scanned.push_back(call.second);
    }
    std::sort(scanned.begin(), scanned.end());
    EXPECT_EQ(scanned, (std::vector<juce::String>{"chorus", "delay", "echo", "organ"}));
    EXPECT_EQ(static_cast<int>(mDialogCalls.size()), passes);

    // The instrument is known to the toolkit but stays out of the engine's list.
    int fakes = 0;
    for (juce::PluginDescription const& type : host->GetKnownPluginList().getTypes())
        fakes += type.pluginFormatName == "Fake" ? 1 : 0;
    EXPECT_EQ(fakes, 4);
    std::vector<std::string> effects;
    for (QVPluginDesc const& desc : QVPluginMgr::sShared.GetPluginDescs()) {
        if (desc.GetFormat() == kQVPluginFormatOther && desc.GetFileID().EndsWith(".fake"))
            effects.push_back(desc.GetName().c_str());
    }
    std::sort(effects.begin(), effects.end());
    EXPECT_EQ(effects, (std::vector<std::string>{"OTHR-chorus", "OTHR-delay", "OTHR-echo"}));
}

}  // namespace
