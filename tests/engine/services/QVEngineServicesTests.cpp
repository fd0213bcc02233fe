// The engine's services: what the object tree and the audio resources are
// answered once the engine installs them, and what they are answered again
// once it uninstalls them.

#include "AKClassArray.h"
#include "AKEngineServices.h"
#include "AKObjectFolderRoot.h"
#include "QVAudioServices.h"
#include "QVDocumentTypeMgr.h"
#include "QVEngineServices.h"
#include "QVStandardFolders.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

namespace {

// A document type registered with the engine, once per program.
unsigned int EngineDocumentType()
{
    static unsigned int const sType = [] {
        QVDocumentTypeMgr& types = QVDocumentTypeMgr::sShared;
        types.RegisterDocumentTypeInfo(QVDocumentTypeInfo(types.CountDocumentTypes() + 1, "Engine", "eng",
                                                          TestItem::_ClassID(), AKClassID("nope"),
                                                          TestFolder::_ClassID(), kAKNullClassID));
        return types.CountDocumentTypes();
    }();
    return sType;
}

// The classes a root folder of that type accepts, as the tree builds them.
AKClassArray RootClassesOf(unsigned int documentType)
{
    AKObjectFolderRoot* root = AKNew<AKObjectFolderRoot>(nullptr);
    root->SetupRootAuthoChildClassesFromDocumentType(documentType);
    AKClassArray classes;
    for (AKClass const** each = root->akmGetAuthoChildClasses(); each != nullptr && *each != nullptr; ++each)
        classes.Push(*each);
    AKClass::DeleteObject(root);
    return classes;
}

class QVEngineServicesTest : public ::testing::Test
{
protected:
    void SetUp() override { QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath("/settings")); }
    void TearDown() override
    {
        QVEngineServices::Uninstall();
        QVStandardFolders::TerminateStandardPaths();
    }
};

TEST_F(QVEngineServicesTest, BothLayersAreAnsweredByTheEngineWhileInstalled)
{
    unsigned int type = EngineDocumentType();
    AKClassArray engineClasses{TestItem::_Class(), TestFolder::_Class()};

    QVEngineServices::Install();
    AKEngineServices const& tree = AKEngineServices::Get();
    EXPECT_TRUE(tree.IsValidDocumentType(type));
    EXPECT_FALSE(tree.IsValidDocumentType(0));
    EXPECT_FALSE(tree.IsValidDocumentType(type + 1));
    EXPECT_EQ(RootClassesOf(type), engineClasses);
    EXPECT_TRUE(RootClassesOf(type + 1).IsEmpty());
    EXPECT_EQ(tree.GetSettingsFilePath("a.plist"), AKFilePath("/settings/a.plist"));
    EXPECT_EQ(QVAudioServices::Get().GetSettingsFilePath("b"), AKFilePath("/settings/b"));

    // The table is asked at every call, never copied at install.
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath());
    EXPECT_TRUE(tree.GetSettingsFilePath("a.plist").IsEmpty());
    EXPECT_TRUE(QVAudioServices::Get().GetSettingsFilePath("b").IsEmpty());
    QVStandardFolders::SetStandardPath(kQVStandardFolderSettings, AKFilePath("/settings"));

    QVEngineServices::Uninstall();
    EXPECT_FALSE(AKEngineServices::Get().IsValidDocumentType(type));
    EXPECT_TRUE(RootClassesOf(type).IsEmpty());
    EXPECT_TRUE(AKEngineServices::Get().GetSettingsFilePath("a.plist").IsEmpty());
    EXPECT_TRUE(QVAudioServices::Get().GetSettingsFilePath("b").IsEmpty());
}

TEST_F(QVEngineServicesTest, UninstallingLeavesServicesInstalledByOthers)
{
    QVEngineServices::Install();
    AKEngineServices::Install(&TreeTestServices());
    QVEngineServices::Uninstall();
    EXPECT_EQ(&AKEngineServices::Get(), &TreeTestServices());
    EXPECT_TRUE(QVAudioServices::Get().GetSettingsFilePath("b").IsEmpty());

    QVAudioServices other;
    QVEngineServices::Install();
    QVAudioServices::Install(&other);
    QVEngineServices::Uninstall();
    EXPECT_EQ(&QVAudioServices::Get(), &other);
    EXPECT_FALSE(AKEngineServices::Get().IsValidDocumentType(EngineDocumentType()));
    QVAudioServices::Install(nullptr);
}

TEST_F(QVEngineServicesTest, DestroyedServicesTakeThemselvesOut)
{
    {
        QVEngineServices local;
        AKEngineServices::Install(&local);
        QVAudioServices::Install(&local);
    }
    // Asking now would touch a destroyed object under the sanitizers.
    EXPECT_FALSE(AKEngineServices::Get().IsValidDocumentType(EngineDocumentType()));
    EXPECT_TRUE(QVAudioServices::Get().GetSettingsFilePath("b").IsEmpty());
}

}  // namespace
