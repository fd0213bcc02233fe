// QVPluginMgr: life, the description list and scanning.

#include "QVPluginMgr.h"

#include "AKLog.h"
#include "AKStamps.h"
#include "QVPluginMgrLibext.h"

#include <string>

namespace {

constexpr unsigned int kReservedDescs = 200;
constexpr unsigned int kReservedInstances = 20;

// Placeholder name of "No Plugin" while the list is sorted by name: it sorts
// before every normalised name.
constexpr char kNoPluginSortName[] = "    ";

// Entry 0 of the list; its name is localised by the engine once installed.
QVPluginDesc NoPluginDesc()
{
    return QVPluginDesc(kQVNullPluginDescUID, 0, QVAudioServices::Get().LocaleGetString("No Plugin"), AKString(), 0, 0);
}

}  // namespace

QVPluginMgr QVPluginMgr::sShared;

QVPluginMgr::QVPluginMgr() : AKIdlingClient("QVPluginMgr", true), mListStamp(kAKNullStampVers)
{
    mHost = new QVPluginMgrLibext(this);
    mDescs.Reserve(kReservedDescs);
    mDescs.Push(NoPluginDesc());
    mInstances.Reserve(kReservedInstances);
}

QVPluginMgr::~QVPluginMgr()
{
    DeleteAllInstances();
    delete mHost;
}

void QVPluginMgr::InitializeWithCurrentPrefs()
{
    if (mInitialized)
        return;
    ResetPluginList();
    mHost->InitializeWithCurrentPrefs();
    InitSearchPathsFromPrefs();
    mInitialized = true;
}

void QVPluginMgr::Terminate()
{
    if (mInitialized) {
        mHost->StopRescan();
        mHost->Terminate();
        ResetPluginList();
        DeleteAllInstances();
        GiveMeIdling(false);
        mSearchPaths.Clear();
        mSearchPaths.Shrink();
        mInitialized = false;
    }
    SetQVLibExtendedFunctions(nullptr);
}

void QVPluginMgr::SetQVLibExtendedFunctions(QVPluginMgrLibext* host)
{
    delete mHost;
    mHost = host != nullptr ? host : new QVPluginMgrLibext(this);
}

void QVPluginMgr::ListChanged()
{
    mSortedDescs.Clear();
    ++mListStamp;
}

void QVPluginMgr::ResetPluginList()
{
    mDescs.Clear();
    mDescs.Push(NoPluginDesc());
    ListChanged();
}

void QVPluginMgr::SynchronizePluginList()
{
    ResetPluginList();
    QVPluginDescArray hostDescs;
    hostDescs.Reserve(kReservedDescs);
    mHost->GrabCurrentPluginList(&hostDescs);
    bool inserted = false;
    for (QVPluginDesc const& desc : hostDescs) {
        if (desc.GetUID() == kQVNullPluginDescUID || desc.GetName().IsEmpty())
            continue;
        if (mDescs.InsertDescInSortedArray(desc, nullptr)) {
            inserted = true;
            continue;
        }
        char uidText[kQVPluginDescUIDTextSize];
        AKLog("# PLUGIN Warning: Plugin \"%s\" can't be registered because its UID \"%s\" already exists !\n",
              desc.GetName().c_str(), strSetasQVPluginDescUID(uidText, desc.GetUID()));
    }
    if (inserted)
        ListChanged();
}

QVPluginDesc const& QVPluginMgr::GetPluginDesc(QVPluginDescUID uid) const
{
    if (uid == kQVNullPluginDescUID)
        return mDescs.First();
    return mDescs.BSearchDescByUID(uid, nullptr);
}

QVPluginDescArray const& QVPluginMgr::GetSortedPluginDescs() const
{
    if (mSortedDescs.IsEmpty()) {
        mSortedDescs = mDescs;
        mSortedDescs.First().SetNameAsIs(kNoPluginSortName);
        mSortedDescs.SortDescByName();
        mSortedDescs.First() = mDescs.First();
    }
    return mSortedDescs;
}

void QVPluginMgr::LogInfo(unsigned int level) const
{
    std::string const rule = "+" + std::string(82, '=') + "+\n";
    AKLog("%s", rule.c_str());
    AKLog("| Plugin-Manager has %u Plugin(s)\n", mDescs.Count());
    AKLog("%s", rule.c_str());
    for (QVPluginDesc const& desc : mDescs)
        desc.LogInfo(level);
    AKLog("\n");
}

bool QVPluginMgr::StartRescanAllPlugins()
{
    if (!mInitialized || mHost->IsRescanning() || !mInstances.IsEmpty())
        return false;
    ResetPluginList();
    return mHost->StartRescanAllPlugins();
}

void QVPluginMgr::StopRescan()
{
    if (mInitialized)
        mHost->StopRescan();
}

bool QVPluginMgr::IsRescanning() const { return mInitialized && mHost->IsRescanning(); }
