#pragma once

// Saving a whole file without ever leaving it half written.

#include "AKFilePath.h"

// Gives the file at `path` the bytes as its whole content, creating it when
// missing. The bytes go into a hidden file beside it, created exclusively and
// written through the descriptor that created it, synced to disk, and that
// file is then renamed over the target and the folder synced, so readers see
// either the previous content or the new one, also after a crash or a power
// loss.
//
// A file saved over keeps its owner and group where the process may give
// them, and its permission bits except set-user-ID and set-group-ID. A
// symbolic link at the path is replaced by the file (which takes the
// permission bits of the linked file). Hidden files left by saves of the same
// target that were killed midway are removed (see AKFileReplace.cpp for how
// they are recognised).
//
// On any failure before the rename the previous file is left exactly as it
// was, the hidden file is removed and the file layer's code is returned,
// logged. A failure to sync the folder after the rename is reported as well,
// though the file then already holds the new content.
int AKFileReplaceContent(AKFilePath const& path, void const* data, unsigned long long size);
