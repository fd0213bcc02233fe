#include "QVOscGandler.h"

#include "AKLog.h"
#include "QVOscInterpreter.h"
#include "QVOscPacketReader.h"
#include "QVOscReceiverLibext.h"
#include "QVOscSenderLibext.h"
#include "QVPrefs.h"

QVOscGandler QVOscGandler::sShared;

QVOscGandler::QVOscGandler() { SetQVLibExtendedFunctions(nullptr, nullptr); }

QVOscGandler::~QVOscGandler()
{
    // The receiver goes first: its thread may still be sending a reply.
    delete mReceiver;
    delete mSender;
}

void QVOscGandler::SetQVLibExtendedFunctions(QVOscSenderLibext* sender, QVOscReceiverLibext* receiver)
{
    delete mReceiver;
    delete mSender;
    mSender = sender != nullptr ? sender : new QVOscSenderLibext();
    mReceiver = receiver != nullptr ? receiver : new QVOscReceiverLibext();
    mReceiver->SetOscGandler(this);
}

void QVOscGandler::ReconnectWithCurrentPrefs(bool force) { ReconnectWithPrefs(QVPrefs::sShared, force); }

void QVOscGandler::ReconnectWithPrefs(QVPrefs const& prefs, bool force)
{
    if (prefs.GetOscSendEnabled())
        mSender->Connect(prefs.GetOscSendToHostName(), prefs.GetOscSendToHostPort(), force);
    else
        mSender->Disconnect();
    if (prefs.GetOscReceiveEnabled())
        mReceiver->StartListening(prefs.GetOscReceiveOnPort(), false);
    else
        mReceiver->StopListening();
}

bool QVOscGandler::IsSenderConnected() const { return mSender->IsConnected(); }

bool QVOscGandler::IsReceiverListening() const { return mReceiver->IsListening(); }

void QVOscGandler::Disconnect()
{
    mSender->Disconnect();
    mReceiver->StopListening();
}

void QVOscGandler::Terminate()
{
    mSender->Disconnect();
    mReceiver->StopListening();
    SetQVLibExtendedFunctions(nullptr, nullptr);
}

void QVOscGandler::SetPacketInterpreter(QVOscPacketProc proc, void* userData)
{
    mPacketProc = proc;
    mPacketProcData = userData;
}

bool QVOscGandler::HandleReceivedOscPacket(char const* data, int size)
{
    if (char const* fault = QVOscPacketReader::FindFault(data, size)) {
        AKLog("# OSC Error: Dropped a malformed packet of %d bytes (%s).\n", size, fault);
        return false;
    }
    if (mPacketProc != nullptr)
        return mPacketProc(mPacketProcData, data, size);
    QVOscInterpreter interpreter(*mSender);
    return interpreter.InterpretPacket(data, size, nullptr);
}
