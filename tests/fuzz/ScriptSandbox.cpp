// Fuzz target: script text run by the script engine in its sandbox, with a
// short time-out and a small memory cap, through the whole road of a run (ASCII
// check, prelude join, interpreter, engine functions, failure report). After
// every run the sandbox must hold no block and no raised stop.
//
// The scripts folder is a fresh temporary folder holding an empty prelude,
// removed with what it holds when the process exits normally.

#include "AKFilePath.h"
#include "AKLog.h"
#include "AKString.h"
#include "QVJavaScriptEngine.h"
#include "QVLibEnv.h"
#include "QVParams.h"
#include "QVScriptSandbox.h"
#include "QVStandardFolders.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// A temporary folder made at construction; its files and the folder itself
// are removed at destruction (a static one: at the process's normal exit).
class TempFolder
{
public:
    TempFolder() { Check(mkdtemp(mPath) != nullptr); }
    ~TempFolder()
    {
        if (DIR* const dir = opendir(mPath)) {
            int const fd = dirfd(dir);
            while (dirent const* entry = readdir(dir)) {
                if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                    unlinkat(fd, entry->d_name, 0);
            }
            closedir(dir);
        }
        rmdir(mPath);
    }
    TempFolder(TempFolder const&) = delete;
    TempFolder& operator=(TempFolder const&) = delete;

    char const* Path() const { return mPath; }

private:
    char mPath[32] = "/tmp/orvel-fuzz-script-XXXXXX";
};

struct Engine {
    Engine()
    {
        AKSetCustomLogMessageProc(nullptr, true);
        // The engine is never destroyed (it may still be asked while statics
        // are torn down); the folder is a static of its own.
        static TempFolder sFolder;
        char const* const folder = sFolder.Path();
        Check(QVLibEnv::Initialize(false) == 0);
        QVParams::BuildParamInfoList();
        QVStandardFolders::SetStandardPath(kQVStandardFolderScripts, AKFilePath(folder));
        std::string const preludePath = std::string(folder) + "/" + QVJavaScriptEngine::kPreludeFileName;
        std::FILE* prelude = std::fopen(preludePath.c_str(), "wb");
        Check(prelude != nullptr);
        std::fclose(prelude);
        QVJavaScriptEngine::sShared.SetTimeOutOverride(0.2);
        QVJavaScriptEngine::sShared.SetMemoryCap(16u << 20);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static Engine* const sEngine = new Engine();
    (void)sEngine;
    if (size > 16384)
        return 0;
    std::string const text(reinterpret_cast<char const*>(data), size);
    QVJavaScriptEngine::sShared.ExecuteFromString(AKString(text.c_str(), text.size()), AKString("fuzz"));
    Check(QVScriptSandbox::GetMemory().GetBlockCount() == 0);
    Check(!QVScriptSandbox::IsStopRaised());
    return 0;
}
