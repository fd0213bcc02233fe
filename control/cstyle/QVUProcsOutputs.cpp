// Outputs of the C-style interface: lists and texts handed to the host.

#include "QVUProcs.h"

void QVUProcPutList(std::vector<int> const& list, int** ids, int* count)
{
    QVUProcPut(ids, list.empty() ? static_cast<int*>(nullptr) : const_cast<int*>(list.data()));
    QVUProcPut(count, static_cast<int>(list.size()));
}

char const* QVUProcEmptyText() { return ""; }

void QVUProcPutText(char const** output, AKString const& text) { QVUProcPut(output, text.c_str()); }
