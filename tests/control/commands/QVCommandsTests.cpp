// The command table: every entry found by its ID is its named instance with
// the texts of its row, the IDs run without a gap from 8193 to 8300, IDs
// outside give the null command, and the texts shown for a command fall back
// from the short and popup labels to the menu label.

#include "QVCommandShortcut.h"
#include "QVCommands.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <map>
#include <set>
#include <string>

namespace {

struct Row {
    QVCommandInfo const* instance;
    int id;
    char const* menuLabel;
    char const* shortcut;
};

// Every command in ID order.
Row const kRows[] = {
    {&kQVCmd_GlobalSetVerboseLevel, 8193, "xxxx", ""},
    {&kQVCmd_GlobalSetRandomSeed, 8194, "xxxx", ""},
    {&kQVCmd_GlobalSetTreatExtraIntv, 8195, "xxxx", ""},
    {&kQVCmd_ApplicationLaunchScript, 8196, "Launch JavaScript...", "R"},
    {&kQVCmd_ApplicationLaunchLastScript, 8197, "Relaunch Last JavaScript", "R SHIFT"},
    {&kQVCmd_ApplicationLoadSounds, 8198, "Load Sounds...", ""},
    {&kQVCmd_ApplicationRetrieveLostSounds, 8199, "Retrieve Lost Sounds...", ""},
    {&kQVCmd_ApplicationPurgeUnusedSounds, 8200, "Purge Unused Sounds...", ""},
    {&kQVCmd_ApplicationShowAbout, 8201, "About Orvel-Player...", ""},
    {&kQVCmd_ApplicationShowAppHome, 8202, "Home And Documentation...", "F1"},
    {&kQVCmd_ApplicationShowWebHelp, 8203, "Online Documentation...", ""},
    {&kQVCmd_ApplicationShowWebSite, 8204, "Web Site...", ""},
    {&kQVCmd_ApplicationShowPreferences, 8205, "Preferences...", ","},
    {&kQVCmd_ApplicationShowPrefAudioSetup, 8206, "Audio And Midi Setup...", "A ALT"},
    {&kQVCmd_ApplicationShowPrefRecordSetup, 8207, "Record Setup...", ""},
    {&kQVCmd_ApplicationShowProviders, 8208, "Loaded Sounds...", "S SHIFT ALT"},
    {&kQVCmd_ApplicationShowBouncers, 8209, "Current Bounces...", "B SHIFT ALT"},
    {&kQVCmd_ApplicationShowCursorModels, 8210, "Custom Players...", "P SHIFT ALT"},
    {&kQVCmd_ApplicationShowPlugins, 8211, "Audio Plugins...", "L SHIFT ALT"},
    {&kQVCmd_ApplicationShowPluginPresets, 8212, "Audio Plugins Presets...", "R SHIFT ALT"},
    {&kQVCmd_ApplicationShowMiscTest, 8213, "Miscellaneous Test...", "T SHIFT ALT"},
    {&kQVCmd_ApplicationShowConsole, 8214, "Show Console", "C SHIFT ALT TICK"},
    {&kQVCmd_ApplicationClearConsole, 8215, "Clear Console", ""},
    {&kQVCmd_ApplicationLogInfo, 8216, "xxxx", ""},
    {&kQVCmd_ApplicationLogInfoAll, 8217, "xxxx", ""},
    {&kQVCmd_ApplicationQuit, 8218, "Quit", "Q"},
    {&kQVCmd_DocumentNew, 8219, "New Document", "N"},
    {&kQVCmd_DocumentOpen, 8220, "Open...", "O"},
    {&kQVCmd_DocumentOpenRecent, 8221, "Open Recent", ""},
    {&kQVCmd_DocumentOpenRecentClear, 8222, "Clear Menu", ""},
    {&kQVCmd_DocumentActivate, 8223, "xxxx", ""},
    {&kQVCmd_DocumentClose, 8224, "Close", "W"},
    {&kQVCmd_DocumentSave, 8225, "Save", "S"},
    {&kQVCmd_DocumentSaveAs, 8226, "Save As...", "S SHIFT"},
    {&kQVCmd_DocumentShowProperties, 8227, "Document Properties...", ""},
    {&kQVCmd_DocumentResetAllStartKeys, 8228, "Reset Starter Keys", ""},
    {&kQVCmd_DocumentResetAllMutesAndSolos, 8229, "Reset Mutes And Solos", ""},
    {&kQVCmd_DocumentStopAllPlayers, 8230, "Stop All Players", ". SHIFT"},
    {&kQVCmd_DocumentLogInfo, 8231, "xxxx", ""},
    {&kQVCmd_EditUndo, 8232, "Undo", "Z"},
    {&kQVCmd_EditRedo, 8233, "Redo", "Z SHIFT"},
    {&kQVCmd_EditSelectAll, 8234, "Select All", "A"},
    {&kQVCmd_EditSelectNone, 8235, "Deselect", "A SHIFT"},
    {&kQVCmd_EditCut, 8236, "Cut", "X"},
    {&kQVCmd_EditCopy, 8237, "Copy", "C"},
    {&kQVCmd_EditPaste, 8238, "Paste", "V"},
    {&kQVCmd_EditPasteModel, 8239, "Paste Model", ""},
    {&kQVCmd_EditDuplicate, 8240, "Duplicate", "D"},
    {&kQVCmd_EditDelete, 8241, "Delete", "DEL"},
    {&kQVCmd_EditRename, 8242, "Rename...", ""},
    {&kQVCmd_ViewShowHideCommands, 8243, "Show Commands Drawer", "M TICK"},
    {&kQVCmd_ViewShowHideSupplies, 8244, "Show Supplies Drawer", "U TICK"},
    {&kQVCmd_ViewLockUnlockLayer, 8245, "Lock Layer", "L TICK"},
    {&kQVCmd_ViewSequenceToFit, 8246, "Lock Sequence To Fit", "TICK"},
    {&kQVCmd_ViewZoomDefault, 8247, "Zoom By Default", ""},
    {&kQVCmd_ViewZoomIn, 8248, "Zoom In", "+"},
    {&kQVCmd_ViewZoomOut, 8249, "Zoom Out", "-"},
    {&kQVCmd_ViewToggleFullScreen, 8250, "Enter / Exit Full Screen", "F"},
    {&kQVCmd_ViewShowHideInspector, 8251, "Show Inspector", "I TICK"},
    {&kQVCmd_ViewShowHideInspectorMidi, 8252, "Show Midi Inspector", "J TICK"},
    {&kQVCmd_ViewShowHideInstantHelp, 8253, "Show Instant Help", "F2 TICK"},
    {&kQVCmd_ViewShowHideTooltips, 8254, "Show Tooltips", "T TICK"},
    {&kQVCmd_ViewReloadAppear, 8255, "Reload Appearence Setup", "F5"},
    {&kQVCmd_SequenceNewEmpty, 8256, "New Sequence", ""},
    {&kQVCmd_SequenceNewWithEmptyTrack, 8257, "New Sequence", "K SHIFT"},
    {&kQVCmd_SequenceNewWithTrackParts, 8258, "New Sequence With Track-Parts", ""},
    {&kQVCmd_SequenceNewWithSound, 8259, "New Sequence With Sound...", ""},
    {&kQVCmd_SequenceNewWithSounds, 8260, "New Sequences With Sounds...", ""},
    {&kQVCmd_SequenceNewWithRandom, 8261, "New Sequence With Random", ""},
    {&kQVCmd_SequenceAddNewCursor, 8262, "Add Player To Sequence", ""},
    {&kQVCmd_SequenceAddNewTrack, 8263, "Add Track To Sequence", ""},
    {&kQVCmd_SequenceAddNewTrackWithSound, 8264, "Add Track With Sound To Sequence", ""},
    {&kQVCmd_SequenceGroup, 8265, "Mix Sequences", ""},
    {&kQVCmd_SequenceBounce, 8266, "Bounce Sequence", ""},
    {&kQVCmd_CursorNew, 8267, "New Player", "K"},
    {&kQVCmd_CursorAddNewAtomic, 8268, "Add Sub To Player", ""},
    {&kQVCmd_CursorGroup, 8269, "Group Players", "G"},
    {&kQVCmd_CursorAttach, 8270, "Attach Players", ""},
    {&kQVCmd_CursorDetach, 8271, "Detach Players", ""},
    {&kQVCmd_PlayablePlug, 8272, "Attach Plugin", ""},
    {&kQVCmd_PlayablePlugNone, 8273, "Detach Plugin", ""},
    {&kQVCmd_SmartMoveTo, 8274, "Move To", ""},
    {&kQVCmd_SmartCopyTo, 8275, "Copy To", ""},
    {&kQVCmd_SmartAssociateObjects, 8276, "Associate", ""},
    {&kQVCmd_TrackShowHideDualChannels, 8277, "Show Tracks Dual-Channels", "C ALT TICK"},
    {&kQVCmd_TrackShowHideMarkers, 8278, "Show Tracks Markers", "M ALT TICK"},
    {&kQVCmd_TrackShowHideRegions, 8279, "Show Tracks Regions", "R ALT TICK"},
    {&kQVCmd_TrackReinitWithSound, 8280, "Reinit Track With Sound", ""},
    {&kQVCmd_TrackInsertSound, 8281, "Insert Sound in Track", ""},
    {&kQVCmd_TrackPartCut, 8282, "Cut Track Selection", ""},
    {&kQVCmd_TrackPartCopy, 8283, "Copy Track Selection", ""},
    {&kQVCmd_TrackPartPaste, 8284, "Paste Track Selection", ""},
    {&kQVCmd_TrackPartDuplicate, 8285, "Duplicate Track Selection", ""},
    {&kQVCmd_TrackPartDelete, 8286, "Delete Track Selection", ""},
    {&kQVCmd_TrackPartReset, 8287, "Reset Track", ""},
    {&kQVCmd_TrackPartExtract, 8288, "Extract Track Selection", ""},
    {&kQVCmd_TrackPartCrop, 8289, "Crop Track Selection", ""},
    {&kQVCmd_TrackPartMoveOrCopy, 8290, "Move or Copy Track Selection", ""},
    {&kQVCmd_TrackPartErase, 8291, "Erase Track Selection", ""},
    {&kQVCmd_TrackPartSilent, 8292, "Silent Track Selection", ""},
    {&kQVCmd_TrackPartScale, 8293, "Scale Track Selection", ""},
    {&kQVCmd_TrackPartReverse, 8294, "Reverse Track Selection", ""},
    {&kQVCmd_TrackPartBounce, 8295, "Bounce Track Selection", ""},
    {&kQVCmd_TrackPartZxperScale, 8296, "Scale Track Selection", ""},
    {&kQVCmd_TrackPartZxperRepeat, 8297, "Repeat Track Selection", ""},
    {&kQVCmd_TrackPartZxperMingle, 8298, "Mingle Track Selection", ""},
    {&kQVCmd_TrackPartZxperStretch, 8299, "Stretch-Test Track Selection", ""},
    {&kQVCmd_DragTrackMarkerMove, 8300, "Move Marker", ""},
};

struct Labels {
    int id;
    char const* shortLabel;
    char const* popupLabel;
    char const* icon;
};

// The only entries with a short label, a popup label or an icon.
Labels const kLabelled[] = {
    {8236, "", "", "ButPopupCut.png"},
    {8237, "", "", "ButPopupCopy.png"},
    {8238, "", "Paste In", "ButPopupPaste.png"},
    {8240, "", "", "ButPopupDuplicate.png"},
    {8241, "", "", "ButPopupDelete.png"},
    {8246, "", "To Fit", "ButPopupSeqToFit.png"},
    {8262, "Add Player", "Add Player In", "ButPopupAddSub.png"},
    {8263, "Add Track", "Add Track In", "ButPopupAddSub.png"},
    {8265, "Mix", "", ""},
    {8266, "Bounce", "Bounce", "ButPopupBounce.png"},
    {8268, "Add Sub", "Add Sub In", "ButPopupAddSub.png"},
    {8269, "Group", "", ""},
    {8270, "Attach", "", ""},
    {8271, "Detach", "", ""},
    {8282, "Cut", "", ""},
    {8283, "Copy", "", ""},
    {8284, "Paste", "", ""},
    {8285, "Duplicate", "", ""},
    {8286, "Delete", "", ""},
    {8287, "Reset", "", ""},
    {8288, "Extract", "", ""},
    {8289, "Crop", "", ""},
    {8290, "Move or Copy", "", ""},
    {8291, "Erase", "", ""},
    {8292, "Silent", "", ""},
    {8293, "Scale", "", ""},
    {8294, "Reverse", "", ""},
    {8295, "Bounce", "", ""},
    {8296, "Scale", "", ""},
    {8297, "Repeat", "", ""},
    {8298, "Mingle", "", ""},
    {8299, "Stretch-Test", "", ""},
};

class QVCommandsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { QVCommands::BuildCommandInfoList(); }
};

void ExpectNullCommand(QVCommandInfo const* entry)
{
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry, &kQVCmd_Null);
    EXPECT_EQ(entry->GetCommandID(), 0);
    for (AKString const* text : {&entry->GetName(), &entry->GetMenuLabel(), &entry->GetShortcutText(),
                                 &entry->GetShortLabel(), &entry->GetPopupLabel(), &entry->GetIconFileName()})
        EXPECT_TRUE(text->IsEmpty());
}

TEST_F(QVCommandsTest, EveryEntryIsItsInstanceWithTheTextsOfItsRow)
{
    ASSERT_EQ(std::size(kRows), kQVCommandCount);
    std::map<int, Labels> labelled;
    for (Labels const& labels : kLabelled)
        labelled[labels.id] = labels;

    std::set<QVCommandInfo const*> instances;
    for (unsigned int i = 0; i < kQVCommandCount; ++i) {
        Row const& row = kRows[i];
        SCOPED_TRACE(row.id);
        EXPECT_EQ(row.id, kQVCommandIDFirst + static_cast<int>(i));
        QVCommandInfo const* entry = QVCommands::GetByID(row.id);
        EXPECT_EQ(entry, row.instance);
        EXPECT_TRUE(instances.insert(entry).second);
        EXPECT_EQ(entry->GetCommandID(), row.id);
        EXPECT_TRUE(entry->GetName().IsEmpty());
        EXPECT_EQ(entry->GetMenuLabel().StdString(), row.menuLabel);
        EXPECT_EQ(entry->GetShortcutText().StdString(), row.shortcut);

        Labels const none = {row.id, "", "", ""};
        auto const found = labelled.find(row.id);
        Labels const& labels = found != labelled.end() ? found->second : none;
        EXPECT_EQ(entry->GetShortLabel().StdString(), labels.shortLabel);
        EXPECT_EQ(entry->GetPopupLabel().StdString(), labels.popupLabel);
        EXPECT_EQ(entry->GetIconFileName().StdString(), labels.icon);
    }
    EXPECT_EQ(kRows[kQVCommandCount - 1].id, kQVCommandIDLast);
}

TEST_F(QVCommandsTest, IDConstantsNameTheirEntries)
{
    EXPECT_EQ(kQVCmdID_GlobalSetVerboseLevel, kQVCommandIDFirst);
    EXPECT_EQ(kQVCmdID_DragTrackMarkerMove, kQVCommandIDLast);
    EXPECT_EQ(kQVCmd_DocumentOpen.GetCommandID(), kQVCmdID_DocumentOpen);
    EXPECT_EQ(kQVCmd_TrackPartZxperStretch.GetCommandID(), kQVCmdID_TrackPartZxperStretch);
    EXPECT_EQ(kQVCmdID_CursorNew, 8267);
    EXPECT_EQ(kQVCmdID_TrackPartCut, 8282);
}

TEST_F(QVCommandsTest, IDsOutsideTheTableGiveTheNullCommand)
{
    for (int id : {kQVCommandIDFirst - 1, kQVCommandIDLast + 1, 0, -5, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(id);
        ExpectNullCommand(QVCommands::GetByID(id));
    }
    ExpectNullCommand(&kQVCmd_Null);
}

TEST_F(QVCommandsTest, RebuildingGivesTheSameTable)
{
    QVCommandInfo const& held = kQVCmd_SequenceNewWithSounds;
    QVCommandInfo const before = held;
    QVCommands::BuildCommandInfoList();
    EXPECT_EQ(QVCommands::GetByID(kQVCmdID_SequenceNewWithSounds), &held);
    EXPECT_EQ(held.GetCommandID(), before.GetCommandID());
    EXPECT_EQ(held.GetMenuLabel(), before.GetMenuLabel());
    EXPECT_EQ(held.GetMenuLabel().StdString(), "New Sequences With Sounds...");
}

TEST_F(QVCommandsTest, SharedMenuLabelsStayDistinctCommands)
{
    EXPECT_EQ(kQVCmd_SequenceNewEmpty.GetMenuLabel(), kQVCmd_SequenceNewWithEmptyTrack.GetMenuLabel());
    EXPECT_NE(kQVCmd_SequenceNewEmpty.GetShortcutText(), kQVCmd_SequenceNewWithEmptyTrack.GetShortcutText());
    EXPECT_EQ(kQVCmd_TrackPartScale.GetMenuLabel(), kQVCmd_TrackPartZxperScale.GetMenuLabel());
    EXPECT_NE(&kQVCmd_TrackPartScale, &kQVCmd_TrackPartZxperScale);
}

TEST_F(QVCommandsTest, HiddenCommandsAreThoseReachedByIDOnly)
{
    std::set<int> hidden;
    for (int id = kQVCommandIDFirst; id <= kQVCommandIDLast; ++id) {
        if (QVCommands::GetByID(id)->IsHidden())
            hidden.insert(id);
    }
    EXPECT_EQ(hidden, (std::set<int>{8193, 8194, 8195, 8216, 8217, 8223, 8231}));
}

TEST_F(QVCommandsTest, ShownTextsFallBackToTheMenuLabel)
{
    struct Case {
        QVCommandInfo const* entry;
        char const* button;
        char const* popupTip;
    };
    Case const cases[] = {
        {&kQVCmd_DocumentOpen, "Open...", "Open..."},                   // no short or popup label
        {&kQVCmd_EditPaste, "Paste", "Paste In"},                       // popup label only
        {&kQVCmd_CursorGroup, "Group", "Group"},                        // short label only
        {&kQVCmd_SequenceAddNewCursor, "Add Player", "Add Player In"},  // both
        {&kQVCmd_ViewSequenceToFit, "Lock Sequence To Fit", "To Fit"},  // popup label only
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.entry->GetCommandID());
        EXPECT_EQ(c.entry->GetButtonLabel().StdString(), c.button);
        EXPECT_EQ(c.entry->GetPopupTip().StdString(), c.popupTip);
    }
}

TEST(QVCommandInfoTest, NullTextsGiveEmptyStrings)
{
    QVCommandInfo const entry(8300, nullptr, "Move Marker", nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(entry.GetCommandID(), 8300);
    EXPECT_EQ(entry.GetMenuLabel().StdString(), "Move Marker");
    for (AKString const* text : {&entry.GetName(), &entry.GetShortcutText(), &entry.GetShortLabel(),
                                 &entry.GetPopupLabel(), &entry.GetIconFileName()})
        EXPECT_TRUE(text->IsEmpty());
    EXPECT_EQ(entry.GetPopupTip().StdString(), "Move Marker");
}

// Each shortcut text of the table reads as a keystroke, except the empty ones
// and the toggle mark alone; none of the track-part commands has one.
TEST_F(QVCommandsTest, EveryShortcutOfTheTableNamesAKey)
{
    for (Row const& row : kRows) {
        SCOPED_TRACE(row.id);
        std::string const words = row.shortcut;
        QVCommandShortcut const shortcut = QVCommandShortcut::Parse(AKString(row.shortcut));
        EXPECT_EQ(shortcut.HasKeystroke(), !words.empty() && words != "TICK");
        EXPECT_EQ(shortcut.mIsToggle, words.find("TICK") != std::string::npos);
        if (row.id >= kQVCmdID_TrackPartCut && row.id <= kQVCmdID_TrackPartZxperStretch) {
            EXPECT_FALSE(shortcut.HasKeystroke());
        }
    }
}

}  // namespace
