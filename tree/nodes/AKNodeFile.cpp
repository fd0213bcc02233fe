// The 'NODE' chunk of a node:
//   0   'NODE', big-endian
//   4   unsigned payload size, back-patched, padding included
//   8   node ID, then the sup, sub, prev and next IDs (signed 32-bit each)
//   28  reserved, written 0, skipped when read
//   32  family ID and class ID of the object (8 bytes each, as stored)
//   48  the object's own data (akmWriteToFile)
//   end zero bytes up to the next multiple of 8 of the file position
// Numbers after the signature are in the file's byte order.

#include "AKNode.h"

#include "AKClass.h"
#include "AKFileChunk.h"
#include "AKNodeAllocator.h"
#include "AKNodeWalk.h"
#include "AKObject.h"
#include "AKStatus.h"
#include "AKTreeHistoryFile.h"

namespace {

// Node ID, four link IDs, reserved word, family and class IDs.
constexpr unsigned int kNodeChunkFixedPayload = 5 * 4 + 4 + 2 * 8;

// Negated as an unsigned number, so that no stored ID can overflow.
AKNodeID Negated(AKNodeID nodeID) { return static_cast<AKNodeID>(0u - static_cast<unsigned int>(nodeID)); }

bool IsValidNodeID(AKNodeID nodeID) { return nodeID > 0 && nodeID <= kAKNodeIDMax; }

}  // namespace

int AKNode::WriteNodeToFile(AKFile& file, bool negateOuterLinks) const
{
    if (fObject == nullptr)
        return kAKErrorTreeNodeNoOwnedObject;
    AKFileChunk chunk(kAKNodeChunkSignature);
    int status = AKFileWriteChunkHeader(file, chunk);
    AKNodeID const linkIDs[] = {negateOuterLinks ? Negated(fSupID) : fSupID, fSubID,
                                negateOuterLinks ? Negated(fPrevID) : fPrevID,
                                negateOuterLinks ? Negated(fNextID) : fNextID};
    if (status == 0)
        status = AKFileWriteAKNodeID(file, fID);
    for (AKNodeID linkID : linkIDs) {
        if (status == 0)
            status = AKFileWriteAKNodeID(file, linkID);
    }
    if (status == 0)
        status = AKFileWriteUInt32(file, 0);
    if (status == 0)
        status = AKClass::WriteObjectToFile(fObject, file);
    if (status == 0)
        status = AKFileWritePadding64(file);
    if (status == 0)
        status = AKFileWriteChunkComplete(file, chunk);
    // A history file that is recording snapshots enters this chunk as a
    // saved state of the node; any other file ignores it.
    if (status == 0)
        AKHistoryFileNoteNodeChunk(file, chunk.position, fID);
    return status;
}

int AKNode::WriteNodeWithRChildrenToFile(AKFile& file) const
{
    int status = 0;
    AKNodeWalkWithRChildren(this, [this, &file, &status](AKNode const* node) {
        status = node->WriteNodeToFile(file, node == this);
        return status == 0;
    });
    return status;
}

AKNode* AKNode::NewNodeFromFile(AKNodeAllocator& allocator, AKContextObject const* context, AKFile const& file,
                                unsigned int how)
{
    AKFileChunk chunk(kAKNodeChunkSignature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, chunk, kNodeChunkFixedPayload);
    AKNodeID nodeID = kAKNullNodeID;
    AKNodeID linkIDs[4] = {};
    if (status == 0)
        status = AKFileReadAKNodeID(file, &nodeID);
    for (AKNodeID& linkID : linkIDs) {
        if (status == 0)
            status = AKFileReadAKNodeID(file, &linkID);
    }
    if (status == 0)
        status = AKFileSkip(file, 4);
    // The largest ID is refused as well: no next ID could follow it.
    if (status == 0 && !IsValidNodeID(nodeID))
        status = kAKErrorTreeNodeBadID;

    AKObject* object = nullptr;
    if (status == 0) {
        object = AKClass::NewObjectFromFile(context, file, how);
        if (object == nullptr)
            status = AKClass::GetErrorNew() != 0 ? AKClass::GetErrorNew() : -1;
    }
    if (status == 0)
        status = AKFileCheckChunkNotOverrun(file, chunk);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    if (status != 0) {
        AKClass::DeleteObject(object);
        sErrorNew = status;
        return nullptr;
    }

    AKNode* node = new (&allocator) AKNode(&allocator, context, nodeID, object);
    node->SetLinkIDs(linkIDs[0], linkIDs[1], linkIDs[2], linkIDs[3]);
    sErrorNew = 0;
    return node;
}

int AKNode::ReinitNodeFromFile(AKFile const& file)
{
    if (fObject == nullptr)
        return kAKErrorTreeNodeNoOwnedObject;
    AKFileChunk chunk(kAKNodeChunkSignature);
    int status = AKFileCheckChunkHeader(file, &chunk);
    if (status == 0)
        status = AKFileCheckChunkFits(file, chunk, kNodeChunkFixedPayload);
    AKNodeID nodeID = kAKNullNodeID;
    if (status == 0)
        status = AKFileReadAKNodeID(file, &nodeID);
    // The four link IDs and the reserved word.
    if (status == 0)
        status = AKFileSkip(file, 20);
    if (status == 0 && nodeID != fID)
        status = kAKErrorTreeNodeBadID;
    if (status == 0)
        status = AKClass::ReinitObjectFromFile(fObject, file);
    if (status == 0)
        status = AKFileCheckChunkNotOverrun(file, chunk);
    if (status == 0)
        status = AKFileGotoChunkEnd(file, chunk);
    return status;
}
