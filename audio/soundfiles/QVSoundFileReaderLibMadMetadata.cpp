#include "QVSoundFileReaderLibMadLow.h"

// Size of a leading tag: ID3v1 ("TAG", 128 bytes), ID3v2 ("ID3", header plus
// synchsafe size plus an optional footer), or 0. A tag footer ("3DI") at the
// start of the data measures nothing.
static unsigned long LeadingTagSize(unsigned char const* data, unsigned long length)
{
    if (length >= 3 && data[0] == 'T' && data[1] == 'A' && data[2] == 'G')
        return 128;
    if (length < 10)
        return 0;
    bool const isHeader = data[0] == 'I' && data[1] == 'D' && data[2] == '3';
    bool const isFooter = data[0] == '3' && data[1] == 'D' && data[2] == 'I';
    if (!isHeader && !isFooter)
        return 0;
    if (data[3] == 0xFF || data[4] == 0xFF)
        return 0;
    if (data[6] >= 0x80 || data[7] >= 0x80 || data[8] >= 0x80 || data[9] >= 0x80)
        return 0;
    if (isFooter)
        return 0;
    unsigned long const size = (static_cast<unsigned long>(data[6]) << 21) |
                               (static_cast<unsigned long>(data[7]) << 14) |
                               (static_cast<unsigned long>(data[8]) << 7) | static_cast<unsigned long>(data[9]);
    unsigned long const footer = (data[5] & 0x10) ? 10 : 0;
    return 10 + size + footer;
}

// Whether 32 bits name an encoder's information frame: "Xing", "Info",
// "LAME", or the end of "Xing" or "Info" followed by two zero bytes (a header
// placed two bytes early in a CRC-protected stream).
static bool IsInfoFrameMark(unsigned long mark)
{
    constexpr unsigned long kXing = 0x58696E67;
    constexpr unsigned long kInfo = 0x496E666F;
    constexpr unsigned long kLame = 0x4C414D45;
    return mark == kXing || mark == kInfo || mark == kLame || mark == 0x6E670000 || mark == 0x666F0000;
}

unsigned long mad_skip_metadata(unsigned char const* data, unsigned long length)
{
    if (data == nullptr)
        return 0;
    unsigned long size = LeadingTagSize(data, length);
    if (size >= length)
        return size;

    mad_stream stream;
    mad_frame frame;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_stream_buffer(&stream, data + size, length - size);
    if (mad_frame_decode(&frame, &stream) == 0 && stream.anc_bitlen >= 32) {
        mad_bitptr mark = stream.anc_ptr;
        if (IsInfoFrameMark(mad_bit_read(&mark, 32)))
            size += static_cast<unsigned long>(stream.next_frame - stream.this_frame);
    }
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    return size;
}
