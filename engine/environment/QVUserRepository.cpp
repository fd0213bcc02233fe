// QVStandardFolders: the user repository, folder 3.

#include "AKFile.h"
#include "AKFileUtils.h"
#include "AKLog.h"
#include "AKStatus.h"
#include "QVStandardFolders.h"
#include "internal/QVStandardFoldersTable.h"

#include <cstring>

using QVStandardFoldersTable::Paths;
using QVStandardFoldersTable::sRepositoryOk;
using QVStandardFoldersTable::sRepositoryUsed;

namespace {

constexpr unsigned int kProbeSize = 512;

// Writes and removes a file of zeros in folder 3 as it is now looked up; the
// first failure, or -1 when every free name is taken.
int ProbeRepository()
{
    AKFilePath path = QVStandardFolders::GetStandardFilePath(kQVStandardFolderRepository, AKString("TEST"));
    if (path.IsEmpty() || !AKFileUtils::SearchUnusedFileNameInDir(&path, nullptr, nullptr))
        return -1;
    unsigned char zeros[kProbeSize];
    std::memset(zeros, 0, sizeof zeros);
    AKLogErrorMute();
    AKFile file(path);
    int status = file.CreateForReadWrite();
    if (status == 0)
        status = file.Write(zeros, sizeof zeros);
    if (file.IsOpened()) {
        int const removed = file.Remove();
        if (status == 0)
            status = removed;
    }
    AKLogErrorUnmute();
    return status;
}

}  // namespace

void QVStandardFolders::OpenRepository()
{
    sRepositoryOk = true;
    sRepositoryUsed = false;
}

void QVStandardFolders::CloseRepository()
{
    sRepositoryOk = false;
    sRepositoryUsed = false;
}

int QVStandardFolders::InitRepository(AKFilePath const& path)
{
    ATArray<AKFilePath>& paths = Paths();
    if (paths.Count() < kQVStandardFolderCount || sRepositoryUsed)
        return -1;
    AKFilePath chosen = path;
    if (!chosen.IsEmpty())
        chosen.ForceDirectorySyntax();
    if (chosen == paths[kQVStandardFolderTemporary])
        chosen.Clear();
    paths[kQVStandardFolderRepository] = chosen;
    sRepositoryOk = true;

    int const status = ProbeRepository();
    // The probe's own look-up does not close the choice.
    sRepositoryOk = false;
    sRepositoryUsed = false;
    if (status != 0)
        return AKLogError(kQVErrorCantFindRepository, "Can't find the repository \"%s\"", chosen.c_str());
    sRepositoryOk = true;
    return 0;
}

AKFilePath const& QVStandardFolders::GetUserRepository()
{
    ATArray<AKFilePath> const& paths = Paths();
    return paths.Count() > kQVStandardFolderRepository ? paths[kQVStandardFolderRepository]
                                                       : QVStandardFoldersTable::EmptyPath();
}

bool QVStandardFolders::IsUserRepositoryOk() { return sRepositoryOk; }

bool QVStandardFolders::IsUserRepositoryUsed() { return sRepositoryUsed; }
