// The user operations of a sequence on its presets block: commands, OSC and
// MIDI reach the presets through these.

#include "QVObjectSequence.h"

bool QVObjectSequence::DoUserPresetSave(unsigned int n)
{
    if (!mPresetsBlock.DoPresetSave(n))
        return false;
    SetModified(true);
    return true;
}

bool QVObjectSequence::DoUserPresetClear(unsigned int n)
{
    if (!mPresetsBlock.DoPresetClear(n))
        return false;
    SetModified(true);
    return true;
}

// Recalling changes the players' settings, not the presets: the players
// mark themselves.
bool QVObjectSequence::DoUserPresetRecall(unsigned int n, bool* alreadyThere)
{
    return mPresetsBlock.DoPresetRecall(n, alreadyThere);
}

bool QVObjectSequence::SetUserPresetDur(double duration)
{
    if (!mPresetsBlock.SetRecallDuration(duration))
        return false;
    SetModified(true);
    return true;
}
