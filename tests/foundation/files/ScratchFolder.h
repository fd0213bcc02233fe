#pragma once

// A fresh folder for one test, removed with everything in it afterwards, and
// the small file helpers the saving tests share.

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class ScratchFolder
{
public:
    explicit ScratchFolder(std::string const& parent = "/tmp")
    {
        std::string pattern = parent + "/aksave_XXXXXX";
        char* made = mkdtemp(&pattern[0]);
        EXPECT_NE(made, nullptr);
        mRoot = made ? made : "";
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    ScratchFolder(ScratchFolder const&) = delete;
    ScratchFolder& operator=(ScratchFolder const&) = delete;

    std::string const& Root() const { return mRoot; }
    std::string At(std::string const& name) const { return mRoot + "/" + name; }

    // The names in the folder, sorted, "." and ".." left out.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(mRoot.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.push_back(name);
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string Content(std::string const& name) const
    {
        std::string content;
        int fd = open(At(name).c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info;
        if (fd < 0 || fstat(fd, &info) != 0) {
            if (fd >= 0)
                close(fd);
            return content;
        }
        content.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        for (ssize_t got; done < content.size() && (got = read(fd, &content[done], content.size() - done)) > 0;)
            done += static_cast<size_t>(got);
        content.resize(done);
        close(fd);
        return content;
        char buffer[65536];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
            content.append(buffer, static_cast<size_t>(got));
        close(fd);
        return content;
    }

    void Write(std::string const& name, std::string const& content) const
    {
        std::ofstream(At(name), std::ios::binary | std::ios::trunc) << content;
    }

private:
    std::string mRoot;
};
