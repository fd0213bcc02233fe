// QVPluginPresetMgr: keys and the presets themselves.

#include "QVPluginPresetMgr.h"

#include "AKStringEncoding.h"
#include "AKSys.h"
#include "AKTextForms.h"
#include "AKValueTyped.h"
#include "QVPluginMgr.h"

namespace {

constexpr char kKeyName[] = "Name";
constexpr char kKeyDate[] = "Date";
constexpr char kKeyState[] = "State";

}  // namespace

QVPluginPresetMgr QVPluginPresetMgr::sShared;

AKString QVPluginPresetMgr::_LowTreatInputName(AKString const& name)
{
    AKString treated = name;
    treated.RemoveExtraSpacesAndTabs();
    treated.SetMaxLength(kQVPluginPresetNameMaxLength);
    return treated;
}

AKString QVPluginPresetMgr::_LowGenerateKey(QVPluginDescUID uid)
{
    if (uid == kQVNullPluginDescUID)
        return AKString();
    unsigned char bytes[8];
    for (unsigned int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(uid >> (8 * i));
    return AKStringHexaFromBinaryData(bytes, sizeof(bytes), "_");
}

AKString QVPluginPresetMgr::_LowGenerateKey(AKString const& treatedName)
{
    if (treatedName.IsEmpty())
        return AKString();
    AKString const utf8 = AKStringCopyWithEncoding(treatedName, kAKStringEncodingMacRoman, kAKStringEncodingUTF8);
    return AKStringHexaFromBinaryData(utf8.c_str(), utf8.Length(), "_");
}

AKString QVPluginPresetMgr::PresetKeyPath(QVPluginDescUID uid, AKString const& treatedName)
{
    AKString const uidKey = _LowGenerateKey(uid);
    AKString const nameKey = _LowGenerateKey(treatedName);
    if (uidKey.IsEmpty() || nameKey.IsEmpty())
        return AKString();
    AKString path = uidKey;
    path.Append(".").Append(nameKey);
    return path;
}

AKDictionary const* QVPluginPresetMgr::PluginPresets(QVPluginDescUID uid) const
{
    AKString const uidKey = _LowGenerateKey(uid);
    return uidKey.IsEmpty() ? nullptr : mPresets.GetValue(uidKey).GetasAKDictionary();
}

int QVPluginPresetMgr::ReadFromDictionary(AKDictionary const& presets)
{
    mPresets = presets;
    return 0;
}

int QVPluginPresetMgr::WriteToDictionary(AKDictionary* presets) const
{
    if (presets != nullptr)
        *presets = mPresets;
    return 0;
}

bool QVPluginPresetMgr::ExistsPreset(QVPluginDescUID uid, AKString const& name) const
{
    AKString const path = PresetKeyPath(uid, _LowTreatInputName(name));
    return !path.IsEmpty() && mPresets.GetValue(path).IsAKDictionary();
}

bool QVPluginPresetMgr::GetPreset(QVPluginDescUID uid, AKString const& name, AKMemoryBlock* state) const
{
    if (state == nullptr)
        return false;
    state->Clear();
    AKString const path = PresetKeyPath(uid, _LowTreatInputName(name));
    AKDictionary const* const preset = path.IsEmpty() ? nullptr : mPresets.GetValue(path).GetasAKDictionary();
    if (preset == nullptr || !preset->ContainsKey(kKeyState))
        return false;
    return AKValueGetasBinary(preset->GetValue(kKeyState), state);
}

bool QVPluginPresetMgr::AddPreset(QVPluginDescUID uid, AKString const& name, AKMemoryBlock const& state, bool overwrite)
{
    AKString const treated = _LowTreatInputName(name);
    AKString const path = PresetKeyPath(uid, treated);
    if (path.IsEmpty())
        return false;
    if (!overwrite && mPresets.GetValue(path).IsAKDictionary())
        return false;
    AKDictionary preset;
    preset.SetValue(kKeyName, AKValueSetasAKString(treated));
    preset.SetValue(kKeyDate, AKValueSetasUInt(static_cast<unsigned long long>(AKSys::GetCurrentDateAndTime())));
    preset.SetValue(kKeyState, AKValueSetasBinary(state));
    // Creates the plug-in's dictionary when it has none.
    if (mPresets.SetValue(path, AKValueSetasAKDictionary(preset)) != 0)
        return false;
    mModified = true;
    return true;
}

bool QVPluginPresetMgr::RemovePreset(QVPluginDescUID uid, AKString const& name)
{
    AKString const path = PresetKeyPath(uid, _LowTreatInputName(name));
    if (path.IsEmpty() || !mPresets.GetValue(path).IsAKDictionary())
        return false;
    if (mPresets.RemoveValue(path) != 0)
        return false;
    AKDictionary const* const plugin = PluginPresets(uid);
    if (plugin != nullptr && plugin->IsEmpty())
        mPresets.RemoveValue(_LowGenerateKey(uid));
    mModified = true;
    return true;
}

bool QVPluginPresetMgr::RenamePreset(QVPluginDescUID uid, AKString const& oldName, AKString* newName, bool* nameTaken)
{
    if (nameTaken != nullptr)
        *nameTaken = false;
    if (newName == nullptr)
        return false;
    AKString const treatedNew = _LowTreatInputName(*newName);
    *newName = treatedNew;
    AKString const oldPath = PresetKeyPath(uid, _LowTreatInputName(oldName));
    AKString const newPath = PresetKeyPath(uid, treatedNew);
    if (oldPath.IsEmpty() || newPath.IsEmpty() || oldPath == newPath || PluginPresets(uid) == nullptr)
        return false;
    AKDictionary const* const old = mPresets.GetValue(oldPath).GetasAKDictionary();
    if (old == nullptr)
        return false;
    if (mPresets.GetValue(newPath).IsAKDictionary()) {
        if (nameTaken != nullptr)
            *nameTaken = true;
        return false;
    }
    AKDictionary renamed = *old;
    renamed.SetValue(kKeyName, AKValueSetasAKString(treatedNew));
    if (mPresets.SetValue(newPath, AKValueSetasAKDictionary(renamed)) != 0)
        return false;
    mPresets.RemoveValue(oldPath);
    mModified = true;
    return true;
}

bool QVPluginPresetMgr::GetPluginsThatHavePresets(QVPluginDescArray* descs) const
{
    if (descs == nullptr)
        return false;
    descs->Clear();
    for (QVPluginDesc const& desc : QVPluginMgr::sShared.GetSortedPluginDescs()) {
        if (PluginPresets(desc.GetUID()) != nullptr)
            descs->Push(desc);
    }
    return !descs->IsEmpty();
}

bool QVPluginPresetMgr::GetPresetNamesForPlugin(QVPluginDescUID uid, AKStringArray* names,
                                                ATNumberArray<unsigned int, unsigned int, 32>* dates) const
{
    if (names != nullptr)
        names->Clear();
    if (dates != nullptr)
        dates->Clear();
    AKDictionary const* const plugin = PluginPresets(uid);
    if (plugin == nullptr || plugin->IsEmpty())
        return false;
    AKKeyValueIterator iterator(*plugin);
    AKString const* key = nullptr;
    AKValue const* value = nullptr;
    while (iterator.NextInPlace(&key, &value)) {
        AKDictionary const* const preset = value->GetasAKDictionary();
        if (preset == nullptr)
            continue;
        if (names != nullptr)
            names->Push(AKValueGetasAKString(preset->GetValue(kKeyName)));
        if (dates != nullptr)
            dates->Push(AKValueGetasUInt(preset->GetValue(kKeyDate), false));
    }
    return true;
}
