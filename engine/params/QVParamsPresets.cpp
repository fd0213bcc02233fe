// The parameter rows that end in the presets of a sequence.

#include "QVObjectSequence.h"
#include "QVParamsAccess.h"

bool QVParamSetPreset(QVObjectSequence* sequence, unsigned int id, unsigned int index, double x)
{
    switch (id) {
    case kQVPrmID_PresetClear:
        sequence->DoUserPresetClear(index);
        return true;
    case kQVPrmID_PresetSave:
        sequence->DoUserPresetSave(index);
        return true;
    case kQVPrmID_PresetCall:
        sequence->DoUserPresetRecall(index, nullptr);
        return true;
    case kQVPrmID_PresetDur:
        sequence->SetUserPresetDur(x);
        return true;
    default:
        return false;
    }
}

bool QVParamGetPreset(QVObjectSequence const* sequence, unsigned int id, double* x)
{
    if (id != kQVPrmID_PresetDur)
        return false;
    *x = sequence->GetPresetsBlock().GetRecallDuration();
    return true;
}
