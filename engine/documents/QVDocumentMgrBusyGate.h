#pragma once

// QVDocumentMgrBusyGate: the handshake that keeps the document manager's
// list, device format and mix buffer from changing while the audio thread
// mixes a block, without ever making the audio thread wait.
//
// One atomic word carries two bits: "audio" (a block is being mixed) and
// "change" (a changer owns the shared state or is about to). Both sides only
// act through read-modify-write operations on that one word, so their steps
// fall in one total order:
// - The audio side enters by turning 0 into "audio" in one compare-exchange.
//   It fails at once, without waiting, when "change" is set: the block is
//   then skipped, never mixed over a list being changed.
// - A changer first sets "change" (so no new block can start), then sleeps
//   10 µs per step until "audio" is clear, without time-out: a block that had
//   begun before finishes on the list it started with. From then on the
//   changer alone touches the state until it leaves.
// Changers are serialised among themselves by a mutex that only changers
// take (message thread, device glue); the audio side never sees it.
//
// The acquire on entering and the release on leaving order every access to
// the shared state on either side against the other's.

#include <atomic>
#include <mutex>

class QVDocumentMgrBusyGate
{
public:
    QVDocumentMgrBusyGate() = default;
    QVDocumentMgrBusyGate(QVDocumentMgrBusyGate const&) = delete;
    QVDocumentMgrBusyGate& operator=(QVDocumentMgrBusyGate const&) = delete;

    // --- Audio side: never blocks, never allocates ---

    // True when the block may run (the busy flag is now set); false while a
    // change is under way.
    bool TryEnterAudio();
    // Clears the busy flag.
    void LeaveAudio();

    // --- Changer side: may wait for the block in progress ---

    void EnterChange();
    void LeaveChange();

    // Whether a block is being mixed right now.
    bool IsAudioBusy() const;

    // Holds the gate for a change for its lifetime.
    class ChangeScope
    {
    public:
        explicit ChangeScope(QVDocumentMgrBusyGate& gate) : mGate(gate) { mGate.EnterChange(); }
        ~ChangeScope() { mGate.LeaveChange(); }
        ChangeScope(ChangeScope const&) = delete;
        ChangeScope& operator=(ChangeScope const&) = delete;

    private:
        QVDocumentMgrBusyGate& mGate;
    };

private:
    static constexpr unsigned int kAudio = 0x1;
    static constexpr unsigned int kChange = 0x2;

    std::atomic<unsigned int> mState{0};
    std::mutex mChangers;
};
