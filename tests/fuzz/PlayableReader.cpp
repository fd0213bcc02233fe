// Fuzz target: arbitrary bytes read as the binary form of a playable (the
// data after the class IDs) of each kind, in both byte orders, as a full
// load and as a re-initialisation in place. A read must fail cleanly or give
// an object whose form is stable: written, read back and written again, the
// bytes are the same. A loaded playable then takes a few user operations,
// whose results must stay within their limits.
//
// The first input byte picks the kind (bits 0-1) and the read mode (bit 2).

#include "AKClassID.h"
#include "AKClassMgr.h"
#include "AKFile.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "FuzzObjectForms.h"
#include "QVObjectPlayable.h"
#include "QVPrefs.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

class FuzzAtomic : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(FuzzAtomic, "atomic")
    FuzzAtomic() : QVObjectZlayer(0, kQVPlayableKindAtomic) {}
};

class FuzzCursor : public QVObjectZlayer
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(FuzzCursor, "cursor")
    FuzzCursor() : QVObjectZlayer(0, kQVPlayableKindCursor) {}
};

class FuzzSequence : public QVObjectPlayable
{
public:
    AKCLASS_DECLARE_CONCRETE_HOOKS(FuzzSequence, "sequenc")
    FuzzSequence() : QVObjectPlayable(0, kQVPlayableKindSequence) {}
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
        AKClassInfoOfAbstract<QVObjectPlayable>(QVObjectPoolable::_ClassID(), "QVObjectPlayable"),
        AKClassInfoOfAbstract<QVObjectZlayer>(QVObjectPlayable::_ClassID(), "QVObjectZlayer"),
        AKClassInfoOfConcrete<FuzzAtomic>(QVObjectZlayer::_ClassID(), "FuzzAtomic"),
        AKClassInfoOfConcrete<FuzzCursor>(QVObjectZlayer::_ClassID(), "FuzzCursor"),
        AKClassInfoOfConcrete<FuzzSequence>(QVObjectPlayable::_ClassID(), "FuzzSequence"),
    };
    for (AKClassInfo const& info : infos)
        if (registry.RegisterClass(info, false, nullptr) != 0)
            __builtin_trap();
    if (registry.RegisterComplete(nullptr) != 0)
        __builtin_trap();
}

void Within(double value, double min, double max)
{
    if (!(value >= min && value <= max))
        __builtin_trap();
}

// User operations with the values the document gave, as a remote control
// might send them back: each result is limited.
void Exercise(QVObjectPlayable* playable)
{
    double const time = playable->GetUserTime();
    double const span = playable->GetUserSpan();
    playable->SetUserVolume(playable->GetUserVolume());
    playable->SetUserGain(playable->GetUserGain());
    playable->SetUserSpeed(time);
    playable->SetUserPhase(span);
    playable->SetUserPlay(2);
    playable->SetUserRewind(2);
    playable->LowSetUserTimeAndSpan(time, span, false);
    playable->SetUserScrubMode(1);
    playable->LowSetUserTimeAndSpan(time + 1.0, span, false);
    bool stop = false;
    playable->RTAdvanceScrubber(0.01, &stop);
    playable->SetUserScrubMode(0);
    playable->SetUserSolo(2);
    playable->SetUserMute(2);
    // A NaN is refused by the setters and leaves what was read.
    Within(playable->GetUserGain(), 0.0, kQVEngineGainMax);
    double const speedMax = QVPrefs::sShared.GetPlayerSpeedMax();
    if (!std::isnan(time))
        Within(playable->GetUserSpeed(), -speedMax, speedMax);
    if (!std::isnan(span))
        Within(playable->GetUserPhase(), 0.0, 1.0);
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
        // Re-initialised over an object that exists, keeping its parameters.
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
    Exercise(static_cast<QVObjectPlayable*>(again));
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
    AKClassID const ids[] = {FuzzAtomic::_ClassID(), FuzzCursor::_ClassID(), FuzzSequence::_ClassID(),
                             FuzzAtomic::_ClassID()};
    AKClassID const id = ids[data[0] & 3];
    bool const inPlace = (data[0] & 4) != 0;
    for (unsigned int endianness : {kAKFileEndianLittle, kAKFileEndianBig})
        ReadAndCheck(id, inPlace, data + 1, size - 1, endianness);
    return 0;
}
