// Document types: registration, look-ups, file versions and the allowed root
// classes of each type.

#include "AKClassArray.h"
#include "QVDocumentTypeInfo.h"
#include "QVDocumentTypeMgr.h"
#include "TreeTestClasses.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned int kBinSignature = 0x5442494E;  // 'TBIN'

QVDocumentTypeInfo BinaryType()
{
    QVDocumentTypeInfo info(2, "Binary", "qvb", AKClassID("tstFold"), kAKNullClassID, kAKNullClassID, kAKNullClassID);
    info.SetBinaryForm(kBinSignature);
    return info;
}

TEST(QVDocumentTypeInfoTest, ScoreIsTheXmlTypeWithThreeFolders)
{
    QVDocumentTypeInfo const& score = kQVDocumentInfoScore;
    EXPECT_EQ(score.GetType(), 1u);
    EXPECT_FALSE(score.IsBinary());
    EXPECT_EQ(score.GetBinSignature(), 0u);
    EXPECT_EQ(score.GetXmlSignature().StdString(), "Score");
    EXPECT_EQ(score.GetFileExtension().StdString(), "qvd");
    EXPECT_EQ(score.GetRootClassID(0), AKClassID("foldTmp"));
    EXPECT_EQ(score.GetRootClassID(1), AKClassID("foldCrs"));
    EXPECT_EQ(score.GetRootClassID(2), AKClassID("foldSeq"));
    EXPECT_TRUE(score.GetRootClassID(3).IsNull());
    EXPECT_TRUE(score.GetRootClassID(4).IsNull());

    QVDocumentTypeInfo const& empty = kQVNullDocumentTypeInfo;
    EXPECT_EQ(empty.GetType(), 0u);
    EXPECT_TRUE(empty.GetXmlSignature().IsEmpty());
    EXPECT_TRUE(empty.GetRootClassID(0).IsNull());
}

TEST(QVDocumentTypeInfoTest, RootClassesSkipEmptyAndUnknownSlots)
{
    QVDocumentTypeInfo info(1, "T", "t", AKClassID("tstItem"), kAKNullClassID, AKClassID("nope"), AKClassID("tstFold"));
    AKClassArray classes{AKObject::_Class()};
    info.GetAuthoChildClasses(&classes);
    EXPECT_EQ(classes, (AKClassArray{TestItem::_Class(), TestFolder::_Class()}));

    // The engine's folders are not registered in this program.
    kQVDocumentInfoScore.GetAuthoChildClasses(&classes);
    EXPECT_TRUE(classes.IsEmpty());
}

TEST(QVDocumentTypeMgrTest, TypesAreNumberedInRegistrationOrder)
{
    QVDocumentTypeMgr types;
    EXPECT_EQ(types.CountDocumentTypes(), 0u);
    EXPECT_FALSE(types.IsValidDocumentType(1));
    EXPECT_EQ(&types.GetDocumentTypeInfo(1), &kQVNullDocumentTypeInfo);

    types.RegisterDocumentTypeInfo(kQVDocumentInfoScore);
    types.RegisterDocumentTypeInfo(BinaryType());
    ASSERT_EQ(types.CountDocumentTypes(), 2u);
    EXPECT_FALSE(types.IsValidDocumentType(0));
    EXPECT_TRUE(types.IsValidDocumentType(2));
    EXPECT_FALSE(types.IsValidDocumentType(3));
    EXPECT_EQ(types.GetDocumentTypeInfo(2).GetXmlSignature().StdString(), "Binary");
    EXPECT_EQ(&types.GetDocumentTypeInfo(0), &kQVNullDocumentTypeInfo);
    EXPECT_EQ(&types.GetDocumentTypeInfo(3), &kQVNullDocumentTypeInfo);
    EXPECT_EQ(&types.GetDocumentTypeInfo(static_cast<unsigned int>(-1)), &kQVNullDocumentTypeInfo);

    EXPECT_EQ(types.GetTypeFromXmlFileSignature("Score"), 1u);
    EXPECT_EQ(types.GetTypeFromXmlFileSignature("score"), 0u);
    EXPECT_EQ(types.GetTypeFromXmlFileSignature(""), 0u);
    EXPECT_EQ(types.GetTypeFromFileExtension("qvb"), 2u);
    EXPECT_EQ(types.GetTypeFromFileExtension("QVD"), 0u);
    EXPECT_EQ(types.GetTypeFromFileExtension(""), 0u);
    EXPECT_EQ(types.GetTypeFromBinFileSignature(kBinSignature), 2u);
    EXPECT_EQ(types.GetTypeFromBinFileSignature(0), 0u);
    EXPECT_EQ(types.GetTypeFromBinFileSignature(0x58585858), 0u);

    // No test for duplicates: the first one answers.
    types.RegisterDocumentTypeInfo(kQVDocumentInfoScore);
    EXPECT_EQ(types.CountDocumentTypes(), 3u);
    EXPECT_EQ(types.GetTypeFromXmlFileSignature("Score"), 1u);

    AKClassArray classes;
    types.GetDocumentTypeInfo(2).GetAuthoChildClasses(&classes);
    EXPECT_EQ(classes, (AKClassArray{TestFolder::_Class()}));
    types.GetDocumentTypeInfo(9).GetAuthoChildClasses(&classes);
    EXPECT_TRUE(classes.IsEmpty());
}

TEST(QVDocumentTypeMgrTest, FileVersions)
{
    QVDocumentTypeMgr types;
    // Nothing set up: every version is accepted.
    EXPECT_TRUE(types.CheckDocumentFileVersionSupported(0));
    EXPECT_TRUE(types.CheckDocumentFileVersionSupported(77));

    types.SetupDocumentsFileSignatureAndVersions(kQVDocumentsFileSignature, kQVDocumentsFileVersion,
                                                 kQVDocumentsFileOldestVersion);
    EXPECT_EQ(types.GetDocumentsFileSignature(), 0x504C5941u);
    for (unsigned int version : {0u, 1u, 3u})
        EXPECT_FALSE(types.CheckDocumentFileVersionSupported(version)) << version;
    EXPECT_TRUE(types.CheckDocumentFileVersionSupported(2));

    // An oldest version of 0 means the current one.
    types.SetupDocumentsFileSignatureAndVersions(kQVDocumentsFileSignature, 5, 0);
    EXPECT_EQ(types.GetDocumentsFileOldestVersion(), 5u);
    EXPECT_FALSE(types.CheckDocumentFileVersionSupported(4));
    EXPECT_TRUE(types.CheckDocumentFileVersionSupported(5));
}

}  // namespace
