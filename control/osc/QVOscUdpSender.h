#pragma once

#include "QVOscSenderLibext.h"

#include <mutex>

// The OSC sender over UDP: one IPv4 datagram socket, broadcasting allowed and
// never bound, that addresses every packet to the stored host and port.
// Connect touches no network; the host is looked up when a packet is sent.
//
// The destination is guarded by a small lock, so a reply sent on the receive
// thread always reads a host and port that belong together.
class QVOscUdpSender : public QVOscSenderLibext
{
public:
    QVOscUdpSender();
    ~QVOscUdpSender() override;

    bool Connect(AKString const& host, uint32_t port, bool force) override;
    void Disconnect() override;
    bool IsConnected() const override;
    bool SendPacket(char const* data, int size) override;

private:
    int mSocket = -1;
    mutable std::mutex mDestinationMutex;
    AKString mHost;      // guarded by mDestinationMutex
    uint32_t mPort = 0;  // guarded; 0 = not connected
};
