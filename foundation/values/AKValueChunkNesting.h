#pragma once

// Guards the readers of nested value chunks (arrays and dictionaries inside
// one another) against files nested deeper than any document needs: each
// level costs a few stack frames, and a crafted file could otherwise exhaust
// the stack. Used only by the value, array and dictionary readers.

class AKFile;

// Deepest nesting of arrays and dictionaries that the readers accept.
constexpr unsigned int kAKValueChunkMaxNesting = 256;

class AKValueChunkNesting
{
public:
    AKValueChunkNesting();
    ~AKValueChunkNesting();

    AKValueChunkNesting(AKValueChunkNesting const&) = delete;
    AKValueChunkNesting& operator=(AKValueChunkNesting const&) = delete;

    // 0 while within the limit; otherwise logs and returns kAKErrorFileCantRead.
    int Check(AKFile const& file) const;

private:
    static thread_local unsigned int sDepth;
};
