#pragma once

#include "QVOscReceiverLibext.h"

#include <atomic>
#include <thread>

// The OSC receiver over UDP: an IPv4 datagram socket bound to the listening
// port and a thread, "OSC Receiver", that waits for datagrams and hands each
// one to HandleReceivedOscPacket on that thread (where replies are sent too).
//
// Stopping asks the thread to exit, wakes its wait, joins it and only then
// closes the socket, so the thread never touches a released socket; the wait
// also times out every second to test the exit request. A datagram longer
// than the receive buffer is dropped whole with a log line.
class QVOscUdpReceiver : public QVOscReceiverLibext
{
public:
    // Largest datagram handed on; longer ones are dropped.
    static constexpr int kReceiveBufferSize = 16384;
    // Longest wait between two tests of the exit request.
    static constexpr int kWaitTimeoutMs = 1000;

    QVOscUdpReceiver();
    ~QVOscUdpReceiver() override;

    bool StartListening(uint32_t port, bool force) override;
    void StopListening() override;
    bool IsListening() const override;

    // The port listened on, 0 when not listening.
    uint32_t GetListeningPort() const { return mPort.load(std::memory_order_acquire); }

private:
    void Stop(bool logIt);
    void Run();

    int mSocket = -1;     // bound while listening, else -1
    int mWakeEvent = -1;  // eventfd that ends the thread's wait
    std::thread mThread;  // message thread only
    std::atomic<bool> mExitRequested{false};
    std::atomic<uint32_t> mPort{0};
};
