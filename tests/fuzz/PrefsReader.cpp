// Fuzz target: the outside text the preferences read. The bytes are taken
// as the content of the preferences file (an XML property list loaded into
// the settings) and as a parameters string applied to the settings. Either
// way the settings must end within their ranges and reading must not mark
// them modified. What a loaded file stores is a fixed point: written, read
// into fresh preferences and written again, it gives the same dictionary. A
// parameters string may also set settings that are never stored, on which
// the ranges of stored ones depend, so its fixed point is reached one round
// later.

#include "AKDictionary.h"
#include "AKLog.h"
#include "AKString.h"
#include "QVPrefs.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Writes the stored settings, reads them into fresh preferences and writes
// those; the second dictionary goes to `rewritten`.
void WriteAndReread(QVPrefs const& prefs, AKDictionary* written, AKDictionary* rewritten)
{
    prefs.WriteToDictionary(written);
    QVPrefs reread;
    Check(reread.ReadFromDictionary(*written) == 0);
    Check(!reread.IsModified());
    reread.WriteToDictionary(rewritten);
}

void CheckSettled(QVPrefs const& prefs, bool onlyStored)
{
    Check(!prefs.IsModified());
    Check(prefs.GetInternalVerboseLevel() <= 9);
    Check(prefs.GetGuiFramesPerSecond() >= 1 && prefs.GetGuiFramesPerSecond() <= 200);
    Check(prefs.GetSequenceScaleCoeffMin() <= prefs.GetSequenceScaleCoeffMax());
    Check(std::fabs(prefs.GetPlayerMultiDefaultSpeed()) <= prefs.GetPlayerSpeedMax());
    Check(prefs.GetPlayerMultiDefaultSpanDuration() >= prefs.GetPlayerMultiMinSpanDuration());
    Check(prefs.GetPresetRecallDefaultDuration() <= prefs.GetPresetRecallMaxDuration());
    Check(prefs.GetPortAudioSampleRate() >= 100.0 && prefs.GetPortAudioSampleRate() <= 200000.0);
    double const volume = prefs.GetDefaultDocPrefs().GetAudioMasterVolume();
    Check(volume >= -48.0 && volume <= 12.0);

    // Checking again changes nothing.
    QVPrefs checked = prefs;
    checked.CheckSettings();
    Check(checked.GetMemberArray().AreEqualMemberValues(prefs.GetMemberArray()));

    AKDictionary written;
    AKDictionary rewritten;
    WriteAndReread(prefs, &written, &rewritten);
    if (!onlyStored) {
        QVPrefs once;
        once.ReadFromDictionary(rewritten);
        WriteAndReread(once, &written, &rewritten);
    }
    Check(written.IsEqual(rewritten));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static bool sMuted = (AKLogErrorMute(), true);
    (void)sMuted;
    if (size > 0x100000)
        return 0;
    std::string const bytes(reinterpret_cast<char const*>(data), size);

    AKDictionary file;
    if (file.LoadFromXmlString(AKString(bytes), true) == 0) {
        QVPrefs prefs;
        Check(prefs.ReadFromDictionary(file) == 0);
        CheckSettled(prefs, true);
    }

    QVPrefs prefs;
    prefs.SetupDefaults();
    prefs.SetupFromParametersString(bytes.c_str());
    CheckSettled(prefs, false);
    prefs.GetDefaultDocPrefs().SetupFromParametersString(bytes.c_str());
    prefs.CheckSettings();
    CheckSettled(prefs, false);
    return 0;
}
