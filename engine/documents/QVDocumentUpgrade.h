#pragma once

// QVOldFileFormat: brings a tree read from a document file of an older
// version to the structure and naming of the current one (version 2), right
// after it was read and before the document opens its history, so the
// upgrade leaves no undo step. Version 0 (a file without a version) kept its
// multi-players in the player folder, attached to their sequence by node
// ID, and could hold multi-players that were not deployed; version 2 keeps
// them under their sequence, replaces a folded one by its first single
// player, and leaves folders, tracks and players unnamed so that they show
// their dynamic names.
//
// The steps edit through the tree handler's move and delete operations.
// Main thread, while a document is being opened.

#include "AKNode.h"
#include "AKObject.h"
#include "ATObjectArray.h"

class AKTree;
class QVDocument;
class QVTreeHandler;

// The direct children of a node that are a kind of T, in child order. The
// walk ends at the last sibling or at the first child without an object.
template <class T>
class ATObjectIterator
{
public:
    explicit ATObjectIterator(AKNode const* parent) : mNode(parent != nullptr ? parent->GetSub() : nullptr) {}

    // The next child of the kind, or null once the walk has ended.
    T* Next()
    {
        while (mNode != nullptr) {
            AKObject* const object = mNode->GetObject();
            if (object == nullptr) {
                mNode = nullptr;
                break;
            }
            mNode = mNode->GetNext();
            if (object->IsKindOfT<T>())
                return static_cast<T*>(object);
        }
        return nullptr;
    }

    static void FillWithChildren(ATObjectArray<T>* out, AKNode const* parent, bool empty)
    {
        if (empty)
            out->Clear();
        out->Reserve(8);
        ATObjectIterator<T> iterator(parent);
        while (T* const object = iterator.Next())
            out->Push(object);
    }

private:
    AKNode* mNode;
};

class QVOldFileFormat
{
public:
    // Version 0 runs every step; version 1 only the last naming step;
    // versions 2 and above change nothing. The first failing move or
    // deletion ends the upgrade with its status.
    static int UpdateTree(AKTree* tree, QVTreeHandler* handler, unsigned int version);

    // Sequences take the name of their first track (else "Sequence"),
    // tracks "Track", multi-players of the player folder "Player" and their
    // subs "Sub". Always 0.
    static int UpdateTo01_ObjectsName(AKTree* tree, QVTreeHandler* handler);
    // Multi-players of the player folder move under the sequence whose node
    // ID they carry (none: they stay).
    static int UpdateTo01_CursorsLinks(AKTree* tree, QVTreeHandler* handler);
    // A multi-player that is not deployed, in the player folder or in a
    // sequence, gives its first single player to its parent and is deleted.
    static int UpdateTo01_CursorsDeployed(AKTree* tree, QVTreeHandler* handler);
    // Folders, tracks and players lose their names; sequences keep theirs.
    // Always 0.
    static int UpdateTo02_ObjectsName(AKTree* tree, QVTreeHandler* handler);

    // The document's upgrade, as installed with QVDocument::InstallOldFileUpgrader.
    static int UpgradeDocument(QVDocument* document, unsigned int version);
};
