#include "QVMidiParamTemplate.h"

#include <algorithm>

QVMidiParamTemplate kQVMidiParamTemplate_None;
QVMidiParamTemplate kQVMidiParamTemplate_Play;
QVMidiParamTemplate kQVMidiParamTemplate_Span;
QVMidiParamTemplate kQVMidiParamTemplate_Volume;
QVMidiParamTemplate kQVMidiParamTemplate_Panora;
QVMidiParamTemplate kQVMidiParamTemplate_Fadio;
QVMidiParamTemplate kQVMidiParamTemplate_Mute;
QVMidiParamTemplate kQVMidiParamTemplate_Solo;
QVMidiParamTemplate kQVMidiParamTemplate_Speed;
QVMidiParamTemplate kQVMidiParamTemplate_SpeedWow;
QVMidiParamTemplate kQVMidiParamTemplate_SpeedSubx;
QVMidiParamTemplate kQVMidiParamTemplate_PresetCall;
QVMidiParamTemplate kQVMidiParamTemplate_PresetDur;
QVMidiParamTemplate kQVMidiParamTemplate_ToBegin;
QVMidiParamTemplate kQVMidiParamTemplate_ToEnd;
QVMidiParamTemplate kQVMidiParamTemplate_Rewind;
QVMidiParamTemplate kQVMidiParamTemplate_Forward;
QVMidiParamTemplate kQVMidiParamTemplate_SpeedSens;
QVMidiParamTemplate kQVMidiParamTemplate_SpeedLess;
QVMidiParamTemplate kQVMidiParamTemplate_SpeedMore;

// Parameter IDs are those of the parameter table.
QVMidiParamTemplateDef const kQVMidiParamTemplateDefs[] = {
    {&kQVMidiParamTemplate_None, 0, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Play, 3, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Span, 17, false, 0.01, 1.0, 0},
    {&kQVMidiParamTemplate_Volume, 28, false, -12.0, 6.0, 0},
    {&kQVMidiParamTemplate_Panora, 30, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Fadio, 31, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Mute, 26, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Solo, 27, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Speed, 19, false, 0.25, 4.0, 0},
    {&kQVMidiParamTemplate_SpeedWow, 21, false, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_SpeedSubx, 22, false, 0.5, 2.0, 0},
    {&kQVMidiParamTemplate_PresetCall, 36, false, 0.0, 0.0, 10},
    {&kQVMidiParamTemplate_PresetDur, 37, false, 0.0, 5.0, 0},
    {&kQVMidiParamTemplate_ToBegin, 10, true, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_ToEnd, 11, true, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Rewind, 8, true, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_Forward, 9, true, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_SpeedSens, 23, true, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_SpeedLess, 24, true, 0.0, 0.0, 0},
    {&kQVMidiParamTemplate_SpeedMore, 25, true, 0.0, 0.0, 0},
};

unsigned int const kQVMidiParamTemplateDefCount =
    sizeof(kQVMidiParamTemplateDefs) / sizeof(kQVMidiParamTemplateDefs[0]);

void QVMidiParamTemplateFill(QVMidiParamTemplate& tmpl, QVMidiParamTemplateDef const& def, QVMidiParamInfo const& info)
{
    tmpl.mParamID = def.mParamID;
    tmpl.mParamType = info.mType;
    tmpl.mDisplayName = info.mDisplayName;
    tmpl.mPersistentName = info.mPersistentName;
    tmpl.mMinimum = info.mMinimum;
    tmpl.mMaximum = info.mMaximum;
    tmpl.mAdvanced = def.mAdvanced;
    tmpl.mExtraNumbers = def.mExtraNumbers;
    // A range given backwards by the table still clamps without undefined order.
    double const low = std::min(info.mMinimum, info.mMaximum);
    double const high = std::max(info.mMinimum, info.mMaximum);
    if (def.mBegin == 0.0 && def.mEnd == 0.0) {
        tmpl.mDefaultValueBegin = info.mMinimum;
        tmpl.mDefaultValueEnd = info.mMaximum;
    } else {
        tmpl.mDefaultValueBegin = std::clamp(def.mBegin, low, high);
        tmpl.mDefaultValueEnd = std::clamp(def.mEnd, low, high);
    }
}
