#pragma once

// QVDocument: one open engine document. This holds what the engine asks of a
// document so far: its type, its ID, its flags and its object tree. A
// document that is not private registers itself with the document manager
// when it is made and unregisters when it is deleted.
//
// Main thread only.

#include "QVAudioServices.h"

class AKTree;

// Document flags, given at construction.
constexpr unsigned int kQVDocumentFlagPrivate = 0x1;         // never registered with the manager
constexpr unsigned int kQVDocumentFlagReadOnly = 0x2;        // the tree refuses edits
constexpr unsigned int kQVDocumentFlagPersistentIDs = 0x20;  // the tree keeps stored node IDs

class QVDocument
{
public:
    // Takes the next document ID and makes an empty tree whose options
    // follow the flags (deleted objects always wait in its deletion queue);
    // registers with the document manager unless private.
    QVDocument(unsigned int documentType, unsigned int flags);
    // Unregisters (unless private), then deletes the tree.
    virtual ~QVDocument();

    QVDocument(QVDocument const&) = delete;
    QVDocument& operator=(QVDocument const&) = delete;

    QVDocumentID GetDocumentID() const { return mDocumentID; }
    unsigned int GetDocumentType() const { return mDocumentType; }
    unsigned int GetFlags() const { return mFlags; }
    bool IsPrivate() const { return (mFlags & kQVDocumentFlagPrivate) != 0; }
    AKTree* GetTree() const { return mTree; }

private:
    unsigned int const mDocumentType;
    QVDocumentID const mDocumentID;
    unsigned int const mFlags;
    AKTree* const mTree;
};
