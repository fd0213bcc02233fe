// QVPluginPresetMgr: the presets file.

#include "AKFileUtils.h"
#include "AKLog.h"
#include "QVAudioServices.h"
#include "QVPluginPresetMgr.h"

#include <cerrno>
#include <cstdio>

AKFilePath QVPluginPresetMgr::GetDefaultBinFilePath()
{
    return QVAudioServices::Get().GetSettingsFilePath(kQVPluginPresetsFileName);
}

int QVPluginPresetMgr::LoadFromDefaultBinFile()
{
    AKFilePath const path = GetDefaultBinFilePath();
    if (path.IsEmpty() || !AKFileUtils::FileExists(path))
        return 0;
    return LoadFromBinFile(path);
}

int QVPluginPresetMgr::LoadFromBinFile(AKFilePath const& path)
{
    int const status = mPresets.LoadFromBinFile(path);
    if (status != 0 && AKFileUtils::FileExists(path))
        mDamagedFilePath = path;
    else if (status == 0 && path == mDamagedFilePath)
        mDamagedFilePath.Clear();
    return status;
}

int QVPluginPresetMgr::SaveToDefaultBinFile(bool onlyIfModified)
{
    if (onlyIfModified && !mModified)
        return 0;
    AKFilePath const path = GetDefaultBinFilePath();
    if (path.IsEmpty())
        return AKLogError(kAKErrorCantFindDirectory, "No settings folder to save the plugin presets in");
    return SaveToBinFile(path, onlyIfModified);
}

int QVPluginPresetMgr::SaveToBinFile(AKFilePath const& path, bool onlyIfModified)
{
    if (onlyIfModified && !mModified)
        return 0;
    if (!mDamagedFilePath.IsEmpty() && path == mDamagedFilePath) {
        int const status = SetDamagedFileAside(path);
        if (status != 0)
            return status;
    }
    return mPresets.SaveToBinFile(path);
}

int QVPluginPresetMgr::SetDamagedFileAside(AKFilePath const& path)
{
    if (!AKFileUtils::FileExists(path)) {
        mDamagedFilePath.Clear();
        return 0;
    }
    AKFilePath aside = path;
    aside.AddExtension(kQVPluginPresetsDamagedExtension);
    char from[kAKSystemPathMaxSize];
    char to[kAKSystemPathMaxSize];
    if (!AKFileUtils::GetAsSystemPath(from, path, false) || !AKFileUtils::GetAsSystemPath(to, aside, false))
        return AKLogError(kAKErrorFileCantWrite, "Can't set the unreadable plugin presets file \"%s\" aside",
                          path.c_str());
    errno = 0;
    if (std::rename(from, to) != 0) {
        return AKLogErrorWithErrno(kAKErrorFileCantWrite, "Can't set the unreadable plugin presets file \"%s\" aside",
                                   path.c_str());
    }
    AKLog("# PLUGIN Warning: The unreadable plugin presets file has been kept as \"%s\".\n", aside.c_str());
    mDamagedFilePath.Clear();
    return 0;
}
