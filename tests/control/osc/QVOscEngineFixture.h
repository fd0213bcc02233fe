#pragma once

// What the OSC interpreter's tests stand on: the started engine with its
// parameter table, an active document of the engine's own type, objects
// made and deleted through its tree handler as the commands do, OSC packets
// built with oscpack, and a sender that records the replies.

#include "AKNode.h"
#include "QVCommandInfo.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVLibEnv.h"
#include "QVObjectAtomic.h"
#include "QVObjectCursor.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVOscSenderLibext.h"
#include "QVParams.h"
#include "QVTreeHandler.h"

#include <gtest/gtest.h>
#include <mutex>
#include <oscpack/osc/OscOutboundPacketStream.h>
#include <oscpack/osc/OscReceivedElements.h>
#include <string>
#include <vector>

namespace osctest {

class EngineEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_EQ(QVLibEnv::Initialize(false), 0);
        QVParams::BuildParamInfoList();
    }
    void TearDown() override { QVLibEnv::Terminate(); }
};

// An initialised document of the engine's type, active while it lives.
class ActiveDocument
{
public:
    explicit ActiveDocument(unsigned int flags = 0) : mDocument(new QVDocument(1, flags))
    {
        EXPECT_EQ(mDocument->OnDocumentNew(AKString("OSC"), 0, false), 0);
        QVDocumentMgr::sShared.SetActiveDocument(mDocument);
    }
    ~ActiveDocument()
    {
        QVDocumentMgr::sShared.SetActiveDocument(nullptr);
        mDocument->Delete();
    }
    ActiveDocument(ActiveDocument const&) = delete;
    ActiveDocument& operator=(ActiveDocument const&) = delete;

    QVDocument& Get() const { return *mDocument; }
    QVTreeHandler& Handler() const { return *static_cast<QVTreeHandler*>(mDocument->GetTreeHandler()); }

    // A sequence with one track and no player.
    QVObjectSequence* NewSequence(char const* name, QVObjectTrack** track = nullptr)
    {
        QVObjectSequence* sequence = nullptr;
        QVObjectTrack* newTrack = AKNew<QVObjectTrack>("%s", "");
        Begin();
        EXPECT_EQ(Handler().DoEasyNewSequenceWithNewTrack(&sequence, AKString(name), &newTrack), 0);
        End();
        if (track != nullptr)
            *track = newTrack;
        return sequence;
    }
    // A player under the parent (a sequence, a multi-player; null: the
    // player folder): single with subCount 0, else a multi-player.
    QVObjectPlayable* NewPlayer(AKObject* parent, unsigned int subCount = 0)
    {
        QVObjectPlayable* player = nullptr;
        Begin();
        EXPECT_EQ(Handler().DoEasyNewCursor(&player, AKString(), subCount, 0.0, parent, kAKLinkModeLastChildren), 0);
        End();
        return player;
    }
    // Deletes the object and frees what the tree queued.
    void Delete(AKObject* object)
    {
        Begin();
        EXPECT_EQ(Handler().DoEasyDeleteObject(&object), 0);
        End();
        mDocument->DoIdlingForTreeObjectsAndGarbage();
    }

private:
    void Begin() { ASSERT_EQ(Handler().DoEasyStart(QVCommandInfo(8201, "Edit"), nullptr), 0); }
    void End()
    {
        Handler().DoEasyEnd();
        mDocument->SynchronizeAllAndNotifyGandlerListeners();
    }

    QVDocument* const mDocument;
};

inline int IDOf(AKObject const* object) { return object->NodeOwnerID(); }

// A packet written with oscpack: messages to "/quorvex" (or another
// address), optionally inside bundles.
class Packet
{
public:
    explicit Packet(size_t capacity = 65536) : mBuffer(capacity), mStream(mBuffer.data(), mBuffer.size()) {}

    template <class... Args>
    Packet& To(char const* address, Args const&... args)
    {
        mStream << osc::BeginMessage(address);
        (mStream << ... << args);
        mStream << osc::EndMessage;
        return *this;
    }
    template <class... Args>
    Packet& Msg(Args const&... args)
    {
        return To("/quorvex", args...);
    }
    Packet& BeginBundle()
    {
        mStream << osc::BeginBundleImmediate;
        return *this;
    }
    Packet& EndBundle()
    {
        mStream << osc::EndBundle;
        return *this;
    }
    std::string Bytes() const { return std::string(mStream.Data(), mStream.Size()); }

private:
    std::vector<char> mBuffer;
    osc::OutboundPacketStream mStream;
};

template <class... Args>
std::string Quorvex(Args const&... args)
{
    return Packet().Msg(args...).Bytes();
}

// The arguments of a reply as text, "" for a packet that is not one bundle
// holding one "/quorvex" message: strings as they are, int32 as "#n",
// float32 with 4 significant digits.
inline std::vector<std::string> ReplyArguments(std::string const& bytes)
{
    std::vector<std::string> out;
    osc::ReceivedPacket const packet(bytes.data(), osc::osc_bundle_element_size_t(bytes.size()));
    if (!packet.IsBundle())
        return {""};
    osc::ReceivedBundle const bundle(packet);
    if (bundle.ElementCount() != 1 || bundle.TimeTag() != 1)
        return {""};
    osc::ReceivedMessage const message(*bundle.ElementsBegin());
    if (std::string(message.AddressPattern()) != "/quorvex")
        return {""};
    for (auto it = message.ArgumentsBegin(); it != message.ArgumentsEnd(); ++it) {
        char text[64];
        if (it->IsString())
            out.push_back(it->AsStringUnchecked());
        else if (it->IsInt32()) {
            std::snprintf(text, sizeof(text), "#%d", it->AsInt32Unchecked());
            out.push_back(text);
        } else if (it->IsFloat()) {
            std::snprintf(text, sizeof(text), "%.4g", double(it->AsFloatUnchecked()));
            out.push_back(text);
        } else
            out.push_back("?");
    }
    return out;
}

inline std::string Int(int value) { return "#" + std::to_string(value); }

// A connected sender that keeps every packet (or refuses them all).
class RecordingSender : public QVOscSenderLibext
{
public:
    bool Connect(AKString const&, uint32_t, bool) override { return mConnected = true; }
    void Disconnect() override { mConnected = false; }
    bool IsConnected() const override { return mConnected; }
    bool SendPacket(char const* data, int size) override
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (!mAccepts)
            return false;
        mPackets.emplace_back(data, size_t(size));
        return true;
    }

    void SetAccepts(bool accepts) { mAccepts = accepts; }
    std::vector<std::string> Packets() const
    {
        std::lock_guard<std::mutex> lock(mMutex);
        return mPackets;
    }

private:
    bool mConnected = true;
    bool mAccepts = true;
    mutable std::mutex mMutex;
    std::vector<std::string> mPackets;
};

}  // namespace osctest
