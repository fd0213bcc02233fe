// Fuzz target: raw MIDI bytes as a port delivers them. The first byte picks
// the chunk size the stream arrives in; the rest is the stream. Every
// message the reader splits off must be 1 to 3 bytes starting with a status
// byte, decode into a valid message, and pass through the MIDI handler. The
// whole input is also handed to the decoder and the handler as one packet.

#include "QVMidiBytesReader.h"
#include "QVMidiGandler.h"
#include "QVMidiMessage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void CheckMessage(QVMidiMessage const& message)
{
    Check(message.mType < kQVMidiMessageType_Count);
    Check(message.mChannel < 16);
}

void ReceivePacket(void*, uint8_t const* data, int size)
{
    Check(size >= 1 && size <= 3);
    Check((data[0] & 0x80) != 0);
    for (int i = 1; i < size; ++i)
        Check((data[i] & 0x80) == 0);
    // A copy of exactly the packet's size, so that any read past it is caught.
    std::vector<uint8_t> const packet(data, data + size);
    QVMidiMessage message;
    bool const decoded = QVMidiMessageDecode(packet.data(), size, message);
    Check(decoded == (size >= 2));
    CheckMessage(message);
    Check(QVMidiGandler::sShared.HandleReceivedMidiPacket(nullptr, packet.data(), size) == decoded);
    if (decoded && (data[0] & 0xF0) == 0x80)
        Check(message.mValue == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (size == 0 || size > 65536)
        return 0;
    std::vector<uint8_t> const whole(data, data + size);
    QVMidiMessage message;
    QVMidiMessageDecode(whole.data(), int(whole.size()), message);
    CheckMessage(message);
    QVMidiGandler::sShared.HandleReceivedMidiPacket(nullptr, whole.data(), int(whole.size()));

    size_t const chunk = size_t(data[0] % 8) + 1;
    QVMidiBytesReader reader(&ReceivePacket, nullptr);
    for (size_t at = 1; at < size; at += chunk) {
        size_t const end = at + chunk < size ? at + chunk : size;
        std::vector<uint8_t> const piece(data + at, data + end);
        reader.Feed(piece.data(), int(piece.size()));
    }
    return 0;
}
