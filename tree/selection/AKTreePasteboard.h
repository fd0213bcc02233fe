#pragma once

// AKTreePasteboard: the application's shared pasteboard, a detached copy in
// binary form that lives for the whole process and keeps its content across
// documents, which is how objects travel from one document to another. Cut,
// copy and paste use it when they are given no store of their own; an
// operation that takes a store treats a null store and the shared pasteboard
// alike.

#include "AKTreeSelCache.h"

class AKTreePasteboard : public AKTreeSelCache
{
public:
    AKTreePasteboard() : AKTreeSelCache(0) {}

    // Constructed at program load, destroyed at exit.
    static AKTreePasteboard sShared;
};
