#pragma once

// Loopback helpers of the OSC tests: a UDP peer on an ephemeral port, a free
// port finder and a builder of OSC message bytes.

#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace osctest {

// A UDP socket bound to 127.0.0.1 on a port the system picks.
class UdpPeer
{
public:
    UdpPeer()
    {
        mSocket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = Loopback(0);
        bind(mSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        socklen_t length = sizeof(address);
        getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &length);
        mPort = ntohs(address.sin_port);
    }
    ~UdpPeer() { close(mSocket); }
    UdpPeer(UdpPeer const&) = delete;
    UdpPeer& operator=(UdpPeer const&) = delete;

    uint32_t Port() const { return mPort; }

    bool SendTo(uint32_t port, std::string const& bytes) const
    {
        sockaddr_in address = Loopback(port);
        return sendto(mSocket, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof(address)) ==
               ssize_t(bytes.size());
    }

    // The next datagram, or "" when none came within timeoutMs.
    std::string Receive(int timeoutMs = 5000) const
    {
        pollfd wait{mSocket, POLLIN, 0};
        if (poll(&wait, 1, timeoutMs) <= 0)
            return std::string();
        char buffer[65536];
        ssize_t length = recv(mSocket, buffer, sizeof(buffer), 0);
        return length > 0 ? std::string(buffer, size_t(length)) : std::string();
    }

    static sockaddr_in Loopback(uint32_t port)
    {
        sockaddr_in address;
        std::memset(&address, 0, sizeof(address));
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(uint16_t(port));
        return address;
    }

private:
    int mSocket = -1;
    uint32_t mPort = 0;
};

// A port that was free a moment ago (the system's next ephemeral pick).
inline uint32_t FreePort()
{
    UdpPeer probe;
    return probe.Port();
}

// OSC message bytes: the address, then type tags and arguments appended.
class Message
{
public:
    explicit Message(std::string const& address) { AppendString(mBytes, address); }

    Message& Int(int32_t value)
    {
        mTags += 'i';
        AppendInt(mArgs, uint32_t(value));
        return *this;
    }
    Message& Float(float value)
    {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof(bits));
        mTags += 'f';
        AppendInt(mArgs, bits);
        return *this;
    }
    Message& String(std::string const& value)
    {
        mTags += 's';
        AppendString(mArgs, value);
        return *this;
    }
    Message& Blob(std::string const& value)
    {
        mTags += 'b';
        AppendInt(mArgs, uint32_t(value.size()));
        mArgs += value;
        mArgs.append((4 - value.size() % 4) % 4, '\0');
        return *this;
    }
    Message& Tag(char tag)
    {
        mTags += tag;
        return *this;
    }

    std::string Bytes() const
    {
        std::string bytes = mBytes;
        AppendString(bytes, mTags);
        return bytes + mArgs;
    }

    static void AppendString(std::string& out, std::string const& s)
    {
        out += s;
        out.append(4 - s.size() % 4, '\0');
    }
    static void AppendInt(std::string& out, uint32_t value)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += char((value >> shift) & 0xFF);
    }

private:
    std::string mBytes;
    std::string mTags = ",";
    std::string mArgs;
};

// A bundle holding the given packets.
inline std::string Bundle(std::initializer_list<std::string> elements)
{
    std::string bytes("#bundle\0\0\0\0\0\0\0\0\1", 16);
    for (std::string const& element : elements) {
        Message::AppendInt(bytes, uint32_t(element.size()));
        bytes += element;
    }
    return bytes;
}

}  // namespace osctest
