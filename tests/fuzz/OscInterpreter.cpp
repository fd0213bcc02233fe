// Fuzz target: received OSC datagrams through the handler's whole path, the
// framing check and then the "/quorvex" interpreter, against a document with
// a sequence, a single player, a multi-player and a track that answer by ID
// and by name path. The first input byte's bit 0 says whether replies can
// be sent; the rest is the datagram. Every reply sent must read back as one
// bundle holding one "/quorvex" message.

#include "AKLog.h"
#include "QVCommandInfo.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVLibEnv.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVOscGandler.h"
#include "QVOscSenderLibext.h"
#include "QVParams.h"
#include "QVTreeHandler.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <oscpack/osc/OscReceivedElements.h>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Checks every reply instead of sending it.
class CheckingSender : public QVOscSenderLibext
{
public:
    bool Connect(AKString const&, uint32_t, bool) override { return true; }
    bool IsConnected() const override { return true; }
    bool SendPacket(char const* data, int size) override
    {
        try {
            osc::ReceivedPacket const packet(data, osc::osc_bundle_element_size_t(size));
            Check(packet.IsBundle());
            osc::ReceivedBundle const bundle(packet);
            Check(bundle.ElementCount() == 1);
            osc::ReceivedMessage const message(*bundle.ElementsBegin());
            Check(std::strcmp(message.AddressPattern(), "/quorvex") == 0);
        } catch (osc::Exception const&) {
            Check(false);
        }
        return mAccepts;
    }
    bool mAccepts = true;
};

struct Engine {
    Engine()
    {
        AKSetCustomLogMessageProc(nullptr, true);
        Check(QVLibEnv::Initialize(false) == 0);
        QVParams::BuildParamInfoList();
        document = new QVDocument(1, 0);
        Check(document->OnDocumentNew(AKString("Fuzz"), 0, false) == 0);
        QVTreeHandler& handler = *static_cast<QVTreeHandler*>(document->GetTreeHandler());
        Check(handler.DoEasyStart(QVCommandInfo(8201, "Edit"), nullptr) == 0);
        QVObjectSequence* sequence = nullptr;
        QVObjectTrack* track = AKNew<QVObjectTrack>("%s", "");
        Check(handler.DoEasyNewSequenceWithNewTrack(&sequence, AKString("A"), &track) == 0);
        QVObjectPlayable* player = nullptr;
        Check(handler.DoEasyNewCursor(&player, AKString(), 0, 0.0, sequence, kAKLinkModeLastChildren) == 0);
        Check(handler.DoEasyNewCursor(&player, AKString(), 2, 0.0, sequence, kAKLinkModeLastChildren) == 0);
        handler.DoEasyEnd();
        document->SynchronizeAllAndNotifyGandlerListeners();
        QVDocumentMgr::sShared.SetActiveDocument(document);
        sender = new CheckingSender();
        gandler.SetQVLibExtendedFunctions(sender, nullptr);
    }

    QVDocument* document = nullptr;
    CheckingSender* sender = nullptr;
    QVOscGandler gandler;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    static Engine* const sEngine = new Engine();
    if (size < 1 || size > 65536)
        return 0;
    sEngine->sender->mAccepts = (data[0] & 1) != 0;
    // A copy of exactly the datagram's size, so that any read past it is caught.
    std::string const packet(reinterpret_cast<char const*>(data + 1), size - 1);
    sEngine->gandler.HandleReceivedOscPacket(packet.data(), int(packet.size()));
    return 0;
}
