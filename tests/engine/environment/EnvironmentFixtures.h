#pragma once

// Fixtures of the engine environment's tests: a temporary folder removed
// with its content, and environment variables restored when the test ends.

#include "AKFilePath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

// Readable failure messages.
inline void PrintTo(AKFilePath const& path, std::ostream* os) { *os << '"' << path.c_str() << '"'; }

class TempFolder
{
public:
    TempFolder()
    {
        char pattern[] = "/tmp/orvel-env-XXXXXX";
        char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        mRoot = made != nullptr ? made : "";
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    TempFolder(TempFolder const&) = delete;
    TempFolder& operator=(TempFolder const&) = delete;

    std::string const& Root() const { return mRoot; }
    // The system path of an entry inside the folder.
    std::string At(std::string const& relative) const { return mRoot + "/" + relative; }
    // The engine path of a folder inside it, in directory form ("" for itself).
    AKFilePath Folder(std::string const& relative = "") const
    {
        return AKFilePath(relative.empty() ? mRoot + "/" : At(relative) + "/");
    }

    void MakeFile(std::string const& relative, std::string const& content = "") const
    {
        std::ofstream(At(relative), std::ios::binary) << content;
    }
    void MakeFolder(std::string const& relative) const { std::filesystem::create_directories(At(relative)); }

private:
    std::string mRoot;
};

class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(ScopedEnvironment const&) = delete;
    ScopedEnvironment& operator=(ScopedEnvironment const&) = delete;
    ~ScopedEnvironment()
    {
        for (auto it = mSaved.rbegin(); it != mSaved.rend(); ++it) {
            if (it->wasSet)
                setenv(it->name.c_str(), it->value.c_str(), 1);
            else
                unsetenv(it->name.c_str());
        }
    }
    void Set(char const* name, std::string const& value)
    {
        Save(name);
        setenv(name, value.c_str(), 1);
    }
    void Unset(char const* name)
    {
        Save(name);
        unsetenv(name);
    }

private:
    struct Saved {
        std::string name;
        bool wasSet;
        std::string value;
    };
    void Save(char const* name)
    {
        char const* value = std::getenv(name);
        mSaved.push_back(Saved{name, value != nullptr, value != nullptr ? value : ""});
    }

    std::vector<Saved> mSaved;
};
