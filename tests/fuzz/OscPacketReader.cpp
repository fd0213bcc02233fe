// Fuzz target: the framing check of received OSC packets. The bytes are one
// datagram as it comes off the network. The check must stay inside the
// bytes, and a message it accepts must also be accepted as the one element
// of a bundle (the bundle adds only its header and the element's size).

#include "QVOscPacketReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::string WrapInBundle(uint8_t const* data, size_t size)
{
    std::string bundle("#bundle\0\0\0\0\0\0\0\0\1", 16);
    for (int shift = 24; shift >= 0; shift -= 8)
        bundle += char((size >> shift) & 0xFF);
    bundle.append(reinterpret_cast<char const*>(data), size);
    return bundle;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (size > 65536)
        return 0;
    // A copy of exactly the datagram's size, so that any read past it is caught.
    std::string const packet(reinterpret_cast<char const*>(data), size);
    char const* fault = QVOscPacketReader::FindFault(packet.data(), int(packet.size()));
    if (fault == nullptr && size > 0 && data[0] == '/') {
        std::string const bundle = WrapInBundle(data, size);
        Check(QVOscPacketReader::FindFault(bundle.data(), int(bundle.size())) == nullptr);
    }
    return 0;
}
