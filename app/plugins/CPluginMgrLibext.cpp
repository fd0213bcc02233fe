#include "CPluginMgrLibext.h"

#include <algorithm>
#include <cmath>

#include "AKFilePath.h"
#include "AKLog.h"
#include "CPluginInstance.h"
#include "JCAppUserSettings.h"
#include "JCPluginsDialogLink.h"
#include "JCStrings.h"
#include "QVPluginDesc.h"
#include "QVPluginFormat.h"
#include "QVPluginMgr.h"

CPluginMgrLibext* CPluginMgrLibext::gShared = nullptr;
char const* const CPluginMgrLibext::kPluginListSettings = "PluginList";

namespace {

// The standard folders of a format as engine paths in directory form.
void AppendFormatDefaultPaths(juce::AudioPluginFormat* format, AKFilePathArray* paths)
{
    juce::FileSearchPath const locations = format->getDefaultLocationsToSearch();
    for (int i = 0; i < locations.getNumPaths(); ++i)
        paths->Push(JC2AKFilePath(locations[i], true));
}

unsigned int FourBytesAt(char const* bytes)
{
    return (static_cast<unsigned int>(static_cast<unsigned char>(bytes[0])) << 24) |
           (static_cast<unsigned int>(static_cast<unsigned char>(bytes[1])) << 16) |
           (static_cast<unsigned int>(static_cast<unsigned char>(bytes[2])) << 8) |
           static_cast<unsigned int>(static_cast<unsigned char>(bytes[3]));
}

}  // namespace

CPluginMgrLibext::CPluginMgrLibext(QVPluginMgr* manager) : QVPluginMgrLibext(manager)
{
    if (gShared == nullptr)
        gShared = this;
}

CPluginMgrLibext::~CPluginMgrLibext()
{
    Terminate();
    if (gShared == this)
        gShared = nullptr;
}

void CPluginMgrLibext::InitializeWithCurrentPrefs()
{
    if (mFormatManager != nullptr)
        return;
    mFormatManager = std::make_unique<juce::AudioPluginFormatManager>();
    mFormatManager->addDefaultFormats();
    if (juce::PropertiesFile* settings = JCGetAppUserSettings()) {
        if (std::unique_ptr<juce::XmlElement> xml = settings->getXmlValue(kPluginListSettings))
            mKnownPlugins.recreateFromXml(*xml);
    }
    SynchronizePluginList();
    mKnownPlugins.addChangeListener(this);
}

void CPluginMgrLibext::Terminate()
{
    if (mFormatManager == nullptr)
        return;
    StopRescan();
    if (juce::PropertiesFile* settings = JCGetAppUserSettings()) {
        if (std::unique_ptr<juce::XmlElement> xml = mKnownPlugins.createXml())
            settings->setValue(kPluginListSettings, xml.get());
    }
    mKnownPlugins.removeChangeListener(this);
    mKnownPlugins.clear();
    mFormatManager.reset();
}

void CPluginMgrLibext::GetDefaultSearchPaths(AKFilePathArray* paths) const
{
    if (paths == nullptr)
        return;
    paths->Clear();
    if (mFormatManager == nullptr)
        return;
    for (int i = 0; i < mFormatManager->getNumFormats(); ++i)
        AppendFormatDefaultPaths(mFormatManager->getFormat(i), paths);
}

bool CPluginMgrLibext::StartRescanAllPlugins()
{
    if (mFormatManager == nullptr || mRescanning)
        return false;
    // The scan rebuilds the whole list.
    mKnownPlugins.clear();
    if (mFormatManager->getNumFormats() > 0) {
        mRescanning = true;
        mFormatIndex = -1;
        mFormatCount = mFormatManager->getNumFormats();
        LowCreateNextScanner();
        giveMeIdling(true);
    }
    return mRescanning;
}

void CPluginMgrLibext::StopRescan()
{
    if (mFormatManager == nullptr || !mRescanning)
        return;
    LowEndScan();
    TellDialogPluginsManagerIsLoading(false, juce::String());
}

void CPluginMgrLibext::LowEndScan()
{
    giveMeIdling(false);
    mScanner.reset();
    mRescanning = false;
    mFormatIndex = -1;
    mFormatCount = 0;
    SynchronizePluginList();
}

bool CPluginMgrLibext::LowCreateNextScanner()
{
    if (mFormatManager == nullptr || !mRescanning)
        return mScanner != nullptr;
    mScanner.reset();
    ++mFormatIndex;
    if (mFormatIndex >= mFormatCount || mFormatIndex >= mFormatManager->getNumFormats())
        return false;
    juce::AudioPluginFormat* format = mFormatManager->getFormat(mFormatIndex);
    AKFilePathArray standard, toScan;
    AppendFormatDefaultPaths(format, &standard);
    if (mPluginMgr != nullptr)
        mPluginMgr->GetSearchPathsToScann(&toScan, standard);
    juce::FileSearchPath folders;
    for (AKFilePath const& path : toScan) {
        juce::File const folder = AK2JCFilePath(path);
        if (folder != juce::File())
            folders.add(folder);
    }
    mScanner = std::make_unique<juce::PluginDirectoryScanner>(mKnownPlugins, *format, folders, true,
                                                              GetDeadMansPedalFile(), false);
    return true;
}

void CPluginMgrLibext::idlingCallback()
{
    if (mFormatManager == nullptr || mScanner == nullptr)
        return;
    juce::String scanned;
    bool goesOn = mScanner->scanNextFile(true, scanned);
    if (!goesOn) {
        goesOn = LowCreateNextScanner();
        if (!goesOn)
            LowEndScan();
    }
    TellDialogPluginsManagerIsLoading(goesOn, scanned);
}

void CPluginMgrLibext::GrabCurrentPluginList(QVPluginDescArray* descs) const
{
    if (descs == nullptr)
        return;
    for (juce::PluginDescription const& type : mKnownPlugins.getTypes()) {
        // Only effects reach the engine: no instruments, inputs and outputs both present.
        if (type.isInstrument || type.numInputChannels < 1 || type.numOutputChannels < 1)
            continue;
        descs->Push(QVPluginDesc(JC2QVPluginDescUID(&type), JC2QVPluginFormat(type.pluginFormatName),
                                 JC2AKString(type.name), JC2AKString(type.fileOrIdentifier),
                                 static_cast<unsigned int>(type.numInputChannels),
                                 static_cast<unsigned int>(type.numOutputChannels)));
    }
}

bool CPluginMgrLibext::LowFindJCPluginDesc(QVPluginDescUID uid, juce::PluginDescription* found) const
{
    for (juce::PluginDescription const& type : mKnownPlugins.getTypes()) {
        if (JC2QVPluginDescUID(&type) == uid) {
            *found = type;
            return true;
        }
    }
    return false;
}

QVPluginInstance* CPluginMgrLibext::CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const& info)
{
    if (mFormatManager == nullptr || desc.GetUID() == kQVNullPluginDescUID)
        return nullptr;
    juce::PluginDescription type;
    if (!LowFindJCPluginDesc(desc.GetUID(), &type))
        return nullptr;
    juce::String error;
    int const blockSize = static_cast<int>(std::min<unsigned long long>(info.frameCount, 1u << 30));
    std::unique_ptr<juce::AudioPluginInstance> plugin =
        mFormatManager->createPluginInstance(type, std::floor(info.sampleRate + 0.5), blockSize, error);
    if (plugin == nullptr) {
        AKLog("# PLUGIN Warning: Plugin \"%s\" can't be instanciated because:\n%s\n", desc.GetName().c_str(),
              jc_str(error));
        return nullptr;
    }
    CPluginInstance* instance = new CPluginInstance(desc, plugin.release());
    instance->PrepareAudioResources(info);
    return instance;
}

juce::PluginListComponent* CPluginMgrLibext::CreatePluginListComponent(CPanelPlugins* /*panel*/)
{
    if (mFormatManager == nullptr)
        return nullptr;
    return new juce::PluginListComponent(*mFormatManager, mKnownPlugins, GetDeadMansPedalFile(), JCGetAppUserSettings(),
                                         false);
}

juce::PluginListComponent* CreatePluginListComponent(CPanelPlugins* panel)
{
    return CPluginMgrLibext::gShared != nullptr ? CPluginMgrLibext::gShared->CreatePluginListComponent(panel) : nullptr;
}

juce::File CPluginMgrLibext::GetDeadMansPedalFile()
{
    static juce::File sDeadMansPedalFile;
    if (sDeadMansPedalFile == juce::File()) {
        if (juce::PropertiesFile* settings = JCGetAppUserSettings())
            sDeadMansPedalFile = settings->getFile().getSiblingFile("Orvel-Player-Reports");
    }
    return sDeadMansPedalFile;
}

QVPluginFormat CPluginMgrLibext::JC2QVPluginFormat(juce::String const& formatName)
{
    if (formatName == "VST")
        return kQVPluginFormatVST;
    if (formatName == "VST3")
        return kQVPluginFormatVST3;
    if (formatName == "AudioUnit")
        return kQVPluginFormatAudioUnit;
    return kQVPluginFormatOther;
}

QVPluginDescUID CPluginMgrLibext::JC2QVPluginDescUID(juce::PluginDescription const* desc)
{
    if (desc == nullptr)
        return kQVNullPluginDescUID;
    // An Audio Unit's identifier ends in "/type,subt,manu".
    std::string const id = desc->fileOrIdentifier.toStdString();
    size_t const length = id.size();
    if (length >= 15 && id[length - 15] == '/' && id[length - 10] == ',' && id[length - 5] == ',') {
        return (static_cast<QVPluginDescUID>(FourBytesAt(id.data() + length - 14)) << 32) |
               FourBytesAt(id.data() + length - 9);
    }
    return (static_cast<QVPluginDescUID>(JC2QVPluginFormat(desc->pluginFormatName)) << 32) |
           static_cast<unsigned int>(desc->uniqueId);
}
