#include "AKLog.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Kept in variables so that the compiler's format checks do not object to them.
char const* kNoFormat = nullptr;
char const* kEmptyFormat = "";

std::vector<std::string> Only(std::string const& line) { return {line}; }

// Logs from a freshly started thread and waits for it.
template <typename Fn>
void OnWorkerThread(Fn fn)
{
    std::thread worker(fn);
    worker.join();
}

}  // namespace

TEST(AKLogTests, ErrorAndWarningLinesAreExact)
{
    struct Case {
        char const* label;
        int (*call)();
        int expectedResult;
        char const* expectedLine;
    };
    Case const cases[] = {
        {"error with name and message", [] { return AKLogError(kAKErrorCantStartThread, "Can't start thread"); },
         kAKErrorCantStartThread, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread.\n"},
        {"message with arguments",
         [] { return AKLogError(kAKErrorFileCantOpen, "Can't open \"%s\" (%d)", "a.wav", 7); }, kAKErrorFileCantOpen,
         "# Quorvex Error -891 (kAKErrorFileCantOpen): Can't open \"a.wav\" (7).\n"},
        {"null format has no colon", [] { return AKLogError(kAKErrorNoMemory, kNoFormat); }, kAKErrorNoMemory,
         "# Quorvex Error -899 (kAKErrorNoMemory).\n"},
        {"empty format has no colon", [] { return AKLogError(kAKErrorNoMemory, kEmptyFormat); }, kAKErrorNoMemory,
         "# Quorvex Error -899 (kAKErrorNoMemory).\n"},
        {"code 0 is a warning without name", [] { return AKLogError(0, "x"); }, 0, "# Quorvex Warning 0: x.\n"},
        {"named warning returns 0", [] { return AKLogError(kQVWarningProviderIncompleteField, "field %s", "Rate"); }, 0,
         "# Quorvex Warning 503 (kQVWarningProviderIncompleteField): field Rate.\n"},
        {"code without a name", [] { return AKLogError(-1985, "OSC"); }, -1985, "# Quorvex Error -1985: OSC.\n"},
        {"unnamed positive warning", [] { return AKLogError(1990, kNoFormat); }, 0, "# Quorvex Warning 1990.\n"},
        {"miscellaneous", [] { return AKLogError(-1, "m"); }, -1, "# Quorvex Error -1 (kAKErrorMiscellaneous): m.\n"},
        {"warning call",
         [] {
             AKLogWarning(kAKWarningTreeActionParamWrongOwner, "owner %d", 3);
             return 0;
         },
         0, "# Quorvex Warning 601 (kAKWarningTreeActionParamWrongOwner): owner 3.\n"},
        {"warning call with an error code",
         [] {
             AKLogWarning(kAKErrorTreeHistoryClosed, kNoFormat);
             return 0;
         },
         0, "# Quorvex Error -697 (kAKErrorTreeHistoryClosed).\n"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.label);
        LogCapture capture;
        EXPECT_EQ(c.expectedResult, c.call());
        EXPECT_EQ(Only(c.expectedLine), capture.Lines());
    }
}

TEST(AKLogTests, ErrnoPartFollowsTheLine)
{
    struct Case {
        int errnoValue;
        char const* expectedLine;
    };
    Case const cases[] = {
        {ENOMEM, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread. (errno 12: ENOMEM: Cannot "
                 "allocate memory).\n"},
        {0, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread.\n"},
        {ENOENT, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread. (errno 2: ENOENT: No such file "
                 "or directory).\n"},
        {EAGAIN, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread. (errno 11: EAGAIN: Resource "
                 "temporarily unavailable).\n"},
        {EPIPE,
         "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread. (errno 32: EPIPE: Broken pipe).\n"},
        {EDEADLK, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread. (errno 35: UNKNOWN).\n"},
        {40, "# Quorvex Error -894 (kAKErrorCantStartThread): Can't start thread. (errno 40: UNKNOWN).\n"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.errnoValue);
        LogCapture capture;
        errno = c.errnoValue;
        EXPECT_EQ(kAKErrorCantStartThread, AKLogErrorWithErrno(kAKErrorCantStartThread, "Can't start thread"));
        EXPECT_EQ(c.errnoValue, errno) << "logging must leave errno as it found it";
        EXPECT_EQ(Only(c.expectedLine), capture.Lines());
    }
}

TEST(AKLogTests, ErrnoIsReadBeforeTheMessageIsFormatted)
{
    LogCapture capture;
    errno = EACCES;
    // Formatting a float may touch errno; the value on entry is the one reported.
    EXPECT_EQ(kAKErrorFileCantOpen, AKLogErrorWithErrno(kAKErrorFileCantOpen, "%s %.3f", "open", 1.5));
    EXPECT_EQ(Only("# Quorvex Error -891 (kAKErrorFileCantOpen): open 1.500. (errno 13: EACCES: Permission denied).\n"),
              capture.Lines());
}

TEST(AKLogTests, PlainTextIsSentAsFormatted)
{
    LogCapture capture;
    AKLog("value %d", 42);
    AKLog("%s\n", "line");
    AKLog(kNoFormat);
    AKLog(kEmptyFormat);
    AKLog("%s", "");
    EXPECT_EQ((std::vector<std::string>{"value 42", "line\n"}), capture.Lines());
}

TEST(AKLogTests, WithoutSinkNothingIsWrittenAndCodesAreReturned)
{
    LogCapture capture;
    AKSetCustomLogMessageProc(nullptr, true);
    EXPECT_EQ(kAKErrorFileCantOpen, AKLogError(kAKErrorFileCantOpen, "no sink"));
    EXPECT_EQ(0, AKLogError(kQVWarningProviderIncompleteField, "no sink"));
    errno = EIO;
    EXPECT_EQ(kAKErrorFileCantRead, AKLogErrorWithErrno(kAKErrorFileCantRead, "no sink"));
    AKLogWarning(kAKWarningObjectCantInit, "no sink");
    AKLog("no sink");
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(AKLogTests, OverlongLinesAreCutAtTheBufferEnd)
{
    std::string const longMessage(40000, 'a');
    std::string const prefix = "# Quorvex Error -896 (kAKErrorCantFindFile): ";
    {
        LogCapture capture;
        AKLogError(kAKErrorCantFindFile, "%s", longMessage.c_str());
        std::vector<std::string> lines = capture.Lines();
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(kAKLogLineBufferSize - 1, lines[0].size());
        EXPECT_EQ(prefix, lines[0].substr(0, prefix.size()));
        EXPECT_EQ('a', lines[0].back()) << "a cut line has no final full stop nor line feed";
    }
    {
        LogCapture capture;
        errno = ENOMEM;
        AKLogErrorWithErrno(kAKErrorCantFindFile, "%s", longMessage.c_str());
        std::vector<std::string> lines = capture.Lines();
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(kAKLogLineBufferSize - 1, lines[0].size());
        EXPECT_EQ(std::string::npos, lines[0].find("errno"));
    }
    {
        LogCapture capture;
        AKLog("%s", longMessage.c_str());
        EXPECT_EQ(Only(longMessage.substr(0, kAKLogLineBufferSize - 1)), capture.Lines());
    }
}

TEST(AKLogTests, LinesAtTheBufferLimit)
{
    std::string const prefix = "# Quorvex Error -896 (kAKErrorCantFindFile): ";
    size_t const lineRoom = kAKLogLineBufferSize - 1;
    {
        // The whole line, line feed included, fills the buffer exactly.
        LogCapture capture;
        std::string const message(lineRoom - prefix.size() - 2, 'b');
        AKLogError(kAKErrorCantFindFile, "%s", message.c_str());
        EXPECT_EQ(Only(prefix + message + ".\n"), capture.Lines());
    }
    {
        // One byte more: the full stop fits, the line feed does not.
        LogCapture capture;
        std::string const message(lineRoom - prefix.size() - 1, 'b');
        AKLogError(kAKErrorCantFindFile, "%s", message.c_str());
        EXPECT_EQ(Only(prefix + message + "."), capture.Lines());
    }
}

TEST(AKLogTests, MutingNestsAndSparesPlainText)
{
    LogCapture capture;
    AKLogErrorMute();
    AKLogErrorMute();
    EXPECT_EQ(kAKErrorCantFindFile, AKLogError(kAKErrorCantFindFile, "muted"));
    AKLogErrorUnmute();
    AKLogError(kAKErrorCantFindFile, "still muted");
    AKLogWarning(kAKWarningObjectCantInit, "still muted");
    errno = ENOENT;
    EXPECT_EQ(kAKErrorCantFindFile, AKLogErrorWithErrno(kAKErrorCantFindFile, "still muted"));
    AKLog("plain\n");
    AKLogErrorUnmute();
    AKLogError(kAKErrorCantFindFile, "heard");
    AKLogErrorUnmute();  // one unmute too many leaves the counter at 0
    AKLogError(kAKErrorCantFindFile, "heard again");
    AKLogErrorMute();  // so a single mute silences again
    AKLogError(kAKErrorCantFindFile, "muted again");
    AKLogErrorUnmute();
    EXPECT_EQ((std::vector<std::string>{
                  "plain\n",
                  "# Quorvex Error -896 (kAKErrorCantFindFile): heard.\n",
                  "# Quorvex Error -896 (kAKErrorCantFindFile): heard again.\n",
              }),
              capture.Lines());
}

TEST(AKLogTests, SinkNotThreadSafeHearsOnlyTheMainThread)
{
    LogCapture capture(false);
    OnWorkerThread([] {
        AKLogError(kAKErrorCantStartThread, "from worker");
        AKLogWarning(kQVWarningProviderIncompleteField, "from worker");
        AKLog("from worker\n");
    });
    EXPECT_TRUE(capture.Lines().empty());
    AKLogError(kAKErrorCantStartThread, "from main");
    EXPECT_EQ(Only("# Quorvex Error -894 (kAKErrorCantStartThread): from main.\n"), capture.Lines());
}

TEST(AKLogTests, ThreadSafeSinkHearsWorkerThreads)
{
    LogCapture capture(true);
    int result = 0;
    OnWorkerThread([&result] { result = AKLogError(kAKErrorCantStartThread, "from worker"); });
    EXPECT_EQ(kAKErrorCantStartThread, result);
    EXPECT_EQ(Only("# Quorvex Error -894 (kAKErrorCantStartThread): from worker.\n"), capture.Lines());
}

TEST(AKLogTests, ConcurrentLinesNeverMix)
{
    LogCapture capture(true);
    constexpr int kLinesPerThread = 500;
    std::string const messages[2] = {std::string(3000, '='), std::string(3000, '~')};
    std::vector<std::thread> threads;
    for (std::string const& message : messages) {
        threads.emplace_back([&message] {
            for (int i = 0; i < kLinesPerThread; ++i)
                AKLogError(-1, "%s %d", message.c_str(), i);
        });
    }
    for (std::thread& t : threads)
        t.join();

    std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(2u * kLinesPerThread, lines.size());
    int counts[2] = {0, 0};
    int nextIndex[2] = {0, 0};
    for (std::string const& line : lines) {
        int which = line.find('=') != std::string::npos ? 0 : 1;
        std::string const expected = "# Quorvex Error -1 (kAKErrorMiscellaneous): " + messages[which] + " " +
                                     std::to_string(nextIndex[which]) + ".\n";
        ASSERT_EQ(expected, line);
        ++nextIndex[which];
        ++counts[which];
    }
    EXPECT_EQ(kLinesPerThread, counts[0]);
    EXPECT_EQ(kLinesPerThread, counts[1]);
}

TEST(AKLogTests, StatusRawNames)
{
    struct Case {
        int code;
        char const* name;
    };
    // The ends of every range of the table, and codes that have no name.
    Case const cases[] = {
        {-899, "kAKErrorNoMemory"},
        {-881, "kAKErrorFileDataTooBig"},
        {-880, "kAKErrorChunkUnknownSignature"},
        {-875, "kAKErrorChunkBadItemCount"},
        {-874, "kAKErrorDictionaryInvalidKey"},
        {-866, "kAKErrorDictionaryXmlUnknownType"},
        {-799, "kAKErrorClassInternalFatalError"},
        {-788, "kAKErrorObjectNoAttachedDocument"},
        {-699, "kAKErrorTreeAlreadyInitialized"},
        {-678, "kAKErrorTreeHandlerModelUnknown"},
        {-599, "kQVErrorGandlerUndefDocument"},
        {-591, "kQVErrorDocumentCantOverwriteExistingFile"},
        {-571, "kQVErrorProviderNotValid"},
        {-567, "kQVErrorBouncerCantStartBounceThread"},
        {-566, "kQVErrorUProcParamBooleanWrong"},
        {-546, "kQVErrorUProcCantBounce"},
        {-541, "kQVErrorJScriptTimeOut"},
        {-538, "kQVErrorCantLoadPlugin"},
        {-1, "kAKErrorMiscellaneous"},
        {501, "kQVWarningHandlerCantCompletePaste"},
        {511, "kQVWarningAudioPoolChainCorrupted"},
        {601, "kAKWarningTreeActionParamWrongOwner"},
        {605, "kAKWarningTreeNodeDeletedStillOwner"},
        {701, "kAKWarningClassUndefMethod"},
        {709, "kAKWarningObjectDeletedStillOwned"},
        {0, ""},
        {1, ""},
        {1990, ""},
        {-1985, ""},
        {-2989, ""},
        {-900, ""},
        {-865, ""},
        {-800, ""},
        {-787, ""},
        {-700, ""},
        {-677, ""},
        {-600, ""},
        {-537, ""},
        {500, ""},
        {512, ""},
        {600, ""},
        {606, ""},
        {700, ""},
        {710, ""},
        {12345, ""},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.code);
        char const* name = AKGetStatusRawName(c.code);
        ASSERT_NE(nullptr, name);
        EXPECT_STREQ(c.name, name);
    }
}
