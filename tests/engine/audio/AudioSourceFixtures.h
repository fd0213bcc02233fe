#pragma once

// A running engine and documents that play synthetic sounds through their
// audio source: a real-time document with sequences of one track each and
// a single player, prepared for a 48 kHz stereo device.

#include "AKIdlingCenter.h"
#include "AKTree.h"
#include "QVAudioSource.h"
#include "QVDocument.h"
#include "QVLibEnv.h"
#include "QVObjectAtomic.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"
#include "QVProviderMgr.h"
#include "QVTreeHandler.h"
#include "TrackReaderFixtures.h"

#include <gtest/gtest.h>

class AudioEngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};

constexpr double kMixRate = 48000.0;

struct MixDocument {
    explicit MixDocument(unsigned int flags = kQVDocumentFlagRealTimeAudio)
        : document(new QVDocument(0, flags | kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo))
    {
        EXPECT_EQ(document->OnDocumentNew(AKString("Mix"), 0, false), 0);
        source = static_cast<QVAudioSource*>(document->GetAudioSource());
        handler = QVTreeHandlerOfDocument(document);
    }
    ~MixDocument()
    {
        document->Delete();
        for (QVProvider* sound : sounds)
            QVProviderMgr::sShared.RemoveProvider(sound);
    }
    MixDocument(MixDocument const&) = delete;
    MixDocument& operator=(MixDocument const&) = delete;

    void Prepare(unsigned long long frames, unsigned int channels = 2)
    {
        QVAudioInfo info;
        ASSERT_TRUE(info.Setup(channels, frames, kMixRate));
        source->PrepareAudioResources(info);
        ASSERT_TRUE(source->IsPrepared());
    }

    // A registered, loaded sound of the signal.
    QVProvider* Sound(TrackReaderFixtures::Signal const& signal, double seconds, double rate = kMixRate)
    {
        QVProvider* const made =
            bank.Make(signal, 2, static_cast<unsigned long long>(seconds * rate), static_cast<int>(rate));
        EXPECT_NE(made, nullptr);
        QVProvider* const sound = QVProviderMgr::sShared.RegisterProvider(made->GetPath());
        EXPECT_NE(sound, nullptr);
        EXPECT_EQ(sound->LoadSoundSync(), 0);
        sounds.push_back(sound);
        return sound;
    }

    // A sequence with one track over [0, seconds] of the sound and a
    // stopped single player that does not loop; the document synchronised.
    QVObjectSequence* AddSequence(QVProvider* sound, double seconds, QVObjectAtomic** playerOut)
    {
        QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
        track->InitWithTrackZones(
            TrackReaderFixtures::MakeZones({{sound, 0.0, seconds, 1.0}}, kQVTrackZoneFadeDurationDefault));
        QVObjectSequence* sequence = nullptr;
        EXPECT_EQ(handler->DoEasyNewSequenceWithNewTrack(&sequence, AKString("Seq"), &track), 0);
        QVObjectPlayable* player = nullptr;
        EXPECT_EQ(handler->DoEasyNewCursor(&player, AKString(), 0, 0.0, sequence, kAKLinkModeLastChildren), 0);
        document->SynchronizeAllAndNotifyGandlerListeners();
        auto* const atomic = static_cast<QVObjectAtomic*>(player);
        atomic->SetUserLoop(0);
        if (playerOut != nullptr)
            *playerOut = atomic;
        return sequence;
    }

    void DeleteObject(AKObject* object)
    {
        ASSERT_EQ(handler->DoEasyDeleteObject(&object), 0);
        document->SynchronizeAllAndNotifyGandlerListeners();
    }

    QXSampleBuffer<double>* Pull() { return source->GetNextAudioBlock(0); }

    TrackReaderFixtures::SoundBank bank;
    std::vector<QVProvider*> sounds;
    QVDocument* document;
    QVAudioSource* source = nullptr;
    QVTreeHandler* handler = nullptr;
};

inline double At(QXSampleBuffer<double> const* block, unsigned int channel, unsigned long long frame)
{
    return *block->SamplePtrConst(channel, frame);
}
