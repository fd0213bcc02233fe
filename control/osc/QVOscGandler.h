#pragma once

#include <cstdint>

class QVOscReceiverLibext;
class QVOscSenderLibext;
class QVPrefs;

// An interpreter of well-formed packets in place of the "/quorvex" one
// (QVOscInterpreter); called on the receive thread. Returns whether the
// packet was used.
using QVOscPacketProc = bool (*)(void* userData, char const* data, int size);

// The shared OSC handler: owns one sender and one receiver, connects them
// from the OSC preferences and takes every packet the receiver gets.
// Before the application installs its transports, and again after Terminate,
// both are the do-nothing defaults.
//
// Everything but HandleReceivedOscPacket and GetSender runs on the message
// thread; those two also run on the receive thread.
class QVOscGandler
{
public:
    static QVOscGandler sShared;

    QVOscGandler();
    ~QVOscGandler();

    QVOscGandler(QVOscGandler const&) = delete;
    QVOscGandler& operator=(QVOscGandler const&) = delete;

    // Deletes the current sender and receiver and takes ownership of the
    // given ones (a fresh default for null), linking the receiver back here.
    void SetQVLibExtendedFunctions(QVOscSenderLibext* sender, QVOscReceiverLibext* receiver);

    // Applies the shared preferences' Osc.* members; see ReconnectWithPrefs.
    void ReconnectWithCurrentPrefs(bool force);
    // Connects or disconnects the sender (with force) and starts or stops the
    // receiver (never forced) as the preferences' Osc.* members say.
    void ReconnectWithPrefs(QVPrefs const& prefs, bool force);

    bool IsSenderConnected() const;
    bool IsReceiverListening() const;

    // Disconnects the sender, then stops the receiver.
    void Disconnect();
    // Disconnects both and puts the defaults back (shut-down).
    void Terminate();

    // Replaces the "/quorvex" interpreter (null restores it); installed
    // while not listening.
    void SetPacketInterpreter(QVOscPacketProc proc, void* userData);

    // Receive thread: drops a malformed packet with a log line (false), else
    // hands it to the installed interpreter, or to the "/quorvex" one
    // (QVOscInterpreter::InterpretPacket), and answers what it answers.
    bool HandleReceivedOscPacket(char const* data, int size);

    // The sender replies go through (never null).
    QVOscSenderLibext* GetSender() const { return mSender; }
    QVOscReceiverLibext* GetReceiver() const { return mReceiver; }

private:
    QVOscSenderLibext* mSender = nullptr;
    QVOscReceiverLibext* mReceiver = nullptr;
    QVOscPacketProc mPacketProc = nullptr;
    void* mPacketProcData = nullptr;
};
