#pragma once

// QVOscDumpReply: the replies to OSC dump requests. Each reply is one bundle
// with the immediate time tag holding one "/quorvex" message: the class key
// ("player", "sequence", "track" or "folder"), the node ID (0 for the
// folder), then key/value pairs (flags as int32 0 or 1, other values as
// float32) or the key "subs" with node IDs.
//
// The packet buffer is sized to the reply, so a folder of any number of
// sequences is sent whole (as far as one datagram carries it).
//
// Runs on the OSC receive thread while the caller holds the read side of the
// document's tree guard (see QVOscInterpreter), so the objects read stay alive.

#include "AKKeyC.h"

#include <vector>

class AKObject;
class QVDocument;
class QVOscSenderLibext;

class QVOscDumpReply
{
public:
    // The dump of one object for the dump type ("values", "subs" or one value
    // key). -1 for an object of another class; an unknown type logs warning
    // 1990 and the reply holds the class key and the ID only.
    static int BuildObjectReply(AKObject const* object, AKKeyC15 const& type, std::vector<char>* packet);
    // The node IDs of the sequences of the document's sequence folder.
    static void BuildFolderReply(QVDocument const& document, std::vector<char>* packet);

    // Build and send; nothing is built and 0 answered while the sender is not
    // connected. A failed send logs -1984 and answers it.
    static int SendObjectReply(QVOscSenderLibext& sender, AKObject const* object, AKKeyC15 const& type);
    static int SendFolderReply(QVOscSenderLibext& sender, QVDocument const& document);
};
