#pragma once

// Fixtures of the command handler's tests: the started engine with its
// command table, a host extension whose answers the test scripts and whose
// calls it records, a document whose master-mode lock and close answer the
// test sets and which counts its notifications, and a document built with
// sequences and players, read back as the bytes of its XML file.

#include "AKNode.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeSelBuilders.h"
#include "QVCommands.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVGandler.h"
#include "QVGandlerLibext.h"
#include "QVLibBasicOptions.h"
#include "QVLibEnv.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVPrefs.h"
#include "QVTreeHandler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class GandlerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        // Documents made by the handler stay off the audio path.
        ASSERT_EQ(QVLibEnv::Initialize(false), 0);
        gQVLib.realTime = false;
        QVCommands::BuildCommandInfoList();
    }
    void TearDown() override
    {
        QVGandler::sShared.SetQVLibExtendedFunctions(nullptr);
        QVLibEnv::Terminate();
    }
};

// A document whose lock and close answers the test sets.
class TestDocument : public QVDocument
{
public:
    explicit TestDocument(unsigned int flags = kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo) : QVDocument(1, flags)
    {}

    bool IsDocumentMasterModeLocked() const override { return mLocked; }
    void NotifyGandlerListeners(AKTreeActionParam const& action) override
    {
        ++mNotifications;
        mLastNotifiedCommandID = action.GetCommandID();
    }
    void DoDocumentClose(unsigned int flags, bool* cancelled) override
    {
        mCloseFlags = flags;
        if (mCancelClose) {
            if (cancelled != nullptr)
                *cancelled = true;
            return;
        }
        QVDocument::DoDocumentClose(flags, cancelled);
    }
    void DoDocumentActivate() override { ++mActivations; }

    bool mLocked = false;
    bool mCancelClose = false;
    unsigned int mCloseFlags = 0;
    int mNotifications = 0;
    int mLastNotifiedCommandID = 0;
    int mActivations = 0;
};

// A host that answers as the test says and keeps what it was asked.
class FakeHost : public QVGandlerLibext
{
public:
    struct Script {
        bool okCancel = false;
        bool openSounds = false;
        AKFilePathArray soundsChosen;
        bool chooseDirectory = false;
        AKFilePath directoryChosen;
        bool quitCancelled = false;
        int standardDialog = 0;
    };

    explicit FakeHost(Script* script, std::vector<std::string>* calls) : mScript(script), mCalls(calls) {}

    QVDocument* DoDocumentNew(unsigned int type, unsigned int flags) override
    {
        mCalls->push_back("new " + std::to_string(type) + " " + std::to_string(flags));
        return new TestDocument(flags);
    }
    int DoApplicationQuit(unsigned int flags, bool* cancelled) override
    {
        mCalls->push_back("quit " + std::to_string(flags));
        *cancelled = mScript->quitCancelled;
        return 0;
    }
    void DoAlertMessage(AKString const& text) override { mCalls->push_back("alert " + text.StdString()); }
    bool DoAlertOkCancel(AKString const& text) override
    {
        mCalls->push_back("ask " + text.StdString());
        return mScript->okCancel;
    }
    bool DoDialogOpenSoundFiles(AKFilePathArray* paths, AKString const& title, bool multiple) override
    {
        mCalls->push_back("open " + title.StdString() + (multiple ? " many" : " one"));
        if (mScript->openSounds)
            *paths = mScript->soundsChosen;
        return mScript->openSounds;
    }
    bool DoDialogChooseDirectory(AKFilePath* path, AKString const& title) override
    {
        mCalls->push_back("folder " + title.StdString());
        if (mScript->chooseDirectory)
            *path = mScript->directoryChosen;
        return mScript->chooseDirectory;
    }
    int DoDialogStandard(int dialogID) override
    {
        mCalls->push_back("standard " + std::to_string(dialogID));
        return mScript->standardDialog;
    }

private:
    Script* mScript;
    std::vector<std::string>* mCalls;
};

// A fake host installed into the shared handler for one test.
class ScopedFakeHost
{
public:
    ScopedFakeHost() { QVGandler::sShared.SetQVLibExtendedFunctions(new FakeHost(&script, &calls)); }
    ~ScopedFakeHost() { QVGandler::sShared.SetQVLibExtendedFunctions(nullptr); }
    ScopedFakeHost(ScopedFakeHost const&) = delete;
    ScopedFakeHost& operator=(ScopedFakeHost const&) = delete;

    FakeHost::Script script;
    std::vector<std::string> calls;
};

// The verbose level for one test, given back at its end.
class ScopedVerboseLevel
{
public:
    explicit ScopedVerboseLevel(unsigned int level) : mKept(QVPrefs::sShared.GetInternalVerboseLevel())
    {
        QVPrefs::sShared.SetInternalVerboseLevel(level);
    }
    ~ScopedVerboseLevel() { QVPrefs::sShared.SetInternalVerboseLevel(mKept); }
    ScopedVerboseLevel(ScopedVerboseLevel const&) = delete;
    ScopedVerboseLevel& operator=(ScopedVerboseLevel const&) = delete;

private:
    unsigned int mKept;
};

class GandlerTempDir
{
public:
    GandlerTempDir()
    {
        char pattern[] = "/tmp/orvel-gandler-XXXXXX";
        char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        mRoot = made != nullptr ? made : "";
    }
    ~GandlerTempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    GandlerTempDir(GandlerTempDir const&) = delete;
    GandlerTempDir& operator=(GandlerTempDir const&) = delete;

    std::string At(std::string const& name) const { return mRoot + "/" + name; }

private:
    std::string mRoot;
};

inline std::vector<unsigned char> FileBytes(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A new, initialised, private document with undo and redo, holding the
// sequences "Intro" (with two empty tracks), "Verse" and "Coda" and one free player "Deck", made
// before the history opens so that it starts empty.
struct GandlerDoc {
    GandlerDoc()
    {
        EXPECT_EQ(document.OnDocumentNew(AKString("Doc"), 0, false), 0);
        QVTreeHandler* const h = handler();
        h->DoEasyStart(kQVCmd_SequenceNewEmpty, nullptr);
        QVObjectTrackArray newTracks;
        newTracks.Push(AKNew<QVObjectTrack>("%s", ""));
        newTracks.Push(AKNew<QVObjectTrack>("%s", ""));
        QVObjectSequence* intro = nullptr;
        EXPECT_EQ(h->DoEasyNewSequenceWithNewTracks(&intro, AKString("Intro"), &newTracks), 0);
        sequences.push_back(intro);
        for (unsigned int i = 0; i < newTracks.Count(); ++i)
            tracks.push_back(newTracks[i]);
        for (char const* name : {"Verse", "Coda"}) {
            QVObjectSequence* sequence = nullptr;
            EXPECT_EQ(h->DoEasyNewSequenceEmpty(&sequence, AKString(name)), 0);
            sequences.push_back(sequence);
        }
        EXPECT_EQ(h->DoEasyNewCursor(&player, AKString("Deck"), 0, 0.0, nullptr, kAKLinkModeLastChildren), 0);
        h->DoEasyEnd();
        h->SynchronizeFLFastLinks();
        EXPECT_EQ(h->ReopenHistory(), 0);
        document.mNotifications = 0;
    }

    QVTreeHandler* handler() const { return QVTreeHandlerOfDocument(&document); }

    // A command parameter for the document with the objects selected.
    QVGandlerParam Param(std::vector<AKObject*> const& selected = {})
    {
        QVGandlerParam param(&document);
        ATObjectArray<AKObject> objects;
        for (AKObject* object : selected)
            objects.Push(object);
        if (!selected.empty())
            param.GetTreeActionParam().WithTreeObjects(objects);
        return param;
    }

    // The document's XML file, as bytes.
    std::vector<unsigned char> Bytes()
    {
        std::string const path = mDir.At("state.qvd");
        EXPECT_EQ(document.SaveToXmlFile(AKFilePath(path.c_str()), false), 0);
        return FileBytes(path);
    }

    TestDocument document;
    std::vector<QVObjectSequence*> sequences;
    std::vector<QVObjectTrack*> tracks;
    QVObjectPlayable* player = nullptr;

private:
    GandlerTempDir mDir;
};
