#pragma once

// QVContextObject: the context of a document's tree, through which the
// tree's objects reach the document that holds them. Made by the document
// and owned by the tree.

#include "AKContextObject.h"

class QVDocument;

class QVContextObject : public AKContextObject
{
public:
    QVContextObject(AKTree const* tree, QVDocument* document) : AKContextObject(tree), mDocument(document) {}

    QVDocument* GetDocument() const { return mDocument; }

private:
    QVDocument* const mDocument;
};
