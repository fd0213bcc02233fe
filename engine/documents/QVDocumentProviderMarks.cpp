#include "QVDocumentProviderMarks.h"

#include "AKNode.h"
#include "AKTree.h"
#include "QVDocument.h"
#include "QVObjectTrack.h"

#include <map>

namespace {

std::map<QVDocument const*, ATArray<unsigned int>>& Table()
{
    static std::map<QVDocument const*, ATArray<unsigned int>> sTable;
    return sTable;
}

}  // namespace

void QVDocumentProviderMarks::GrabActiveProviders(QVDocument const* document,
                                                  ATNumberArray<unsigned char, unsigned char, 0>* marks)
{
    if (document == nullptr || marks == nullptr || marks->Count() < 2)
        return;
    if (AKTree const* const tree = document->GetTree()) {
        for (AKNode const* node : tree->GetNodes()) {
            AKObject const* const object = node->GetObject();
            if (object != nullptr && object->IsKindOfT<QVObjectTrack>())
                static_cast<QVObjectTrack const*>(object)->GrabActiveProviders(marks);
        }
    }
    auto found = Table().find(document);
    if (found == Table().end())
        return;
    for (unsigned int id : found->second)
        if (id < marks->Count())
            (*marks)[id] = 1;
}

void QVDocumentProviderMarks::SetActiveProviderIDsForTesting(QVDocument const* document,
                                                             ATArray<unsigned int> const& ids)
{
    Table()[document] = ids;
}

void QVDocumentProviderMarks::Forget(QVDocument const* document) { Table().erase(document); }
