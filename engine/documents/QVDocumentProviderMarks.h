#pragma once

// QVDocumentProviderMarks: which provider IDs a document's tracks name, for
// the provider manager (sounds kept, sounds listed in the document's file).
//
// The answer walks the tracks of the document's tree. A table filled by
// tests adds IDs for documents built without tracks.

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

    // IDs marked for the document besides its tracks' (tests only).
    static void SetActiveProviderIDsForTesting(QVDocument const* document, ATArray<unsigned int> const& ids);
    // Forgets the document's extra IDs.
    static void Forget(QVDocument const* document);
};
