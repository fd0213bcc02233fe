// The persistent forms of a playable, after the poolable's: the user
// parameters ("State"), then the plug-in slot ("Plugin"). Older documents
// name a few parameters differently; those keys are read when the current
// one is missing and never written.

#include "AKDictionary.h"
#include "AKFileTypedIO.h"
#include "AKValueTyped.h"
#include "QVObjectPlayable.h"
#include "QVPluginInstance.h"
#include "QVPrefs.h"

#include <cmath>

namespace {

char const* const kKey_State = "State";
char const* const kKey_Play = "Play";
char const* const kKey_Loop = "Loop";
char const* const kKey_Stated = "Stated";
char const* const kKey_Mute = "Mute";
char const* const kKey_Solo = "Solo";
char const* const kKey_Volume = "Volume";
char const* const kKey_Panora = "Panora";
char const* const kKey_Fadio = "Fadio";
char const* const kKey_Speed = "Speed";
char const* const kKey_SpeedWow = "SpeedWow";
char const* const kKey_SpeedSubx = "SpeedSubx";
char const* const kKey_Phase = "Phase";
char const* const kKey_Time = "Time";
char const* const kKey_Span = "Span";
// Older documents: read, never written.
char const* const kKey_Wow = "Wow";
char const* const kKey_SpeedSubk = "SpeedSubk";
char const* const kKey_Subx = "Subx";
char const* const kKey_Apert = "Apert";

char const* const kKey_Plugin = "Plugin";
char const* const kKey_PluginUID = "UID";
char const* const kKey_PluginName = "Name";
char const* const kKey_PluginBypass = "Bypass";
char const* const kKey_PluginState = "State";

// Three bools kept for the layout, written false and ignored.
constexpr unsigned int kUnusedFlagCount = 3;

// A real from the first of the keys that holds one; false when none does.
bool ReadReal(AKDictionary const& dictionary, std::initializer_list<char const*> keys, double* value)
{
    for (char const* key : keys) {
        if (AKValueGetasFloat64(dictionary.GetValue(key), value, true))
            return true;
    }
    return false;
}

double Limited(double value, double min, double max) { return value < min ? min : (value > max ? max : value); }

}  // namespace

// --- Dictionary form ---

int QVObjectPlayable::akmInitFromDictionary(AKDictionary const& dictionary)
{
    int const status = QVObjectPoolable::akmInitFromDictionary(dictionary);
    if (status != 0)
        return status;

    AKDictionary const& state = AKValueGetasAKDictionary(dictionary.GetValue(kKey_State));
    if (!state.IsEmpty()) {
        struct FlagKey {
            char const* key;
            QVPlayableValue<bool>* member;
        };
        for (FlagKey const& flag :
             {FlagKey{kKey_Play, &mPlay}, FlagKey{kKey_Loop, &mLoop}, FlagKey{kKey_Stated, &mStated},
              FlagKey{kKey_Mute, &mMute}, FlagKey{kKey_Solo, &mSolo}}) {
            bool value = false;
            if (AKValueGetasBool(state.GetValue(flag.key), &value, true))
                flag.member->Set(value);
        }
        QVPrefs const& prefs = QVPrefs::sShared;
        double const speedMax = prefs.GetPlayerSpeedMax();
        double const subxMax = prefs.GetPlayerSpeedSubxMax();
        struct RealKey {
            std::initializer_list<char const*> keys;
            QVPlayableValue<double>* member;
            double min;
            double max;
        };
        for (RealKey const& real : {
                 RealKey{{kKey_Volume}, &mVolume, kQVEngineVolumeMin, kQVEngineVolumeMax},
                 RealKey{{kKey_Panora}, &mPanora, kQVPlayablePanoraMin, kQVPlayablePanoraMax},
                 RealKey{{kKey_Fadio}, &mFadio, 0.0, kQVPlayableFadioMax},
                 RealKey{{kKey_Speed}, &mSpeed, -speedMax, speedMax},
                 RealKey{{kKey_SpeedWow, kKey_Wow}, &mSpeedWow, 0.0, kQVPlayableSpeedWowMax},
                 RealKey{{kKey_SpeedSubx, kKey_SpeedSubk, kKey_Subx}, &mSpeedSubx, -subxMax, subxMax},
                 RealKey{{kKey_Phase}, &mPhase, 0.0, kQVPlayablePhaseMax},
             }) {
            double value = 0.0;
            // A NaN keeps the current value: it would poison the mix.
            if (ReadReal(state, real.keys, &value) && !std::isnan(value))
                real.member->Set(Limited(value, real.min, real.max));
        }
        double value = 0.0;
        if (ReadReal(state, {kKey_Time}, &value))
            mTime.Set(value);
        if (ReadReal(state, {kKey_Span, kKey_Apert}, &value))
            mSpan.Set(value);
    }
    mGain.Set(QVPlayableGainFromVolume(mVolume.Get()));
    mSpan.Set(LowCheckSpanDuration(mKind, mSpan.Get()));

    AKDictionary const& plugin = AKValueGetasAKDictionary(dictionary.GetValue(kKey_Plugin));
    if (!plugin.IsEmpty()) {
        AKValueGetasQVPluginDescUID(plugin.GetValue(kKey_PluginUID), &mPluginUID);
        AKValueGetasAKString(plugin.GetValue(kKey_PluginName), &mStoredPluginName);
        AKValueGetasBool(plugin.GetValue(kKey_PluginBypass), &mStoredPluginBypass, true);
        AKValueGetasBinary(plugin.GetValue(kKey_PluginState), &mStoredPluginState);
        LowUpdatePlugin(true);
    }
    return 0;
}

int QVObjectPlayable::akmWriteToDictionary(AKDictionary& dictionary) const
{
    int status = QVObjectPoolable::akmWriteToDictionary(dictionary);
    if (status != 0)
        return status;

    AKDictionary state;
    for (auto const& flag :
         {std::make_pair(kKey_Play, &mPlay), std::make_pair(kKey_Loop, &mLoop), std::make_pair(kKey_Stated, &mStated),
          std::make_pair(kKey_Mute, &mMute), std::make_pair(kKey_Solo, &mSolo)}) {
        if (status == 0)
            status = state.SetValue(flag.first, AKValueSetasBool(flag.second->Get()));
    }
    for (auto const& real :
         {std::make_pair(kKey_Volume, &mVolume), std::make_pair(kKey_Panora, &mPanora),
          std::make_pair(kKey_Fadio, &mFadio), std::make_pair(kKey_Speed, &mSpeed),
          std::make_pair(kKey_SpeedWow, &mSpeedWow), std::make_pair(kKey_SpeedSubx, &mSpeedSubx),
          std::make_pair(kKey_Phase, &mPhase), std::make_pair(kKey_Time, &mTime), std::make_pair(kKey_Span, &mSpan)}) {
        if (status == 0)
            status = state.SetValue(real.first, AKValueSetasFloat64(real.second->Get()));
    }
    if (status == 0)
        status = dictionary.SetValue(kKey_State, AKValueSetasAKDictionary(state));
    if (status != 0 || mPluginUID == kQVNullPluginDescUID)
        return status;

    AKDictionary plugin;
    AKString name = mStoredPluginName;
    bool bypass = mStoredPluginBypass;
    AKMemoryBlock block;
    AKMemoryBlock const* stateBlock = &mStoredPluginState;
    if (QVPluginInstance const* const instance = GetPluginInstance()) {
        name = instance->GetName();
        bypass = instance->IsBypassed();
        instance->GetStateInformation(&block);
        stateBlock = &block;
    }
    status = plugin.SetValue(kKey_PluginUID, AKValueSetasQVPluginDescUID(mPluginUID));
    if (status == 0)
        status = plugin.SetValue(kKey_PluginName, AKValueSetasAKString(name));
    if (status == 0)
        status = plugin.SetValue(kKey_PluginBypass, AKValueSetasBool(bypass));
    if (status == 0)
        status = plugin.SetValue(kKey_PluginState, AKValueSetasBinary(*stateBlock));
    if (status == 0)
        status = dictionary.SetValue(kKey_Plugin, AKValueSetasAKDictionary(plugin));
    return status;
}

// --- Binary form ---

int QVObjectPlayable::akmInitFromFile(AKFile const& file, unsigned int how)
{
    int status = QVObjectPoolable::akmInitFromFile(file, how);
    if (status != 0)
        return status;

    QVPlayableValue<bool>* const flags[] = {&mPlay, &mLoop, &mStated, &mMute, &mSolo};
    bool values[5] = {};
    for (unsigned int i = 0; status == 0 && i < 5; ++i)
        status = AKFileReadBool(file, &values[i]);
    if (status == 0)
        status = AKFileSkip(file, kUnusedFlagCount);
    QVPlayableValue<double>* const reals[] = {&mVolume,    &mPanora, &mFadio, &mSpeed, &mSpeedWow,
                                              &mSpeedSubx, &mPhase,  &mTime,  &mSpan};
    double numbers[9] = {};
    for (unsigned int i = 0; status == 0 && i < 9; ++i)
        status = AKFileReadFloat64(file, &numbers[i]);
    if (status != 0)
        return status;
    if (how != 0) {
        // Taken as written.
        for (unsigned int i = 0; i < 5; ++i)
            flags[i]->Set(values[i]);
        for (unsigned int i = 0; i < 9; ++i)
            reals[i]->Set(numbers[i]);
    } else {
        // Re-initialised in place by the history (undo and redo of a
        // revision): the settings come back, while the playback head (Play,
        // Time, Span) stays where the transport has taken it since. Mute and
        // Solo go through their setters so the active flags and the parent's
        // solo count follow.
        mLoop.Set(values[1]);
        mStated.Set(values[2]);
        for (unsigned int i = 0; i < 7; ++i)
            reals[i]->Set(numbers[i]);
        SetUserMute(values[3] ? 1u : 0u);
        SetUserSolo(values[4] ? 1u : 0u);
        RaiseStateStamp();
    }
    mGain.Set(QVPlayableGainFromVolume(mVolume.Get()));
    if (status != 0)
        return status;

    QVPluginDescUID uid = kQVNullPluginDescUID;
    AKString name;
    unsigned int bypass = 0;
    AKMemoryBlock state;
    status = AKFileReadQVPluginDescUID(file, &uid);
    if (status == 0)
        status = AKFileReadAKString(file, &name);
    if (status != 0) {
        mStoredPluginBypass = false;
        return status;
    }
    status = AKFileReadUInt32(file, &bypass);
    if (status == 0)
        status = state.ReadFromFile(file);
    if (status != 0)
        return status;
    mPluginUID = uid;
    mStoredPluginName = name;
    mStoredPluginBypass = bypass != 0;
    mStoredPluginState.Swap(&state);
    LowUpdatePlugin(true);
    return 0;
}

int QVObjectPlayable::akmWriteToFile(AKFile& file) const
{
    int status = QVObjectPoolable::akmWriteToFile(file);
    for (QVPlayableValue<bool> const* flag : {&mPlay, &mLoop, &mStated, &mMute, &mSolo}) {
        if (status == 0)
            status = AKFileWriteBool(file, flag->Get());
    }
    for (unsigned int i = 0; status == 0 && i < kUnusedFlagCount; ++i)
        status = AKFileWriteBool(file, false);
    for (QVPlayableValue<double> const* real :
         {&mVolume, &mPanora, &mFadio, &mSpeed, &mSpeedWow, &mSpeedSubx, &mPhase, &mTime, &mSpan}) {
        if (status == 0)
            status = AKFileWriteFloat64(file, real->Get());
    }
    if (status != 0)
        return status;

    AKString name = mStoredPluginName;
    bool bypass = mStoredPluginBypass;
    AKMemoryBlock block;
    AKMemoryBlock const* stateBlock = &mStoredPluginState;
    if (QVPluginInstance const* const instance = GetPluginInstance()) {
        name = instance->GetName();
        bypass = instance->IsBypassed();
        instance->GetStateInformation(&block);
        stateBlock = &block;
    }
    status = AKFileWriteQVPluginDescUID(file, mPluginUID);
    if (status == 0)
        status = AKFileWriteAKString(file, name);
    if (status == 0)
        status = AKFileWriteUInt32(file, bypass ? 1u : 0u);
    if (status == 0)
        status = stateBlock->WriteToFile(file);
    return status;
}
