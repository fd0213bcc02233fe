#pragma once

// QVPluginMgrLibext: the plug-in manager's window on a plug-in host. The
// manager never talks to a plug-in format itself: scanning, the list of what
// was found and the creation of instances go through this object. This base
// finds nothing and creates nothing, so an engine without a host simply has
// no plug-ins; the application installs its host at start-up
// (QVPluginMgr::SetQVLibExtendedFunctions), and the manager owns it.
//
// Main thread only.

#include "QVAudioInfo.h"
#include "QVPluginDesc.h"

class AKFilePathArray;
class QVPluginDescArray;
class QVPluginInstance;
class QVPluginMgr;

class QVPluginMgrLibext
{
public:
    // Serves the given manager, or the shared one when given none.
    explicit QVPluginMgrLibext(QVPluginMgr* manager = nullptr);
    virtual ~QVPluginMgrLibext();

    QVPluginMgrLibext(QVPluginMgrLibext const&) = delete;
    QVPluginMgrLibext& operator=(QVPluginMgrLibext const&) = delete;

    // The host prepares its formats and its saved list. Base: synchronises
    // the manager's list, which then holds only the no-plug-in entry.
    virtual void InitializeWithCurrentPrefs();
    // The host saves and releases what it holds. Base: nothing.
    virtual void Terminate();
    // Appends the host's standard plug-in folders. Base: none.
    virtual void GetDefaultSearchPaths(AKFilePathArray* paths) const;
    // Starts a full scan; true when one runs. Base: false.
    virtual bool StartRescanAllPlugins();
    virtual void StopRescan();
    virtual bool IsRescanning() const;
    // Appends a description of every plug-in the host knows. Base: none.
    virtual void GrabCurrentPluginList(QVPluginDescArray* descs) const;
    // A new instance prepared for the audio format, or null. Base: null.
    virtual QVPluginInstance* CreatePluginInstance(QVPluginDesc const& desc, QVAudioInfo const& info);

    // Asks the manager to take the host's list again; the host calls it
    // whenever its list changed (loaded, scanned, scan stopped).
    void SynchronizePluginList() const;

    QVPluginMgr* GetPluginMgr() const { return mPluginMgr; }

protected:
    QVPluginMgr* const mPluginMgr;
};
