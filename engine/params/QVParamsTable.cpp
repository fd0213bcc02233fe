// The rows of the parameter table, their look-ups and the level conversions.

#include "QVAudioMemory.h"
#include "QVLocale.h"
#include "QVParams.h"
#include "QVPlayableConstants.h"
#include "QVPrefs.h"

namespace {

QVParamInfo sPrmRows[kQVPrmCount];

// Rows filled so far: 0 until the table is built, then kQVPrmCount.
unsigned int sTableSize = 0;

// The first ID of each group from group 1, then the table's size.
constexpr unsigned int kGroupOffsetCount = 5;
unsigned int sGroupOffsets[kGroupOffsetCount] = {};
unsigned int sGroupOffsetCount = 0;

}  // namespace

#define QV_PRM_DEFINE(name, id) QVParamInfo const& kQVPrm_##name = sPrmRows[id];
QV_PRM_ROWS(QV_PRM_DEFINE)
#undef QV_PRM_DEFINE

class QVParamInfoFiller
{
public:
    struct Row {
        QVPrmGroup group;
        QVPrmType type;
        unsigned int flags;
        char const* xmlName;
        char const* guiName;
        char const* unit;
        char const* shortName;
        char const* key;
        double def;
        double min;
        double max;
    };

    static void Fill(QVParamInfo& info, unsigned int id, Row const& row)
    {
        info.mID = id;
        info.mGroup = row.group;
        info.mType = row.type;
        info.mFlags = row.flags;
        info.mXmlName = row.xmlName;
        info.mGuiName = *row.guiName != 0 ? QVLocaleGetString(row.guiName) : "";
        info.mUnit = row.unit;
        info.mShortName = row.shortName;
        info.mUnivKey.Set(row.key);
        info.mDefault = row.def;
        info.mMin = row.min;
        info.mMax = row.max;
        if (id == 0)
            return;
        if (row.type == kQVPrmTypeBoolean)
            info.mMax = 1.0;
        if (row.type == kQVPrmTypeTrigger)
            info.mFlags |= kQVPrmFlagAction;
    }
};

AKString QVParamInfo::GuiNameWithUnit() const
{
    if (mUnit.IsEmpty())
        return mGuiName;
    AKString text(mGuiName);
    text.Append(" (").Append(mUnit).Append(")");
    return text;
}

void QVParams::BuildParamInfoList()
{
    QVLocaleSetDomain("Application");
    sTableSize = 0;
    sGroupOffsetCount = 0;

    double const speedMax = QVPrefs::sShared.GetPlayerSpeedMax();
    double const subxMax = QVPrefs::sShared.GetPlayerSpeedSubxMax();
    constexpr QVPrmGroup P = kQVPrmGroupPlayable;
    constexpr QVPrmGroup R = kQVPrmGroupPreset;
    constexpr QVPrmGroup G = kQVPrmGroupPlugin;
    constexpr QVPrmGroup T = kQVPrmGroupTrack;
    constexpr double kFar = 1e10;

    using Row = QVParamInfoFiller::Row;
    Row const rows[kQVPrmCount] = {
        {kQVPrmGroupAll, 0, 0, "", "", "", "", "", 0, 0, 0},
        {P, 0, 1, "Start", "Play", "", "Play", "start", 0, 0, 0},
        {P, 0, 1, "Stop", "Stop", "", "Stop", "stop", 0, 0, 0},
        {P, 1, 2, "Play", "Play / Stop", "", "", "play", 0, 0, 1},
        {P, 1, 1, "", "", "", "", "playRT", 0, 0, 1},
        {P, 1, 0, "Scrub", "Scrub", "", "Scrub", "scrub", 0, 0, 1},
        {P, 1, 0, "Loop", "Loop", "", "Loop", "loop", 1, 0, 1},
        {P, 1, 0, "Stated", "Stated", "", "Stated", "stated", 0, 0, 1},
        {P, 1, 2, "Rewind", "Rewind", "", "Rewind", "rewind", 0, 0, 1},
        {P, 1, 2, "Forward", "Forward", "", "Forward", "forward", 0, 0, 1},
        {P, 0, 1, "ToBegin", "To Begin", "", "To Begin", "toBegin", 0, 0, 0},
        {P, 0, 1, "ToEnd", "To End", "", "To End", "toEnd", 0, 0, 0},
        {P, 0, 1, "PeekPhases", "Fix Phases", "", "Fix Phases", "peekPhs", 0, 0, 0},
        {P, 0, 1, "PokePhases", "RePhase", "", "RePhase", "pokePhs", 0, 0, 0},
        {P, 3, 0, "Phase", "Phase", "", "Phase", "phase", 0.5, 0, 1},
        {P, 3, 0, "RelaTime", "Relative Time", "", "", "relaTime", 0.5, 0, 1},
        {P, 3, 0, "Time", "Time", "sec", "Time", "time", 0, -kFar, kFar},
        {P, 3, 8, "Span", "Span", "sec", "Span", "span", 0.1, kQVEngineSpanDurMin, kFar},
        {P, 4, 8, "SpanIntv", "Span Interval", "sec", "", "spanIntv", 0, -kFar, kFar},
        {P, 3, 8, "Speed", "Speed", "", "Speed", "speed", 1, -speedMax, speedMax},
        {P, 3, 1, "", "", "", "", "speedRT", 0, 0, 0},
        {P, 3, 0, "SpeedWow", "Speed Wow", "", "Wow", "wow", 0, 0, 1},
        {P, 3, 0, "SpeedSubx", "Speed Subx", "", "Subx", "subx", 1, -subxMax, subxMax},
        {P, 0, 1, "SpeedSens", "Speed Sens", "", "Sens", "speed+-", 0, 0, 0},
        {P, 0, 1, "SpeedLess", "Speed Less", "", "Less", "speed--", 0, 0, 0},
        {P, 0, 1, "SpeedMore", "Speed More", "", "More", "speed++", 0, 0, 0},
        {P, 1, 2, "Mute", "Mute", "", "Mute", "mute", 0, 0, 1},
        {P, 1, 2, "Solo", "Solo", "", "Solo", "solo", 0, 0, 1},
        {P, 3, 0, "Volume", "Volume", "dB", "Volume", "volume", 0, kQVEngineVolumeMin, kQVEngineVolumeMax},
        {P, 3, 0, "Gain", "Gain", "", "Gain", "gain", 1, 0, kQVEngineGainMax},
        {P, 3, 0, "Panora", "Panoramic", "", "Pan", "panora", 0, -1, 1},
        {P, 3, 0, "Fadio", "Fade In/Out", "", "Fade", "fadio", 0, 0, 1},
        {P, 4, 1, "", "Full Interval", "sec", "", "fullIntv", 0, 0, 0},
        {P, 3, 1, "", "Duration", "sec", "", "duration", 0, 0, 0},
        {R, 0, 5, "PresetClear", "Preset Clear", "", "", "clear", 0, 0, 0},
        {R, 0, 5, "PresetSave", "Preset Save", "", "", "save", 0, 0, 0},
        {R, 0, 5, "PresetCall", "Preset Recall", "", "", "recall", 0, 0, 0},
        {R, 3, 0, "Duration", "Preset Duration", "sec", "", "duration", 2, 0, 600},
        {G, 1, 2, "Bypass", "Bypass", "", "Bypass", "bypass", 0, 0, 1},
        {G, 3, 4, "Parameter", "Parameter", "", "Param", "param", 0, 0, 1},
        {T, 3, 0, "Volume", "Volume", "dB", "Volume", "volume", 0, kQVEngineVolumeMin, kQVEngineVolumeMax},
        {T, 3, 0, "Gain", "Gain", "", "Gain", "gain", 1, 0, kQVEngineGainMax},
        {T, 1, 2, "RouteMixIn", "Mix Further In", "", "", "mixIn", 0, 0, 1},
        {T, 1, 2, "RouteFillOut", "Fill Further Out", "", "", "fillOut", 0, 0, 1},
        {T, 2, 0, "RouteOffset", "Route To", "", "", "routeTo", 0, 0, kQVEngineSourceChannelCountMax - 1},
        {T, 4, 1, "", "Full Interval", "sec", "", "fullIntv", 0, 0, 0},
        {T, 3, 1, "", "Duration", "sec", "", "duration", 0, 0, 0},
    };
    for (unsigned int id = 0; id < kQVPrmCount; ++id)
        QVParamInfoFiller::Fill(sPrmRows[id], id, rows[id]);
    sTableSize = kQVPrmCount;

    // The first ID of each group in turn, then the size.
    QVPrmGroup group = kQVPrmGroupAll;
    for (unsigned int id = 1; id < sTableSize; ++id) {
        if (sPrmRows[id].GetGroup() != group && sGroupOffsetCount < kGroupOffsetCount - 1) {
            group = sPrmRows[id].GetGroup();
            sGroupOffsets[sGroupOffsetCount++] = id;
        }
    }
    sGroupOffsets[sGroupOffsetCount++] = sTableSize;
}

QVParamInfo const& QVParams::GetByID(unsigned int id) { return id < sTableSize ? sPrmRows[id] : kQVPrm_None; }

namespace {

// The IDs searched for a group: [first, end); empty for an unknown group.
void GroupRange(QVPrmGroup group, unsigned int* first, unsigned int* end)
{
    *first = *end = 0;
    if (group >= sGroupOffsetCount)
        return;
    if (group == kQVPrmGroupAll) {
        *first = 1;
        *end = sGroupOffsets[sGroupOffsetCount - 1];
    } else {
        *first = sGroupOffsets[group - 1];
        *end = sGroupOffsets[group];
    }
}

}  // namespace

unsigned int QVParams::GetByXmlName(AKString const& name, QVPrmGroup group)
{
    if (name.IsEmpty())
        return 0;
    unsigned int first, end;
    GroupRange(group, &first, &end);
    for (unsigned int id = first; id < end; ++id) {
        if (sPrmRows[id].GetXmlName() == name)
            return id;
    }
    return 0;
}

unsigned int QVParams::GetByUnivKey(AKKeyC15 const& key, QVPrmGroup group)
{
    if (key == kAKNullKeyC15)
        return 0;
    unsigned int first, end;
    GroupRange(group, &first, &end);
    for (unsigned int id = first; id < end; ++id) {
        if (sPrmRows[id].GetUnivKey() == key)
            return id;
    }
    return 0;
}

// The playables' own conversions: the table and the objects agree on them.
double QVParamGainFromVolume(double volume) { return QVPlayableGainFromVolume(volume); }

double QVParamVolumeFromGain(double gain) { return QVPlayableVolumeFromGain(gain); }
