#pragma once

// XML property lists: the text form of AKDictionary in documents, the
// preferences, the custom players and the appearance styles. The operations
// are members of AKDictionary (LoadFromXmlFile, SaveToXmlFile and their
// stream and string forms); this header names the elements they share.
//
// Elements (names are case-sensitive):
//   plist          the wrapper: attribute version="1.0", one "dict"
//   dict           pairs of a "key" element and one value element
//   key            the key text (a key or key path, as its bytes)
//   true, false    boolean, empty element
//   integer        "%lld"
//   real           "%lf", six decimals
//   string         the Mac Roman text converted to UTF-8
//   array          one value element per element, in order
//   data           the bytes in Base64, without line breaks
// The empty value has no element and cannot be written.
//
// A file with the wrapper starts with the declaration
// <?xml version="1.0" encoding="UTF-8" ?>; without it the top "dict" is the
// root element. Printing is the XML library's: one element per line, four
// spaces per level, childless elements as <name />, text on the line of its
// element, "&", "<", ">", the quotes and every byte below 32 escaped.
//
// Reading skips comments and text between elements. Texts arrive with the
// library's white-space condensing: leading and trailing white space
// dropped, inner runs made one space; white space written as a reference
// (&#x0A;) survives. Errors, each logged once where found:
//   kAKErrorDictionaryXmlCantRead the text is not well-formed XML (or
//       cannot be read)
//   kAKErrorDictionaryXmlBadVersion the wrapper's version sorts after "1.0"
//   kAKErrorDictionaryXmlBadStructure any other structure fault (a missing
//       or misplaced element, a key without text, a number that does not
//       parse, values nested deeper than the binary form allows, elements
//       nested deeper than kAKXmlMaxElementNesting)
//   kAKErrorDictionaryXmlUnknownType an element of unknown name
//   kAKErrorDictionaryInvalidKey a key that is not a valid key path (not
//       logged)
// The line of the error (0 without one) is handed to the caller.

constexpr char kAKXmlPlistElementPlist[] = "plist";
constexpr char kAKXmlPlistElementDict[] = "dict";
constexpr char kAKXmlPlistElementKey[] = "key";
constexpr char kAKXmlPlistElementTrue[] = "true";
constexpr char kAKXmlPlistElementFalse[] = "false";
constexpr char kAKXmlPlistElementInteger[] = "integer";
constexpr char kAKXmlPlistElementReal[] = "real";
constexpr char kAKXmlPlistElementString[] = "string";
constexpr char kAKXmlPlistElementArray[] = "array";
constexpr char kAKXmlPlistElementData[] = "data";

constexpr char kAKXmlPlistVersionAttribute[] = "version";
constexpr char kAKXmlPlistVersion[] = "1.0";
