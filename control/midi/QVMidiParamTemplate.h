#pragma once

#include "AKString.h"

#include <cstdint>

// How a parameter takes its value, as the parameter table gives it.
enum QVMidiParamType : uint32_t {
    kQVMidiParamType_Action = 0,
    kQVMidiParamType_Flag = 1,
    kQVMidiParamType_Integer = 2,
    kQVMidiParamType_Real = 3
};

// One MIDI-mappable parameter with the value range a new patch starts with.
struct QVMidiParamTemplate {
    uint32_t mParamID = 0;
    uint32_t mParamType = kQVMidiParamType_Action;
    AKString mDisplayName;            // the parameter's name in the user interface
    AKString mPersistentName;         // the parameter's XML name: identifies a patch in documents
    double mDefaultValueBegin = 0.0;  // sent for MIDI value 0
    double mDefaultValueEnd = 0.0;    // sent for MIDI value 127
    double mMinimum = 0.0;
    double mMaximum = 0.0;
    bool mAdvanced = false;      // listed only when Midi.ShowAdvanced is set
    uint32_t mExtraNumbers = 0;  // further consecutive MIDI numbers one patch may cover
};

// The templates, empty until the MIDI handler is initialised.
extern QVMidiParamTemplate kQVMidiParamTemplate_None;
extern QVMidiParamTemplate kQVMidiParamTemplate_Play;
extern QVMidiParamTemplate kQVMidiParamTemplate_Span;
extern QVMidiParamTemplate kQVMidiParamTemplate_Volume;
extern QVMidiParamTemplate kQVMidiParamTemplate_Panora;
extern QVMidiParamTemplate kQVMidiParamTemplate_Fadio;
extern QVMidiParamTemplate kQVMidiParamTemplate_Mute;
extern QVMidiParamTemplate kQVMidiParamTemplate_Solo;
extern QVMidiParamTemplate kQVMidiParamTemplate_Speed;
extern QVMidiParamTemplate kQVMidiParamTemplate_SpeedWow;
extern QVMidiParamTemplate kQVMidiParamTemplate_SpeedSubx;
extern QVMidiParamTemplate kQVMidiParamTemplate_PresetCall;
extern QVMidiParamTemplate kQVMidiParamTemplate_PresetDur;
extern QVMidiParamTemplate kQVMidiParamTemplate_ToBegin;
extern QVMidiParamTemplate kQVMidiParamTemplate_ToEnd;
extern QVMidiParamTemplate kQVMidiParamTemplate_Rewind;
extern QVMidiParamTemplate kQVMidiParamTemplate_Forward;
extern QVMidiParamTemplate kQVMidiParamTemplate_SpeedSens;
extern QVMidiParamTemplate kQVMidiParamTemplate_SpeedLess;
extern QVMidiParamTemplate kQVMidiParamTemplate_SpeedMore;

// What a template takes from its parameter's entry in the parameter table.
struct QVMidiParamInfo {
    uint32_t mType = kQVMidiParamType_Action;
    AKString mDisplayName;
    AKString mPersistentName;
    double mMinimum = 0.0;
    double mMaximum = 0.0;
};

// The parameter table as the MIDI handler reads it; implemented over the
// real table by the engine, by a fixture in tests.
class QVMidiParamSource
{
public:
    virtual ~QVMidiParamSource() = default;
    // Fills info for a parameter ID; false when the table has no such entry.
    virtual bool GetMidiParamInfo(uint32_t paramID, QVMidiParamInfo& info) const = 0;
};

// How one template is built: which parameter, and its defaults.
struct QVMidiParamTemplateDef {
    QVMidiParamTemplate* mTemplate;
    uint32_t mParamID;
    bool mAdvanced;
    double mBegin;  // begin and end both 0 stand for the parameter's whole range
    double mEnd;
    uint32_t mExtraNumbers;
};

// The templates in the order they are built.
extern QVMidiParamTemplateDef const kQVMidiParamTemplateDefs[];
extern unsigned int const kQVMidiParamTemplateDefCount;

// Fills a template from its definition and its parameter's entry: the given
// default bounds are clamped into the parameter's range.
void QVMidiParamTemplateFill(QVMidiParamTemplate& tmpl, QVMidiParamTemplateDef const& def, QVMidiParamInfo const& info);
