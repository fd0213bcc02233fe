#pragma once

// Saving a whole file without ever leaving it half written.

#include "AKFilePath.h"

// Gives the file at `path` the bytes as its whole content, creating it when
// missing. The bytes go into a new file beside it, created exclusively under
// a hidden name (".<name>.saving-<process>-<n>"), flushed to disk, and that
// file is then renamed over the target, so readers see either the previous
// content or the new one. An existing file keeps its permission bits; a
// symbolic link at the path is replaced by the file. On any failure the
// previous file is left exactly as it was, the new file is removed and the
// file layer's code is returned, logged.
int AKFileReplaceContent(AKFilePath const& path, void const* data, unsigned long long size);
