// QVPrefs: the dictionary form of the preferences, their file, the log and
// parameters strings.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKValueTyped.h"
#include "QVPrefs.h"
#include "QVStandardFolders.h"

#include <string>

namespace {

constexpr char kVersionKey[] = "_Version";
constexpr char kRecordSoundFormatKey[] = "Record.SoundFormat";
constexpr char kRecordSoundFormatInfoKey[] = "Record.SoundFormatInfo";
constexpr char kDefaultDocPrefsKey[] = "Default.DocPrefs";
constexpr char kPluginSearchPathsKey[] = "Plugin.SearchPaths";
constexpr char kPluginSearchFlagsKey[] = "Plugin.SearchFlags";
// Files up to this version predate a few of today's defaults.
constexpr unsigned int kOverriddenVersionMax = 3;

// Creates every missing folder of a folder path, parents first; whether the
// folder exists afterwards. On a first run not even the parents of the
// settings folder exist yet.
bool CreateFolderChain(AKFilePath const& folder)
{
    std::string text = folder.String().StdString();
    if (text.empty())
        return false;
    if (text.back() != '/')
        text.push_back('/');
    for (size_t slash = text.find('/', 1); slash != std::string::npos; slash = text.find('/', slash + 1)) {
        AKFilePath const part(text.substr(0, slash + 1));
        if (!AKFileUtils::DirExists(part) && !AKFileUtils::CreateDir(part))
            return false;
    }
    return true;
}

}  // namespace

int QVPrefs::ReadFromDictionary(AKDictionary const& dictionary)
{
    SetupDefaults();
    unsigned int version = 0;
    if (!dictionary.IsEmpty()) {
        AKValueGetasUInt(dictionary.GetValue(kVersionKey), &version, false);
        mMembers.ReadFromDictionary(dictionary, 0);
        AKValueGetasQVAudioFormat(dictionary.GetValue(kRecordSoundFormatKey), &mRecordSoundFormat);
        AKValueGetasQVAudioPCMInfo(dictionary.GetValue(kRecordSoundFormatInfoKey), &mRecordSoundFormatInfo);
        AKDictionary docPrefs;
        if (AKValueGetasAKDictionary(dictionary.GetValue(kDefaultDocPrefsKey), &docPrefs))
            mDefaultDocPrefs.ReadFromDictionary(docPrefs);
        // The array getters empty their output on an ill-kinded value: read aside.
        AKFilePathArray paths;
        if (AKValueGetasAKFilePathArray(dictionary.GetValue(kPluginSearchPathsKey), &paths))
            mPluginSearchPaths = paths;
        QVPrefsUIntArray flags;
        if (AKValueGetasAKUIntArray(dictionary.GetValue(kPluginSearchFlagsKey), &flags, false))
            mPluginSearchFlags = flags;
    }
    if (version <= kOverriddenVersionMax) {
        mGuiShowFPSGauges = false;
        mGuiSlateConstraint = 1;
        mPlayerMultiDefaultSpanDuration = 1.0;
        mPlayerMultiDefaultSpeed = 0.0;
    }
    return CheckSettings();
}

int QVPrefs::WriteToDictionary(AKDictionary* dictionary) const
{
    dictionary->Clear();
    dictionary->SetValue(kVersionKey, AKValueSetasUInt(kQVPrefsFileVersion));
    mMembers.WriteToDictionary(dictionary, 0);
    dictionary->SetValue(kRecordSoundFormatKey, AKValueSetasQVAudioFormat(mRecordSoundFormat));
    dictionary->SetValue(kRecordSoundFormatInfoKey, AKValueSetasQVAudioPCMInfo(mRecordSoundFormatInfo));
    AKDictionary docPrefs;
    mDefaultDocPrefs.WriteToDictionary(&docPrefs);
    dictionary->SetValue(kDefaultDocPrefsKey, AKValueSetasAKDictionary(docPrefs));
    dictionary->SetValue(kPluginSearchPathsKey, AKValueSetasAKFilePathArray(mPluginSearchPaths));
    dictionary->SetValue(kPluginSearchFlagsKey, AKValueSetasAKUIntArray(mPluginSearchFlags));
    return 0;
}

int QVPrefs::LoadFromXmlFile(AKFilePath const& path)
{
    AKDictionary dictionary;
    int const status = dictionary.LoadFromXmlFile(path, true);
    if (status != 0)
        return status;
    return ReadFromDictionary(dictionary);
}

int QVPrefs::SaveToXmlFile(AKFilePath const& path, bool onlyIfModified) const
{
    if (onlyIfModified && !IsModified())
        return 0;
    AKDictionary dictionary;
    WriteToDictionary(&dictionary);
    return dictionary.SaveToXmlFile(path, true);
}

AKFilePath QVPrefs::GetDefaultXmlFilePath()
{
    return QVGetStandardFilePath(kQVStandardFolderSettings, kQVPrefsFileName);
}

int QVPrefs::LoadFromDefaultXmlFile()
{
    AKFilePath const path = GetDefaultXmlFilePath();
    if (AKFileUtils::FileExists(path))
        return LoadFromXmlFile(path);
    CreateFolderChain(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings));
    return SaveToXmlFile(path, false);
}

int QVPrefs::SaveToDefaultXmlFile(bool onlyIfModified) const
{
    if (onlyIfModified && !IsModified())
        return 0;
    CreateFolderChain(QVStandardFolders::GetStandardPath(kQVStandardFolderSettings));
    return SaveToXmlFile(GetDefaultXmlFilePath(), false);
}

void QVPrefs::LogInfoPrefs() const
{
    AKLog("Quorvex Prefs:\n");
    mMembers.LogDescriptions();
    AKLog("\n");
}

int QVPrefs::SetupFromParametersString(char const* text)
{
    if (mMembers.SetupFromParametersString(text))
        CheckSettings();
    return 0;
}
