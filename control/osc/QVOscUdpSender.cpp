#include "QVOscUdpSender.h"

#include "AKLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr uint32_t kMaxPort = 65535;

}  // namespace

QVOscUdpSender::QVOscUdpSender()
{
    mSocket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (mSocket >= 0) {
        int on = 1;
        setsockopt(mSocket, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
    } else
        AKLog("# OSC Error: Sender CAN'T create its socket (errno %d).\n", errno);
}

QVOscUdpSender::~QVOscUdpSender()
{
    if (mSocket >= 0)
        close(mSocket);
}

bool QVOscUdpSender::Connect(AKString const& host, uint32_t port, bool force)
{
    if (port < 1 || port > kMaxPort || host.IsEmpty()) {
        Disconnect();
        return false;
    }
    std::lock_guard<std::mutex> lock(mDestinationMutex);
    if (force || !(host == mHost) || port != mPort) {
        mHost = host;
        mPort = port;
        AKLog("# OSC: Sender ready on [%s]:[%u].\n", mHost.c_str(), mPort);
    }
    return true;
}

void QVOscUdpSender::Disconnect()
{
    std::lock_guard<std::mutex> lock(mDestinationMutex);
    if (mPort == 0)
        return;
    mHost = AKString();
    mPort = 0;
    AKLog("# OSC: Sender disconnected.\n");
}

bool QVOscUdpSender::IsConnected() const
{
    std::lock_guard<std::mutex> lock(mDestinationMutex);
    return mPort != 0;
}

bool QVOscUdpSender::SendPacket(char const* data, int size)
{
    if (data == nullptr || size <= 0 || mSocket < 0)
        return false;
    AKString host;
    uint32_t port;
    {
        std::lock_guard<std::mutex> lock(mDestinationMutex);
        host = mHost;
        port = mPort;
    }
    if (port == 0)
        return false;

    addrinfo hints;
    std::memset(&hints, 0, sizeof(hints));
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_flags = AI_NUMERICSERV;
    char service[16];
    snprintf(service, sizeof(service), "%u", port);
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), service, &hints, &found) != 0 || found == nullptr)
        return false;
    ssize_t written = sendto(mSocket, data, size_t(size), MSG_NOSIGNAL, found->ai_addr, found->ai_addrlen);
    freeaddrinfo(found);
    return written == ssize_t(size);
}
