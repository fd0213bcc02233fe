// The MIDI input thread against the message thread: messages dispatched
// while the targeted players are added to and deleted from the document, and
// while the patches they learn into are read, cleared and saved.

#include "AKTreeActionParam.h"
#include "MidiTestDocument.h"
#include "QVDocumentTreeHandler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

template <class T>
T* AddObject(QVDocument& document, AKObject* parent, AKTreeActionParam* record)
{
    T* const object = AKNew<T>("%s", "");
    AKTreeActionParam param(document.GetTree());
    param.WithNewObject(object).WithTargetNode(parent->GetNodeOwner(), kAKLinkModeLastChildren);
    if (document.GetTreeHandler()->DoAddNewObjects(param) != 0) {
        AKClass::DeleteObject(object);
        return nullptr;
    }
    *record = param;
    return object;
}

TEST(QVMidiGandlerThread, MessagesNeverReachADeletedObject)
{
    QVDocument document(1, kQVDocumentFlagPrivate);
    ASSERT_EQ(document.OnDocumentNew("Midi", 0, false), 0);
    QVObjectFolderSequence* const sequences = SeqFirstChildOfRoot<QVObjectFolderSequence>(*document.GetTree());
    QVObjectFolderCursor* const players = SeqFirstChildOfRoot<QVObjectFolderCursor>(*document.GetTree());
    ASSERT_TRUE(sequences != nullptr && players != nullptr);
    AKTreeActionParam created(document.GetTree());
    QVObjectSequence* const sequence = AddObject<QVObjectSequence>(document, sequences, &created);
    ASSERT_NE(sequence, nullptr);
    document.SynchronizeAllAndNotifyGandlerListeners(created);
    QVMidiParamPatch* const learning = MidiPatcherOf(sequence)->FindParamByTemplateID(kQVPrmID_Volume);
    learning->SetModeLearn(true);

    std::atomic<bool> stop{false};
    std::atomic<unsigned long> sent{0};
    std::atomic<unsigned long> matched{0};
    std::thread midi([&] {
        uint8_t value = 0;
        while (!stop.load(std::memory_order_acquire)) {
            value = uint8_t((value + 1) & 0x7F);
            uint8_t const bytes[] = {uint8_t(0xB0 | (value & 0x0F)), 7, value};
            QVMidiResult result;
            QVMidiGandler::sShared.HandleReceivedMidiPacket(&document, bytes, 3, &result);
            sent.fetch_add(1, std::memory_order_relaxed);
            matched.fetch_add(result.mMatchedCount, std::memory_order_relaxed);
        }
    });

    // Until the MIDI thread has had its share of messages as well.
    unsigned int rounds = 0;
    while (rounds < 300 || (sent.load() < 2000 && rounds < 100000)) {
        ++rounds;
        AKTreeActionParam added(document.GetTree());
        QVObjectAtomic* const player = AddObject<QVObjectAtomic>(document, players, &added);
        ASSERT_NE(player, nullptr);
        MidiMap(player, kQVPrmID_Volume, kQVMidiMessageType_Controller, 0, 7);
        MidiMap(player, kQVPrmID_Mute, kQVMidiMessageType_Controller, 0, 7, kQVStarterBehaviorToggle);
        document.SynchronizeAllAndNotifyGandlerListeners(added);

        // The patch the MIDI thread learns into, read and saved meanwhile.
        AKDictionary form;
        sequence->akmWriteToDictionary(form);
        QVMidiParamPatch copy;
        MidiPatcherOf(sequence)->CopyParamByTemplateID(kQVPrmID_Volume, &copy);
        if (rounds % 50 == 0) {
            learning->Clear();
            learning->SetModeLearn(true);
        }

        AKTreeActionParam removed(document.GetTree());
        removed.WithTreeObject(player);
        ASSERT_EQ(document.GetTreeHandler()->DoDelete(removed), 0);
        document.SynchronizeAllAndNotifyGandlerListeners(removed);
        document.DoIdlingForTreeObjectsAndGarbage();
    }
    stop = true;
    midi.join();

    EXPECT_GE(sent.load(), 2000u);
    EXPECT_GT(matched.load(), 0u);
    // Still learning after the last clear.
    uint8_t const last[] = {0xB3, 9, 1};
    QVMidiGandler::sShared.HandleReceivedMidiPacket(&document, last, 3, nullptr);
    EXPECT_EQ(learning->GetMatchMidiType(), uint32_t(kQVMidiMessageType_Controller));
    EXPECT_EQ(learning->GetMatchMidiNumber(), 9u);
    EXPECT_EQ(players->GetFLSubPlayers().Count(), 0u);
}

}  // namespace
