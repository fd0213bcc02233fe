#pragma once

// QVOscInterpreter: turns received OSC packets into direct actions on the
// active document. Only messages to "/quorvex" are read (the address is
// compared by its first 15 characters); their arguments are sections, each
// starting with its key:
//
//   "player" | "sequence" | "track" <reference> ("dump" <type> | <key> <value>...)
//   "selection" <reference> and "begin", "end", "center", "duration", "move" <real>, "none"
//   "presets" <reference> and "save", "clear", "recall" <integer>, "duration" <real>
//   "plugin" <reference> and "bypass" <boolean>, "param" <integer>, "value" <real>
//   "dump" ...
//
// A reference is a node ID or a name path (QVDocumentObjectPaths.h).
// Parameters go through the parameter table, so nothing is undoable or
// announced; the audio thread sees the new values at its next block.
// A section that fails ends its message with its status (logged, except
// -1987 for no active document and -1 for a value the table refused); the
// sections and messages before it keep their effects. A bundle is walked in
// order, nested bundles depth-first, time tags ignored.
//
// Threads: runs on the OSC receive thread, one packet at a time. The
// message thread may delete or relink the objects a message names at the
// same moment, so each section resolves its reference and acts on the object
// (dump replies included) while holding the read side of the active
// document's tree guard (QVDocumentTreeGuard::ReadScope): every structural
// change of the tree runs inside an edit of that guard, and deleted objects
// are freed only by the document's idle pass, also inside one, so an object
// found stays alive and in the tree until the section ends. The look-up
// itself takes the read side again on the same thread; the system's
// reader-writer lock lets a reader in while a writer waits, so this cannot
// deadlock. The message thread waits at most one section for the OSC thread,
// and must never stop the receiver while it holds an edit itself. Only the
// objects' thread-safe user parameters are written; the fast links are read
// as the message thread last refreshed them, never written here.
// The document itself must stay open while its section runs (closing the
// active document while OSC messages arrive is not guarded here).

#include <oscpack/osc/OscReceivedElements.h>
#include <vector>

class QVOscSenderLibext;

class QVOscInterpreter
{
public:
    // Replies go through `sender`.
    explicit QVOscInterpreter(QVOscSenderLibext& sender) : mSender(sender) {}

    // Interprets every message of the packet. When oscpack refuses the packet
    // or a part of it, writes "# OSC Listener error: <text>" and answers
    // false; otherwise true. `statuses` (may be null) receives each
    // "/quorvex" message's status in order.
    bool InterpretPacket(char const* data, int size, std::vector<int>* statuses);

    // One message: 0 when every section succeeded, else the failing section's
    // status. Another address answers 0 and does nothing.
    int InterpretMessage(osc::ReceivedMessage const& message);

private:
    void InterpretElement(osc::ReceivedPacket const& packet, std::vector<int>* statuses);

    QVOscSenderLibext& mSender;
};
