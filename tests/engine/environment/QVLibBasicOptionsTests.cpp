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
    int warning;  // 0 for none
};

TEST(QVLibBasicOptionsTest, ParametersString)
{
    for (OptionsCase const& c : {
             OptionsCase{nullptr, false, false, false, false, false, 0},
             OptionsCase{"", false, false, false, false, false, 0},
             OptionsCase{"RealTime=1;Waveform=1", true, false, false, true, false, 0},
             OptionsCase{" Real Time = 1 ;\tUndoRedo=1\n;;PersistIDs=0", true, false, true, false, false, 0},
             OptionsCase{"HostIdle=1;PersistIDs=1;RealTime=0", false, true, false, false, true, 0},
             OptionsCase{"realtime=1", false, false, false, false, false, kQVWarningUProcOptionKeyUnknown},
             OptionsCase{"Waveform", false, false, false, false, false, kQVWarningUProcOptionKeyUnknown},
             OptionsCase{"Waveform=2;RealTime=1", true, false, false, false, false, kQVWarningUProcOptionWrongType},
             OptionsCase{"UndoRedo=yes", false, false, false, false, false, kQVWarningUProcOptionWrongType},
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
        bool warned = false;
        for (std::string const& line : log.Lines())
            warned |= line.find("Warning " + std::to_string(c.warning)) != std::string::npos;
        EXPECT_EQ(warned, c.warning != 0) << label;
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
