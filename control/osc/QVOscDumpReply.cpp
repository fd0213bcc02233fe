#include "QVOscDumpReply.h"

#include "AKLog.h"
#include "AKNode.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVOscSenderLibext.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

namespace {

char const kAddress[] = "/quorvex";

// One value of a dump: its key, whether it is a flag, and how it is read.
struct DumpValue {
    char const* key;
    bool flag;
    double (*read)(AKObject const* object);
};

QVObjectPlayable const* Playable(AKObject const* object) { return static_cast<QVObjectPlayable const*>(object); }
QVObjectTrack const* Track(AKObject const* object) { return static_cast<QVObjectTrack const*>(object); }

double Play(AKObject const* o) { return Playable(o)->IsUserPlay() ? 1 : 0; }
double Loop(AKObject const* o) { return Playable(o)->IsUserLoop() ? 1 : 0; }
double Time(AKObject const* o) { return Playable(o)->GetUserTime(); }
double RelaTime(AKObject const* o) { return Playable(o)->GetUserRelaTime(); }
double Phase(AKObject const* o) { return Playable(o)->GetUserPhase(); }
double Span(AKObject const* o) { return Playable(o)->GetUserSpan(); }
double Speed(AKObject const* o) { return Playable(o)->GetUserSpeed(); }
double Wow(AKObject const* o) { return Playable(o)->GetUserSpeedWow(); }
double Subx(AKObject const* o) { return Playable(o)->GetUserSpeedSubx(); }
double Volume(AKObject const* o) { return Playable(o)->GetUserVolume(); }
double Gain(AKObject const* o) { return Playable(o)->GetUserGain(); }
double Panora(AKObject const* o) { return Playable(o)->GetUserPanora(); }
double Fadio(AKObject const* o) { return Playable(o)->GetUserFadio(); }
double Mute(AKObject const* o) { return Playable(o)->IsUserMute() ? 1 : 0; }
double Solo(AKObject const* o) { return Playable(o)->IsUserSolo() ? 1 : 0; }
double TrackVolume(AKObject const* o) { return Track(o)->GetUserTrackVolume(); }
double TrackGain(AKObject const* o) { return Track(o)->GetUserTrackGain(); }

DumpValue const kSingleValues[] = {
    {"play", true, Play},    {"loop", true, Loop},      {"time", false, Time},   {"relaTime", false, RelaTime},
    {"phase", false, Phase}, {"speed", false, Speed},   {"wow", false, Wow},     {"volume", false, Volume},
    {"gain", false, Gain},   {"panora", false, Panora}, {"fadio", false, Fadio}, {"mute", true, Mute},
    {"solo", true, Solo},
};
DumpValue const kMultiValues[] = {
    {"play", true, Play},      {"loop", true, Loop},    {"time", false, Time},     {"relaTime", false, RelaTime},
    {"span", false, Span},     {"speed", false, Speed}, {"wow", false, Wow},       {"subx", false, Subx},
    {"volume", false, Volume}, {"gain", false, Gain},   {"panora", false, Panora}, {"mute", true, Mute},
    {"solo", true, Solo},
};
DumpValue const kSequenceValues[] = {
    {"time", false, Time},     {"span", false, Span}, {"volume", false, Volume}, {"gain", false, Gain},
    {"panora", false, Panora}, {"mute", true, Mute},  {"solo", true, Solo},
};
DumpValue const kTrackValues[] = {
    {"volume", false, TrackVolume},
    {"gain", false, TrackGain},
};

// What one class answers: its key, its values and its subs (none: null).
struct DumpClass {
    char const* key;
    DumpValue const* values;
    size_t valueCount;
    void (*subs)(AKObject const* object, std::vector<osc::int32>* ids);
};

template <class Array>
void IDsOf(Array const& array, std::vector<osc::int32>* ids)
{
    for (unsigned int i = 0; i < array.Count(); ++i)
        ids->push_back(array[i] != nullptr ? array[i]->NodeOwnerID() : 0);
}

void SubsOfCursor(AKObject const* object, std::vector<osc::int32>* ids)
{
    IDsOf(static_cast<QVObjectCursor const*>(object)->GetFLSubAtomics(), ids);
}

void SubsOfSequence(AKObject const* object, std::vector<osc::int32>* ids)
{
    IDsOf(static_cast<QVObjectSequence const*>(object)->GetFLSubPlayers(), ids);
}

bool ClassOf(AKObject const* object, DumpClass* dumpClass)
{
    if (object == nullptr)
        return false;
    if (object->IsKindOfT<QVObjectAtomic>())
        *dumpClass = {"player", kSingleValues, std::size(kSingleValues), nullptr};
    else if (object->IsKindOfT<QVObjectCursor>())
        *dumpClass = {"player", kMultiValues, std::size(kMultiValues), SubsOfCursor};
    else if (object->IsKindOfT<QVObjectSequence>())
        *dumpClass = {"sequence", kSequenceValues, std::size(kSequenceValues), SubsOfSequence};
    else if (object->IsKindOfT<QVObjectTrack>())
        *dumpClass = {"track", kTrackValues, std::size(kTrackValues), nullptr};
    else
        return false;
    return true;
}

// The arguments of a reply after its class key and ID.
struct ReplyBody {
    std::vector<DumpValue const*> values;
    bool withSubs = false;
    std::vector<osc::int32> subs;
};

size_t PaddedStringSize(char const* text) { return (std::strlen(text) + 4) & ~size_t(3); }

// Writes the reply about `object` (null: the folder, ID 0) into a buffer of
// exactly the bytes it needs.
void WriteReply(char const* classKey, AKObject const* object, ReplyBody const& body, std::vector<char>* packet)
{
    osc::int32 const id = object != nullptr ? object->NodeOwnerID() : 0;
    size_t argumentCount = 2 + 2 * body.values.size() + (body.withSubs ? 1 + body.subs.size() : 0);
    // Bundle tag and time tag, element size, address, type tags.
    size_t size = 16 + 4 + PaddedStringSize(kAddress) + ((argumentCount + 1 + 4) & ~size_t(3));
    size += PaddedStringSize(classKey) + 4;
    for (DumpValue const* value : body.values)
        size += PaddedStringSize(value->key) + 4;
    if (body.withSubs)
        size += PaddedStringSize("subs") + 4 * body.subs.size();
    packet->assign(size, 0);

    osc::OutboundPacketStream stream(packet->data(), packet->size());
    stream << osc::BeginBundleImmediate << osc::BeginMessage(kAddress) << classKey << id;
    for (DumpValue const* value : body.values) {
        double const number = value->read(object);
        stream << value->key;
        if (value->flag)
            stream << osc::int32(number != 0 ? 1 : 0);
        else
            stream << float(number);
    }
    if (body.withSubs) {
        stream << "subs";
        for (osc::int32 sub : body.subs)
            stream << sub;
    }
    stream << osc::EndMessage << osc::EndBundle;
    packet->resize(stream.Size());
}

int Send(QVOscSenderLibext& sender, std::vector<char> const& packet)
{
    if (!sender.SendPacket(packet.data(), int(packet.size())))
        return AKLogError(-1984, "OSC Can't send message");
    return 0;
}

}  // namespace

int QVOscDumpReply::BuildObjectReply(AKObject const* object, AKKeyC15 const& type, std::vector<char>* packet)
{
    DumpClass dumpClass;
    if (!ClassOf(object, &dumpClass))
        return -1;
    ReplyBody body;
    if (type == AKKeyC15("values")) {
        for (size_t i = 0; i < dumpClass.valueCount; ++i)
            body.values.push_back(&dumpClass.values[i]);
    } else if (type == AKKeyC15("subs") && dumpClass.subs != nullptr) {
        body.withSubs = true;
        dumpClass.subs(object, &body.subs);
    } else {
        for (size_t i = 0; i < dumpClass.valueCount && body.values.empty(); ++i)
            if (AKKeyC15(dumpClass.values[i].key) == type)
                body.values.push_back(&dumpClass.values[i]);
        if (body.values.empty())
            AKLogWarning(1990, "OSC Unknown dump type <%s>", type.c_str());
    }
    WriteReply(dumpClass.key, object, body, packet);
    return 0;
}

void QVOscDumpReply::BuildFolderReply(QVDocument const& document, std::vector<char>* packet)
{
    ReplyBody body;
    body.withSubs = true;
    AKNode const* const root = document.GetTree() != nullptr ? document.GetTree()->GetRootNode() : nullptr;
    for (AKNode* node = root != nullptr ? root->GetSub() : nullptr; node != nullptr; node = node->GetNext()) {
        AKObject const* const folder = node->GetObject();
        if (folder == nullptr || !folder->IsKindOfT<QVObjectFolderSequence>())
            continue;
        for (AKNode* sub = node->GetSub(); sub != nullptr; sub = sub->GetNext())
            if (sub->GetObject() != nullptr && sub->GetObject()->IsKindOfT<QVObjectSequence>())
                body.subs.push_back(sub->GetObject()->NodeOwnerID());
        break;
    }
    WriteReply("folder", nullptr, body, packet);
}

int QVOscDumpReply::SendObjectReply(QVOscSenderLibext& sender, AKObject const* object, AKKeyC15 const& type)
{
    if (!sender.IsConnected())
        return 0;
    std::vector<char> packet;
    if (int const status = BuildObjectReply(object, type, &packet))
        return status;
    return Send(sender, packet);
}

int QVOscDumpReply::SendFolderReply(QVOscSenderLibext& sender, QVDocument const& document)
{
    if (!sender.IsConnected())
        return 0;
    std::vector<char> packet;
    BuildFolderReply(document, &packet);
    return Send(sender, packet);
}
