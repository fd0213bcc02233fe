// With the engine started: its object classes as registered (IDs, bases,
// names, quick-cast bits in registration order), objects made through their
// class, a refused second registration, and the application properties.

#include "AKClass.h"
#include "AKClassMgr.h"
#include "AKFileUtils.h"
#include "AKObject.h"
#include "AKObjectFolderRoot.h"
#include "AKStatus.h"
#include "AKValue.h"
#include "AKValueTyped.h"
#include "LogCapture.h"
#include "QVLibEnv.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectFolders.h"
#include "QVObjectPlayable.h"
#include "QVObjectPoolable.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StartedEngine : public ::testing::Environment
{
public:
    void SetUp() override { ASSERT_EQ(QVLibEnv::Initialize(false), 0); }
    void TearDown() override { QVLibEnv::Terminate(); }
};
::testing::Environment* const sStartedEngine = ::testing::AddGlobalTestEnvironment(new StartedEngine);

// One row per registered class, in registration order.
struct ClassRow {
    char const* id;
    char const* baseID;
    char const* sourceName;
    bool concrete;
    char const* name;
    char const* displayName;
    AKClassQCast ownFlag;  // the hook's _ClassQCastFlag()
};

TEST(QVLibEnvClassesTest, EveryEngineClassIsRegisteredWithItsNamesAndQuickCastBit)
{
    ClassRow const rows[] = {
        {"object", "object", "AKObject", false, "object", "Object", AKObject::_ClassQCastFlag()},
        {"foldRot", "object", "AKObjectFolderRoot", true, "root", "Root", AKObjectFolderRoot::_ClassQCastFlag()},
        {"poolab", "object", "QVObjectPoolable", false, "poolable", "Poolable", QVObjectPoolable::_ClassQCastFlag()},
        {"playab", "poolab", "QVObjectPlayable", false, "playable", "Playable", QVObjectPlayable::_ClassQCastFlag()},
        {"player", "playab", "QVObjectZlayer", false, "player", "Player", QVObjectZlayer::_ClassQCastFlag()},
        {"cursor", "player", "QVObjectCursor", true, "multi-player", "Multi-Player", QVObjectCursor::_ClassQCastFlag()},
        {"atomic", "player", "QVObjectAtomic", true, "single-player", "Single-Player",
         QVObjectAtomic::_ClassQCastFlag()},
        {"sequenc", "playab", "QVObjectSequence", true, "sequence", "Sequence", QVObjectSequence::_ClassQCastFlag()},
        {"track", "poolab", "QVObjectTrack", true, "track", "Track", QVObjectTrack::_ClassQCastFlag()},
        {"foldCrs", "object", "QVObjectFolderCursor", true, "player folder", "Player Folder",
         QVObjectFolderCursor::_ClassQCastFlag()},
        {"foldSeq", "object", "QVObjectFolderSequence", true, "sequence folder", "Sequence Folder",
         QVObjectFolderSequence::_ClassQCastFlag()},
        {"foldTmp", "object", "QVObjectFolderTemp", true, "temp folder", "Temp Folder",
         QVObjectFolderTemp::_ClassQCastFlag()},
    };
    EXPECT_EQ(AKClassMgr::sShared.GetRegisteredClasses().Count(), std::size(rows));
    AKClassQCast bit = 1;
    for (ClassRow const& row : rows) {
        SCOPED_TRACE(row.id);
        AKClass const* aClass = AKClass::GetClassOfID(AKClassID(row.id));
        ASSERT_NE(aClass, nullptr);
        EXPECT_EQ(aClass->GetSupClassID(), AKClassID(row.baseID));
        EXPECT_EQ(aClass->GetSourceName(), AKString(row.sourceName));
        EXPECT_EQ(aClass->IsAbstract(), !row.concrete);
        EXPECT_TRUE(aClass->IsBuiltIn());
        EXPECT_EQ(aClass->GetUserName(), AKString(row.name));
        EXPECT_EQ(aClass->GetDisplayName(), AKString(row.displayName));
        EXPECT_EQ(aClass->GetPluralName(), AKString(std::string(row.displayName) + "s"));

        // Each class its own bit, in registration order; its mask adds its ancestors'.
        EXPECT_EQ(aClass->GetQCastFlag(), bit);
        EXPECT_EQ(row.ownFlag, bit);
        AKClass const* base = aClass->GetSupClass();
        AKClassQCast const inherited = base != nullptr ? base->GetQCastMask() : 0;
        EXPECT_EQ(aClass->GetQCastMask(), bit | inherited);
        bit <<= 1;
    }
    EXPECT_EQ(AKClass::GetTopClass(), AKClass::GetClassOfID(AKClassID("object")));
}

TEST(QVLibEnvClassesTest, ObjectsAreMadeThroughTheirClassAndPassTheQuickCastTest)
{
    AKObject* root = AKObjectFolderRoot::_ClassCtor();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetQCastMask(), AKObjectFolderRoot::_Class()->GetQCastMask());
    EXPECT_TRUE(root->IsKindOfT<AKObject>());
    EXPECT_TRUE(root->IsKindOfT<AKObjectFolderRoot>());
    EXPECT_FALSE(root->IsKindOfT<QVObjectPoolable>());
    AKObjectFolderRoot::_ClassDtor(root);
    AKObjectFolderRoot::_ClassDtor(nullptr);

    AKObject* folder = QVObjectFolderSequence::_ClassCtor();
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->IsKindOfT<QVObjectFolderSequence>());
    EXPECT_FALSE(folder->IsKindOfT<QVObjectFolderCursor>());
    QVObjectFolderSequence::_ClassDtor(folder);

    AKObject* track = QVObjectTrack::_ClassCtor();
    ASSERT_NE(track, nullptr);
    EXPECT_TRUE(track->IsKindOfT<QVObjectPoolable>());
    EXPECT_FALSE(track->IsKindOfT<QVObjectPlayable>());
    QVObjectTrack::_ClassDtor(track);

    // Every player is a player and a playable, and no sequence.
    for (AKObject* player : {QVObjectAtomic::_ClassCtor(), QVObjectCursor::_ClassCtor()}) {
        ASSERT_NE(player, nullptr);
        EXPECT_TRUE(player->IsKindOfT<QVObjectZlayer>());
        EXPECT_TRUE(player->IsKindOfT<QVObjectPlayable>());
        EXPECT_FALSE(player->IsKindOfT<QVObjectSequence>());
        AKClass::DeleteObject(player);
    }

    // A playable is a poolable: its class's mask holds both bits.
    AKClassQCast const playable = QVObjectPlayable::_Class()->GetQCastMask();
    EXPECT_EQ(playable & QVObjectPoolable::_ClassQCastFlag(), QVObjectPoolable::_ClassQCastFlag());
    EXPECT_EQ(playable & AKObject::_ClassQCastFlag(), AKObject::_ClassQCastFlag());
}

TEST(QVLibEnvClassesTest, TheScoreRootTakesTheThreeFolders)
{
    AKObjectFolderRoot* root = AKNew<AKObjectFolderRoot>(nullptr);
    ASSERT_NE(root, nullptr);
    root->SetupRootAuthoChildClassesFromDocumentType(1);
    std::vector<AKClass const*> allowed;
    for (AKClass const** each = root->akmGetAuthoChildClasses(); each != nullptr && *each != nullptr; ++each)
        allowed.push_back(*each);
    EXPECT_EQ(allowed, (std::vector<AKClass const*>{QVObjectFolderTemp::_Class(), QVObjectFolderCursor::_Class(),
                                                    QVObjectFolderSequence::_Class()}));
    AKClass::DeleteObject(root);
}

TEST(QVLibEnvClassesTest, ASecondRegistrationIsRefusedAndChangesNothing)
{
    unsigned int const count = AKClassMgr::sShared.GetRegisteredClasses().Count();
    AKClass const* root = AKObjectFolderRoot::_Class();
    LogCapture log;
    QVLibEnv::InitClasses();
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_NE(log.Lines()[0].find(std::to_string(kAKErrorClassRegisterClosed)), std::string::npos);
    EXPECT_EQ(AKClassMgr::sShared.GetRegisteredClasses().Count(), count);
    EXPECT_EQ(AKObjectFolderRoot::_Class(), root);
}

TEST(QVLibEnvClassesTest, ApplicationProperties)
{
    AKValue value;
    EXPECT_EQ(QVLibEnv::GetApplicationProperty("ApplicationName", &value), 0);
    EXPECT_EQ(AKValueGetasAKString(value), AKString("Orvel-Player"));
    EXPECT_EQ(QVGetApplicationProperty("ApplicationVersion", &value), 0);
    EXPECT_EQ(AKValueGetasAKString(value), AKString("1.7.0"));
    EXPECT_EQ(QVLibEnv::GetApplicationProperty("ApplicationDirPath", &value), 0);
    EXPECT_EQ(AKValueGetasAKFilePath(value), AKFileUtils::GetApplicationDirPath(nullptr));
    EXPECT_FALSE(AKValueGetasAKFilePath(value).IsEmpty());

    for (char const* unknown : {"applicationName", "", "ApplicationDir"}) {
        SCOPED_TRACE(unknown);
        LogCapture log;
        value = AKValueSetasAKString(AKString("stale"));
        EXPECT_EQ(QVLibEnv::GetApplicationProperty(unknown, &value), kQVErrorApplicationUnknownProperty);
        EXPECT_TRUE(value.IsEmpty());
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find("Application don't have the property \"" + std::string(unknown) + "\""),
                  std::string::npos)
            << log.Lines()[0];
    }
    EXPECT_EQ(QVLibEnv::GetApplicationProperty("ApplicationName", nullptr), 0);
}

}  // namespace
