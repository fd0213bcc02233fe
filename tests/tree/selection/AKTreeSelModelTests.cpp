// Selection models and their manager: model IDs, names, the change stamp,
// direct access, the dictionary form and the custom players file, the
// checks of models read from an edited file, and the log lines.

#include "AKEngineServices.h"
#include "AKFileUtils.h"
#include "AKStamps.h"
#include "AKStatus.h"
#include "AKTreeSelModel.h"
#include "AKTreeSelModelMgr.h"
#include "LogCapture.h"
#include "SelTestFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// An engine that answers a bare file name: a settings folder it does not have.
class BareNameServices : public AKEngineServices
{
public:
    AKFilePath GetSettingsFilePath(AKString const& name) const override { return AKFilePath(name); }
};

std::string ReadText(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(std::string const& path, std::string const& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

AKValue const& At(AKDictionary const& dictionary, char const* key) { return dictionary.GetValue(key); }

std::string StringAt(AKDictionary const& dictionary, char const* key)
{
    return AKValueGetasAKString(dictionary.GetValue(key)).StdString();
}

// A model dictionary as the file holds it.
AKDictionary ModelDico(char const* name, unsigned long long date, char const* classSup, char const* classes,
                       unsigned int count, AKDictionary const& objects)
{
    AKDictionary dictionary;
    dictionary.SetValue("ModelName", AKValueSetasAKString(AKString(name)));
    dictionary.SetValue("ModelDate", AKValueSetasUInt(date));
    dictionary.SetValue("ClassSup", AKValueSetasAKString(AKString(classSup)));
    dictionary.SetValue("Classes", AKValueSetasAKString(AKString(classes)));
    dictionary.SetValue("ObjCount", AKValueSetasUInt(count));
    dictionary.SetValue("Objects", AKValueSetasAKDictionary(objects));
    return dictionary;
}

AKDictionary ModelsFile(std::initializer_list<AKValue> models)
{
    AKDictionary top;
    top.SetValue("Models", AKValueSetasAKValueArray(AKValueArray(models)));
    return top;
}

std::vector<std::string> NamesOf(AKTreeSelModelMgr const& models)
{
    std::vector<std::string> names;
    for (AKTreeSelModel const* model : models.GetModels())
        names.push_back(model->GetModelName().StdString());
    return names;
}

std::vector<AKModelID> IDsOf(AKTreeSelModelMgr const& models)
{
    std::vector<AKModelID> ids;
    for (AKModelID modelID : models.GetModelIDs())
        ids.push_back(modelID);
    return ids;
}

// Runs the body in a new process started for this test alone, so that the
// process-wide model counter starts afresh; the body prints what failed and
// answers whether everything held.
template <class Body>
void ExpectInFreshProcess(Body body)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(body() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

// The fixture: the usual document, a private temporary folder as the
// settings folder, and the shared manager emptied around every test.
class TreeSelModelTest : public SelTreeTest
{
protected:
    void SetUp() override
    {
        SelTreeTest::SetUp();
        char pattern[] = "/tmp/orvel-models-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        fTempDir = pattern;
        TreeTestServices().SetSettingsFolder(AKFilePath(fTempDir + "/"));
        AKTreeSelModelMgr::sShared.RemoveAllModels();
    }
    void TearDown() override
    {
        AKTreeSelModelMgr::sShared.RemoveAllModels();
        AKEngineServices::Install(&TreeTestServices());
        TreeTestServices().SetSettingsFolder(AKFilePath());
        std::filesystem::remove_all(fTempDir);
        SelTreeTest::TearDown();
    }

    std::string TempPath(char const* name) const { return fTempDir + "/" + name; }
    std::string DefaultFile() const { return TempPath(kAKTreeSelModelsFileName); }

    std::string fTempDir;
};

// --- Model IDs ---

TEST_F(TreeSelModelTest, TheFirstModelOfAProcessIs101AndIDsAreNeverReused)
{
    ExpectInFreshProcess([] {
        AKTreeSelModelMgr models;
        AKTreeSelModel* first = models.CreateModel("A");
        bool ok = first->GetModelID() == 101;
        models.RemoveModel(first);
        AKTreeSelModel* second = models.CreateModel("B");
        ok = ok && second->GetModelID() == 102 && models.GetModelByID(101) == nullptr &&
             models.GetModelByID(102) == second;
        // A model made outside the manager takes an ID all the same.
        AKTreeSelModel outside("C");
        ok = ok && outside.GetModelID() == 103 && models.CreateModel("D")->GetModelID() == 104;
        models.RemoveAllModels();
        ok = ok && models.CreateModel("E")->GetModelID() == 105;
        if (!ok)
            std::fprintf(stderr, "model IDs are not 101, 102, ... in creation order\n");
        return ok;
    });
}

TEST_F(TreeSelModelTest, ModelsLoadedFromAFileTakeTheNextIDs)
{
    AKTreeSelModelMgr models;
    AKModelID keptID = models.CreateModel("Kept")->GetModelID();
    AKModelID last = AKTreeSelModel("probe").GetModelID();
    AKDictionary file = ModelsFile({AKValueSetasAKDictionary(ModelDico("A", 1, "", "", 0, kAKNullDictionary)),
                                    AKValueSetasAKDictionary(ModelDico("B", 2, "", "", 0, kAKNullDictionary))});

    EXPECT_EQ(models.ReadFromDictionary(file), 0);
    EXPECT_EQ(IDsOf(models), (std::vector<AKModelID>{last + 1, last + 2}));
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(models.GetModelByID(keptID), nullptr);
}

// --- Names ---

TEST_F(TreeSelModelTest, NamesAreTrimmedAndCutTo64BytesWhenSetButNotWhenRead)
{
    std::string seventy(70, 'x');
    struct Case {
        std::string given;
        std::string stored;
    } cases[] = {
        {"  My  Player \t", "My  Player"},
        {"\t\t", ""},
        {seventy, std::string(64, 'x')},
        {"  " + std::string(64, 'y') + "z ", std::string(64, 'y')},
        {"Plain", "Plain"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(AKTreeSelModel(c.given).GetModelName().StdString(), c.stored);
        AKTreeSelModel renamed("Other");
        EXPECT_TRUE(renamed.SetModelName(c.given));
        EXPECT_EQ(renamed.GetModelName().StdString(), c.stored);
    }

    // A name read from a dictionary is taken as it is.
    AKTreeSelModel read("");
    AKString storedName(("  " + seventy + " ").c_str());
    AKDictionary dictionary;
    dictionary.SetValue("ModelName", AKValueSetasAKString(storedName));
    EXPECT_EQ(read.SetupFromDictionary(dictionary), 0);
    EXPECT_EQ(read.GetModelName(), storedName);
}

TEST_F(TreeSelModelTest, RenamingAnswersWhetherTheTreatedNameChangedAndMovesTheStamp)
{
    AKTreeSelModelMgr models;
    AKTreeSelModel* model = models.CreateModel("Solo");
    unsigned int stamp = models.GetChangeStamp();

    EXPECT_FALSE(models.RenameModel(model, " Solo\t"));
    EXPECT_EQ(models.GetChangeStamp(), stamp);
    EXPECT_TRUE(models.RenameModel(model, "  Duo "));
    EXPECT_EQ(model->GetModelName().StdString(), "Duo");
    EXPECT_EQ(models.GetChangeStamp(), stamp + 1);

    // Null, foreign and removed models change nothing.
    AKTreeSelModel outside("Outside");
    AKTreeSelModelMgr others;
    AKTreeSelModel* foreign = others.CreateModel("Foreign");
    EXPECT_FALSE(models.RenameModel(nullptr, "X"));
    EXPECT_FALSE(models.RenameModel(&outside, "X"));
    EXPECT_FALSE(models.RenameModel(foreign, "X"));
    EXPECT_EQ(outside.GetModelName().StdString(), "Outside");
    EXPECT_EQ(foreign->GetModelName().StdString(), "Foreign");
    EXPECT_EQ(models.GetChangeStamp(), stamp + 1);
}

// --- The list ---

TEST_F(TreeSelModelTest, TheListKeepsItsOrderAndTheStampMovesWithEveryChange)
{
    AKTreeSelModelMgr models;
    EXPECT_EQ(models.GetChangeStamp(), kAKNullStampVers);
    EXPECT_TRUE(models.GetModelIDs().IsEmpty());
    EXPECT_FALSE(models.RemoveAllModels());
    EXPECT_EQ(models.GetChangeStamp(), kAKNullStampVers);

    AKTreeSelModel* a = models.CreateModel("A");
    AKTreeSelModel* b = models.CreateModel("B");
    AKTreeSelModel* c = models.CreateModel("C");
    EXPECT_TRUE(a->IsEmpty());
    EXPECT_TRUE(a->IsDictionaryForm());
    EXPECT_EQ(models.GetChangeStamp(), kAKNullStampVers + 3);
    EXPECT_EQ(IDsOf(models), (std::vector<AKModelID>{a->GetModelID(), b->GetModelID(), c->GetModelID()}));

    AKModelID removedID = b->GetModelID();
    EXPECT_TRUE(models.RemoveModel(b));
    EXPECT_EQ(models.GetChangeStamp(), kAKNullStampVers + 4);
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(IDsOf(models), (std::vector<AKModelID>{a->GetModelID(), c->GetModelID()}));
    EXPECT_EQ(models.GetModelByID(removedID), nullptr);
    EXPECT_EQ(models.GetModelByID(c->GetModelID()), c);
    EXPECT_EQ(models.GetModelByID(kAKNullModelID), nullptr);

    AKTreeSelModel outside("Outside");
    EXPECT_FALSE(models.RemoveModel(nullptr));
    EXPECT_FALSE(models.RemoveModel(&outside));
    EXPECT_EQ(models.GetChangeStamp(), kAKNullStampVers + 4);

    AKModelID firstID = a->GetModelID();
    EXPECT_TRUE(models.RemoveAllModels());
    EXPECT_EQ(models.CountModels(), 0u);
    EXPECT_TRUE(models.GetModelIDs().IsEmpty());
    EXPECT_EQ(models.GetModelByID(firstID), nullptr);
    EXPECT_EQ(models.GetChangeStamp(), kAKNullStampVers + 5);
}

TEST_F(TreeSelModelTest, AnIDBeyond9999TurnsDirectAccessOffForGoodAndLookUpsStillAnswer)
{
    ExpectInFreshProcess([] {
        AKTreeSelModelMgr models;
        AKTreeSelModel* early = models.CreateModel("Early");
        AKTreeSelModel* removed = models.CreateModel("Removed");
        AKModelID removedID = removed->GetModelID();
        models.RemoveModel(removed);
        bool ok = models.IsDirectAccessOn();
        // Use up the IDs below the table's end.
        while (AKTreeSelModel("probe").GetModelID() < 9999) {
        }
        AKTreeSelModel* late = models.CreateModel("Late");
        ok = ok && late->GetModelID() == 10000 && !models.IsDirectAccessOn();
        ok = ok && models.GetModelByID(early->GetModelID()) == early && models.GetModelByID(10000) == late &&
             models.GetModelByID(removedID) == nullptr && models.GetModelByID(kAKNullModelID) == nullptr;
        models.RemoveAllModels();
        AKTreeSelModel* after = models.CreateModel("After");
        ok = ok && !models.IsDirectAccessOn() && models.GetModelByID(after->GetModelID()) == after;
        if (!ok)
            std::fprintf(stderr, "direct access did not switch off cleanly\n");
        return ok;
    });
}

// --- Models made from objects ---

TEST_F(TreeSelModelTest, AModelFromObjectsHoldsTheirCopyAndAFailedCopyLeavesNoModel)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr models;

    AKTreeSelModel* single = models.CreateModelWithObject(&tree, ItemNode(tree, 4)->GetObject(), "Single");
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->GetObjectCount(), 1u);
    EXPECT_EQ(single->GetClasses(), (AKClassArray{TestItem::_Class()}));
    EXPECT_FALSE(single->GetDictionary().IsEmpty());

    // Several objects are normalised: the item inside F goes with F.
    ATObjectArray<AKObject> objects;
    objects.Push(ItemNode(tree, 6)->GetObject());
    objects.Push(ItemNode(tree, 2)->GetObject());
    objects.Push(FolderNode(tree, "F")->GetObject());
    AKTreeSelModel* several = models.CreateModelWithObjects(&tree, objects, "Several");
    ASSERT_NE(several, nullptr);
    EXPECT_EQ(several->GetObjectCount(), 2u);
    EXPECT_EQ(several->GetClasses(), (AKClassArray{TestFolder::_Class(), TestItem::_Class()}));
    EXPECT_EQ(several->GetCommonBaseClass(), TestBaseObject::_Class());

    unsigned int count = models.CountModels();
    unsigned int stamp = models.GetChangeStamp();
    TestItem detached;
    EXPECT_EQ(models.CreateModelWithObject(&tree, nullptr, "None"), nullptr);
    EXPECT_EQ(models.CreateModelWithObject(nullptr, ItemNode(tree, 4)->GetObject(), "None"), nullptr);
    EXPECT_EQ(models.CreateModelWithObjects(&tree, ATObjectArray<AKObject>(), "None"), nullptr);
    EXPECT_EQ(models.GetChangeStamp(), stamp);
    EXPECT_EQ(models.CreateModelWithObject(&tree, &detached, "Detached"), nullptr);
    EXPECT_EQ(models.CountModels(), count);
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"Single", "Several"}));
}

// --- Dictionary form ---

TEST_F(TreeSelModelTest, AModelWritesItsSixKeysOnlyWhenItHoldsObjects)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr models;
    AKDictionary dictionary;
    dictionary.SetValue("Stale", AKValueSetasSInt(1));

    EXPECT_EQ(models.CreateModel("Empty")->WriteToDictionary(&dictionary), 0);
    EXPECT_TRUE(dictionary.IsEmpty());

    AKTreeSelModel* single = models.CreateModelWithObject(&tree, ItemNode(tree, 4)->GetObject(), "Single");
    single->SetModelDate(1234);
    EXPECT_EQ(single->WriteToDictionary(&dictionary), 0);
    EXPECT_EQ(dictionary.Count(), 6u);
    EXPECT_EQ(StringAt(dictionary, "ModelName"), "Single");
    EXPECT_EQ(AKValueGetasUInt(At(dictionary, "ModelDate"), false), 1234u);
    EXPECT_EQ(StringAt(dictionary, "ClassSup"), "tstItem");
    EXPECT_EQ(StringAt(dictionary, "Classes"), "tstItem");
    EXPECT_EQ(AKValueGetasUInt(At(dictionary, "ObjCount"), false), 1u);
    EXPECT_EQ(AKValueGetasAKDictionary(At(dictionary, "Objects")), single->GetDictionary());

    ATObjectArray<AKObject> objects;
    objects.Push(FolderNode(tree, "G")->GetObject());
    objects.Push(ItemNode(tree, 6)->GetObject());
    EXPECT_EQ(models.CreateModelWithObjects(&tree, objects, "Pair")->WriteToDictionary(&dictionary), 0);
    EXPECT_EQ(StringAt(dictionary, "Classes"), "tstFold; tstItem");
    EXPECT_EQ(StringAt(dictionary, "ClassSup"), "tstBase");

    // A copy emptied behind the summary's back writes nothing either.
    single->GetDictionary().Clear();
    EXPECT_EQ(single->WriteToDictionary(&dictionary), 0);
    EXPECT_TRUE(dictionary.IsEmpty());
}

TEST_F(TreeSelModelTest, SetupReadsTheSixKeysAndMissingOnesLeaveEmptyFields)
{
    AKTreeSelModel model("Before");
    AKModelID modelID = model.GetModelID();
    AKDictionary objects = DicoTree({DicoItem(7), DicoNamedFolder("H", {DicoItem(8)})});

    EXPECT_EQ(model.SetupFromDictionary(ModelDico("Pair", 99, "tstBase", "tstItem; tstFold;", 2, objects)), 0);
    EXPECT_EQ(model.GetModelID(), modelID);
    EXPECT_EQ(model.GetModelName().StdString(), "Pair");
    EXPECT_EQ(model.GetModelDate(), 99u);
    EXPECT_EQ(model.GetObjectCount(), 2u);
    EXPECT_EQ(model.GetClasses(), (AKClassArray{TestItem::_Class(), TestFolder::_Class()}));
    EXPECT_EQ(model.GetCommonBaseClass(), TestBaseObject::_Class());
    EXPECT_EQ(model.GetDictionary(), objects);

    EXPECT_EQ(model.SetupFromDictionary(kAKNullDictionary), 0);
    EXPECT_EQ(model.GetModelID(), modelID);
    EXPECT_TRUE(model.GetModelName().IsEmpty());
    EXPECT_EQ(model.GetModelDate(), 0u);
    EXPECT_TRUE(model.IsEmpty());
    EXPECT_TRUE(model.GetClasses().IsEmpty());
    EXPECT_EQ(model.GetCommonBaseClass(), nullptr);
    EXPECT_TRUE(model.GetDictionary().IsEmpty());
}

TEST_F(TreeSelModelTest, ReadingReplacesEveryModelAndANonDictionaryEntryGivesAnEmptyModel)
{
    AKTreeSelModelMgr models;
    models.CreateModel("Old");
    AKDictionary file =
        ModelsFile({AKValueSetasAKDictionary(ModelDico("A", 5, "tstItem", "tstItem", 1, DicoTree({DicoItem(3)}))),
                    AKValueSetasSInt(12), AKValueSetasAKDictionary(kAKNullDictionary)});
    EXPECT_EQ(models.ReadFromDictionary(file), 0);
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"A", "", ""}));
    EXPECT_EQ(models.GetModels()[0]->GetObjectCount(), 1u);
    EXPECT_TRUE(models.GetModels()[1]->IsEmpty());
    EXPECT_TRUE(models.GetModels()[2]->IsEmpty());

    AKDictionary written;
    EXPECT_EQ(models.WriteToDictionary(&written), 0);
    AKValueArray const& entries = AKValueGetasAKValueArray(At(written, "Models"));
    ASSERT_EQ(entries.Count(), 1u);
    EXPECT_EQ(StringAt(AKValueGetasAKDictionary(entries[0]), "ModelName"), "A");

    EXPECT_EQ(models.ReadFromDictionary(kAKNullDictionary), 0);
    EXPECT_EQ(models.CountModels(), 0u);
}

// --- The custom players file ---

TEST_F(TreeSelModelTest, TheFileHasExactlyTheKeysAndLayoutOfTheCustomPlayersFile)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr models;
    models.CreateModel("Empty");
    AKTreeSelModel* model = models.CreateModelWithObject(&tree, ItemNode(tree, 4)->GetObject(), "  Solo & <Co> ");
    model->SetModelDate(1700000000);

    EXPECT_EQ(models.SaveToXmlFile(AKFilePath(TempPath("models.plist"))), 0);
    EXPECT_EQ(ReadText(TempPath("models.plist")), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                                  "<plist version=\"1.0\">\n"
                                                  "    <dict>\n"
                                                  "        <key>Models</key>\n"
                                                  "        <array>\n"
                                                  "            <dict>\n"
                                                  "                <key>ClassSup</key>\n"
                                                  "                <string>tstItem</string>\n"
                                                  "                <key>Classes</key>\n"
                                                  "                <string>tstItem</string>\n"
                                                  "                <key>ModelDate</key>\n"
                                                  "                <integer>1700000000</integer>\n"
                                                  "                <key>ModelName</key>\n"
                                                  "                <string>Solo &amp; &lt;Co&gt;</string>\n"
                                                  "                <key>ObjCount</key>\n"
                                                  "                <integer>1</integer>\n"
                                                  "                <key>Objects</key>\n"
                                                  "                <dict>\n"
                                                  "                    <key>Subs</key>\n"
                                                  "                    <array>\n"
                                                  "                        <dict>\n"
                                                  "                            <key>Class</key>\n"
                                                  "                            <string>tstItem</string>\n"
                                                  "                            <key>Name</key>\n"
                                                  "                            <string></string>\n"
                                                  "                            <key>Value</key>\n"
                                                  "                            <integer>4</integer>\n"
                                                  "                        </dict>\n"
                                                  "                    </array>\n"
                                                  "                </dict>\n"
                                                  "            </dict>\n"
                                                  "        </array>\n"
                                                  "    </dict>\n"
                                                  "</plist>\n");
}

TEST_F(TreeSelModelTest, AFileOfEmptyModelsHasNoModelsKeyAndLoadsNoModel)
{
    AKTreeSelModelMgr models;
    models.CreateModel("Empty");
    EXPECT_EQ(models.SaveToXmlFile(AKFilePath(TempPath("empty.plist"))), 0);
    EXPECT_EQ(ReadText(TempPath("empty.plist")), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                                 "<plist version=\"1.0\">\n"
                                                 "    <dict />\n"
                                                 "</plist>\n");

    EXPECT_EQ(models.LoadFromXmlFile(AKFilePath(TempPath("empty.plist"))), 0);
    EXPECT_EQ(models.CountModels(), 0u);
}

TEST_F(TreeSelModelTest, SavedModelsLoadBackWithNewIDsAndTheirCopiesInsertAsBefore)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr models;
    models.CreateModelWithObject(&tree, FolderNode(tree, "F")->GetObject(), "Folder")->SetModelDate(10);
    ATObjectArray<AKObject> objects;
    objects.Push(ItemNode(tree, 4)->GetObject());
    objects.Push(ItemNode(tree, 6)->GetObject());
    models.CreateModelWithObjects(&tree, objects, "Items")->SetModelDate(20);
    AKFilePath path(TempPath("round.plist"));
    ASSERT_EQ(models.SaveToXmlFile(path), 0);

    AKTreeSelModelMgr loaded;
    loaded.CreateModel("Replaced");
    LogCapture log;
    ASSERT_EQ(loaded.LoadFromXmlFile(path), 0);
    EXPECT_TRUE(log.Lines().empty());  // a file written here needs no mending
    ASSERT_EQ(NamesOf(loaded), (std::vector<std::string>{"Folder", "Items"}));
    for (unsigned int i = 0; i < 2; ++i) {
        AKTreeSelModel const* before = models.GetModels()[i];
        AKTreeSelModel const* after = loaded.GetModels()[i];
        EXPECT_GT(after->GetModelID(), models.GetModels()[1]->GetModelID());
        EXPECT_EQ(after->GetModelDate(), before->GetModelDate());
        EXPECT_EQ(after->GetObjectCount(), before->GetObjectCount());
        EXPECT_EQ(after->GetClasses(), before->GetClasses());
        EXPECT_EQ(after->GetCommonBaseClass(), before->GetCommonBaseClass());
        EXPECT_EQ(after->GetDictionary(), before->GetDictionary());
    }

    // Creating players from a loaded model: the copies land in the tree.
    AKTreeSel out;
    ASSERT_EQ(
        tree.ReadAndLinkTreeSelFromCache(&out, *loaded.GetModels()[1], FolderNode(tree, "G"), kAKLinkModeLastChildren),
        0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5,4,6],6");
    ASSERT_EQ(
        tree.ReadAndLinkTreeSelFromCache(&out, *loaded.GetModels()[0], tree.GetRootNode(), kAKLinkModeLastChildren), 0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5,4,6],6,F[1,2,3]");
}

TEST_F(TreeSelModelTest, AFileThatCannotBeReadKeepsTheModels)
{
    AKTreeSelModelMgr models;
    models.CreateModel("Kept");
    unsigned int stamp = models.GetChangeStamp();
    WriteText(TempPath("bad.plist"), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<plist version=\"1.0\">\n<dict>\n");
    WriteText(TempPath("nodict.plist"), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<plist version=\"1.0\">\n"
                                        "<array />\n</plist>\n");

    LogCapture log;
    EXPECT_EQ(models.LoadFromXmlFile(AKFilePath(TempPath("bad.plist"))), kAKErrorDictionaryXmlCantRead);
    EXPECT_EQ(models.LoadFromXmlFile(AKFilePath(TempPath("nodict.plist"))), kAKErrorDictionaryXmlBadStructure);
    EXPECT_LT(models.LoadFromXmlFile(AKFilePath(TempPath("missing.plist"))), 0);
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(models.GetChangeStamp(), stamp);
    EXPECT_NE(LineWith(log.Lines(), "Can't read the Xml-file"), "");
}

TEST_F(TreeSelModelTest, TheDefaultFileLivesInTheSettingsFolderAndAMissingOneIsNoError)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr& models = AKTreeSelModelMgr::sShared;
    EXPECT_EQ(AKTreeSelModelMgr::GetDefaultXmlFilePath(), AKFilePath(DefaultFile()));

    models.CreateModel("Kept");
    EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"Kept"}));

    models.CreateModelWithObject(&tree, ItemNode(tree, 5)->GetObject(), "Five");
    ASSERT_EQ(models.SaveToDefaultXmlFile(), 0);
    ASSERT_TRUE(AKFileUtils::FileExists(AKFilePath(DefaultFile())));
    models.RemoveAllModels();
    EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
    EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"Five"}));

    // Saving replaces the file; a settings folder that is missing fails.
    models.RemoveAllModels();
    ASSERT_EQ(models.SaveToDefaultXmlFile(), 0);
    EXPECT_EQ(ReadText(DefaultFile()).find("Models"), std::string::npos);
    TreeTestServices().SetSettingsFolder(AKFilePath(fTempDir + "/missing/"));
    LogCapture log;
    EXPECT_LT(models.SaveToDefaultXmlFile(), 0);
}

TEST_F(TreeSelModelTest, WithoutASettingsFolderTheDefaultFileIsNeitherReadNorWritten)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr& models = AKTreeSelModelMgr::sShared;
    models.CreateModelWithObject(&tree, ItemNode(tree, 4)->GetObject(), "Four");
    // A file of that name in the current folder must not be taken for it.
    std::string inCurrentFolder = kAKTreeSelModelsFileName;
    ASSERT_FALSE(std::filesystem::exists(inCurrentFolder));

    // No engine, an engine without the folder, and one that answers a bare name.
    TreeTestServices().SetSettingsFolder(AKFilePath());
    BareNameServices bareName;
    for (AKEngineServices const* services :
         {static_cast<AKEngineServices const*>(nullptr), static_cast<AKEngineServices const*>(&TreeTestServices()),
          static_cast<AKEngineServices const*>(&bareName)}) {
        AKEngineServices::Install(services);
        EXPECT_TRUE(AKTreeSelModelMgr::GetDefaultXmlFilePath().IsEmpty());
        EXPECT_EQ(models.SaveToDefaultXmlFile(), 0);
        EXPECT_FALSE(std::filesystem::exists(inCurrentFolder));
        EXPECT_EQ(models.LoadFromDefaultXmlFile(), 0);
        EXPECT_EQ(NamesOf(models), (std::vector<std::string>{"Four"}));
    }
}

// --- Models read from an edited file ---

// The summary keys are the user's to edit: the summary that decides where a
// copy may go is taken from the objects themselves.
TEST_F(TreeSelModelTest, ASummaryThatDoesNotDescribeTheObjectsIsTakenFromThem)
{
    AKTree& tree = NewDocument();
    AKNode* folderF = FolderNode(tree, "F");  // takes items only
    struct Case {
        char const* name;
        char const* classSup;
        char const* classes;
        unsigned int count;
        AKDictionary objects;
        unsigned int realCount;
        AKClassArray realClasses;
        AKClass const* realBase;
    } cases[] = {
        {"a folder said to be an item",
         "tstItem",
         "tstItem",
         1,
         DicoTree({DicoNamedFolder("H", {DicoItem(9)})}),
         1,
         {TestFolder::_Class()},
         TestFolder::_Class()},
        {"one object more than counted",
         "tstItem",
         "tstItem",
         1,
         DicoTree({DicoItem(7), DicoNamedFolder("H", {})}),
         2,
         {TestItem::_Class(), TestFolder::_Class()},
         TestBaseObject::_Class()},
        {"a base class that is no base",
         "tstFold",
         "tstItem",
         1,
         DicoTree({DicoItem(7)}),
         1,
         {TestItem::_Class()},
         TestItem::_Class()},
        {"a class listed once per object",
         "tstItem",
         "tstItem; tstItem",
         2,
         DicoTree({DicoItem(7), DicoItem(8)}),
         2,
         {TestItem::_Class()},
         TestItem::_Class()},
        {"counted objects that are not there", "tstItem", "tstItem", 1, kAKNullDictionary, 0, {}, nullptr},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AKTreeSelModel model("");
        LogCapture log;
        EXPECT_EQ(model.SetupFromDictionary(ModelDico("Edited", 1, c.classSup, c.classes, c.count, c.objects)), 0);
        EXPECT_EQ(model.GetObjectCount(), c.realCount);
        EXPECT_EQ(model.GetClasses(), c.realClasses);
        EXPECT_EQ(model.GetCommonBaseClass(), c.realBase);
        EXPECT_EQ(model.GetDictionary(), c.objects);
        EXPECT_NE(LineWith(log.Lines(), "The model \"Edited\" does not describe its objects"), "");
    }

    // What the check gives is what insertion then expects.
    AKTreeSelModel model("");
    ASSERT_EQ(model.SetupFromDictionary(
                  ModelDico("Edited", 1, "tstItem", "tstItem", 1, DicoTree({DicoNamedFolder("H", {DicoItem(9)})}))),
              0);
    EXPECT_FALSE(model.CanLink(folderF, kAKLinkModeLastChildren));
    EXPECT_TRUE(model.CanLink(tree.GetRootNode(), kAKLinkModeLastChildren));
    EXPECT_TRUE(model.HasOneNodeOfClass(TestFolder::_Class()));
    AKDictionary rewritten;
    model.WriteToDictionary(&rewritten);
    EXPECT_EQ(StringAt(rewritten, "Classes"), "tstFold");
    EXPECT_EQ(StringAt(rewritten, "ClassSup"), "tstFold");
}

// Even a summary that lies past the load check is no way into a parent that
// refuses the objects: insertion checks the nodes it actually reads.
TEST_F(TreeSelModelTest, ObjectsWhoseRealClassIsRefusedAreNotInsertedWhateverTheSummarySays)
{
    AKTree& tree = NewDocument();
    AKTreeSelModel model("");
    ASSERT_EQ(model.SetupFromDictionary(
                  ModelDico("Edited", 1, "tstItem", "tstItem", 1, DicoTree({DicoNamedFolder("H", {DicoItem(9)})}))),
              0);
    model.SetSummary(1, AKClassArray{TestItem::_Class()}, TestItem::_Class());
    AKNode* folderF = FolderNode(tree, "F");
    ASSERT_TRUE(model.CanLink(folderF, kAKLinkModeLastChildren));
    TreeSnapshot before = SnapshotOf(tree);
    int liveItems = TestItem::LiveCount();
    AKTreeSel out;

    EXPECT_EQ(tree.ReadAndLinkTreeSelFromCache(&out, model, folderF, kAKLinkModeLastChildren),
              kAKErrorTreeHandlerIncompatibleLink);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(SnapshotOf(tree), before);
    EXPECT_EQ(TestItem::LiveCount(), liveItems);

    EXPECT_EQ(tree.ReadAndLinkTreeSelFromCache(&out, model, tree.GetRootNode(), kAKLinkModeLastChildren), 0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5],6,H[9]");
}

TEST_F(TreeSelModelTest, AModelNamingANodeIDTwiceIsRefusedAndTheOthersLoad)
{
    AKTree& tree = NewDocument();
    struct Case {
        char const* name;
        AKDictionary objects;
        long long duplicate;
    } cases[] = {
        {"two top nodes", DicoTree({DicoItem(7, 50), DicoItem(8, 50)}), 50},
        {"a child and its parent", DicoTree({DicoNamedFolder("H", {DicoItem(7, 60)}, 60)}), 60},
        {"children of two parents",
         DicoTree({DicoNamedFolder("H", {DicoItem(7, 70)}), DicoNamedFolder("I", {DicoItem(8, 70)})}), 70},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        AKTreeSelModel model("");
        LogCapture log;
        EXPECT_EQ(model.SetupFromDictionary(ModelDico("Twice", 3, "tstItem", "tstItem", 1, c.objects)),
                  kAKErrorTreeNodeBadID);
        EXPECT_EQ(model.GetModelName().StdString(), "Twice");
        EXPECT_EQ(model.GetModelDate(), 3u);
        EXPECT_TRUE(model.IsEmpty());
        EXPECT_TRUE(model.GetDictionary().IsEmpty());
        EXPECT_EQ(LineWith(log.Lines(), "Twice"),
                  "# Quorvex Error -694 (kAKErrorTreeNodeBadID): The model \"Twice\" holds the node ID " +
                      std::to_string(c.duplicate) + " twice: its objects are refused.\n");
        AKTreeSel out;
        EXPECT_EQ(tree.ReadAndLinkTreeSelFromCache(&out, model, tree.GetRootNode(), kAKLinkModeLastChildren),
                  kAKErrorTreeHandlerEmptyTreeSel);
    }

    // Distinct explicit IDs are fine, and a bad model does not stop the file.
    AKTreeSelModelMgr models;
    LogCapture log;
    EXPECT_EQ(models.ReadFromDictionary(
                  ModelsFile({AKValueSetasAKDictionary(ModelDico("Twice", 3, "tstItem", "tstItem", 2,
                                                                 DicoTree({DicoItem(7, 50), DicoItem(8, 50)}))),
                              AKValueSetasAKDictionary(ModelDico("Fine", 4, "tstItem", "tstItem", 2,
                                                                 DicoTree({DicoItem(7, 50), DicoItem(8, 51)})))})),
              0);
    ASSERT_EQ(NamesOf(models), (std::vector<std::string>{"Twice", "Fine"}));
    EXPECT_TRUE(models.GetModels()[0]->IsEmpty());
    EXPECT_EQ(models.GetModels()[1]->GetObjectCount(), 2u);
    EXPECT_EQ(log.Lines().size(), 1u);
    AKTreeSel out;
    EXPECT_EQ(
        tree.ReadAndLinkTreeSelFromCache(&out, *models.GetModels()[1], FolderNode(tree, "G"), kAKLinkModeLastChildren),
        0);
    EXPECT_EQ(Shape(tree), "F[1,2,3],4,G[5,7,8],6");
}

// --- Log lines ---

TEST_F(TreeSelModelTest, LogInfoWritesTheManagerAndEveryModelLineByLine)
{
    AKTree& tree = NewDocument();
    AKTreeSelModelMgr models;
    AKTreeSelModel* empty = models.CreateModel("Empty");
    empty->SetModelDate(5);
    AKTreeSelModel* four = models.CreateModelWithObject(&tree, ItemNode(tree, 4)->GetObject(), "Four");
    four->SetModelDate(1700000000);

    LogCapture log;
    models.LogInfo();
    std::string equals = "+" + std::string(82, '=') + "+\n";
    std::string dashes = "+" + std::string(82, '-') + "+\n";
    char emptyID[32];
    char fourID[32];
    std::snprintf(emptyID, sizeof(emptyID), "| ID:    %03u\n", empty->GetModelID());
    std::snprintf(fourID, sizeof(fourID), "| ID:    %03u\n", four->GetModelID());
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               equals, "| Model-Manager has 2 Model(s)\n", equals, emptyID, "| Name:  \"Empty\"\n",
                               "| Date:  5\n", "| Type:  []\n", "| Count: 0\n", dashes, fourID, "| Name:  \"Four\"\n",
                               "| Date:  1700000000\n", "| Type:  [Item]\n", "| Count: 1\n", dashes, "\n"}));
}

}  // namespace
