#pragma once

#include "AKString.h"

#include <cstdint>

// The outgoing side of OSC control: sends each reply packet as one datagram to
// the destination given by Connect. This base does nothing and is never
// connected; a real transport (QVOscUdpSender) derives from it.
//
// Connect and Disconnect run on the message thread; SendPacket may run on the
// receive thread at the same time.
class QVOscSenderLibext
{
public:
    QVOscSenderLibext() = default;
    virtual ~QVOscSenderLibext() = default;

    QVOscSenderLibext(QVOscSenderLibext const&) = delete;
    QVOscSenderLibext& operator=(QVOscSenderLibext const&) = delete;

    // Stores the destination; true when connected afterwards.
    virtual bool Connect(AKString const& host, uint32_t port, bool force);
    virtual void Disconnect();
    virtual bool IsConnected() const;
    // True when all size bytes left as one datagram.
    virtual bool SendPacket(char const* data, int size);
};
