// See aeffect.h beside this file.
#pragma once
#include <pluginterfaces/fst/aeffectx.h>

// Two records are shorter in the free headers than plug-ins write them:
// pin properties lack their 48 closing bytes, and a speaker arrangement
// holds no speakers, while hosts size arrangements as holding eight. A
// plug-in that fills either would write past the host's memory; these full
// records take their names.
typedef struct OrvelVstPinProperties {
    char label[64];
    int flags;
    int arrangementType;
    char shortLabel[8];
    char future[48];
} OrvelVstPinProperties;

typedef struct OrvelVstSpeakerArrangement {
    int type;
    int numChannels;
    VstSpeakerProperties speakers[8];
} OrvelVstSpeakerArrangement;

#define VstPinProperties OrvelVstPinProperties
#define VstSpeakerArrangement OrvelVstSpeakerArrangement
