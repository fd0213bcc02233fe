// TinyXML documents to and from bytes.

#include "AKXmlDocument.h"

#include "AKLog.h"
#include "AKStatus.h"

#include <tinyxml.h>

#include <pthread.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Each level of element nesting costs the library two frames, about 250
// bytes (measured with and without the address sanitizer); the budget
// leaves a wide margin. Every element starts with a "<", so a text with
// fewer than kInlineElementLimit of them cannot nest deeper than the
// caller's stack holds.
constexpr size_t kInlineElementLimit = 2000;
constexpr size_t kStackBytesPerElement = 640;
constexpr size_t kStackBytesBase = 1024 * 1024;

// NUL bytes after the text: the library's UTF-8 reader steps over up to four
// bytes at once and may land past the terminating NUL.
constexpr size_t kTerminatorBytes = 8;

// --- Nesting scan ---

bool StartsWith(char const* p, char const* prefix) { return std::strncmp(p, prefix, std::strlen(prefix)) == 0; }

// Moves past the next `end` (or to the terminating NUL), counting lines.
char const* SkipPast(char const* p, char const* end, int* line)
{
    size_t const length = std::strlen(end);
    for (; *p != '\0'; ++p) {
        if (std::strncmp(p, end, length) == 0)
            return p + length;
        if (*p == '\n')
            ++*line;
    }
    return p;
}

// Whether start tags left open nest deeper than the limit somewhere in the
// text; *line receives the line of the first start tag past it.
bool NestsTooDeep(char const* p, int* line)
{
    unsigned int depth = 0;
    int current = 1;
    while (*p != '\0') {
        if (*p != '<') {
            if (*p == '\n')
                ++current;
            ++p;
        } else if (StartsWith(p, "<!--")) {
            p = SkipPast(p + 4, "-->", &current);
        } else if (StartsWith(p, "<![CDATA[")) {
            p = SkipPast(p + 9, "]]>", &current);
        } else if (p[1] == '?' || p[1] == '!') {
            p = SkipPast(p + 2, ">", &current);
        } else if (p[1] == '/') {
            if (depth > 0)
                --depth;
            p = SkipPast(p + 2, ">", &current);
        } else {
            // A start tag; its quoted attribute values may hold ">".
            int const tagLine = current;
            char quote = '\0';
            char previous = '\0';
            bool empty = false;
            for (++p; *p != '\0';) {
                char const c = *p++;
                if (c == '\n')
                    ++current;
                if (quote != '\0') {
                    if (c == quote)
                        quote = '\0';
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    empty = previous == '/';
                    break;
                }
                previous = c;
            }
            if (!empty && ++depth > kAKXmlMaxElementNesting) {
                *line = tagLine;
                return true;
            }
        }
    }
    return false;
}

// --- Parsing and freeing ---

struct ParseJob {
    TiXmlDocument* document;
    char const* text;
};

void* ParseOnThread(void* argument)
{
    ParseJob* job = static_cast<ParseJob*>(argument);
    job->document->Parse(job->text, nullptr, TIXML_ENCODING_UNKNOWN);
    return nullptr;
}

// Frees every child of the node, deepest first, so that the library's
// recursive destructors only ever meet childless nodes.
void ReleaseChildren(TiXmlNode* root)
{
    TiXmlNode* node = root;
    for (;;) {
        TiXmlNode* last = node->LastChild();
        if (last != nullptr) {
            node = last;
            continue;
        }
        if (node == root)
            return;
        TiXmlNode* parent = node->Parent();
        parent->RemoveChild(node);
        node = parent;
    }
}

}  // namespace

AKXmlParsedDocument::AKXmlParsedDocument() : mDocument(new TiXmlDocument) {}

AKXmlParsedDocument::~AKXmlParsedDocument()
{
    ReleaseChildren(mDocument);
    delete mDocument;
}

int AKXmlParsedDocument::Parse(char const* bytes, size_t size, int* line)
{
    // The library's file load: line breaks become LF, the text ends at the first NUL.
    std::vector<char> text;
    text.reserve(size + kTerminatorBytes);
    size_t elements = 0;
    for (size_t i = 0; i < size && bytes[i] != '\0'; ++i) {
        char c = bytes[i];
        if (c == '\r') {
            c = '\n';
            if (i + 1 < size && bytes[i + 1] == '\n')
                ++i;
        } else if (c == '<') {
            ++elements;
        }
        text.push_back(c);
    }
    text.insert(text.end(), kTerminatorBytes, '\0');

    if (NestsTooDeep(text.data(), line))
        return kAKErrorDictionaryXmlBadStructure;

    ParseJob job = {mDocument, text.data()};
    if (elements < kInlineElementLimit) {
        ParseOnThread(&job);
        return 0;
    }

    pthread_attr_t attributes;
    int result = pthread_attr_init(&attributes);
    if (result == 0) {
        pthread_t thread;
        result = pthread_attr_setstacksize(&attributes, kStackBytesBase + elements * kStackBytesPerElement);
        if (result == 0)
            result = pthread_create(&thread, &attributes, ParseOnThread, &job);
        pthread_attr_destroy(&attributes);
        if (result == 0)
            pthread_join(thread, nullptr);
    }
    if (result != 0) {
        errno = result;
        return AKLogErrorWithErrno(kAKErrorCantStartThread, "Can't start the thread parsing an Xml-file");
    }
    return 0;
}

bool AKXmlPrintDocument(TiXmlDocument const& document, std::string* text)
{
    text->clear();
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr)
        return false;
    bool saved = document.SaveFile(stream);
    // Closing flushes the last bytes into the buffer.
    saved = std::fclose(stream) == 0 && saved;
    if (saved && buffer != nullptr)
        text->assign(buffer, size);
    std::free(buffer);
    return saved;
}
