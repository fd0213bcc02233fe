#include "QVPluginMgrLibext.h"

#include "QVPluginMgr.h"

QVPluginMgrLibext::QVPluginMgrLibext(QVPluginMgr* manager)
    : mPluginMgr(manager != nullptr ? manager : &QVPluginMgr::sShared)
{}

QVPluginMgrLibext::~QVPluginMgrLibext() = default;

void QVPluginMgrLibext::InitializeWithCurrentPrefs() { SynchronizePluginList(); }

void QVPluginMgrLibext::Terminate() {}

void QVPluginMgrLibext::GetDefaultSearchPaths(AKFilePathArray*) const {}

bool QVPluginMgrLibext::StartRescanAllPlugins() { return false; }

void QVPluginMgrLibext::StopRescan() {}

bool QVPluginMgrLibext::IsRescanning() const { return false; }

void QVPluginMgrLibext::GrabCurrentPluginList(QVPluginDescArray*) const {}

QVPluginInstance* QVPluginMgrLibext::CreatePluginInstance(QVPluginDesc const&, QVAudioInfo const&) { return nullptr; }

void QVPluginMgrLibext::SynchronizePluginList() const { mPluginMgr->SynchronizePluginList(); }
