#pragma once

// Conversions between engine text (Mac Roman) and the file system's own
// names and paths (UTF-8 bytes), shared by the file utilities.

#include <string>

#include "AKFilePath.h"
#include "AKString.h"

// The engine text of a UTF-8 name or path. False when the bytes are not
// valid UTF-8 or hold a character that Mac Roman lacks: such a name cannot be
// addressed by an engine path.
bool AKEngineTextFromSystemText(std::string const& systemText, AKString* engineText);

// The engine path of a UTF-8 folder path, in directory syntax and simplified;
// the empty path when the text is empty, cannot be converted, would not fit a
// system path buffer or climbs above the root with "..".
AKFilePath AKFolderPathFromSystemText(std::string const& systemText);

// Look-ups behind the cached folders of AKFileUtils, made afresh at each call.
// The folder of the running executable (its "bundle"), in directory syntax.
AKFilePath AKLookUpExecutableDirPath();
// The application folder of a bundle folder: the folder holding it when its
// extension is "app" (ASCII case ignored; *bundled set), else the bundle
// folder itself.
AKFilePath AKApplicationDirOfBundle(AKFilePath const& bundleDir, bool* bundled);
// $TMPDIR when set, absolute and an existing folder, else "/tmp/".
AKFilePath AKLookUpTemporaryDirPath();
// $ORVEL_RESOURCES_DIR when set (a relative one taken from the current
// folder), else "Resources" inside the executable's folder.
AKFilePath AKLookUpResourcesDirPath(AKFilePath const& executableDir);
