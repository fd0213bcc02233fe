// Fuzz target: arbitrary bytes read as the binary form of a track or of a
// plain poolable (the data after the class IDs), in both byte orders, as a
// full load and as a re-initialisation in place. A read must fail cleanly
// or give an object whose form is stable: written, read back and written
// again, the bytes are the same. A loaded track then takes a few edits.
//
// The first input byte picks the class (bit 0) and the read mode (bit 1).

#include "AKClassID.h"
#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "FuzzObjectForms.h"
#include "QVObjectTrack.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

class FuzzPoolable : public QVObjectPoolable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(FuzzPoolable, "fzPool")
    FuzzPoolable() : QVObjectPoolable(0) {}
};

void RegisterClasses()
{
    AKClassMgr& registry = AKClassMgr::sShared;
    if (registry.RegisterBegin() != 0)
        __builtin_trap();
    AKClassID const object = AKObject::_ClassID();
    AKClassInfo const infos[] = {
        AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
        AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
        AKClassInfoOfConcrete<QVObjectTrack>(QVObjectPoolable::_ClassID(), "QVObjectTrack"),
        AKClassInfoOfConcrete<FuzzPoolable>(QVObjectPoolable::_ClassID(), "FuzzPoolable"),
    };
    for (AKClassInfo const& info : infos)
        if (registry.RegisterClass(info, false, nullptr) != 0)
            __builtin_trap();
    if (registry.RegisterComplete(nullptr) != 0)
        __builtin_trap();
}

void Exercise(QVObjectTrack* track)
{
    double const end = track->GetTrackTimeIntv().end;
    AKTimeIntv const middle = {end / 3.0, 2.0 * end / 3.0};
    track->DoTrackPartMove(middle, 0.0);
    track->DoTrackPartScale(middle, -2.0);
    track->DoTrackMarkerMove(1, end / 2.0, true, true);
    track->DoTrackPartRepeat(middle, end, 2, 0.5, true);
    track->DoTrackPartDelete({0.0, end / 4.0});
    QVTrackZoneArray const* live = track->LockTrackZonesForAudioCallback();
    track->UnlockTrackZonesForAudioCallback(live);
}

void ReadAndCheck(AKClassID id, bool inPlace, uint8_t const* data, size_t size, unsigned int endianness)
{
    std::vector<uint8_t> const input = WithClassIDs(id, data, size, endianness);
    AKFile file(input.data(), static_cast<unsigned int>(input.size()));
    file.SetEndianness(endianness);
    if (file.OpenForRead() != 0)
        __builtin_trap();
    AKObject* object = nullptr;
    if (inPlace) {
        // Re-initialised over an object that exists, keeping its attributes.
        object = AKClass::GetClassOfID(id)->GetCreator()();
        if (object == nullptr)
            __builtin_trap();
        if (AKClass::ReinitObjectFromFile(object, file) != 0) {
            AKClass::DeleteObject(object);
            return;
        }
    } else {
        object = AKClass::NewObjectFromFile(nullptr, file, 1);
        if (object == nullptr)
            return;
    }
    AKMemoryBlock const first = FormOf(object, endianness);
    AKObject* again = ReadForm(first, endianness);
    if (again == nullptr || !FormOf(again, endianness).IsEqual(first))
        __builtin_trap();
    if (QVObjectTrack* track = dynamic_cast<QVObjectTrack*>(again))
        Exercise(track);
    AKClass::DeleteObject(again);
    AKClass::DeleteObject(object);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sReady = (AKLogErrorMute(), RegisterClasses(), true);
    (void)sReady;
    if (size == 0 || size > 0xFFFF0000u)
        return 0;
    AKClassID const id = (data[0] & 1) != 0 ? FuzzPoolable::_ClassID() : QVObjectTrack::_ClassID();
    bool const inPlace = (data[0] & 2) != 0;
    for (unsigned int endianness : {kAKFileEndianLittle, kAKFileEndianBig})
        ReadAndCheck(id, inPlace, data + 1, size - 1, endianness);
    return 0;
}
