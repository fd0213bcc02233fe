#pragma once

// QVProvider: one sound file held for playback and display. It knows its
// path and file info, loads the samples progressively (decoded to float, or
// for raw PCM files by mapping the file), builds the min/max envelope while
// loading and answers copies of its samples.
//
// Threads: the main thread constructs, re-initialises, starts and ends
// loads; the loader thread runs LowLoadNext on providers in state 1 only;
// the audio thread copies samples from providers not in state 0. The
// readable sound is published through an atomic pointer and is never freed
// under a reader: taking it back hands it to QVProviderReleaseQueue. Whoever
// re-initialises a provider that the loader thread may walk pauses that
// thread first (the provider manager does).

#include "AGTypes.h"
#include "AKFilePath.h"
#include "AKString.h"
#include "QVAudioInfo.h"
#include "QVProviderID.h"
#include "QVProviderSound.h"
#include "QXSampleInterleaved.h"

#include <atomic>

class QVSoundFileReader;

// Loading states.
constexpr unsigned int kQVProviderStateIdle = 0;
constexpr unsigned int kQVProviderStateLoading = 1;
constexpr unsigned int kQVProviderStateLoaded = 2;  // waiting for its end step
constexpr unsigned int kQVProviderStateDone = 3;

// Errors.
constexpr unsigned int kQVProviderErrorNone = 0;
constexpr unsigned int kQVProviderErrorNotFound = 1;  // the sound is lost
constexpr unsigned int kQVProviderErrorUnusable = 2;

// Consecutive empty loading steps after which a sound counts as shorter
// than announced.
constexpr unsigned int kQVProviderMaxEmptyReads = 11;

constexpr double kQVProviderUIDataColorDarkenCoeff = 0.7;

// The data colour of an index (0 to 7) and optionally its localised name;
// opaque black and an empty name above 7.
AGColor QVProviderGetUIDataColor(unsigned int index, AKString* name);

class QVProvider
{
public:
    // Takes the next ID, then points at the file (Reinit).
    explicit QVProvider(AKFilePath const& path);
    ~QVProvider();

    QVProvider(QVProvider const&) = delete;
    QVProvider& operator=(QVProvider const&) = delete;

    // The counter of IDs, never reset within a run.
    static QVProviderID PeekNextID();
    // For tests that need IDs in a given range: the next provider gets this ID.
    static void SetNextIDForTesting(QVProviderID id);

    // Points at a file and reads its info: 0 (state 0, mode 1 or 2), or
    // -576 (state 3, error 1) / -575 (state 3, error 2), logged. The old
    // sound is taken back first.
    int Reinit(AKFilePath const& path);

    // Loads everything on the calling thread; 0 at once unless idle.
    int LoadSoundSync();
    // The three loading steps (main, loader, main thread).
    int LowLoadStart();
    int LowLoadNext();
    void LowLoadEnd();
    // Releases the loading resources; keep leaves the sound readable.
    void LowFreeMemory(bool keep);
    void LowBuildStatusStrings();
    void LogInfo(unsigned int level) const;

    // --- Queries ---
    QVProviderID GetID() const { return mID; }
    unsigned int GetMode() const { return mMode.load(std::memory_order_acquire); }
    unsigned int GetState() const { return mState.load(std::memory_order_acquire); }
    unsigned int GetError() const { return mError.load(std::memory_order_acquire); }
    AKString const& GetReaderName() const { return mReaderName; }
    AKFilePath const& GetPath() const { return mPath; }
    AKString const& GetShortName() const { return mShortName; }
    QVAudioFileInfo const& GetFileInfo() const { return mFileInfo; }
    QVAudioInfo const& GetSavedInfo() const { return mSavedInfo; }
    void SetSavedInfo(QVAudioInfo const& info) { mSavedInfo = info; }
    unsigned long long GetBlockFrames() const { return mBlockFrames; }
    AKString const& GetInfoString() const { return mInfoString; }
    AKString const& GetNameAndDurationString() const { return mNameAndDurationString; }
    AKString const& GetNameAndInfoString() const { return mNameAndInfoString; }
    AGColor GetColor() const { return mColor; }
    // The readable sound, null when none; see QVProviderSound.
    QVProviderSound const* GetSound() const { return mSound.load(std::memory_order_acquire); }
    // The envelope, null when none is built.
    QVSampleEnvelope const* GetEnvelope() const;

    unsigned long long LoadingFrameCount() const;
    double LoadingProgress() const;
    bool IsSoundDataCompletelyAvailable() const;
    unsigned long long GetUsedMemory() const;

    // --- Copies (any thread that keeps to a published sound) ---

    // Copies the sound from a frame position (negative allowed) into the
    // destination's working range; destination or source channel -1 for
    // all. Allocates, locks and logs nothing.
    template <class T>
    bool CopySampleBuffer(QXSampleBuffer<T>* destination, int destinationChannel, int sourceChannel, long long position,
                          bool zero, unsigned long long* copied) const;
    // Interleaved frames of every channel from `first`; count in: wanted,
    // out: copied. The rest of the wanted frames is zeroed.
    template <class T>
    bool CopyRawInterleavedSampleBuffer(T* destination, unsigned long long* count, unsigned long long first) const;

private:
    int LowLoadStartMapped(QVProviderSound* sound);
    int LowLoadStartDecoded(QVProviderSound* sound);
    int LowLoadNextMapped(QVProviderSound* sound, unsigned long long* delivered);
    int LowLoadNextDecoded(QVProviderSound* sound, unsigned long long* delivered);
    // Takes the sound back from the readers and hands it to the release queue.
    void UnpublishSound();
    unsigned int MissingOrUnusable() const;

    static std::atomic<QVProviderID> sNextID;

    QVProviderID const mID;
    std::atomic<unsigned int> mMode{kQVProviderModeNone};
    AKString mReaderName;
    AKFilePath mPath;
    AKString mShortName;
    QVAudioFileInfo mFileInfo;
    QVAudioInfo mSavedInfo;
    std::atomic<unsigned int> mState{kQVProviderStateIdle};
    std::atomic<unsigned int> mError{kQVProviderErrorNone};
    std::atomic<unsigned long long> mLoadedFrames{0};
    unsigned long long mBlockFrames = 0;
    unsigned int mEmptyReads = 0;
    std::atomic<QVProviderSound*> mSound{nullptr};
    QXSampleInterleaved<float> mReadBlock;  // decoded, while loading
    QVSoundFileReader* mReader = nullptr;   // decoded, while loading
    QXSampleBuffer<float> mStagingBlock;    // mapped: the envelope's feed
    AKString mInfoString;
    AKString mNameAndDurationString;
    AKString mNameAndInfoString;
    AGColor mColor;
};
