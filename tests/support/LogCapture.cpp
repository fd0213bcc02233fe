#include "LogCapture.h"

#include "AKLog.h"

#include <mutex>

namespace {

// Guards both the current capture and its lines: the sink may be called from any
// thread, and a late call may arrive while the capture is being destroyed.
std::mutex& CaptureMutex()
{
    static std::mutex sMutex;
    return sMutex;
}

LogCapture* sCurrentCapture = nullptr;

}  // namespace

LogCapture::LogCapture(bool threadSafe)
{
    {
        std::lock_guard<std::mutex> lock(CaptureMutex());
        sCurrentCapture = this;
    }
    AKSetCustomLogMessageProc(&LogCapture::Receive, threadSafe);
}

LogCapture::~LogCapture()
{
    AKSetCustomLogMessageProc(nullptr, false);
    std::lock_guard<std::mutex> lock(CaptureMutex());
    if (sCurrentCapture == this)
        sCurrentCapture = nullptr;
}

void LogCapture::Receive(char const* line)
{
    std::lock_guard<std::mutex> lock(CaptureMutex());
    if (sCurrentCapture != nullptr && line != nullptr)
        sCurrentCapture->mLines.emplace_back(line);
}

std::vector<std::string> LogCapture::Lines() const
{
    std::lock_guard<std::mutex> lock(CaptureMutex());
    return mLines;
}

void LogCapture::Clear()
{
    std::lock_guard<std::mutex> lock(CaptureMutex());
    mLines.clear();
}
