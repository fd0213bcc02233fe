#pragma once

// Shared pieces of the C-style interface: the argument checks every entry
// point runs, the outputs it writes and the interface's little state.
// Main thread only, except where an entry point says otherwise.

#include "AKKeyC.h"
#include "AKNodeID.h"
#include "AKString.h"
#include "ATObjectArray.h"

#include <functional>
#include <vector>

class AKObject;
class AKTreeSelModel;
class QVDocument;
class QVProvider;

// Flags of QVUProcCheckString.
constexpr unsigned int kQVUProcStringRequired = 1;
constexpr unsigned int kQVUProcStringLimited = 2;

// Limits of the texts passed in.
constexpr unsigned int kQVUProcPathMax = 1023;
constexpr unsigned int kQVUProcNameMax = 79;
constexpr unsigned int kQVUProcKeyMax = 15;
constexpr unsigned int kQVUProcPrefsMax = 4096;

// The engine text of a C string (null is the empty text).
inline AKString QVUProcText(char const* text) { return AKString(text != nullptr ? text : ""); }

// --- Argument checks: 0 or the logged error code ---

int QVUProcCheckString(char const* text, unsigned int flags, unsigned int maximum);
// The key check, then the 16-byte key (the null key on failure).
int QVUProcCheckKey(char const* text, AKKeyC15* key, bool required);
int QVUProcCheckDocument(int documentID, QVDocument** document);
// The first document, then the second ID equal to the first (or 0 when
// allowed), else -548.
int QVUProcCheckDocument2(int documentID, int secondID, bool zeroAllowed, QVDocument** document);
// Node 0 with zeroAllowed gives no object and passes.
int QVUProcCheckObject(QVDocument const* document, int nodeID, bool zeroAllowed, AKObject** object);
// The object of that class (its quick-cast flag), else -550.
int QVUProcCheckObjectOfKind(QVDocument const* document, int nodeID, unsigned long long qcastFlag, AKObject** object);
template <class T>
int QVUProcCheckObjectT(QVDocument const* document, int nodeID, T** object)
{
    AKObject* found = nullptr;
    int const status = QVUProcCheckObjectOfKind(document, nodeID, T::_ClassQCastFlag(), &found);
    *object = static_cast<T*>(found);
    return status;
}
// The document, then its object (of class T): the first check of most entry
// points on one object.
int QVUProcCheckDocumentObject(int documentID, int nodeID, QVDocument** document, AKObject** object);
template <class T>
int QVUProcCheckDocumentObjectT(int documentID, int nodeID, QVDocument** document, T** object)
{
    *object = nullptr;
    int const status = QVUProcCheckDocument(documentID, document);
    return status != 0 ? status : QVUProcCheckObjectT(*document, nodeID, object);
}
// (document, node) pairs: even count, every document the document's, every
// node an object. An empty list passes.
int QVUProcCheckObjectList(QVDocument const* document, int const* list, int count, ATObjectArray<AKObject>* objects);
int QVUProcCheckProvider(int providerID, QVProvider** provider);
int QVUProcCheckModel(int modelID, AKTreeSelModel** model);
int QVUProcCheckBoolean(unsigned int value);
int QVUProcCheckPointer(void const* pointer);

// --- Outputs ---

template <class T>
inline void QVUProcPut(T* output, T value)
{
    if (output != nullptr)
        *output = value;
}
// A list output: null when empty.
void QVUProcPutList(std::vector<int> const& list, int** ids, int* count);
// The IDs of an engine array into the list behind a list output.
template <class Array>
void QVUProcPutIDs(Array const& all, std::vector<int>* list, int** ids, int* count)
{
    for (unsigned int i = 0; i < all.Count(); ++i)
        list->push_back(static_cast<int>(all[i]));
    QVUProcPutList(*list, ids, count);
}
void QVUProcPutText(char const** output, AKString const& text);
char const* QVUProcEmptyText();

// --- State ---

// The options the engine was started with.
bool QVUProcRealTime();
bool QVUProcWaveform();
// Every main-thread entry point starts with it: while the interface idles
// the engine itself, the due passes run here, never inside another call.
void QVUProcEnter();

// Runs `run` (main thread) with every pull of the document's blocks on
// other threads held off, and forgets the document's prepared format when
// the document is gone afterwards: closing a document a host still pulls.
int QVUProcRunWithPullsHeld(int documentID, std::function<int()> const& run);

// The node ID of an object (0 for null).
int QVUProcNodeID(AKObject const* object);
// The class name a message shows for the object ("track", "sequence"...).
char const* QVUProcClassName(AKObject const* object);
