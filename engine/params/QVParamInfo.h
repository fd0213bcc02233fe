#pragma once

// QVParamInfo: one row of the parameter table, the description of one value
// that can be played with from outside an object's own editor (transport
// actions, speeds, levels, spans, presets, plug-in settings, track levels and
// routing): its ID, group, value type, names, default and range.
//
// The rows are the named objects kQVPrm_<Name>. They exist empty from static
// initialisation and are filled by QVParams::BuildParamInfoList, which must
// run before any object is created or edited; after that they are only read,
// from any thread.

#include "AKKeyC.h"
#include "AKString.h"

// Groups: a row's ID lies in its group's range of the table.
typedef unsigned int QVPrmGroup;
constexpr QVPrmGroup kQVPrmGroupAll = 0;  // the null row only; searches every group
constexpr QVPrmGroup kQVPrmGroupPlayable = 1;
constexpr QVPrmGroup kQVPrmGroupPreset = 2;
constexpr QVPrmGroup kQVPrmGroupPlugin = 3;
constexpr QVPrmGroup kQVPrmGroupTrack = 4;

// Value types.
typedef unsigned int QVPrmType;
constexpr QVPrmType kQVPrmTypeTrigger = 0;
constexpr QVPrmType kQVPrmTypeBoolean = 1;
constexpr QVPrmType kQVPrmTypeInteger = 2;
constexpr QVPrmType kQVPrmTypeReal = 3;
constexpr QVPrmType kQVPrmTypeInterval = 4;  // two reals: begin and end

// Flags.
constexpr unsigned int kQVPrmFlagAction = 0x1;   // a trigger, or a value that can only be read
constexpr unsigned int kQVPrmFlagToggle = 0x2;   // the boolean takes 2 to invert (a route flag: to set)
constexpr unsigned int kQVPrmFlagIndexed = 0x4;  // takes an index: a preset number, a plug-in parameter
constexpr unsigned int kQVPrmFlagSpan = 0x8;     // Span, SpanIntv, Speed

// Every row in ID order: X(name, ID).
#define QV_PRM_ROWS(X)                                                                                                 \
    X(None, 0)                                                                                                         \
    X(Start, 1)                                                                                                        \
    X(Stop, 2)                                                                                                         \
    X(Play, 3)                                                                                                         \
    X(PlayRT, 4)                                                                                                       \
    X(Scrub, 5)                                                                                                        \
    X(Loop, 6)                                                                                                         \
    X(Stated, 7)                                                                                                       \
    X(Rewind, 8)                                                                                                       \
    X(Forward, 9)                                                                                                      \
    X(ToBegin, 10)                                                                                                     \
    X(ToEnd, 11)                                                                                                       \
    X(PeekPhases, 12)                                                                                                  \
    X(PokePhases, 13)                                                                                                  \
    X(Phase, 14)                                                                                                       \
    X(RelaTime, 15)                                                                                                    \
    X(Time, 16)                                                                                                        \
    X(Span, 17)                                                                                                        \
    X(SpanIntv, 18)                                                                                                    \
    X(Speed, 19)                                                                                                       \
    X(SpeedRT, 20)                                                                                                     \
    X(SpeedWow, 21)                                                                                                    \
    X(SpeedSubx, 22)                                                                                                   \
    X(SpeedSens, 23)                                                                                                   \
    X(SpeedLess, 24)                                                                                                   \
    X(SpeedMore, 25)                                                                                                   \
    X(Mute, 26)                                                                                                        \
    X(Solo, 27)                                                                                                        \
    X(Volume, 28)                                                                                                      \
    X(Gain, 29)                                                                                                        \
    X(Panora, 30)                                                                                                      \
    X(Fadio, 31)                                                                                                       \
    X(FullIntv, 32)                                                                                                    \
    X(Duration, 33)                                                                                                    \
    X(PresetClear, 34)                                                                                                 \
    X(PresetSave, 35)                                                                                                  \
    X(PresetCall, 36)                                                                                                  \
    X(PresetDur, 37)                                                                                                   \
    X(PluginBypass, 38)                                                                                                \
    X(PluginParam, 39)                                                                                                 \
    X(TrackVolume, 40)                                                                                                 \
    X(TrackGain, 41)                                                                                                   \
    X(TrackRouteMixIn, 42)                                                                                             \
    X(TrackRouteFillOut, 43)                                                                                           \
    X(TrackRouteOffset, 44)                                                                                            \
    X(TrackFullIntv, 45)                                                                                               \
    X(TrackDuration, 46)

// The IDs by name: kQVPrmID_Volume is 28.
enum QVPrmID : unsigned int {
#define QV_PRM_ID(name, id) kQVPrmID_##name = id,
    QV_PRM_ROWS(QV_PRM_ID)
#undef QV_PRM_ID
        kQVPrmCount
};

class QVParamInfo
{
public:
    QVParamInfo() = default;
    QVParamInfo(QVParamInfo const&) = delete;
    QVParamInfo& operator=(QVParamInfo const&) = delete;

    unsigned int GetID() const { return mID; }
    QVPrmGroup GetGroup() const { return mGroup; }
    QVPrmType GetType() const { return mType; }
    unsigned int GetFlags() const { return mFlags; }
    // The name in XML files (MIDI patchers store it).
    AKString const& GetXmlName() const { return mXmlName; }
    // The label, through the locale look-up.
    AKString const& GetGuiName() const { return mGuiName; }
    // "sec", "dB" or empty.
    AKString const& GetUnit() const { return mUnit; }
    AKString const& GetShortName() const { return mShortName; }
    // The key of OSC and the C-style interface.
    AKKeyC15 const& GetUnivKey() const { return mUnivKey; }
    double GetDefault() const { return mDefault; }
    double GetMin() const { return mMin; }
    double GetMax() const { return mMax; }

    bool IsNull() const { return mID == 0; }
    bool HasFlag(unsigned int flag) const { return (mFlags & flag) != 0; }
    // "Volume (dB)"; the GUI name alone without a unit.
    AKString GuiNameWithUnit() const;

private:
    friend class QVParamInfoFiller;

    unsigned int mID = 0;
    QVPrmGroup mGroup = kQVPrmGroupAll;
    QVPrmType mType = kQVPrmTypeTrigger;
    unsigned int mFlags = 0;
    AKString mXmlName;
    AKString mGuiName;
    AKString mUnit;
    AKString mShortName;
    AKKeyC15 mUnivKey;
    double mDefault = 0.0;
    double mMin = 0.0;
    double mMax = 0.0;
};

// The rows by name: kQVPrm_None, kQVPrm_Start, ... kQVPrm_TrackDuration.
#define QV_PRM_DECLARE(name, id) extern QVParamInfo const& kQVPrm_##name;
QV_PRM_ROWS(QV_PRM_DECLARE)
#undef QV_PRM_DECLARE
