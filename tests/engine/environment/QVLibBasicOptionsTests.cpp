// The engine's start options and the parameters string that sets them.

#include "AKStatus.h"
#include "LogCapture.h"
#include "QVLibBasicOptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct OptionsCase {
    char const* text;
    bool realTime, hostIdle, undoRedo, waveform, persistIDs;
    int warning;          // 0 for none
    char const* message;  // the warning's text, with the whole item
};

TEST(QVLibBasicOptionsTest, ParametersString)
{
    for (OptionsCase const& c : {
             OptionsCase{nullptr, false, false, false, false, false, 0, nullptr},
             OptionsCase{"", false, false, false, false, false, 0, nullptr},
             OptionsCase{"RealTime=1;Waveform=1", true, false, false, true, false, 0, nullptr},
             OptionsCase{" Real Time = 1 ;\tUndoRedo=1\n;;PersistIDs=0", true, false, true, false, false, 0, nullptr},
             OptionsCase{"HostIdle=1;PersistIDs=1;RealTime=0", false, true, false, false, true, 0, nullptr},
             OptionsCase{"realtime=1", false, false, false, false, false, kQVWarningUProcOptionKeyUnknown,
                         "Unknown parameter \"realtime=1\""},
             OptionsCase{"Waveform", false, false, false, false, false, kQVWarningUProcOptionKeyUnknown,
                         "Unknown parameter \"Waveform\""},
             OptionsCase{"Waveform = 2 ;RealTime=1", true, false, false, false, false, kQVWarningUProcOptionWrongType,
                         "Wrong value for parameter \"Waveform=2\""},
             OptionsCase{"UndoRedo=yes", false, false, false, false, false, kQVWarningUProcOptionWrongType,
                         "Wrong value for parameter \"UndoRedo=yes\""},
             OptionsCase{"PersistIDs=", false, false, false, false, false, kQVWarningUProcOptionWrongType,
                         "Wrong value for parameter \"PersistIDs=\""},
         }) {
        QVLibBasicOptions options;
        LogCapture log;
        EXPECT_EQ(options.SetupFromParametersString(c.text), 0);
        std::string const label = c.text != nullptr ? c.text : "(null)";
        EXPECT_EQ(options.realTime, c.realTime) << label;
        EXPECT_EQ(options.hostIdle, c.hostIdle) << label;
        EXPECT_EQ(options.undoRedo, c.undoRedo) << label;
        EXPECT_EQ(options.waveform, c.waveform) << label;
        EXPECT_EQ(options.persistIDs, c.persistIDs) << label;
        EXPECT_FALSE(options.standardFolders) << label;
        EXPECT_FALSE(options.fileCachesOnDisk) << label;
        if (c.warning == 0) {
            EXPECT_TRUE(log.Lines().empty()) << label;
            continue;
        }
        ASSERT_EQ(log.Lines().size(), 1u) << label;
        EXPECT_NE(log.Lines()[0].find("Warning " + std::to_string(c.warning)), std::string::npos) << log.Lines()[0];
        EXPECT_NE(log.Lines()[0].find(c.message), std::string::npos) << log.Lines()[0];
    }
}

TEST(QVLibBasicOptionsTest, CompleteApplicationAndReset)
{
    QVLibBasicOptions options;
    EXPECT_TRUE(options.realTime && options.waveform && options.standardFolders && options.fileCachesOnDisk);
    options.Reset();
    EXPECT_FALSE(options.realTime || options.hostIdle || options.undoRedo || options.waveform || options.persistIDs ||
                 options.standardFolders || options.fileCachesOnDisk);
    EXPECT_EQ(options.SetupForCompleteApplication(), 0);
    EXPECT_TRUE(options.realTime && options.hostIdle && options.undoRedo && options.waveform && options.persistIDs &&
                options.standardFolders && options.fileCachesOnDisk);
}

}  // namespace
