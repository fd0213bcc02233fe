// The host extension: its defaults answer every question as cancelled and
// make plain documents; its owner always holds one extension and deletes
// each one it gives up.

#include "DocumentTestObjects.h"
#include "QVGandlerLibext.h"
#include "QVGandlerLibextOwner.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

TEST(QVGandlerLibextTest, DefaultsAnswerAsCancelled)
{
    QVGandlerLibext host;

    bool cancelled = true;
    EXPECT_EQ(host.DoApplicationQuit(0x1000, &cancelled), 0);
    EXPECT_TRUE(cancelled) << "the default leaves the answer as it was";
    cancelled = false;
    EXPECT_EQ(host.DoApplicationQuit(0, &cancelled), 0);
    EXPECT_FALSE(cancelled);

    host.DoAlertMessage("Hello");
    EXPECT_FALSE(host.DoAlertOkCancel("Go on?"));

    AKFilePath path("/proposed/name.qvd");
    EXPECT_FALSE(host.DoDialogSaveFile(&path, "Save", "qvd", nullptr));
    EXPECT_EQ(path, AKFilePath("/proposed/name.qvd"));

    AKFilePathArray paths;
    EXPECT_FALSE(host.DoDialogOpenSoundFiles(&paths, "Sounds", true));
    EXPECT_EQ(paths.Count(), 0u);

    AKFilePath folder("/somewhere/");
    EXPECT_FALSE(host.DoDialogChooseDirectory(&folder, "Folder"));

    for (int dialogID = -1; dialogID <= 9; ++dialogID)
        EXPECT_EQ(host.DoDialogStandard(dialogID), kQVGandlerDialogUnknown) << dialogID;
}

TEST(QVGandlerLibextTest, DefaultMakesAPlainDocumentOfTheTypeAndFlags)
{
    QVGandlerLibext host;
    std::unique_ptr<QVDocument> document(host.DoDocumentNew(1, kQVDocumentFlagPrivate | kQVDocumentFlagReadOnly));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->GetDocumentType(), 1u);
    EXPECT_TRUE(document->GetTree()->IsReadOnly());
}

// Counts its deletions in a list shared by the test.
class TrackedHost : public QVGandlerLibext
{
public:
    TrackedHost(int tag, std::vector<int>* deleted) : mTag(tag), mDeleted(deleted) {}
    ~TrackedHost() override { mDeleted->push_back(mTag); }
    int DoDialogStandard(int dialogID) override
    {
        return dialogID >= kQVGandlerDialogPreferences && dialogID <= kQVGandlerDialogAudioPluginPresets ? 0 : -1;
    }

private:
    int mTag;
    std::vector<int>* mDeleted;
};

TEST(QVGandlerLibextOwnerTest, InstallingReplacesAndDeletes)
{
    std::vector<int> deleted;
    {
        QVGandlerLibextOwner owner;
        EXPECT_EQ(owner.Get().DoDialogStandard(kQVGandlerDialogPreferences), kQVGandlerDialogUnknown);

        auto* const first = new TrackedHost(1, &deleted);
        owner.Install(first);
        EXPECT_EQ(&owner.Get(), first);
        EXPECT_EQ(owner.Get().DoDialogStandard(kQVGandlerDialogAudioPluginPresets), 0);
        EXPECT_EQ(owner.Get().DoDialogStandard(0), -1);

        owner.Install(first);  // the one already held stays
        EXPECT_TRUE(deleted.empty());

        owner.Install(new TrackedHost(2, &deleted));
        EXPECT_EQ(deleted, std::vector<int>{1});

        owner.Install(nullptr);  // back to a default
        EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
        EXPECT_EQ(owner.Get().DoDialogStandard(kQVGandlerDialogPreferences), kQVGandlerDialogUnknown);

        owner.Install(new TrackedHost(3, &deleted));
    }
    EXPECT_EQ(deleted, (std::vector<int>{1, 2, 3}));
}

}  // namespace
