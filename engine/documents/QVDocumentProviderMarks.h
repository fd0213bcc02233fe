#pragma once

// QVDocumentProviderMarks: which provider IDs a document's tracks name.
//
// Stand-in until documents hold tracks: the answer comes from a table that
// tests fill per document. Once tracks exist, GrabActiveProviders walks the
// zones of every track through the document's tree handler instead, and the
// table goes.

#include "ATArray.h"
#include "ATNumberArray.h"

class QVDocument;

class QVDocumentProviderMarks
{
public:
    // Sets to 1 the byte at each provider ID the document's tracks name,
    // when the ID is below the array's size; an array of fewer than 2 bytes
    // is left alone.
    static void GrabActiveProviders(QVDocument const* document, ATNumberArray<unsigned char, unsigned char, 0>* marks);

    // The IDs the document's tracks name, until tracks do it themselves.
    static void SetActiveProviderIDsForTesting(QVDocument const* document, ATArray<unsigned int> const& ids);
    // Forgets the document (also when it is deleted).
    static void Forget(QVDocument const* document);
};
