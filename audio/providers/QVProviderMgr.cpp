// QVProviderMgr: the list, registration, look-ups and removals.

#include "QVProviderMgr.h"

#include "AKLog.h"
#include "AKStamps.h"
#include "AKStatus.h"
#include "AKTextForms.h"
#include "QVAudioServices.h"
#include "QVProviderReleaseQueue.h"

#include <cstdlib>

namespace {

constexpr unsigned int kReservedProviders = 40;

// Pauses the loader thread for one scope: when the pause returns the thread
// is outside its callback and stays so until the scope ends.
class LoaderPause
{
public:
    explicit LoaderPause(AKThread& thread) : mThread(thread) { mThread.Pause(); }
    ~LoaderPause() { mThread.UnPause(); }
    LoaderPause(LoaderPause const&) = delete;
    LoaderPause& operator=(LoaderPause const&) = delete;

private:
    AKThread& mThread;
};

}  // namespace

// The release queue is defined first so that it outlives the manager.
QVProviderReleaseQueue QVProviderReleaseQueue::sShared;
QVProviderMgr QVProviderMgr::sShared;

QVProviderMgr::QVProviderMgr()
    : AKThreadClient(kQVProviderMgrLoaderCpuShare), AKIdlingClient("QVProviderMgr", true), mListStamp(kAKNullStampVers),
      mLoadStamp(kAKNullStampVers)
{
    mIndex.Reserve(kReservedProviders);
    mProviders.Reserve(kReservedProviders);
}

QVProviderMgr::~QVProviderMgr()
{
    mThread.Stop();
    for (unsigned int i = mProviders.Count(); i > 0; --i)
        delete mProviders[i - 1];
}

void QVProviderMgr::StopLoader()
{
    if (mThread.IsRunning()) {
        mThread.Stop();
        mLoadStamp.fetch_add(1, std::memory_order_relaxed);
    }
}

bool QVProviderMgr::Terminate()
{
    bool const any = RemoveAllProviders(nullptr);
    GiveMeIdling(false);
    mDelay = 0;
    QVProviderReleaseQueue::sShared.ForcePurge();
    return any;
}

bool QVProviderMgr::RemoveAllProviders(unsigned int* count)
{
    StopLoader();
    unsigned int const n = mProviders.Count();
    for (unsigned int i = n; i > 0; --i) {
        QVProvider* provider = mProviders[i - 1];
        provider->LowFreeMemory(false);
        QVProviderReleaseQueue::sShared.Push(provider);
    }
    mProviders.Clear();
    mIndex.Clear();
    mIndexValid = true;
    mSortedCache.Clear();
    mIDCache.Clear();
    mLoading = 0;
    mFinished = 0;
    mMemory = 0;
    mLostCount = 0;
    ++mListStamp;
    mLoadStamp.fetch_add(1, std::memory_order_relaxed);
    if (n > 0)
        AKLog("# PROVIDERS: Has released all %u sound(s).\n", n);
    if (count != nullptr)
        *count = n;
    return n > 0;
}

void QVProviderMgr::SetSoundsBasePath(AKFilePath const& path)
{
    mSoundsBasePath = path;
    mSoundsBasePath.ForceDirectorySyntax();
}

bool QVProviderMgr::ResolveSoundFilePath(AKFilePath* path) const
{
    if (path == nullptr)
        return false;
    if (path->IsRelative()) {
        if (mSoundsBasePath.IsEmpty())
            path->MakeAbsoluteWithApplicationPath();
        else
            path->MakeAbsolute(mSoundsBasePath);
    }
    return path->SimplifyPath();
}

bool QVProviderMgr::ParseIDForm(AKFilePath const& path, QVProviderID* id, bool* isIDForm)
{
    *id = kQVNullProviderID;
    *isIDForm = path.String().StartsWith("#");
    if (!*isIDForm)
        return false;
    return strGetasUInt(path.c_str() + 1, id, kQVNullProviderID);
}

void QVProviderMgr::ListChanged()
{
    mSortedCache.Clear();
    mIDCache.Clear();
    mLostCount = -1;
    ++mListStamp;
}

QVProvider* QVProviderMgr::RegisterProvider(AKFilePath const& path)
{
    if (path.IsEmpty())
        return nullptr;
    QVProviderID id;
    bool isIDForm;
    if (ParseIDForm(path, &id, &isIDForm) || isIDForm)
        return GetProviderByID(id);

    AKFilePath resolved = path;
    ResolveSoundFilePath(&resolved);
    if (QVProvider* known = GetProviderByPath(resolved, false))
        return known;

    auto* provider = new QVProvider(resolved);
    {
        LoaderPause pause(mThread);
        mProviders.Push(provider);
    }
    QVProviderID const newID = provider->GetID();
    if (mIndexValid) {
        if (newID > kQVProviderMgrIndexMaxID) {
            mIndexValid = false;
            mIndex.Clear();
        } else {
            if (newID >= mIndex.Count())
                mIndex.SetCount(newID + 1);
            mIndex[newID] = provider;
        }
    }
    ListChanged();
    return provider;
}

QVProvider* QVProviderMgr::GetProviderByPath(AKFilePath const& path, bool allowID) const
{
    if (path.IsEmpty())
        return nullptr;
    QVProviderID id;
    bool isIDForm;
    if (ParseIDForm(path, &id, &isIDForm) || isIDForm)
        return allowID ? GetProviderByID(id) : nullptr;
    AKFilePath resolved = path;
    ResolveSoundFilePath(&resolved);
    for (QVProvider* provider : mProviders)
        if (provider->GetPath() == resolved)
            return provider;
    return nullptr;
}

QVProvider* QVProviderMgr::GetProviderByID(QVProviderID id) const
{
    if (id == kQVNullProviderID)
        return nullptr;
    if (mIndexValid)
        return id < mIndex.Count() ? mIndex[id] : nullptr;
    for (QVProvider* provider : mProviders)
        if (provider->GetID() == id)
            return provider;
    return nullptr;
}

ATArray<QVProvider*> const& QVProviderMgr::GetSortedProviders() const
{
    if (mSortedCache.IsEmpty() && !mProviders.IsEmpty()) {
        mSortedCache = mProviders;
        mSortedCache.Sort([](QVProvider* a, QVProvider* b) { return a->GetShortName() < b->GetShortName(); }, true);
    }
    return mSortedCache;
}

QVProviderIDArray const& QVProviderMgr::GetProviderIDs() const
{
    if (mIDCache.IsEmpty() && !mProviders.IsEmpty())
        for (QVProvider* provider : mProviders)
            mIDCache.Push(provider->GetID());
    return mIDCache;
}

QVProvider* QVProviderMgr::GetProviderByRandom() const
{
    ATArray<QVProvider*> const& sorted = GetSortedProviders();
    if (sorted.IsEmpty())
        return nullptr;
    double const r = static_cast<double>(std::rand()) / 2147483647.0;
    auto index = static_cast<unsigned int>((sorted.Count() - 1) * r + 0.5);
    if (index >= sorted.Count())
        index = sorted.Count() - 1;
    return sorted[index];
}

unsigned int QVProviderMgr::GetTotalLostSoundCount() const
{
    if (mLostCount < 0) {
        int lost = 0;
        for (QVProvider* provider : mProviders)
            if (provider->GetError() == kQVProviderErrorNotFound)
                ++lost;
        mLostCount = lost;
    }
    return static_cast<unsigned int>(mLostCount);
}

void QVProviderMgr::LowRemove(QVProvider* provider)
{
    if (mIndexValid && provider->GetID() < mIndex.Count())
        mIndex[provider->GetID()] = nullptr;
    ListChanged();
    if (provider->GetState() == kQVProviderStateDone) {
        if (mFinished > 0)
            --mFinished;
        unsigned long long const used = provider->GetUsedMemory();
        mMemory = mMemory > used ? mMemory - used : 0;
    }
    // The loader no longer sees it; the audio thread may still hold it for
    // one block, so its sound and the object itself wait for idle passes.
    provider->LowFreeMemory(false);
    QVProviderReleaseQueue::sShared.Push(provider);
}

bool QVProviderMgr::RemoveProvider(QVProvider* provider)
{
    if (provider == nullptr)
        return false;
    bool removed;
    {
        LoaderPause pause(mThread);
        removed = mProviders.RemoveUniqueItem(provider);
    }
    if (!removed)
        return false;
    LowRemove(provider);
    return true;
}

int QVProviderMgr::ReplaceSoundProvider(AKFilePath const& oldPath, AKFilePath const& newPath, bool removeDuplicates)
{
    QVProvider* provider = GetProviderByPath(oldPath, true);
    if (provider == nullptr)
        return AKLogError(kQVErrorProviderNotFound, "Can't find provider \"%s\"", oldPath.c_str());
    if (newPath.String().StartsWith("#"))
        return AKLogError(kQVErrorProviderNotValid, "No valid provider \"%s\"", newPath.c_str());
    AKFilePath resolved = newPath;
    ResolveSoundFilePath(&resolved);
    if (resolved == provider->GetPath())
        return 0;
    int status;
    {
        // Its old samples may be in the loader's hands.
        LoaderPause pause(mThread);
        status = provider->Reinit(resolved);
    }
    mSortedCache.Clear();
    mLostCount = -1;
    ++mListStamp;
    if (status == 0 && removeDuplicates)
        RemoveUnusedDuplicates(nullptr);
    return status;
}

bool QVProviderMgr::RemoveUnusedProviders(unsigned int* count)
{
    ATArray<QVProvider*> unused;
    LowGrabInactiveProvidersInAllDocuments(&unused);
    for (QVProvider* provider : unused)
        RemoveProvider(provider);
    if (!unused.IsEmpty())
        AKLog("# PROVIDERS: Has released %u unused sound(s).\n", unused.Count());
    if (count != nullptr)
        *count = unused.Count();
    return !unused.IsEmpty();
}

bool QVProviderMgr::RemoveUnusedDuplicates(unsigned int* count)
{
    if (count != nullptr)
        *count = 0;
    ATArray<QVDocument*> documents;
    QVAudioServices::Get().GetOpenDocuments(&documents);
    // Zones of an open document may name any of the duplicates.
    if (!documents.IsEmpty() || mProviders.Count() < 2)
        return false;
    ATArray<QVProvider*> sorted = mProviders;
    sorted.Sort([](QVProvider* a, QVProvider* b) { return a->GetPath().String() < b->GetPath().String(); }, true);
    ATArray<QVProvider*> duplicates;
    for (unsigned int i = 1; i < sorted.Count(); ++i)
        if (sorted[i]->GetPath() == sorted[i - 1]->GetPath())
            duplicates.Push(sorted[i]);
    for (QVProvider* provider : duplicates)
        RemoveProvider(provider);
    if (!duplicates.IsEmpty())
        AKLog("# PROVIDERS: Has released %u duplicated sound(s).\n", duplicates.Count());
    if (count != nullptr)
        *count = duplicates.Count();
    return !duplicates.IsEmpty();
}

void QVProviderMgr::LogInfo(unsigned int level) const
{
    AKString frame("+");
    for (int i = 0; i < 82; ++i)
        frame.Append("=");
    frame.Append("+\n");
    AKLog("%s", frame.c_str());
    AKLog("| Provider-Manager has %u Provider(s) that occupied %u MB\n", mProviders.Count(),
          static_cast<unsigned int>(mMemory / 1048576ull));
    AKLog("%s", frame.c_str());
    for (QVProvider* provider : mProviders)
        provider->LogInfo(level);
    AKLog("\n");
}
