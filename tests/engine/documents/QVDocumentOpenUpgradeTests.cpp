// Opening document files through the running engine: a file without a
// version is upgraded as it opens, and a file missing default folders gets
// them, neither leaving an undo step nor a modified document.

#include "AKDictionary.h"
#include "AKNode.h"
#include "AKTree.h"
#include "AKValueArray.h"
#include "AKValueTyped.h"
#include "QVDocument.h"
#include "QVLibEnv.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectSequence.h"
#include "QVTreeHandler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};

::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment());

class TempDir
{
public:
    TempDir()
    {
        char pattern[] = "/tmp/orvel-docopen-XXXXXX";
        char* made = mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        mRoot = made != nullptr ? made : "";
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mRoot, ignored);
    }
    std::string At(char const* name) const { return mRoot + "/" + name; }

private:
    std::string mRoot;
};

AKDictionary Node(char const* classID, char const* name, std::vector<AKDictionary> const& subs = {},
                  std::vector<std::pair<char const*, AKValue>> const& keys = {})
{
    AKDictionary dictionary;
    dictionary.SetValue("Class", AKValueSetasAKString(AKString(classID)));
    if (name != nullptr)
        dictionary.SetValue("Name", AKValueSetasAKString(AKString(name)));
    for (auto const& key : keys)
        dictionary.SetValue(key.first, key.second);
    if (!subs.empty()) {
        AKValueArray array;
        for (AKDictionary const& sub : subs)
            array.Push(AKValueSetasAKDictionary(sub));
        dictionary.SetValue("Subs", AKValueSetasAKValueArray(array));
    }
    return dictionary;
}

std::string WriteFile(TempDir const& dir, char const* name, std::vector<AKDictionary> const& rootChildren,
                      bool withVersion)
{
    AKDictionary file;
    file.SetValue("FileType", AKValueSetasAKString(AKString("Score")));
    if (withVersion)
        file.SetValue("FileVers", AKValueSetasUInt(2));
    file.SetValue("Objects", AKValueSetasAKDictionary(Node("root", nullptr, rootChildren)));
    std::string const path = dir.At(name);
    EXPECT_EQ(file.SaveToXmlFile(AKFilePath(path.c_str()), true), 0);
    return path;
}

std::unique_ptr<QVDocument> Open(std::string const& path)
{
    auto document = std::make_unique<QVDocument>(1, kQVDocumentFlagPrivate | kQVDocumentFlagUndoRedo);
    EXPECT_EQ(document->OnDocumentOpen(AKFilePath(path.c_str()), 0, false), 0);
    return document;
}

std::string StoredName(AKObject const* object)
{
    AKDictionary dictionary;
    object->AKObject::akmWriteToDictionary(dictionary);
    return AKValueGetasAKString(dictionary.GetValue("Name")).c_str();
}

TEST(DocumentOpenUpgradeTest, FileWithoutVersionIsUpgradedWithoutUndoStep)
{
    TempDir dir;
    // A folded multi-player attached to no sequence, in the player folder.
    AKDictionary const folded = Node("cursor", "Deck", {Node("atomic", "First"), Node("atomic", "Second")},
                                     {{"Deployed", AKValueSetasBool(false)}});
    std::string const path =
        WriteFile(dir, "old.qvd",
                  {Node("foldSeq", "Sequences", {Node("sequenc", "Old", {Node("track", "drums.wav")})}),
                   Node("foldCrs", "Players", {folded}), Node("foldTmp", nullptr)},
                  false);
    auto document = Open(path);
    ASSERT_TRUE(document->IsInitialized());
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(document.get());
    ASSERT_EQ(handler->GetFLSequences().Count(), 1u);
    EXPECT_EQ(StoredName(handler->GetFLSequences()[0]), "drums.wav");
    EXPECT_EQ(StoredName(handler->GetFolderSequence()), "");
    EXPECT_EQ(StoredName(handler->GetFolderCursor()), "");
    AKNode const* const players = handler->GetFolderCursorNode();
    ASSERT_NE(players->GetSub(), nullptr);
    EXPECT_TRUE(players->GetSub()->GetObject()->IsKindOfT<QVObjectAtomic>());
    EXPECT_EQ(players->GetSub()->GetNext(), nullptr);
    EXPECT_FALSE(handler->CanUndo(nullptr, nullptr));
    EXPECT_FALSE(document->IsModified());
}

TEST(DocumentOpenUpgradeTest, MissingDefaultFoldersAreMadeOnOpen)
{
    TempDir dir;
    std::string const path = WriteFile(dir, "bare.qvd", {Node("foldSeq", nullptr, {Node("sequenc", "Only")})}, true);
    auto document = Open(path);
    ASSERT_TRUE(document->IsInitialized());
    QVTreeHandler* const handler = QVTreeHandlerOfDocument(document.get());
    EXPECT_NE(handler->GetFolderCursorNode(), nullptr);
    EXPECT_NE(handler->GetFolderTempNode(), nullptr);
    EXPECT_EQ(handler->GetFLSequences().Count(), 1u);
    EXPECT_FALSE(handler->CanUndo(nullptr, nullptr));
    EXPECT_FALSE(document->IsModified());
}

}  // namespace
