#pragma once

// QVDocumentTreeGuard: keeps the look-ups that other threads make in a
// document's tree (the OSC references by node ID or name path) from racing
// the message thread's changes to the tree's structure, which grow and
// shrink the tree's node array and direct-access table.
//
// A reader-writer lock: every change to the tree's nodes runs inside an
// edit (the document's tree handler opens one around each of its actions,
// the document around its own initialisation and idle passes), and a
// reader holds the shared side for the whole of its look-up. Edits nest on
// the thread that owns them, and that thread reads without locking, so
// code that runs inside an edit may look objects up. The audio thread never
// takes the guard: it reads the objects through its own pools.

#include <atomic>
#include <shared_mutex>
#include <thread>

class QVDocumentTreeGuard
{
public:
    QVDocumentTreeGuard() = default;
    QVDocumentTreeGuard(QVDocumentTreeGuard const&) = delete;
    QVDocumentTreeGuard& operator=(QVDocumentTreeGuard const&) = delete;

    // Changer side (the message thread); nestable.
    void BeginEdit();
    void EndEdit();
    // Whether the calling thread is inside an edit.
    bool IsEditingThread() const { return mOwner.load(std::memory_order_acquire) == std::this_thread::get_id(); }

    class EditScope
    {
    public:
        explicit EditScope(QVDocumentTreeGuard& guard) : mGuard(guard) { mGuard.BeginEdit(); }
        ~EditScope() { mGuard.EndEdit(); }
        EditScope(EditScope const&) = delete;
        EditScope& operator=(EditScope const&) = delete;

    private:
        QVDocumentTreeGuard& mGuard;
    };

    // Reader side, any thread: waits while an edit runs elsewhere.
    class ReadScope
    {
    public:
        explicit ReadScope(QVDocumentTreeGuard const& guard);
        ~ReadScope();
        ReadScope(ReadScope const&) = delete;
        ReadScope& operator=(ReadScope const&) = delete;

    private:
        QVDocumentTreeGuard const& mGuard;
        bool mLocked;
    };

private:
    mutable std::shared_mutex mMutex;
    std::atomic<std::thread::id> mOwner{};
    unsigned int mDepth = 0;  // touched by the owning thread only
};
