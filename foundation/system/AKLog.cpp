#include "AKLog.h"

#include "AKSys.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace {

std::atomic<AKLogMessageProc> sLogUserProc{nullptr};
std::atomic<bool> sLogUserProcTS{false};
std::atomic<int> sLogErrorMute{0};

// One line buffer per thread: no lock, and two threads logging at once never
// assemble their lines in the same place.
thread_local char tLogBuffer[kAKLogLineBufferSize];

// The sink the calling thread may use now, or null.
AKLogMessageProc ReachableSink(bool errorLine)
{
    AKLogMessageProc proc = sLogUserProc.load();
    if (proc == nullptr)
        return nullptr;
    if (!sLogUserProcTS.load() && !AKSys::IsMainThread())
        return nullptr;
    if (errorLine && sLogErrorMute.load() > 0)
        return nullptr;
    return proc;
}

// Appends pieces to a line buffer; once a piece is cut, nothing more is written.
class LineBuilder
{
public:
    explicit LineBuilder(char* buffer) : mBuffer(buffer) { mBuffer[0] = '\0'; }

    void Append(char const* format, ...) AK_PRINTF_FORMAT(2, 3)
    {
        va_list args;
        va_start(args, format);
        AppendV(format, args);
        va_end(args);
    }

    void AppendV(char const* format, va_list args) AK_PRINTF_FORMAT(2, 0)
    {
        if (mCut)
            return;
        size_t room = kAKLogLineBufferSize - mLength;
        int written = vsnprintf(mBuffer + mLength, room, format, args);
        if (written < 0) {
            // A formatting error cuts the line where it stands.
            mBuffer[mLength] = '\0';
            mCut = true;
        } else if (static_cast<size_t>(written) >= room) {
            mLength = kAKLogLineBufferSize - 1;
            mCut = true;
        } else {
            mLength += static_cast<size_t>(written);
        }
    }

    char const* Line() const { return mBuffer; }

private:
    char* mBuffer;
    size_t mLength = 0;
    bool mCut = false;
};

// Builds the error or warning line in this thread's buffer and sends it.
// errnoValue 0 means no errno part.
void WriteStatusLine(AKLogMessageProc proc, int status, int errnoValue, char const* format, va_list args)
{
    LineBuilder line(tLogBuffer);
    line.Append("# %s %s %d", "Quorvex", status < 0 ? "Error" : "Warning", status);
    char const* name = AKGetStatusRawName(status);
    if (name[0] != '\0')
        line.Append(" (%s)", name);
    if (format != nullptr && format[0] != '\0') {
        line.Append(": ");
        line.AppendV(format, args);
    }
    line.Append(".");
    if (errnoValue != 0)
        line.Append(" (errno %d: %s).", errnoValue, AKGetErrnoText(errnoValue));
    line.Append("\n");
    if (line.Line()[0] != '\0')
        proc(line.Line());
}

int ResultOf(int status) { return status < 0 ? status : 0; }

}  // namespace

void AKSetCustomLogMessageProc(AKLogMessageProc proc, bool threadSafe)
{
    // Clear the flag before changing the sink, so that a new sink is never seen
    // with a flag meant for the previous one.
    sLogUserProcTS.store(false);
    sLogUserProc.store(proc);
    if (proc != nullptr && threadSafe)
        sLogUserProcTS.store(true);
}

void AKLog(char const* format, ...)
{
    AKLogMessageProc proc = ReachableSink(false);
    if (proc == nullptr)
        return;
    if (format == nullptr || format[0] == '\0')
        return;
    va_list args;
    va_start(args, format);
    LineBuilder line(tLogBuffer);
    line.AppendV(format, args);
    va_end(args);
    if (line.Line()[0] != '\0')
        proc(line.Line());
}

int AKLogError(int status, char const* format, ...)
{
    AKLogMessageProc proc = ReachableSink(true);
    if (proc != nullptr) {
        va_list args;
        va_start(args, format);
        WriteStatusLine(proc, status, 0, format, args);
        va_end(args);
    }
    return ResultOf(status);
}

int AKLogErrorWithErrno(int status, char const* format, ...)
{
    // Read errno before anything else can change it, and give it back to the caller.
    int const savedErrno = errno;
    AKLogMessageProc proc = ReachableSink(true);
    if (proc != nullptr) {
        va_list args;
        va_start(args, format);
        WriteStatusLine(proc, status, savedErrno, format, args);
        va_end(args);
    }
    errno = savedErrno;
    return ResultOf(status);
}

void AKLogWarning(int status, char const* format, ...)
{
    AKLogMessageProc proc = ReachableSink(true);
    if (proc == nullptr)
        return;
    va_list args;
    va_start(args, format);
    WriteStatusLine(proc, status, 0, format, args);
    va_end(args);
}

void AKLogErrorMute() { sLogErrorMute.fetch_add(1); }

void AKLogErrorUnmute()
{
    int count = sLogErrorMute.load();
    while (count > 0 && !sLogErrorMute.compare_exchange_weak(count, count - 1)) {
    }
}

char const* AKGetErrnoText(int errnoValue)
{
    // Keyed by the symbolic names, so each value reads this platform's meaning.
    switch (errnoValue) {
    case EPERM:
        return "EPERM: Operation not permitted";
    case ENOENT:
        return "ENOENT: No such file or directory";
    case ESRCH:
        return "ESRCH: No such process";
    case EINTR:
        return "EINTR: Interrupted system call";
    case EIO:
        return "EIO: Input/output error";
    case ENXIO:
        return "ENXIO: Device not configured";
    case E2BIG:
        return "E2BIG: Argument list too long";
    case ENOEXEC:
        return "ENOEXEC: Exec format error";
    case EBADF:
        return "EBADF: Bad file descriptor";
    case ECHILD:
        return "ECHILD: No child processes";
    case EAGAIN:
        return "EAGAIN: Resource temporarily unavailable";
    case ENOMEM:
        return "ENOMEM: Cannot allocate memory";
    case EACCES:
        return "EACCES: Permission denied";
    case EFAULT:
        return "EFAULT: Bad address";
    case ENOTBLK:
        return "ENOTBLK: Block device required";
    case EBUSY:
        return "EBUSY: Device / Resource busy";
    case EEXIST:
        return "EEXIST: File exists";
    case EXDEV:
        return "EXDEV: Cross-device link";
    case ENODEV:
        return "ENODEV: Operation not supported by device";
    case ENOTDIR:
        return "ENOTDIR: Not a directory";
    case EISDIR:
        return "EISDIR: Is a directory";
    case EINVAL:
        return "EINVAL: Invalid argument";
    case ENFILE:
        return "ENFILE: Too many open files in system";
    case EMFILE:
        return "EMFILE: Too many open files";
    case ENOTTY:
        return "ENOTTY: Inappropriate ioctl for device";
    case ETXTBSY:
        return "ETXTBSY: Text file busy";
    case EFBIG:
        return "EFBIG: File too large";
    case ENOSPC:
        return "ENOSPC: No space left on device";
    case ESPIPE:
        return "ESPIPE: Illegal seek";
    case EROFS:
        return "EROFS: Read-only file system";
    case EMLINK:
        return "EMLINK: Too many links";
    case EPIPE:
        return "EPIPE: Broken pipe";
    default:
        return "UNKNOWN";
    }
}
