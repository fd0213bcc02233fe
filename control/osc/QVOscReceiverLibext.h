#pragma once

#include <cstdint>

class QVOscGandler;

// The incoming side of OSC control: listens on a UDP port and hands every
// received packet to the linked handler, on its own thread. This base does
// nothing and never listens; a real transport (QVOscUdpReceiver) derives
// from it.
//
// StartListening and StopListening run on the message thread.
class QVOscReceiverLibext
{
public:
    QVOscReceiverLibext() = default;
    virtual ~QVOscReceiverLibext() = default;

    QVOscReceiverLibext(QVOscReceiverLibext const&) = delete;
    QVOscReceiverLibext& operator=(QVOscReceiverLibext const&) = delete;

    // True when listening afterwards.
    virtual bool StartListening(uint32_t port, bool force);
    virtual void StopListening();
    virtual bool IsListening() const;

    // Passes one received packet to the handler: false without a handler,
    // without data or for an empty packet, else the handler's answer.
    bool HandleReceivedOscPacket(char const* data, int size);

    // Set by the handler that owns this receiver (not owned); changed only
    // while not listening.
    void SetOscGandler(QVOscGandler* gandler) { mGandler = gandler; }
    QVOscGandler* GetOscGandler() const { return mGandler; }

private:
    QVOscGandler* mGandler = nullptr;
};
