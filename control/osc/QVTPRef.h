#pragma once

#include "AKNodeID.h"
#include "AKString.h"

#include <cstdio>

// QVTPRef: how an OSC message names an object: a node ID (0: none) or, when
// the ID is not positive, a name path such as ":Intro:2".
struct QVTPRef {
    AKNodeID id = 0;
    AKString path;

    // The name path, or the ID as decimal text when there is no path (the
    // text is then kept in the reference).
    char const* c_str()
    {
        if (path.IsEmpty()) {
            char text[16];
            std::snprintf(text, sizeof(text), "%d", id);
            path = AKString(text);
        }
        return path.c_str();
    }
};
