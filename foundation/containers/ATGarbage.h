#pragma once

// A deferred-deletion queue, emptied on idle passes by its owner.
//
// An object may still be read by the real-time side after it was removed
// from its owner, so it is queued instead of deleted. Each idle pass counts
// down the objects that nothing holds; an object is deleted on the N-th idle
// pass during which it was not held. A held object's countdown pauses (it is
// not reset).
//
// Requirements on the object type: T is a pointer, and the pointed object
// provides `int GetHoldCount() const` (holds taken by the real-time side; the
// object waits while it is above 0). Deleter is a default-constructible type
// called as `Deleter()(object)`, e.g. _AKDefaultDeleter (ATArray.h).
//
// Main thread only; not copyable (the queue owns its objects).

#include "ATArray.h"

template <class T, class Deleter, int N>
class ATGarbage
{
public:
    struct Item {
        int fCountdown;
        T fObject;
    };

    static constexpr unsigned int kReservedItems = 20;

    ATGarbage() { fItems.Reserve(kReservedItems); }
    ~ATGarbage() { ForcePurge(); }
    ATGarbage(ATGarbage const&) = delete;
    ATGarbage& operator=(ATGarbage const&) = delete;

    unsigned int Count() const { return fItems.Count(); }
    bool IsEmpty() const { return fItems.IsEmpty(); }
    ATArray<Item> const& GetItems() const { return fItems; }

    // Queues the object with a countdown of N; a null object is ignored.
    void Push(T object)
    {
        if (object == nullptr)
            return;
        fItems.Push(Item{N, object});
    }

    // One idle pass; returns the number of objects deleted.
    unsigned int DoIdling()
    {
        Deleter deleter;
        unsigned int deleted = 0;
        // By index, and only the items present at the start: a deleter may
        // queue further objects, which wait for the next pass.
        for (unsigned int i = 0, n = fItems.Count(); i < n; ++i) {
            Item& item = fItems[i];
            if (item.fObject->GetHoldCount() > 0)
                continue;
            int before = item.fCountdown--;
            if (before <= 1) {
                T object = item.fObject;
                item.fObject = nullptr;
                deleter(object);
                ++deleted;
            }
        }
        if (deleted > 0)
            fItems.RemoveIf([](Item const& item) { return item.fObject == nullptr; });
        return deleted;
    }

    // Deletes every queued object at once, whatever its countdown and hold
    // count; returns how many were queued.
    unsigned int ForcePurge()
    {
        Deleter deleter;
        // By index, re-reading the count: objects queued by a deleter are
        // purged too.
        for (unsigned int i = 0; i < fItems.Count(); ++i) {
            T object = fItems[i].fObject;
            fItems[i].fObject = nullptr;
            deleter(object);
        }
        unsigned int queued = fItems.Count();
        fItems.Clear();
        return queued;
    }

private:
    ATArray<Item> fItems;
};
