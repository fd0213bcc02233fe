#pragma once

// The storage behind QVStandardFolders, shared by the table's and the
// repository's files.

#include "AKFilePath.h"
#include "ATArray.h"

#include <atomic>

namespace QVStandardFoldersTable {

// The entries; none before the engine start and after its stop. Built on
// first use, so that look-ups made while other statics are set up or torn
// down find a valid (empty) table.
ATArray<AKFilePath>& Paths();
AKFilePath const& EmptyPath();

// The repository may be used; folder 3 has been looked up.
extern std::atomic<bool> sRepositoryOk;
extern std::atomic<bool> sRepositoryUsed;

}  // namespace QVStandardFoldersTable
