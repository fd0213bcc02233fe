#pragma once

// Base64 coding of binary values in XML property lists: the RFC 4648
// alphabet (A-Z, a-z, 0-9, "+", "/"), "=" padding, no line breaks.

#include <string>

class AKMemoryBlock;

// The Base64 text of `size` bytes: every 3 bytes give 4 characters, a final
// single byte 2 characters and "==", a final pair 3 characters and "=".
// No bytes give the empty text. The text is allocated once, at its final size.
void LowEncodeBinaryToBase64(unsigned char const* data, unsigned int size, std::string* text);

// Decodes `length` bytes of Base64 text into the block. Every byte outside
// the alphabet ("=", spaces and line breaks included) is skipped; the values
// are taken in groups of four, each giving 3 bytes, and a final group of k
// values gives k - 1 bytes (a lone value gives nothing). The block holds
// exactly the bytes produced; an empty text gives an empty block.
void LowDecodeBinaryFromBase64(char const* text, size_t length, AKMemoryBlock* block);
