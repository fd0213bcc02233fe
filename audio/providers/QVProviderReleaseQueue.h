#pragma once

// QVProviderReleaseQueue: sounds and providers that readers on other threads
// may still hold wait here for a few idle passes before they are deleted.
// The audio thread loads a provider's sound pointer once per block, so
// after the pointer is taken back a block at most may still read the old
// sound; the passes of the idling centre are far apart enough for that
// block to end. Main thread only.

#include "AKIdlingCenter.h"
#include "ATArray.h"

class QVProvider;
struct QVProviderSound;

class QVProviderReleaseQueue final : public AKIdlingClient
{
public:
    // Idle passes an item waits before it is deleted.
    static constexpr int kReleasePassCount = 4;

    static QVProviderReleaseQueue sShared;

    QVProviderReleaseQueue();
    ~QVProviderReleaseQueue() override;

    // Each takes ownership; null is ignored. Idle passes are asked for.
    void Push(QVProviderSound* sound);
    void Push(QVProvider* provider);

    // Deletes everything now: for the shut-down, once no reader is left.
    void ForcePurge();

    unsigned int Count() const { return mItems.Count(); }

    void DoIdling() override;

private:
    struct Item {
        int countdown;
        QVProviderSound* sound;
        QVProvider* provider;
    };
    static void DeleteItem(Item const& item);

    ATArray<Item> mItems;
};
