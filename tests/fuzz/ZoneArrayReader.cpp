// Fuzz target: track zone arrays read from arbitrary bytes in both
// persistent forms and both byte orders.
//  - Binary form (a count and 28-byte records), limited to the bytes given:
//    a failed read leaves the array as it was; a successful one writes back
//    exactly the bytes it consumed.
//  - Array of zone dictionaries in value chunk form, read with and without
//    conversions: written, read back and written again, the chunk bytes are
//    the same.
// The zones read then go through the full pass and a few edits, which must
// hold up against any numbers (NaN, infinities, reversed sources).

#include "AKFile.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKValue.h"
#include "QVTrackZoneArray.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

AKMemoryBlock Written(unsigned int endianness, int (*write)(AKFile&, void const*), void const* what)
{
    AKFile stream(kAKFileModeMemoryStream);
    stream.SetEndianness(endianness);
    AKMemoryBlock bytes;
    if (stream.CreateForReadWrite() != 0 || write(stream, what) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

int WriteZones(AKFile& file, void const* zones)
{
    return static_cast<QVTrackZoneArray const*>(zones)->WriteToFile(file);
}

int WriteValue(AKFile& file, void const* value) { return static_cast<AKValue const*>(value)->WriteToFile(file); }

// The full pass and a few edits over the middle third of the track.
void Exercise(QVTrackZoneArray zones)
{
    double end = 0.0;
    unsigned int channels = 0;
    zones.UpdateZonesLocalTime(&end, &channels, 0.005);
    AKTimeIntv const middle = {end / 3.0, 2.0 * end / 3.0};
    QVTrackZoneArray part;
    zones.ExtractZones(middle, &part, true);
    QVTrackZoneArray copy = zones;
    copy.ScaleZones(middle, -0.5, true);
    copy.UpdateZonesLocalTime(nullptr, nullptr, 0.005);
    copy = zones;
    copy.InsertZones(middle.beg, part, 2, true);
    copy.EraseZones({middle.end, end + 1.0}, true);
    copy.DeleteZones(middle);
    copy.CropZones({end / 4.0, end}, true, true);
    copy.UpdateZonesLocalTime(nullptr, nullptr, 0.005);
}

void ReadBinary(uint8_t const* data, size_t size, unsigned int endianness)
{
    AKFile file(data, static_cast<unsigned int>(size));
    file.SetEndianness(endianness);
    if (file.OpenForRead() != 0)
        return;
    QVTrackZoneArray zones;
    zones.Push(QVTrackZone::MakeSilence(1.0));
    QVTrackZoneArray const before = zones;
    if (zones.ReadFromFile(file, size) != 0) {
        if (zones != before)
            __builtin_trap();
        return;
    }
    unsigned long long consumed = 0;
    file.GetPos(&consumed);
    AKMemoryBlock const written = Written(endianness, WriteZones, &zones);
    if (written.Size() != consumed || consumed < 4 || std::memcmp(written.Data(), data, consumed) != 0)
        __builtin_trap();
    Exercise(zones);
}

void ReadValue(uint8_t const* data, size_t size, unsigned int endianness, bool convert)
{
    AKFile file(data, static_cast<unsigned int>(size));
    file.SetEndianness(endianness);
    AKValue value;
    if (file.OpenForRead() != 0 || value.ReadFromFile(file) != 0)
        return;
    QVTrackZoneArray zones;
    if (!zones.ReadFromValue(value, convert))
        return;

    AKValue first;
    zones.WriteToValue(&first);
    AKMemoryBlock const firstBytes = Written(endianness, WriteValue, &first);
    QVTrackZoneArray again;
    if (!again.ReadFromValue(first, false))
        __builtin_trap();
    AKValue second;
    again.WriteToValue(&second);
    if (Written(endianness, WriteValue, &second) != firstBytes)
        __builtin_trap();
    if (Written(endianness, WriteZones, &again) != Written(endianness, WriteZones, &zones))
        __builtin_trap();
    Exercise(zones);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size > 0xFFFFFFFFu)
        return 0;
    for (unsigned int endianness : {kAKFileEndianLittle, kAKFileEndianBig}) {
        ReadBinary(data, size, endianness);
        ReadValue(data, size, endianness, false);
        ReadValue(data, size, endianness, true);
    }
    return 0;
}
