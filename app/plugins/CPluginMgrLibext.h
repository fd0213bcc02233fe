#pragma once

// CPluginMgrLibext: the plug-in manager's host on the toolkit's plug-in
// hosting. It keeps the toolkit's list of known plug-ins in the application's
// user settings ("PluginList"), scans the plug-in folders one file per idle
// pass of the toolkit idling centre with a crash-guard file beside the
// settings, turns the toolkit's descriptions into the engine's and makes
// CPluginInstance objects. The application makes one at start-up and installs
// it in the plug-in manager, which owns it from then on. Main thread only.

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

#include "JCIdlingCenter.h"
#include "QVPluginMgrLibext.h"

class CPanelPlugins;

class CPluginMgrLibext : public QVPluginMgrLibext, public juce::ChangeListener, public JCIdlingClient
{
public:
    // The first one made; the plug-ins dialog reaches the host through it.
    static CPluginMgrLibext* gShared;
    // The user-settings key of the known plug-ins.
    static char const* const kPluginListSettings;

    explicit CPluginMgrLibext(QVPluginMgr* manager = nullptr);
    ~CPluginMgrLibext() override;

    void InitializeWithCurrentPrefs() override;
    void Terminate() override;
    void GetDefaultSearchPaths(AKFilePathArray* paths) const override;
    bool StartRescanAllPlugins() override;
    void StopRescan() override;
    bool IsRescanning() const override { return mRescanning; }
    void GrabCurrentPluginList(QVPluginDescArray* descs) const override;
    QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const& info) override;

    // One step of a scan: one plug-in file.
    void idlingCallback() override;
    // The known list's notifications: the engine's list changes only through
    // SynchronizePluginList.
    void changeListenerCallback(juce::ChangeBroadcaster*) override {}

    // The toolkit's list component on the known plug-ins, for the plug-ins
    // dialog; null before InitializeWithCurrentPrefs. Owned by the caller.
    juce::PluginListComponent* CreatePluginListComponent(CPanelPlugins* panel);

    void LogDefaultSearchPaths() const {}

    bool IsStarted() const { return mFormatManager != nullptr; }
    juce::AudioPluginFormatManager* GetFormatManager() const { return mFormatManager.get(); }
    juce::KnownPluginList& GetKnownPluginList() { return mKnownPlugins; }

    // The crash-guard file "Orvel-Player-Reports" beside the user-settings
    // file, fixed at the first use that finds the settings.
    static juce::File GetDeadMansPedalFile();

    // Conversions of the toolkit's format names and descriptions.
    static QVPluginFormat JC2QVPluginFormat(juce::String const& formatName);
    static QVPluginDescUID JC2QVPluginDescUID(juce::PluginDescription const* desc);

private:
    // Moves to the next format with a scanner on its folders; whether a
    // scanner exists.
    bool LowCreateNextScanner();
    void LowEndScan();
    // The known description whose UID is the given one.
    bool LowFindJCPluginDesc(QVPluginDescUID uid, juce::PluginDescription* found) const;

    std::unique_ptr<juce::AudioPluginFormatManager> mFormatManager;
    juce::KnownPluginList mKnownPlugins;
    bool mRescanning = false;
    int mFormatIndex = -1;
    int mFormatCount = 0;
    std::unique_ptr<juce::PluginDirectoryScanner> mScanner;
};

// CPluginMgrLibext::gShared's list component, or null without a host.
juce::PluginListComponent* CreatePluginListComponent(CPanelPlugins* panel);
