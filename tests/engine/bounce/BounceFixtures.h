#pragma once

// Bounce tests: a document holding one sequence of tracks made from sound
// files written at test time, the selection store of that sequence as a
// bounce takes it, a fake audio source whose blocks tell the frame they
// hold, and idle passes driven until a condition holds.

#include "AKIdlingCenter.h"
#include "AKSys.h"
#include "AKTree.h"
#include "AKTreeSel.h"
#include "AKTreeSelCache.h"
#include "QVDocument.h"
#include "QVDocumentAudioSource.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVProvider.h"
#include "QVProviderMgr.h"
#include "QVTreeHandler.h"
#include "SoundFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace BounceFixtures {

// Runs idle passes of the shared centre until the condition holds; false
// when it still does not after many passes (a hang, reported by the caller).
inline bool IdleUntil(std::function<bool()> const& condition)
{
    for (int pass = 0; pass < 200000; ++pass) {
        if (condition())
            return true;
        AKIdlingCenter::sShared.DoGlobalIdling();
        AKSys::SleepMicroSec(200.0);
    }
    return condition();
}

// A private document with one sequence of one track per sound file.
class Scene
{
public:
    // Each recipe becomes "sound<n>.wav" (".flac") in the folder. With
    // load, the sounds are loaded before the constructor returns; otherwise
    // they are only registered.
    Scene(SoundFixtures::TempFolder const& folder, std::vector<SoundFixtures::SoundRecipe> const& recipes, bool load)
    {
        std::vector<std::string> paths;
        for (size_t n = 0; n < recipes.size(); ++n) {
            bool const flac = (recipes[n].format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC;
            paths.push_back(folder.File("sound" + std::to_string(n) + (flac ? ".flac" : ".wav")));
            EXPECT_TRUE(SoundFixtures::WriteSoundFile(paths.back(), recipes[n]));
        }
        Build(paths, load);
    }
    // The same over sound files that exist.
    Scene(std::vector<std::string> const& paths, bool load) { Build(paths, load); }
    ~Scene() { delete mDocument; }

    Scene(Scene const&) = delete;
    Scene& operator=(Scene const&) = delete;

    QVDocument* Document() const { return mDocument; }
    QVObjectSequence* Sequence() const { return mSequence; }
    AKTreeSelCache const& Store() const { return mStore; }
    std::vector<std::string> const& SoundPaths() const { return mSoundPaths; }
    bool AllSoundsAvailable() const
    {
        QVProviderIDArray ids;
        QVProviderMgr::sShared.GrabActiveProviderIDsInDocument(&ids, mDocument);
        for (QVProviderID id : ids) {
            QVProvider const* const provider = QVProviderMgr::sShared.GetProviderByID(id);
            if (provider != nullptr && !provider->IsSoundDataCompletelyAvailable())
                return false;
        }
        return true;
    }

private:
    void Build(std::vector<std::string> const& paths, bool load)
    {
        mSoundPaths = paths;
        mDocument = new QVDocument(1, kQVDocumentFlagPrivate);
        EXPECT_EQ(mDocument->OnDocumentNew(AKString("Scene"), 0, false), 0);
        QVObjectTrackArray tracks;
        for (std::string const& path : paths) {
            QVObjectTrack* const track = AKNew<QVObjectTrack>("%s", "");
            track->InitWithSound(SoundFixtures::EnginePath(path), nullptr, nullptr);
            tracks.Push(track);
        }
        QVTreeHandler* const handler = QVTreeHandlerOfDocument(mDocument);
        handler->DoEasyStart(QVCommandInfo(8201, AKString("New Sequences")), nullptr);
        EXPECT_EQ(handler->DoEasyNewSequenceWithNewTracks(&mSequence, AKString("Seq"), &tracks), 0);
        handler->DoEasyEnd();
        mDocument->SynchronizeAllAndNotifyGandlerListeners();
        // Loaded by the manager's own loader (a load of the calling thread
        // would race with a loader still running for an earlier document).
        if (load) {
            QVProviderMgr::sShared.LoadAllProvidersSoundFile(kQVProviderLoadNow);
            EXPECT_TRUE(IdleUntil([this] { return AllSoundsAvailable(); }));
        }
        AKTreeSel selection(mDocument->GetTree());
        selection.InitWithObject(mSequence);
        EXPECT_EQ(mDocument->GetTree()->WriteTreeSelToCache(&mStore, selection), 0);
    }

    QVDocument* mDocument = nullptr;
    QVObjectSequence* mSequence = nullptr;
    AKTreeSelCache mStore;
    std::vector<std::string> mSoundPaths;
};

// The value of sample (frame, channel) in the fake source's stream: a
// multiple of 2^-15, exact in a 16-bit file.
inline double FakeSample(unsigned long long frame, unsigned int channel)
{
    long long const step = static_cast<long long>((frame * 7 + channel * 1001) % 65536) - 32768;
    return static_cast<double>(step) / 32768.0;
}

// Blocks of the stream above, numbered from the first block after the
// preparation; can be told to give no block.
class FakeSource : public QVDocumentAudioSource
{
public:
    static QVDocumentAudioSource* Make(QVDocument*) { return new FakeSource(); }
    static std::atomic<bool>& GivesNoBlock()
    {
        static std::atomic<bool> sNoBlock{false};
        return sNoBlock;
    }

    void PrepareAudioResources(QVAudioInfo const& format) override
    {
        mBlock.AllocateClean(format.channelCount, format.frameCount, format.sampleRate);
        mNextFrame = 0;
    }
    void ReleaseAudioResources() override { mBlock.Free(); }
    void SynchronizeWithDoc(bool) override {}
    QXSampleBuffer<double>* GetNextAudioBlock(unsigned long long frameCount) override
    {
        if (GivesNoBlock().load() || frameCount != mBlock.FrameCount())
            return nullptr;
        for (unsigned int c = 0; c < mBlock.ChannelCount(); ++c)
            for (unsigned long long f = 0; f < frameCount; ++f)
                *mBlock.SamplePtr(c, f) = FakeSample(mNextFrame + f, c);
        mNextFrame += frameCount;
        return &mBlock;
    }

private:
    QXSampleBuffer<double> mBlock;
    unsigned long long mNextFrame = 0;
};

}  // namespace BounceFixtures
