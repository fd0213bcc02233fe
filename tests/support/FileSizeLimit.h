#pragma once

// Makes writes fail the way a full disk does: while set, no file this
// process writes grows past the limit, and the write that would is refused
// with an error instead of the signal that ends the process. Lift() (or the
// end of the object) puts back the limit and the signal's handler.

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    FileSizeLimit() = default;
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(FileSizeLimit const&) = delete;
    FileSizeLimit& operator=(FileSizeLimit const&) = delete;

    // Call through ASSERT_NO_FATAL_FAILURE: a refused step fails the test.
    void Set(rlim_t bytes)
    {
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &mSaved), 0);
        mSavedHandler = std::signal(SIGXFSZ, SIG_IGN);
        mSet = true;
        rlimit limited = mSaved;
        limited.rlim_cur = bytes;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    void Lift()
    {
        if (!mSet)
            return;
        setrlimit(RLIMIT_FSIZE, &mSaved);
        std::signal(SIGXFSZ, mSavedHandler);
        mSet = false;
    }

private:
    rlimit mSaved = {};
    void (*mSavedHandler)(int) = nullptr;
    bool mSet = false;
};
