// Name paths: the grammar and the installed navigator.

#include "QVDocumentObjectPaths.h"

#include <atomic>

namespace {

std::atomic<QVObjectPathNavigator const*> sNavigator{nullptr};

// A positive decimal number of digits only that fits in 32 bits.
bool ParsePosition(char const* begin, char const* end, unsigned int* value)
{
    if (begin == end)
        return false;
    unsigned long long number = 0;
    for (char const* c = begin; c != end; ++c) {
        if (*c < '0' || *c > '9')
            return false;
        number = number * 10 + static_cast<unsigned int>(*c - '0');
        if (number > 0xFFFFFFFFull)
            return false;
    }
    *value = static_cast<unsigned int>(number);
    return number > 0;
}

}  // namespace

bool QVParseObjectNamePath(AKString const& path, bool forTrack, QVObjectNamePath* parsed)
{
    char const* const text = path.c_str();
    char const* const end = text + path.Length();
    if (text == end || *text != ':')
        return false;

    // The part after the leading colon, up to the next one, is the name.
    char const* cursor = text + 1;
    char const* partEnd = cursor;
    while (partEnd != end && *partEnd != ':')
        ++partEnd;
    if (partEnd == cursor)
        return false;
    parsed->sequenceName = AKString(cursor, static_cast<unsigned int>(partEnd - cursor));
    parsed->indexCount = 0;

    while (partEnd != end) {
        if (parsed->indexCount == 2)
            return false;
        cursor = partEnd + 1;
        partEnd = cursor;
        while (partEnd != end && *partEnd != ':')
            ++partEnd;
        if (!ParsePosition(cursor, partEnd, &parsed->indices[parsed->indexCount]))
            return false;
        ++parsed->indexCount;
    }
    return forTrack ? parsed->indexCount == 1 : true;
}

void QVObjectPathNavigator::Install(QVObjectPathNavigator const* navigator)
{
    sNavigator.store(navigator, std::memory_order_release);
}

QVObjectPathNavigator const* QVObjectPathNavigator::Get() { return sNavigator.load(std::memory_order_acquire); }
