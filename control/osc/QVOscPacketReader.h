#pragma once

// Checks the framing of one OSC packet before anything reads its values: a
// message (address, optional type tags, arguments that fit the packet) or a
// bundle ("#bundle", time tag, sized elements, each a packet of its own).
// Received datagrams that fail are dropped whole instead of half-read.
class QVOscPacketReader
{
public:
    // Bundles nest at most this deep; deeper ones are refused.
    static constexpr int kMaxBundleDepth = 8;

    // Null when the packet is well formed, else a short reason for the log.
    static char const* FindFault(char const* data, int size);

private:
    static char const* FindFaultAtDepth(unsigned char const* data, int size, int depth);
    static char const* FindMessageFault(unsigned char const* data, int size);
    static char const* FindBundleFault(unsigned char const* data, int size, int depth);
};
