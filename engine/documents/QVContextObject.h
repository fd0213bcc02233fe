#pragma once

// QVContextObject: the context of a document's tree, through which the
// tree's objects reach the document that holds them. Made by the document
// and owned by the tree.
//
// While the document reads its tree, the provider table maps the sound IDs
// stored in the file to the IDs the same sounds have in this run, so that
// tracks can renumber their zones as they load; otherwise it is empty.

#include "AKContextObject.h"
#include "QVProviderRenum.h"

class QVDocument;

class QVContextObject : public AKContextObject
{
public:
    QVContextObject(AKTree const* tree, QVDocument* document) : AKContextObject(tree), mDocument(document) {}

    QVDocument* GetDocument() const { return mDocument; }

    QVProviderRenum& GetProviderRenum() { return mProviderRenum; }
    QVProviderRenum const& GetProviderRenum() const { return mProviderRenum; }

    // The provider table of a document's context, null for any other
    // context (a tree outside a document has no sounds to renumber).
    static QVProviderRenum const* ProviderRenumOfContext(AKContextObject const* context);

private:
    QVDocument* const mDocument;
    QVProviderRenum mProviderRenum;
};
