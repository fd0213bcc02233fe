// Fuzz target: MIDI patcher data as a document gives it, for each kind of
// owner. Binary mode: the bytes are what follows a poolable's own bytes, the
// optional 'MIDI' chunk, in either byte order. Dictionary mode: the bytes
// describe the elements of a "MidiPatcher" entry, key by key (which keys,
// which parameter name, words, numbers of any size, reals of any bits).
//
// Whatever was read, every patch must be within the setters' limits, and the
// patcher's forms must be stable: written, read into a fresh patcher and
// written again, both forms give the same patches and the same bytes.
//
// First byte: bits 0-1 the owner (sequence, single player, multi-player,
// track), bit 2 the byte order, bit 3 dictionary mode.

#include "AKClassMgr.h"
#include "AKDictionary.h"
#include "AKFile.h"
#include "AKLog.h"
#include "AKMemoryBlock.h"
#include "AKObjectFolderRoot.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "QVMidiGandler.h"
#include "QVMidiPatcher.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVParams.h"
#include "QVPrefs.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void Setup()
{
    AKLogErrorMute();
    QVPrefs::sShared.SetupDefaults();
    QVParams::BuildParamInfoList();
    AKClassMgr& registry = AKClassMgr::sShared;
    if (registry.RegisterBegin() != 0)
        __builtin_trap();
    AKClassID const object = AKObject::_ClassID();
    AKClassInfo const infos[] = {
        AKClassInfoOfAbstract<AKObject>(object, "AKObject"),
        AKClassInfoOfAbstract<QVObjectPoolable>(object, "QVObjectPoolable"),
        AKClassInfoOfAbstract<QVObjectPlayable>(QVObjectPoolable::_ClassID(), "QVObjectPlayable"),
        AKClassInfoOfAbstract<QVObjectZlayer>(QVObjectPlayable::_ClassID(), "QVObjectZlayer"),
        AKClassInfoOfConcrete<QVObjectCursor>(QVObjectZlayer::_ClassID(), "QVObjectCursor"),
        AKClassInfoOfConcrete<QVObjectAtomic>(QVObjectZlayer::_ClassID(), "QVObjectAtomic"),
        AKClassInfoOfConcrete<QVObjectSequence>(QVObjectPlayable::_ClassID(), "QVObjectSequence"),
        AKClassInfoOfConcrete<QVObjectTrack>(QVObjectPoolable::_ClassID(), "QVObjectTrack"),
    };
    for (AKClassInfo const& info : infos)
        if (registry.RegisterClass(info, false, nullptr) != 0)
            __builtin_trap();
    if (registry.RegisterComplete(nullptr) != 0)
        __builtin_trap();
    QVMidiGandler::sShared.InitializeWithCurrentPrefs();
}

AKObject* NewOwner(unsigned int kind)
{
    switch (kind & 3) {
    case 0:
        return AKNew<QVObjectSequence>("%s", "");
    case 1:
        return AKNew<QVObjectAtomic>("%s", "");
    case 2:
        return AKNew<QVObjectCursor>("%s", "");
    default:
        return AKNew<QVObjectTrack>("%s", "");
    }
}

void CheckLimits(QVMidiPatcher const& patcher)
{
    for (unsigned int i = 0; i < patcher.CountPatches(); ++i) {
        QVMidiParamPatch const* const patch = patcher.GetPatch(i);
        QVMidiParamTemplate const* const tmpl = patch->GetTemplate();
        if (tmpl == nullptr || patch->GetPatcher() != &patcher)
            __builtin_trap();
        uint32_t const moreMax = tmpl->mExtraNumbers > 0 ? tmpl->mExtraNumbers - 1 : 0;
        if (patch->GetMatchMidiType() > kQVMidiMatchTypeMax || patch->GetMatchMidiChannel() > kQVMidiMatchChannelMax ||
            patch->GetMatchMidiNumber() > kQVMidiMatchNumberMax || patch->GetMatchMidiNumMore() > moreMax ||
            patch->GetDestBehavior() > kQVMidiBehaviorMax)
            __builtin_trap();
        for (double value : {patch->GetDestValueBeg(), patch->GetDestValueEnd()})
            if (!(value >= tmpl->mMinimum && value <= tmpl->mMaximum))
                __builtin_trap();
    }
}

// The patches the forms carry (enabled and mapped) are the same in both.
bool SamePatches(QVMidiPatcher const& a, QVMidiPatcher const& b)
{
    if (a.CountPatches() != b.CountPatches() || a.ComputeEnabledParamCount(true) != b.ComputeEnabledParamCount(true))
        return false;
    for (unsigned int i = 0; i < a.CountPatches(); ++i) {
        QVMidiParamPatch const* const patch = a.GetPatch(i);
        if (patch->IsEnabled() && patch->IsMapped() && !patch->IsEqual(*b.GetPatch(i)))
            return false;
    }
    return true;
}

AKMemoryBlock BinaryOf(QVMidiPatcher const& patcher, unsigned int endianness)
{
    AKFile stream(kAKFileModeMemoryStream);
    stream.SetEndianness(endianness);
    AKMemoryBlock bytes;
    if (stream.CreateForReadWrite() != 0 || patcher.WriteToFile(stream) != 0)
        __builtin_trap();
    stream.GetMemoryStreamDataBlock(&bytes);
    return bytes;
}

void ReadBinary(QVMidiPatcher& patcher, uint8_t const* data, size_t size, unsigned int endianness)
{
    AKFile stream(data, static_cast<unsigned int>(size));
    stream.SetEndianness(endianness);
    if (stream.OpenForRead() != 0)
        __builtin_trap();
    patcher.InitFromFile(stream, 1);
}

// Reads the fuzzed description of a "MidiPatcher" entry.
class Cursor
{
public:
    Cursor(uint8_t const* data, size_t size) : mData(data), mSize(size) {}
    bool More() const { return mPos < mSize; }
    uint8_t Byte() { return mPos < mSize ? mData[mPos++] : 0; }
    uint64_t Bytes(unsigned int count)
    {
        uint64_t value = 0;
        for (unsigned int i = 0; i < count; ++i)
            value = (value << 8) | Byte();
        return value;
    }

private:
    uint8_t const* mData;
    size_t mSize;
    size_t mPos = 0;
};

char const* const kWords[] = {"None",          "Note",          "AfterTouch", "Controller", "ProgChange",
                              "ChannPress",    "PitchBend",     "Push",       "Toggle",     "PushAndBack",
                              "ToggleAndBack", "BackAndRepeat", "",           "Sideways"};

AKValue FuzzValue(Cursor& in, bool real)
{
    switch (in.Byte() % 4) {
    case 0: {
        uint64_t const bits = in.Bytes(8);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return real ? AKValueSetasFloat64(value) : AKValueSetasUInt(bits);
    }
    case 1:
        return AKValueSetasSInt(-static_cast<long long>(in.Bytes(2)));
    case 2:
        return AKValueSetasAKString(AKString(kWords[in.Byte() % (sizeof kWords / sizeof kWords[0])]));
    default:
        return real ? AKValueSetasFloat64(double(int16_t(in.Bytes(2))) / 16.0) : AKValueSetasUInt(in.Byte());
    }
}

AKDictionary DescribedEntry(uint8_t const* data, size_t size)
{
    char const* const keys[] = {"MidiType", "MidiChannel", "MidiNumber", "MidiNumMore",
                                "Behavior", "ValueBeg",    "ValueEnd"};
    Cursor in(data, size);
    AKValueArray elements;
    while (in.More() && elements.Count() < 64) {
        uint8_t const present = in.Byte();
        if (present == 0xFF) {
            elements.Push(AKValueSetasUInt(in.Byte()));  // not a dictionary
            continue;
        }
        AKDictionary element;
        if ((present & 1) != 0)
            element.SetValue("ID", AKValueSetasAKString(QVParams::GetByID(in.Byte() % 50).GetXmlName()));
        for (unsigned int k = 0; k < 7; ++k) {
            if ((present & (2u << k)) == 0)
                continue;
            bool const word = k == 0 || k == 4;
            element.SetValue(keys[k],
                             word ? AKValueSetasAKString(AKString(kWords[in.Byte() % 14])) : FuzzValue(in, k >= 5));
        }
        elements.Push(AKValueSetasAKDictionary(element));
    }
    AKDictionary entry;
    entry.SetValue("MidiPatcher", AKValueSetasAKValueArray(elements));
    return entry;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool const sReady = (Setup(), true);
    (void)sReady;
    if (size < 1)
        return 0;
    unsigned int const mode = data[0];
    unsigned int const endianness = (mode & 4) != 0 ? 1 : 0;
    AKObject* const owner = NewOwner(mode);
    QVMidiPatcher* const patcher = QVMidiGetPatcher(static_cast<QVObjectPoolable*>(owner));
    if (patcher == nullptr)
        __builtin_trap();
    if ((mode & 8) != 0)
        patcher->InitFromDictionary(DescribedEntry(data + 1, size - 1));
    else
        ReadBinary(*patcher, data + 1, size - 1, endianness);
    CheckLimits(*patcher);

    // Binary form: stable.
    AKMemoryBlock const bytes = BinaryOf(*patcher, endianness);
    AKObject* const other = NewOwner(mode);
    QVMidiPatcher* const copy = QVMidiGetPatcher(static_cast<QVObjectPoolable*>(other));
    if (bytes.Size() != 0)
        ReadBinary(*copy, bytes.Data(), bytes.Size(), endianness);
    if (!SamePatches(*patcher, *copy) || !(BinaryOf(*copy, endianness) == bytes))
        __builtin_trap();

    // Dictionary form: the same patches.
    AKDictionary form;
    if (patcher->WriteToDictionary(form) != 0)
        __builtin_trap();
    AKObject* const third = NewOwner(mode);
    QVMidiPatcher* const fromForm = QVMidiGetPatcher(static_cast<QVObjectPoolable*>(third));
    fromForm->InitFromDictionary(form);
    AKDictionary again;
    if (!SamePatches(*patcher, *fromForm) || fromForm->WriteToDictionary(again) != 0 ||
        !(again.GetValue("MidiPatcher") == form.GetValue("MidiPatcher")))
        __builtin_trap();

    AKClass::DeleteObject(third);
    AKClass::DeleteObject(other);
    AKClass::DeleteObject(owner);
    return 0;
}
