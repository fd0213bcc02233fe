#pragma once

#include <cstdint>

// Receives one complete message of the stream: 1 to 3 bytes, status first.
using QVMidiPacketProc = void (*)(void* userData, uint8_t const* data, int size);

// Splits a raw MIDI byte stream (as read from a port, in chunks of any size)
// into whole messages for the handler. The stream is outside input, so every
// sequence is accepted:
// - running status: data bytes after a complete channel message reuse its
//   status byte;
// - system exclusive (0xF0 up to 0xF7 or the next status byte) is skipped;
// - real-time bytes (0xF8 and above) are passed on alone at once, even in
//   the middle of another message, which then carries on;
// - a status byte arriving before a message is complete drops that message;
// - data bytes with no status to apply them to are dropped.
// Never allocates; one reader per stream, used from one thread.
class QVMidiBytesReader
{
public:
    QVMidiBytesReader(QVMidiPacketProc proc, void* userData);

    void Feed(uint8_t const* data, int size);
    void FeedByte(uint8_t byte);

    // Forgets any partial message and the running status (port reopened).
    void Reset();

    // Bytes dropped so far: partial messages, stray data, system exclusive.
    uint32_t GetDroppedCount() const { return mDroppedCount; }

private:
    void Emit(int size);

    QVMidiPacketProc mProc;
    void* mUserData;
    uint8_t mBytes[3] = {0, 0, 0};
    int mCount = 0;        // bytes of the current message held, status included
    int mExpected = 0;     // bytes the current message needs, status included
    uint8_t mRunning = 0;  // channel status reused by running status; 0 for none
    bool mInSysEx = false;
    uint32_t mDroppedCount = 0;
};
