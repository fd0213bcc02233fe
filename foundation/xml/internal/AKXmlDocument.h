#pragma once

// TinyXML documents to and from bytes, for the XML property lists.
//
// Parsing takes the bytes of a whole file in memory and treats them as the
// library's own file load does: every CR LF pair and every lone CR becomes a
// line feed, a NUL byte ends the text, and an empty text is the library's
// "document empty" error. The encoding is left for the library to detect
// (a UTF-8 byte-order mark or the declaration).
//
// The library parses and frees element trees recursively, one level of its
// stack per level of nesting, and walks up to the document for every element
// it parses, so a crafted file of deeply nested elements could exhaust the
// stack or keep the parser busy for minutes. Therefore:
//  - texts whose elements nest deeper than kAKXmlMaxElementNesting are
//    refused before the library sees them (elements are counted by a plain
//    scan that knows tags, quoted attribute values, comments, CDATA
//    sections and processing instructions);
//  - texts with enough "<" to nest deeper than the caller's stack safely
//    holds, whatever the scan found, are parsed on a short-lived thread whose
//    stack is sized for them;
//  - parsed trees are freed without recursion.

#include <cstddef>
#include <string>

class TiXmlDocument;

// Far deeper than any property list: values nest at most 256 levels.
constexpr unsigned int kAKXmlMaxElementNesting = 4096;

class AKXmlParsedDocument
{
public:
    AKXmlParsedDocument();
    // Frees the element tree without recursion.
    ~AKXmlParsedDocument();

    AKXmlParsedDocument(AKXmlParsedDocument const&) = delete;
    AKXmlParsedDocument& operator=(AKXmlParsedDocument const&) = delete;

    // Parses the bytes. 0 when the library ran: its own errors are then in
    // Document().Error() and ErrorRow() (1-based, 0 without a position).
    // kAKErrorDictionaryXmlBadStructure, not logged, with the line of the
    // element that nests too deep in *line; kAKErrorCantStartThread, logged,
    // when the thread for a large text could not be started.
    int Parse(char const* bytes, size_t size, int* line);

    TiXmlDocument const& Document() const { return *mDocument; }

private:
    TiXmlDocument* mDocument;
};

// The library's printing of the document (its file save) into memory. False
// when the library reports a failed save.
bool AKXmlPrintDocument(TiXmlDocument const& document, std::string* text);
