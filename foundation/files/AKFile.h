#pragma once

// AKFile: the one handle through which the engine reads and writes bytes.
// One object is one kind of storage, fixed at construction:
//  - a disk file named by a path;
//  - a temporary disk file, which gets a fresh name in the system's temporary
//    folder when it is created and is deleted when it is closed;
//  - a memory stream, whose bytes live in a growable array (at most 4 GiB).
// All three share the same operations. Every failure is logged at once and
// its status code returned (AKStatus.h); the file is named in the message by
// its path, or by "Memory Stream".
//
// A file object is used by one thread at a time; nothing is locked.

#include "AKFilePath.h"
#include "AKString.h"

#include <vector>

class AKFileMmap;
class AKMemoryBlock;

// Origin of AKFile::Seek.
typedef int AKFileWhence;
constexpr AKFileWhence kAKFileWhenceStart = 0;
constexpr AKFileWhence kAKFileWhenceCurrent = 1;
constexpr AKFileWhence kAKFileWhenceEnd = 2;

// Bits of the mode word. The two lowest bits hold the byte order of typed
// numbers (1 big-endian, 2 little-endian).
constexpr unsigned int kAKFileEndianBig = 0x1;
constexpr unsigned int kAKFileEndianLittle = 0x2;
constexpr unsigned int kAKFileEndianMask = 0x3;
constexpr unsigned int kAKFileModeTemporary = 0x10;
constexpr unsigned int kAKFileModeMemoryStream = 0x20;
constexpr unsigned int kAKFileModePreferedCache = 0x40;  // constructor flag only
constexpr unsigned int kAKFileModeOpenedForRead = 0x100;
constexpr unsigned int kAKFileModeOpenedForWrite = 0x200;

class AKFile
{
public:
    // Byte order of this machine; typed numbers are swapped exactly when the
    // chosen order shares no bit with it.
    static constexpr unsigned int kEndianHost = kAKFileEndianLittle;

    // Kind used for cache files: 16 (temporary file) or 32 (memory stream).
    // Chosen once at start-up, before any file is made.
    static unsigned int sPreferedModeCache;
    static void SetPreferedModeCache(unsigned int mode);  // other values are ignored

    // With 0x40: the preferred cache kind; else with 0x20: a memory stream;
    // else with 0x10: a temporary file; else a disk file without a path.
    explicit AKFile(unsigned int flags = 0);
    // With 0x10: a temporary file (the path is ignored); else a disk file on
    // that path. 0x20 and 0x40 are not honoured here.
    explicit AKFile(AKFilePath const& path, unsigned int flags = 0);
    // A closed memory stream holding a copy of the bytes (a C string given
    // here is stream content: a disk file takes an AKFilePath).
    AKFile(void const* data, unsigned int size);
    // A closed memory stream holding a copy of the block's bytes.
    explicit AKFile(AKMemoryBlock const& block);
    ~AKFile();

    AKFile(AKFile const&) = delete;
    AKFile& operator=(AKFile const&) = delete;

    // --- Kind and identity ---

    bool IsMemoryStream() const { return (fMode & kAKFileModeMemoryStream) != 0; }
    bool IsTemporary() const { return (fMode & kAKFileModeTemporary) != 0; }
    bool IsOpened() const { return (fMode & kAKFileModeOpenedForRead) != 0; }
    unsigned int GetMode() const { return fMode; }
    AKFilePath const& GetPath() const { return fPath; }
    AKString const& GetName() const { return fName; }
    // The text that names this file in log lines.
    char const* GetLogName() const;

    // A four-character code carried by the file: 0 for ordinary files; the
    // history file sets 'HIST' so that node writers can recognise it.
    unsigned int GetMarker() const { return fMarker; }
    void SetMarker(unsigned int marker) { fMarker = marker; }

    // Byte order of typed numbers: 1 big-endian, 2 little-endian (the default).
    unsigned int GetEndianness() const { return fMode & kAKFileEndianMask; }
    void SetEndianness(unsigned int endianness);  // other values are ignored

    // --- Opening and closing ---

    int OpenForRead();
    int OpenForReadWrite();    // an existing disk file; never creates
    int CreateForReadWrite();  // creates or empties; a temporary file gets its name here
    int Close();
    int Remove();  // closes and deletes the disk file

    int CheckIsOpened() const;
    int CheckIsOpenedForRead() const;
    int CheckIsOpenedForWrite() const;

    // --- Bytes and positions ---

    // Reads exactly `size` bytes at the current position.
    int Read(void* data, unsigned long long size) const;
    int Write(void const* data, unsigned long long size);

    int GetPos(unsigned long long* pos) const;  // 0 on failure
    int SetPos(unsigned long long pos) const;
    // From the end, the offset is added to the size (0 lands on the end).
    int Seek(long long offset, AKFileWhence whence) const;
    int Skip(unsigned long long size) const;
    int SkipBack(unsigned long long size) const;

    // False exactly when more than n bytes remain after the current position;
    // true as well when the file is closed or its position or size is unknown.
    bool IsEndOfFile(unsigned long long n = 0) const;

    int SetFileSize(unsigned long long size);
    // Size and times in seconds since 1970 (0 for a memory stream); any
    // out-parameter may be null.
    int GetFileInfo(unsigned long long* size, unsigned long long* created = nullptr,
                    unsigned long long* modified = nullptr) const;

    // A memory stream's bytes in place (null when empty) and their count,
    // open or not. Valid until the stream grows past its capacity, is resized
    // or closed.
    int GetMemoryStreamDataPtr(void const** data, unsigned long long* size) const;
    // A copy of a memory stream's bytes, open or not.
    int GetMemoryStreamDataBlock(AKMemoryBlock* block) const;

    // --- Mapping ---

    // The file's mapping object, created on first use, owned by the file.
    AKFileMmap* MemMap() const;
    void const* MemMapAll(unsigned long long* size) const;
    int MemUnmapAll() const;
    int MemMapLastError() const;

    // --- Internal access for the mapping object ---

    int GetDescriptor() const { return fFD; }

private:
    void InitMemoryStream(void const* data, unsigned long long size);
    int OpenDisk(int how);
    int OpenStream(unsigned int openBits);
    // The opening of a read or write of `size` bytes: the stream is open
    // and the end of the run (in `end`) stays within 32 bits.
    int StreamCheckRun(unsigned long long size, unsigned long long* end) const;
    int StreamRead(void* data, unsigned long long size) const;
    int StreamWrite(void const* data, unsigned long long size);
    int StreamSeek(long long offset, AKFileWhence whence) const;
    int StreamSetSize(unsigned long long size);
    int CreateTemporary();
    void ReleaseMapping() const;
    void ForgetTemporaryPath();

    int fFD = -1;
    AKFilePath fPath;
    AKString fName;
    unsigned int fMode = kAKFileEndianLittle;
    unsigned int fMarker = 0;
    bool fStreamOpened = false;
    mutable unsigned int fStreamPos = 0;
    std::vector<unsigned char> fStreamData;
    mutable AKFileMmap* fMapping = nullptr;
};

// Read-only mappings of regions of a file. On a disk file the regions are
// mapped by the system (shared, read-only) and the offset of each must be a
// multiple of the page size; on a memory stream the address points into the
// stream's bytes and nothing is mapped.
class AKFileMmap
{
public:
    explicit AKFileMmap(AKFile const& file);
    ~AKFileMmap();

    AKFileMmap(AKFileMmap const&) = delete;
    AKFileMmap& operator=(AKFileMmap const&) = delete;

    // Maps `length` bytes from `offset`; null on failure (see LastError).
    void const* Map(unsigned long long offset, unsigned long long length);
    // Maps the whole file; size receives its length, 0 on failure.
    void const* MapAll(unsigned long long* size);
    int Unmap(void const* address);
    int UnmapAll();
    // Status of the last Map or MapAll (0 after Unmap and UnmapAll).
    int LastError() const { return fLastError; }

    static unsigned long long GetSysPageSize();
    bool FindItemByAddress(void const* address, unsigned int* index) const;
    unsigned int CountItems() const { return static_cast<unsigned int>(fItems.size()); }
    unsigned long long GetItemLength(unsigned int index) const;

private:
    struct Item {
        void const* address;
        unsigned long long length;
    };

    int Fail(int status)
    {
        fLastError = status;
        return status;
    }

    AKFile const& fFile;
    std::vector<Item> fItems;
    int fLastError = 0;
};

// --- Whole-file text ---

// Loads the whole file as bytes, without text conversion, and drops trailing
// NUL bytes. The string is not to be used after a failure.
int AKFileLoadContentToString(AKFilePath const& path, AKString* text);
int AKFileLoadContentToString(AKFile const& file, AKString* text);
// Writes the string's bytes, unconverted, from position 0. The path form
// creates or empties the file first; an already open file is not shortened.
int AKFileSaveContentOfString(AKFilePath const& path, AKString const& text);
int AKFileSaveContentOfString(AKFile& file, AKString const& text);
// Loads the named file of the application's resources folder.
int AKFileLoadContentToStringFromResources(AKString const& name, AKString* text);
