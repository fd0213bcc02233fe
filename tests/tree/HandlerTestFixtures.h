#pragma once

// Helpers of the tree handler tests: a handler whose default folders are set
// by the test, a post-treatment client that records its calls, command
// entries, and a fixture that builds the usual document with a handler
// (history open) and empties the shared pasteboard around each test.
//
// Include after TreeTestClasses.h (once per program).
//
// The document (SelTreeTest): a root holding folder F with items 1, 2, 3,
// item 4, folder G with item 5, item 6. Shape() draws it as
// "F[1,2,3],4,G[5],6".

#include "AKClass.h"
#include "AKNode.h"
#include "AKObject.h"
#include "AKTree.h"
#include "AKTreeActionParam.h"
#include "AKTreeHandler.h"
#include "AKTreePasteboard.h"
#include "AKTreeSelBuilders.h"
#include "QVCommandInfo.h"
#include "SelTestFixtures.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A handler whose default folders are given by the test. For a class C and
// a flag forPaste, the answer is the node of the first folder entry whose
// class C is a kind of (entries made for pastes only are skipped for moves
// and copies), else, for pastes, the catch-all folder, else null. Every
// question asked is kept.
class TestTreeHandler : public AKTreeHandler
{
public:
    struct Question {
        AKClass const* objectClass;
        bool forPaste;
    };

    explicit TestTreeHandler(AKTree* tree) : AKTreeHandler(tree) {}

    AKNode* GetDefaultFolderTargetNode(AKClass const* objectClass, bool forPaste) const override
    {
        fQuestions.push_back(Question{objectClass, forPaste});
        for (Folder const& folder : fFolders) {
            if (folder.pasteOnly && !forPaste)
                continue;
            if (objectClass != nullptr && objectClass->IsKindOfClass(folder.objectClass))
                return folder.node;
        }
        return forPaste ? fCatchAll : nullptr;
    }

    // Objects of kinds of the class go under the node.
    void SetDefaultFolder(AKClass const* objectClass, AKNode* node, bool pasteOnly = false)
    {
        fFolders.push_back(Folder{objectClass, node, pasteOnly});
    }
    // Pasted objects of any class go under the node.
    void SetCatchAllFolder(AKNode* node) { fCatchAll = node; }
    void ClearDefaultFolders()
    {
        fFolders.clear();
        fCatchAll = nullptr;
    }

    std::vector<Question> const& Questions() const { return fQuestions; }
    void ClearQuestions() { fQuestions.clear(); }

private:
    struct Folder {
        AKClass const* objectClass;
        AKNode* node;
        bool pasteOnly;
    };
    std::vector<Folder> fFolders;
    AKNode* fCatchAll = nullptr;
    mutable std::vector<Question> fQuestions;
};

// Records every call (command ID and the result selection's node IDs) and
// answers fAnswer.
class TestPostTreatmentClient : public AKTreeActionPostTreatmentClient
{
public:
    struct Call {
        int commandID;
        std::vector<AKNodeID> nodeIDs;
    };

    int PostTreatment(int commandID, AKTreeSel const& result) override
    {
        fCalls.push_back(Call{commandID, IDsOf(result)});
        return fAnswer;
    }

    std::vector<Call> fCalls;
    int fAnswer = 0;
};

// A command entry with its ID and menu label, the other strings filled so
// that a test sees which one names the step.
inline QVCommandInfo TestCommand(int commandID, char const* menuLabel)
{
    return QVCommandInfo(commandID, AKString(""), AKString(menuLabel), AKString("cmd-K"), AKString("short"),
                         AKString("popup"), AKString("icon.png"));
}

// The fixture. Handlers made here are destroyed before their trees.
class HandlerTreeTest : public SelTreeTest
{
protected:
    void SetUp() override
    {
        SelTreeTest::SetUp();
        AKTreePasteboard::sShared.Clear();
    }
    void TearDown() override
    {
        for (auto& handler : fHandlers) {
            // Outside an action no object may keep a pending stamp mark.
            EXPECT_EQ(handler->GetNotifier().CheckObjectsFlags(), 0);
        }
        fHandlers.clear();
        AKTreePasteboard::sShared.Clear();
        SelTreeTest::TearDown();
    }

    // A handler of the tree, its history opened when asked.
    TestTreeHandler& NewHandler(AKTree& tree, bool openHistory = true)
    {
        fHandlers.push_back(std::make_unique<TestTreeHandler>(&tree));
        if (openHistory) {
            EXPECT_EQ(fHandlers.back()->ReopenHistory(), 0);
        }
        return *fHandlers.back();
    }

    // The usual document with a handler.
    TestTreeHandler& NewDocumentHandler(unsigned int options = kAKTreeOptionDeferredDelete, bool openHistory = true)
    {
        return NewHandler(NewDocument(options), openHistory);
    }

    // A record of the handler's tree selecting the nodes (normalised).
    static AKTreeActionParam ParamOf(AKTreeHandler& handler, std::initializer_list<AKNode*> nodes)
    {
        AKTreeActionParam param(handler.GetTree());
        param.SetActionName(kTestCommandID, AKString(kTestCommandName));
        if (nodes.size() != 0)
            param.WithTreeNodes(NodesOf(nodes));
        return param;
    }

    // The node of an item or a folder of the handler's tree.
    static AKNode* Item(AKTreeHandler const& handler, unsigned int value) { return ItemNode(*handler.GetTree(), value); }
    static AKNode* Folder(AKTreeHandler const& handler, char const* name) { return FolderNode(*handler.GetTree(), name); }

    static constexpr int kTestCommandID = 42;
    static constexpr char const* kTestCommandName = "Test Edit";

private:
    std::vector<std::unique_ptr<TestTreeHandler>> fHandlers;
};
