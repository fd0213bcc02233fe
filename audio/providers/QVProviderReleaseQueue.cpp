// QVProviderReleaseQueue: deferred deletion of sounds and providers.

#include "QVProviderReleaseQueue.h"

#include "QVProvider.h"
#include "QVProviderSound.h"

QVProviderReleaseQueue::QVProviderReleaseQueue() : AKIdlingClient("QVProviderReleaseQueue", true) {}

QVProviderReleaseQueue::~QVProviderReleaseQueue()
{
    // Static teardown: the idling centre may be gone already, so only delete.
    for (Item const& item : mItems)
        DeleteItem(item);
}

void QVProviderReleaseQueue::Push(QVProviderSound* sound)
{
    if (sound == nullptr)
        return;
    mItems.Push(Item{kReleasePassCount, sound, nullptr});
    GiveMeIdling(true);
}

void QVProviderReleaseQueue::Push(QVProvider* provider)
{
    if (provider == nullptr)
        return;
    mItems.Push(Item{kReleasePassCount, nullptr, provider});
    GiveMeIdling(true);
}

void QVProviderReleaseQueue::DeleteItem(Item const& item)
{
    delete item.sound;
    delete item.provider;
}

void QVProviderReleaseQueue::ForcePurge()
{
    ATArray<Item> items;
    items.StdVector().swap(mItems.StdVector());
    for (Item const& item : items)
        DeleteItem(item);
    if (IsIdlingRegistered())
        GiveMeIdling(false);
}

void QVProviderReleaseQueue::DoIdling()
{
    // Taken out first: a deletion may push new items meanwhile.
    ATArray<Item> items;
    items.StdVector().swap(mItems.StdVector());
    for (Item& item : items) {
        if (--item.countdown <= 0)
            DeleteItem(item);
        else
            mItems.Push(item);
    }
    if (mItems.IsEmpty())
        GiveMeIdling(false);
}
