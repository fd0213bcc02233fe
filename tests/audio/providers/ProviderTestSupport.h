#pragma once

// Helpers of the provider tests: services standing in for the engine (the
// library options, the open documents and the provider IDs their tracks
// name) and a scope that restores the audio preferences the tests change.

#include "QVAudioResourcePrefs.h"
#include "QVAudioServices.h"
#include "QVProviderReleaseQueue.h"

#include <map>
#include <vector>

class ProviderTestServices final : public QVAudioServices
{
public:
    ProviderTestServices() { QVAudioServices::Install(this); }
    ~ProviderTestServices() override { QVAudioServices::Install(nullptr); }

    bool IsRealTimeLoadingOn() const override { return realTime; }
    bool IsWaveformBuildingOn() const override { return waveform; }
    void GetOpenDocuments(ATArray<QVDocument*>* documents) const override
    {
        documents->Clear();
        for (QVDocument* document : openDocuments)
            documents->Push(document);
    }
    void GetBounceUsedPrivateDocuments(ATArray<QVDocument*>* documents) const override
    {
        documents->Clear();
        for (QVDocument* document : bounceDocuments)
            documents->Push(document);
    }
    void GrabActiveProviders(QVDocument const* document,
                             ATNumberArray<unsigned char, unsigned char, 0>* marks) const override
    {
        auto found = usedIDs.find(document);
        if (found == usedIDs.end() || marks->Count() < 2)
            return;
        for (unsigned int id : found->second)
            if (id < marks->Count())
                (*marks)[id] = 1;
    }

    // Documents are opaque to the audio layer: any distinct address will do.
    static QVDocument* FakeDocument(int index)
    {
        static char sDocuments[8];
        return reinterpret_cast<QVDocument*>(&sDocuments[index]);
    }

    bool realTime = false;
    bool waveform = false;
    std::vector<QVDocument*> openDocuments;
    std::vector<QVDocument*> bounceDocuments;
    std::map<QVDocument const*, std::vector<unsigned int>> usedIDs;
};

class ScopedAudioPrefs
{
public:
    ScopedAudioPrefs() : mSaved(QVAudioResourcePrefs::sShared) {}
    ~ScopedAudioPrefs() { QVAudioResourcePrefs::sShared = mSaved; }
    ScopedAudioPrefs(ScopedAudioPrefs const&) = delete;
    ScopedAudioPrefs& operator=(ScopedAudioPrefs const&) = delete;

private:
    QVAudioResourcePrefs mSaved;
};

// Runs enough idle passes for the deferred release to free what it holds.
inline void DrainReleaseQueue()
{
    for (int i = 0; i <= QVProviderReleaseQueue::kReleasePassCount; ++i)
        AKIdlingCenter::sShared.DoGlobalIdling();
}
