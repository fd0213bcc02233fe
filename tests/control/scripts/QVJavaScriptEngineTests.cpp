// Script runs: log lines, prelude and line numbers, the time-out watcher, the
// script's exit(), failed checks, the memory cap, and the sandbox memory left
// after every kind of run.

#include "AKStatus.h"
#include "EnvironmentFixtures.h"
#include "LogCapture.h"
#include "QVJavaScriptEngine.h"
#include "QVPrefs.h"
#include "QVScriptSandbox.h"
#include "QVStandardFolders.h"
#include "QVUniversalProcs.h"
#include "SoundFixtures.h"
#include "QVWrapperClass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class JavaScriptEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QVStandardFolders::InitStandardPaths();
        QVStandardFolders::SetStandardPath(kQVStandardFolderScripts, mFolder.Folder());
        QVPrefs::sShared.SetInternalScriptTimeOutDuration(1.0);
        SetPrelude("");
    }
    void TearDown() override
    {
        QVJavaScriptEngine::sShared.SetMemoryCap(QVScriptMemory::kDefaultByteCap);
        QVStandardFolders::TerminateStandardPaths();
    }

    void SetPrelude(std::string const& text) { mFolder.MakeFile(QVJavaScriptEngine::kPreludeFileName, text); }

    // Runs the script and checks what every run must leave: no tracked block
    // and clear error statics.
    QVJavaScriptEngine::Report Run(std::string const& script, std::string const& name = "")
    {
        QVJavaScriptEngine::sShared.ExecuteFromString(AKString(script.c_str(), script.size()), AKString(name.c_str()));
        EXPECT_EQ(QVScriptSandbox::GetMemory().GetBlockCount(), 0u) << script;
        EXPECT_EQ(QVScriptSandbox::GetMemory().GetByteCount(), 0u) << script;
        EXPECT_EQ(QVWrapperClass::sCurrError, 0);
        EXPECT_FALSE(QVScriptSandbox::IsStopRaised());
        return QVJavaScriptEngine::sShared.GetLastReport();
    }

    std::vector<std::string> LinesSaid() const
    {
        std::vector<std::string> said;
        for (std::string const& line : mLog.Lines())
            if (line.rfind("# JavaScript", 0) != 0 && line != "\n" && line.rfind("# Quorvex", 0) != 0)
                said.push_back(line);
        return said;
    }

    TempFolder mFolder;
    LogCapture mLog;
};

std::string WithLineEnds(std::string text, bool crlf)
{
    if (!crlf)
        return text;
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

TEST_F(JavaScriptEngine, SuccessfulRunLogsStartEndAndAnEmptyLine)
{
    QVJavaScriptEngine::Report const report = Run("_QS_log('hello');\n", "My.js");
    EXPECT_EQ(report.mStatus, 0);
    std::vector<std::string> const lines = mLog.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "# JavaScript Start:\"My.js\".\n\n");
    EXPECT_EQ(lines[1], "hello");
    EXPECT_EQ(lines[2].rfind("# JavaScript End (", 0), 0u);
    EXPECT_EQ(lines[2].substr(lines[2].size() - 8), " sec.).\n");
    EXPECT_EQ(lines[3], "\n");

    mLog.Clear();
    EXPECT_EQ(Run("var x = 1;").mStatus, 0);
    ASSERT_FALSE(mLog.Lines().empty());
    EXPECT_EQ(mLog.Lines()[0], "# JavaScript Start.\n\n");
}

TEST_F(JavaScriptEngine, FailedRunLogsStatusLineAndMessage)
{
    QVJavaScriptEngine::Report const report = Run("var a = 1;\nvar b = 2;\n_QS_mathFun1('sqrt');\n");
    EXPECT_EQ(report.mStatus, kQVErrorJScriptArgumentBadCount);
    EXPECT_EQ(report.mLine, 3);
    std::vector<std::string> const lines = mLog.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "# JavaScript Error -544 at Line 3: 2 argument(s) expected in callback proc _QS_mathFun1().\n");
    EXPECT_EQ(lines[3], "\n");
}

TEST_F(JavaScriptEngine, RunawayScriptsEndWithTheTimeOutAndTheNextRunSucceeds)
{
    char const* const scripts[] = {
        "for (;;) {}",
        "try {\n for (;;) {}\n} catch (e) {}\nfor (;;) {}",
        "for (;;) { try { for (;;) {} } catch (e) { _QS_log('caught'); } }",
        "function f() { try { f(); } catch (e) { f(); } }\nf();",
        "while (true) { try { throw 1; } finally { continue; } }",
        "for (;;) { try { var s = 'x'.repeat(1000000); } catch (e) {} }",
    };
    for (char const* script : scripts) {
        mLog.Clear();
        QVJavaScriptEngine::Report const report = Run(script);
        EXPECT_EQ(report.mStatus, kQVErrorJScriptTimeOut) << script;
        EXPECT_EQ(report.mMessage, AKString("Time-out")) << script;
        EXPECT_GE(report.mLine, 1) << script;
        EXPECT_TRUE(LinesSaid().empty()) << script;  // no catch block ran after the stop
        EXPECT_EQ(Run("_QS_log('next');").mStatus, 0) << script;
    }
}

TEST_F(JavaScriptEngine, PlainRecursionIsStoppedByTheCallDepthLimit)
{
    QVJavaScriptEngine::Report const report = Run("var n = 0;\nfunction f() { n++; f(); }\nf();");
    EXPECT_EQ(report.mStatus, kQVErrorJScriptSyntaxError);
    EXPECT_EQ(report.mLine, 2);
    EXPECT_EQ(std::string(report.mMessage.c_str()).rfind("Syntax error, ", 0), 0u);
}

TEST_F(JavaScriptEngine, ExitStopsAtItsLineAndCannotBeCaught)
{
    char const* const scripts[] = {
        "var a = 1;\nvar b = 2;\nexit();\n_QS_log('after');",
        "try {\n  var b = 2;\n  exit(0);\n} catch (e) { _QS_log('caught'); }\n_QS_log('after');",
        "try {\n\n  (function () { exit(); })();\n} finally { _QS_log('finally'); }",
    };
    for (char const* script : scripts) {
        mLog.Clear();
        QVJavaScriptEngine::Report const report = Run(script);
        EXPECT_EQ(report.mStatus, kQVErrorJScriptSyntaxError) << script;
        EXPECT_EQ(report.mMessage, AKString("Syntax error")) << script;
        EXPECT_EQ(report.mLine, 3) << script;
        EXPECT_TRUE(LinesSaid().empty()) << script;
    }
}

TEST_F(JavaScriptEngine, ErrorsReportTheUsersLineWhateverThePrelude)
{
    struct Case {
        std::string script;
        int status;
        int line;
        std::string message;
    };
    std::vector<Case> const cases = {
        {"var a = 1;\n\n\n\nvar s = 'caf\xC3\xA9';\n", kQVErrorJScriptNonAsciiChar, 5, "Non-Ascii char"},
        {"\t// tab\n\n\n\x01", kQVErrorJScriptNonAsciiChar, 4, "Non-Ascii char"},
        {"var a = 1;\n\n_QS_mathFun1('sqrt', '9');\n", kQVErrorJScriptArgumentBadType, 3,
         "Type double is expected for argument 2 in callback proc _QS_mathFun1()"},
        {"\n\n\n_QS_log(5);", kQVErrorJScriptArgumentBadType, 4,
         "Type string is expected for argument 1 in callback proc _QS_log()"},
        {"_QS_mathFun2('pow', 1);", kQVErrorJScriptArgumentBadCount, 1,
         "3 argument(s) expected in callback proc _QS_mathFun2()"},
        {"var x = 0;\ntry { _QS_mathFun1('SQRT', 9); } catch (e) {}\n", kQVErrorJScriptSyntaxError, 2,
         "Syntax error in callback proc _QS_mathFun1()"},
        {"var x = 0;\n\nnoSuchWord(3);\n", kQVErrorJScriptSyntaxError, 3,
         "Syntax error, identifier 'noSuchWord' undefined"},
        {"var x = 0;\nvar = ;\n", kQVErrorJScriptSyntaxError, 2, ""},
        {"\n\n\nthrow new Error('mine');", kQVErrorJScriptSyntaxError, 4, "Syntax error, mine"},
    };
    std::string const preludes[] = {"", "var p0 = 1;\n", "var p0 = 1;\nvar p1 = 2;\n\n// four\nvar p4 = 5;\n",
                                    "var noEnd = 1;"};
    for (bool crlf : {false, true}) {
        for (std::string const& prelude : preludes) {
            SetPrelude(WithLineEnds(prelude, crlf));
            for (Case const& c : cases) {
                QVJavaScriptEngine::Report const report = Run(WithLineEnds(c.script, crlf));
                std::string const where = "prelude \"" + prelude + "\" crlf " + std::to_string(crlf) + ": " + c.script;
                EXPECT_EQ(report.mStatus, c.status) << where;
                EXPECT_EQ(report.mLine, c.line) << where;
                EXPECT_FALSE(report.mInPrelude) << where;
                if (!c.message.empty()) {
                    EXPECT_EQ(std::string(report.mMessage.c_str()), c.message) << where;
                }
            }
        }
    }
}

TEST_F(JavaScriptEngine, ErrorsInsideThePreludeAreReportedAsThePreludes)
{
    SetPrelude("var p = 1;\r\n_QS_log(1);\r\n");
    QVJavaScriptEngine::Report report = Run("var a = 1;\n");
    EXPECT_EQ(report.mStatus, kQVErrorJScriptArgumentBadType);
    EXPECT_TRUE(report.mInPrelude);
    EXPECT_EQ(report.mLine, 2);
    EXPECT_EQ(std::string(report.mMessage.c_str()),
              "Type string is expected for argument 1 in callback proc _QS_log() in prelude \"Quorvex.js\"");

    SetPrelude("var p = 1;\n\nvar bad = '\xE9';\n");
    report = Run("var a = 1;\n");
    EXPECT_EQ(report.mStatus, kQVErrorJScriptNonAsciiChar);
    EXPECT_TRUE(report.mInPrelude);
    EXPECT_EQ(report.mLine, 3);
}

TEST_F(JavaScriptEngine, MissingPreludeFailsWithItsFileStatus)
{
    QVStandardFolders::SetStandardPath(kQVStandardFolderScripts, mFolder.Folder("missing"));
    QVJavaScriptEngine::Report const report = Run("var a = 1;");
    EXPECT_LT(report.mStatus, 0);
    EXPECT_EQ(report.mLine, 0);
    EXPECT_TRUE(report.mMessage.IsEmpty());
    EXPECT_EQ(report.mDurationSec, 0.0);
}

TEST_F(JavaScriptEngine, RunawayAllocationEndsTheScriptWithAnError)
{
    QVJavaScriptEngine::sShared.SetMemoryCap(8u * 1024u * 1024u);
    // Only the cap may end these runs, however slow the build.
    QVJavaScriptEngine::sShared.SetTimeOutOverride(120.0);
    char const* const scripts[] = {
        "var a = [];\nfor (;;) a.push('x'.repeat(1000) + a.length);",
        "var a = [];\nfor (;;) { try { a.push('y'.repeat(100000) + a.length); } catch (e) {} }",
        "var s = 'z';\nfor (;;) s = s + s;",
    };
    for (char const* script : scripts) {
        QVJavaScriptEngine::Report const report = Run(script);
        EXPECT_EQ(report.mStatus, kQVErrorJScriptSyntaxError) << script;
        EXPECT_EQ(std::string(report.mMessage.c_str()).rfind("Syntax error, out of memory", 0), 0u)
            << report.mMessage.c_str();
        EXPECT_EQ(Run("_QS_log('next');").mStatus, 0);
    }
    QVJavaScriptEngine::sShared.SetTimeOutOverride(0.0);
}

TEST_F(JavaScriptEngine, MathWordsGiveTheirFunctions)
{
    EXPECT_EQ(Run("_QS_log(String(_QS_mathFun1('sqrt', 9)));\n"
                  "_QS_log(String(_QS_mathFun2('pow', 2, 10)));\n"
                  "_QS_log(String(_QS_mathFun2('fmod', 7, 3)));\n"
                  "var r = _QS_mathFun1('random', 0); _QS_log(String(r >= 0 && r <= 1));\n"
                  "_QS_log(String(_QS_mathFun1('floor', -1.5)));\n")
                  .mStatus,
              0);
    EXPECT_EQ(LinesSaid(), (std::vector<std::string>{"3", "1024", "1", "true", "-2"}));
}

TEST_F(JavaScriptEngine, RepeatedRunsDoNotGrowTheSandbox)
{
    SetPrelude("function twice(x) { return 2 * x; }\n");
    char const* const kinds[] = {"var o = {a: [1, 2, 3]}; _QS_log(String(twice(o.a.length)));",
                                 "exit();",
                                 "_QS_log(1);",
                                 "throw 'thrown';",
                                 "var = ;",
                                 "Duktape.fin({}, function () { _QS_log('finalized'); });"};
    size_t const kinds_count = sizeof(kinds) / sizeof(kinds[0]);
    for (int i = 0; i < 100; ++i) {
        Run(kinds[i % kinds_count]);
        ASSERT_EQ(QVScriptSandbox::GetMemory().GetBlockCount(), 0u) << i;
    }
}

std::vector<std::string> sHostLines;
void HostLog(char const* text) { sHostLines.push_back(text); }

TEST_F(JavaScriptEngine, ScriptBuildsAndSavesADocumentThatBouncesOffline)
{
    // The engine started for a host logs to the host's sink.
    ASSERT_EQ(_QX_initialize("RealTime=0;HostIdle=0;", HostLog), 0);
    QVStandardFolders::SetStandardPath(kQVStandardFolderScripts, mFolder.Folder());
    SoundFixtures::SoundRecipe recipe;
    recipe.signal = SoundFixtures::Signal::Sine;
    recipe.frames = 44100;
    ASSERT_TRUE(SoundFixtures::WriteSoundFile(mFolder.At("tone.wav"), recipe));
    mFolder.MakeFile("Build.js", "var doc = _QS_newDocument('Scripted');\n"
                                 "var seq = _QS_createSequenceWithSound(doc, 'tone.wav');\n"
                                 "var player = _QS_getAttachedPlayerAtIndex(doc, seq, 0);\n"
                                 "if (_QS_getAttachedPlayerCount(doc, seq) != 1) throw new Error('players');\n"
                                 "if (_QS_getAttachedPlayerAtIndex(doc, seq, -1) != 0) throw new Error('index');\n"
                                 "if (_QS_setParameterObject(doc, player, 'playable', 'volume', 0, -6) != 0)\n"
                                 "  throw new Error('volume');\n"
                                 "var v = _QS_getParameterObject(doc, player, 'playable', 'volume', 0);\n"
                                 "if (Math.abs(v + 6) > 1e-9) throw new Error('read back ' + v);\n"
                                 "_QS_setParameterObject(doc, player, 'playable', 'play', 0, true);\n"
                                 "if (_QS_saveAsDocument(doc, 'Saved', true) != 0) throw new Error('save');\n"
                                 "if (_QS_activateDocument(987) != -554) throw new Error('unknown document');\n"
                                 "_QS_log('document ' + doc);\n");
    sHostLines.clear();
    EXPECT_EQ(QVJavaScriptEngine::sShared.ExecuteFromFile(AKFilePath(mFolder.At("Build.js").c_str())), 0)
        << QVJavaScriptEngine::sShared.GetLastReport().mMessage.c_str();
    std::vector<std::string> const lines = sHostLines;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "# JavaScript Start:\"Build.js\".\n\n");
    int document = 0;
    for (std::string const& line : lines)
        if (line.rfind("document ", 0) == 0)
            document = std::stoi(line.substr(9));
    ASSERT_GT(document, 0);
    EXPECT_EQ(lines.back(), "\n");
    EXPECT_EQ(lines[lines.size() - 2].rfind("# JavaScript End (", 0), 0u);

    ASSERT_EQ(_QX_audioBounce(document, mFolder.At("bounced").c_str(), 2, 16, 1, 0, 0.5, 44100, nullptr, 0), 0);
    SF_INFO info{};
    std::vector<float> const frames = SoundFixtures::ReadSoundFile(mFolder.At("bounced.wav"), &info);
    EXPECT_EQ(info.frames, 22050);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(QVScriptSandbox::GetMemory().GetBlockCount(), 0u);
    _QX_terminate();
}
