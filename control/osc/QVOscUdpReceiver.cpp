#include "QVOscUdpReceiver.h"

#include "AKLog.h"

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t kMaxPort = 65535;
// The system keeps thread names to 15 characters.
constexpr char kThreadName[] = "OSC Receiver";

// A new IPv4 datagram socket bound to port on every interface, or -1.
int OpenBoundSocket(uint32_t port)
{
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int off = 0;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &off, sizeof(off));
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(uint16_t(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

QVOscUdpReceiver::QVOscUdpReceiver() {}

QVOscUdpReceiver::~QVOscUdpReceiver() { Stop(false); }

bool QVOscUdpReceiver::StartListening(uint32_t port, bool force)
{
    if (port == 0 || port > kMaxPort) {
        Stop(true);
        return false;
    }
    if (force || port != GetListeningPort()) {
        Stop(false);
        int fd = OpenBoundSocket(port);
        int wake = fd >= 0 ? eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
        if (fd < 0 || wake < 0) {
            if (fd >= 0)
                close(fd);
            AKLog("# OSC Error: Receiver CAN'T listening on port [%u].\n", port);
            return false;
        }
        mSocket = fd;
        mWakeEvent = wake;
        mExitRequested.store(false);
        mPort.store(port, std::memory_order_release);
        mThread = std::thread(&QVOscUdpReceiver::Run, this);
        AKLog("# OSC: Receiver listening on port [%u].\n", port);
    }
    return GetListeningPort() != 0;
}

void QVOscUdpReceiver::StopListening() { Stop(true); }

bool QVOscUdpReceiver::IsListening() const { return GetListeningPort() != 0; }

void QVOscUdpReceiver::Stop(bool logIt)
{
    if (GetListeningPort() == 0)
        return;
    mExitRequested.store(true);
    uint64_t one = 1;
    ssize_t ignored = write(mWakeEvent, &one, sizeof(one));
    (void)ignored;
    shutdown(mSocket, SHUT_RDWR);
    if (mThread.joinable())
        mThread.join();
    close(mSocket);
    close(mWakeEvent);
    mSocket = -1;
    mWakeEvent = -1;
    mPort.store(0, std::memory_order_release);
    if (logIt)
        AKLog("# OSC: Receiver disconnected.\n");
}

void QVOscUdpReceiver::Run()
{
    pthread_setname_np(pthread_self(), kThreadName);
    if (GetListeningPort() == 0)
        return;
    std::vector<char> buffer(kReceiveBufferSize, 0);
    pollfd waits[2];
    waits[0].fd = mSocket;
    waits[0].events = POLLIN;
    waits[1].fd = mWakeEvent;
    waits[1].events = POLLIN;
    while (!mExitRequested.load()) {
        waits[0].revents = 0;
        waits[1].revents = 0;
        int ready = poll(waits, 2, kWaitTimeoutMs);
        if (ready <= 0 || (waits[0].revents & POLLIN) == 0 || mExitRequested.load())
            continue;  // time-out, wait error or wake-up: test the exit request again
        // MSG_TRUNC makes recv answer the datagram's full length, so a longer
        // one is seen and dropped instead of being handed on cut short.
        ssize_t length = recv(mSocket, buffer.data(), buffer.size(), MSG_DONTWAIT | MSG_TRUNC);
        if (length > kReceiveBufferSize) {
            AKLog("# OSC Error: Dropped a datagram of %zd bytes, longer than %d bytes.\n", length, kReceiveBufferSize);
            continue;
        }
        if (length > 0)
            HandleReceivedOscPacket(buffer.data(), int(length));
    }
}
