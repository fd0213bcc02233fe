#pragma once

#include <string>
#include <vector>

// Test fixture sink: captures every log line sent while it lives.
// The constructor installs the sink (thread-safe unless told otherwise), the
// destructor removes it. Only one capture may be alive at a time.
class LogCapture
{
public:
    explicit LogCapture(bool threadSafe = true);
    ~LogCapture();

    LogCapture(LogCapture const&) = delete;
    LogCapture& operator=(LogCapture const&) = delete;

    // The lines received so far, each exactly as the sink got it.
    std::vector<std::string> Lines() const;
    void Clear();

private:
    static void Receive(char const* line);

    std::vector<std::string> mLines;
};
