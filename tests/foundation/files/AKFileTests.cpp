#include "AKFile.h"
#include "AKFileUtils.h"
#include "AKStatus.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string ErrorLine(int code, char const* name, std::string const& message, std::string const& errnoPart = "")
{
    std::string line = "# Quorvex Error " + std::to_string(code) + " (" + name + "): " + message + ".";
    if (!errnoPart.empty())
        line += " (" + errnoPart + ").";
    return line + "\n";
}

std::vector<std::string> Only(std::string const& line) { return {line}; }

std::vector<unsigned char> Bytes(std::initializer_list<int> values)
{
    std::vector<unsigned char> bytes;
    for (int v : values)
        bytes.push_back(static_cast<unsigned char>(v));
    return bytes;
}

// A fresh folder of its own for every test, removed afterwards.
class AKFileDiskTests : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int sCounter = 0;
        fFolder = std::filesystem::temp_directory_path() /
                  ("akfile-tests-" + std::to_string(::getpid()) + "-" + std::to_string(++sCounter));
        std::filesystem::create_directories(fFolder);
    }
    void TearDown() override { std::filesystem::remove_all(fFolder); }

    std::string PathOf(char const* name) const { return (fFolder / name).string(); }

    std::string MakeFile(char const* name, std::vector<unsigned char> const& bytes) const
    {
        std::string path = PathOf(name);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    static std::vector<unsigned char> ReadAll(std::string const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path fFolder;
};

}  // namespace

// --- Memory streams ---

TEST(AKFileStreamTests, ReadSequenceOfTenBytes)
{
    unsigned char const content[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    AKFile file(content, 10);
    EXPECT_TRUE(file.IsMemoryStream());
    ASSERT_EQ(file.OpenForRead(), 0);

    unsigned char buffer[16] = {};
    ASSERT_EQ(file.Read(buffer, 4), 0);
    EXPECT_EQ(buffer[3], 3);
    unsigned long long pos = 99;
    ASSERT_EQ(file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 4u);
    EXPECT_TRUE(file.IsEndOfFile(6));
    EXPECT_FALSE(file.IsEndOfFile(5));

    LogCapture log;
    EXPECT_EQ(file.Read(buffer, 7), kAKErrorFileCantRead);
    EXPECT_EQ(log.Lines(),
              Only(ErrorLine(kAKErrorFileCantRead, "kAKErrorFileCantRead", "Can't read in file \"Memory Stream\"")));
    ASSERT_EQ(file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 4u);

    // From the end, offset 0 lands on the end.
    ASSERT_EQ(file.Seek(0, kAKFileWhenceEnd), 0);
    ASSERT_EQ(file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 10u);
    EXPECT_TRUE(file.IsEndOfFile(0));
}

TEST(AKFileStreamTests, SetPosPastEndFailsThenSetFileSizeExtendsWithZeros)
{
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    unsigned char const ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(file.Write(ten, 10), 0);

    LogCapture log;
    EXPECT_EQ(file.SetPos(20), kAKErrorFileCantSetPos);
    EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorFileCantSetPos, "kAKErrorFileCantSetPos",
                                          "Can't set position in file \"Memory Stream\"")));
    log.Clear();

    ASSERT_EQ(file.SetFileSize(20), 0);
    ASSERT_EQ(file.SetPos(10), 0);
    unsigned char tail[10];
    std::fill(std::begin(tail), std::end(tail), 0xEE);
    ASSERT_EQ(file.Read(tail, 10), 0);
    EXPECT_EQ(std::vector<unsigned char>(tail, tail + 10), std::vector<unsigned char>(10, 0));
    EXPECT_TRUE(log.Lines().empty());

    // Cutting below the position pulls the position back.
    ASSERT_EQ(file.SetFileSize(3), 0);
    unsigned long long pos = 0;
    ASSERT_EQ(file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 3u);
}

TEST(AKFileStreamTests, SeekChecksRangeAndOrigin)
{
    unsigned char const content[10] = {};
    AKFile file(content, 10);
    ASSERT_EQ(file.OpenForRead(), 0);
    LogCapture log;

    struct Case {
        long long offset;
        AKFileWhence whence;
        int status;
        unsigned long long pos;  // position afterwards
    };
    Case const cases[] = {
        {3, kAKFileWhenceStart, 0, 3},      {4, kAKFileWhenceCurrent, 0, 7},
        {-7, kAKFileWhenceCurrent, 0, 0},   {-1, kAKFileWhenceCurrent, kAKErrorFileCantSetPos, 0},
        {-4, kAKFileWhenceEnd, 0, 6},       {1, kAKFileWhenceEnd, kAKErrorFileCantSetPos, 6},
        {10, kAKFileWhenceStart, 0, 10},    {11, kAKFileWhenceStart, kAKErrorFileCantSetPos, 10},
        {0, 7, kAKErrorFileCantSetPos, 10},
    };
    for (Case const& c : cases) {
        EXPECT_EQ(file.Seek(c.offset, c.whence), c.status) << c.offset << " from " << c.whence;
        unsigned long long pos = 99;
        ASSERT_EQ(file.GetPos(&pos), 0);
        EXPECT_EQ(pos, c.pos) << c.offset << " from " << c.whence;
    }
    EXPECT_EQ(log.Lines().size(), 4u);

    // Skipping goes through the same checks.
    ASSERT_EQ(file.SetPos(8), 0);
    EXPECT_EQ(file.Skip(2), 0);
    EXPECT_EQ(file.Skip(1), kAKErrorFileCantSetPos);
    EXPECT_EQ(file.SkipBack(10), 0);
    EXPECT_EQ(file.SkipBack(1), kAKErrorFileCantSetPos);
}

TEST(AKFileStreamTests, CloseReleasesContentAndReopenIsEmpty)
{
    unsigned char const content[4] = {'a', 'b', 'c', 'd'};
    AKFile file(content, 4);

    // A stream that is not open keeps its content through Close.
    ASSERT_EQ(file.Close(), 0);
    unsigned long long size = 0;
    ASSERT_EQ(file.GetFileInfo(&size), 0);
    EXPECT_EQ(size, 4u);

    ASSERT_EQ(file.OpenForRead(), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_FALSE(file.IsOpened());
    ASSERT_EQ(file.GetFileInfo(&size), 0);
    EXPECT_EQ(size, 0u);

    ASSERT_EQ(file.OpenForReadWrite(), 0);
    EXPECT_TRUE(file.IsEndOfFile(0));
    void const* data = &size;
    ASSERT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(AKFileStreamTests, OperationsOnClosedOrOpenStreamAreRefused)
{
    AKFile file(kAKFileModeMemoryStream);
    LogCapture log;
    unsigned char byte = 0;
    unsigned long long pos = 7;
    EXPECT_EQ(file.Read(&byte, 1), kAKErrorFileNotOpened);
    EXPECT_EQ(file.Write(&byte, 1), kAKErrorFileNotOpened);
    EXPECT_EQ(file.GetPos(&pos), kAKErrorFileNotOpened);
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(file.SetFileSize(4), kAKErrorFileNotOpened);
    EXPECT_EQ(file.CheckIsOpened(), kAKErrorFileNotOpened);
    EXPECT_TRUE(file.IsEndOfFile(0));
    ASSERT_EQ(log.Lines().size(), 5u);
    EXPECT_EQ(log.Lines()[0],
              ErrorLine(kAKErrorFileNotOpened, "kAKErrorFileNotOpened", "The file \"Memory Stream\" is not opened"));

    log.Clear();
    ASSERT_EQ(file.OpenForRead(), 0);
    EXPECT_EQ(file.CheckIsOpenedForRead(), 0);
    EXPECT_EQ(file.CheckIsOpenedForWrite(), kAKErrorFileNotOpened);
    EXPECT_EQ(file.CreateForReadWrite(), kAKErrorFileYetOpened);
    EXPECT_EQ(log.Lines().back(), ErrorLine(kAKErrorFileYetOpened, "kAKErrorFileYetOpened",
                                            "The file \"Memory Stream\" is already opened"));
}

TEST(AKFileStreamTests, WritesGrowTheStreamAndOverwriteInPlace)
{
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    std::string const text = "hello world";
    ASSERT_EQ(file.Write(text.data(), text.size()), 0);
    ASSERT_EQ(file.SetPos(6), 0);
    ASSERT_EQ(file.Write("W", 1), 0);
    ASSERT_EQ(file.Write(nullptr, 0), 0);

    // A source inside the stream itself survives the stream's growth.
    void const* data = nullptr;
    unsigned long long size = 0;
    ASSERT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
    ASSERT_EQ(file.Seek(0, kAKFileWhenceEnd), 0);
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
        ASSERT_EQ(file.Write(data, size), 0);
    }
    ASSERT_EQ(file.GetMemoryStreamDataPtr(&data, &size), 0);
    ASSERT_EQ(size, 11u * 512u);
    std::string all(static_cast<char const*>(data), static_cast<size_t>(size));
    for (size_t at = 0; at < all.size(); at += 11)
        ASSERT_EQ(all.substr(at, 11), "hello World") << at;
}

TEST(AKFileStreamTests, SizesBeyond32BitsAreRefused)
{
    AKFile file(kAKFileModeMemoryStream);
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    LogCapture log;
    unsigned char byte = 0;
    EXPECT_EQ(file.SetFileSize(0x100000000ull), kAKErrorFileDataTooBig);
    EXPECT_EQ(file.Write(&byte, 0x100000000ull), kAKErrorFileDataTooBig);
    EXPECT_EQ(file.Read(&byte, 0x100000000ull), kAKErrorFileDataTooBig);
    ASSERT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(log.Lines()[0], ErrorLine(kAKErrorFileDataTooBig, "kAKErrorFileDataTooBig",
                                        "Data size or position too big in file \"Memory Stream\""));
}

TEST(AKFileStreamTests, EndiannessTakesOnlyOneOrTwo)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.GetEndianness(), 2u);
    file.SetEndianness(3);
    EXPECT_EQ(file.GetEndianness(), 2u);
    file.SetEndianness(1);
    EXPECT_EQ(file.GetEndianness(), 1u);
    file.SetEndianness(0);
    EXPECT_EQ(file.GetEndianness(), 1u);
}

TEST(AKFileStreamTests, ConstructorFlagsChooseTheKind)
{
    EXPECT_TRUE(AKFile(kAKFileModeMemoryStream | kAKFileModeTemporary).IsMemoryStream());
    EXPECT_TRUE(AKFile(kAKFileModeTemporary).IsTemporary());
    EXPECT_FALSE(AKFile(0u).IsMemoryStream());
    EXPECT_FALSE(AKFile(AKFilePath("/x"), kAKFileModeMemoryStream).IsMemoryStream());
    EXPECT_TRUE(AKFile(AKFilePath("/x"), kAKFileModeTemporary).GetPath().IsEmpty());

    EXPECT_EQ(AKFile::sPreferedModeCache, kAKFileModeMemoryStream);
    EXPECT_TRUE(AKFile(kAKFileModePreferedCache | kAKFileModeTemporary).IsMemoryStream());
    AKFile::SetPreferedModeCache(kAKFileModeTemporary);
    EXPECT_TRUE(AKFile(kAKFileModePreferedCache | kAKFileModeMemoryStream).IsTemporary());
    AKFile::SetPreferedModeCache(64);
    EXPECT_EQ(AKFile::sPreferedModeCache, kAKFileModeTemporary);
    AKFile::SetPreferedModeCache(kAKFileModeMemoryStream);
}

TEST(AKFileStreamTests, MappingListsOneEntryPerAddress)
{
    unsigned char const content[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    AKFile file(content, 10);
    AKFileMmap* map = file.MemMap();
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(file.MemMap(), map);

    unsigned char const* a = static_cast<unsigned char const*>(map->Map(2, 4));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a[0], 2);
    EXPECT_EQ(map->Map(2, 8), a);
    ASSERT_EQ(map->CountItems(), 1u);
    EXPECT_EQ(map->GetItemLength(0), 8u);

    LogCapture log;
    EXPECT_EQ(map->Map(2, 9), nullptr);
    EXPECT_EQ(map->LastError(), kAKErrorFileMmapOutOfBounds);
    EXPECT_EQ(map->Map(0, 0), nullptr);
    EXPECT_EQ(log.Lines().front(), ErrorLine(kAKErrorFileMmapOutOfBounds, "kAKErrorFileMmapOutOfBounds",
                                             "Can't mmap on file (out of bounds) \"Memory Stream\""));

    unsigned long long size = 0;
    unsigned char const* all = static_cast<unsigned char const*>(file.MemMapAll(&size));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all + 2, a);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(map->CountItems(), 2u);
    EXPECT_EQ(file.MemUnmapAll(), 0);
    EXPECT_EQ(map->CountItems(), 0u);
    EXPECT_EQ(file.MemMapLastError(), 0);
}

// --- Disk files ---

TEST_F(AKFileDiskTests, WriteReadAndSizeOfADiskFile)
{
    std::string path = PathOf("data.bin");
    AKFile file(AKFilePath(path.c_str()), 0);
    EXPECT_EQ(file.GetName(), AKString("data.bin"));
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(file.CheckIsOpenedForWrite(), 0);
    ASSERT_EQ(file.Write("0123456789", 10), 0);
    EXPECT_TRUE(file.IsEndOfFile(0));

    ASSERT_EQ(file.SetPos(2), 0);
    EXPECT_FALSE(file.IsEndOfFile(7));
    EXPECT_TRUE(file.IsEndOfFile(8));
    char buffer[4] = {};
    ASSERT_EQ(file.Read(buffer, 3), 0);
    EXPECT_EQ(std::string(buffer, 3), "234");
    ASSERT_EQ(file.SkipBack(5), 0);
    unsigned long long pos = 0;
    ASSERT_EQ(file.GetPos(&pos), 0);
    EXPECT_EQ(pos, 0u);

    // A disk file may be positioned past its end; a write there extends it.
    ASSERT_EQ(file.SetPos(12), 0);
    ASSERT_EQ(file.Write("x", 1), 0);
    unsigned long long size = 0, created = 1, modified = 0;
    ASSERT_EQ(file.GetFileInfo(&size, &created, &modified), 0);
    EXPECT_EQ(size, 13u);
    EXPECT_GT(modified, 0u);
    ASSERT_EQ(file.SetFileSize(4), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadAll(path), Bytes({'0', '1', '2', '3'}));

    // Creating again empties the file.
    ASSERT_EQ(file.CreateForReadWrite(), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_TRUE(ReadAll(path).empty());
}

// A count so large that position plus count passes the top of the range
// still lies beyond the end, whether the bytes are in memory or on disk.
TEST_F(AKFileDiskTests, HugeCountsLieBeyondTheEndOfStreamsAndDiskFiles)
{
    unsigned char const content[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    AKFile stream(content, 10);
    ASSERT_EQ(stream.OpenForRead(), 0);
    AKFile disk(AKFilePath(MakeFile("ten.bin", std::vector<unsigned char>(content, content + 10)).c_str()), 0);
    ASSERT_EQ(disk.OpenForRead(), 0);

    for (AKFile* file : {&stream, &disk}) {
        SCOPED_TRACE(file->IsMemoryStream() ? "memory stream" : "disk file");
        ASSERT_EQ(file->SetPos(4), 0);
        EXPECT_FALSE(file->IsEndOfFile(5));
        EXPECT_TRUE(file->IsEndOfFile(6));
        for (unsigned long long n : {ULLONG_MAX, ULLONG_MAX - 3, ULLONG_MAX - 2, 1ull << 63}) {
            SCOPED_TRACE(n);
            EXPECT_TRUE(file->IsEndOfFile(n));
        }
    }
}

TEST_F(AKFileDiskTests, OpenTwiceIsRefusedAndTheFileStaysOpen)
{
    std::string path = MakeFile("twice.txt", Bytes({'a', 'b'}));
    AKFile file(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(file.OpenForRead(), 0);
    LogCapture log;
    EXPECT_EQ(file.OpenForRead(), kAKErrorFileYetOpened);
    EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorFileYetOpened, "kAKErrorFileYetOpened",
                                          "The file \"" + path + "\" is already opened")));
    char buffer[2];
    EXPECT_EQ(file.Read(buffer, 2), 0);
    EXPECT_EQ(file.CheckIsOpenedForWrite(), kAKErrorFileNotOpened);
}

TEST_F(AKFileDiskTests, SystemFailuresCarryTheirErrnoText)
{
    LogCapture log;

    std::string missing = PathOf("missing.txt");
    AKFile absent(AKFilePath(missing.c_str()), 0);
    EXPECT_EQ(absent.OpenForRead(), kAKErrorFileCantOpen);
    EXPECT_EQ(absent.OpenForReadWrite(), kAKErrorFileCantOpen);
    EXPECT_FALSE(absent.IsOpened());
    EXPECT_FALSE(std::filesystem::exists(missing));
    std::string const noEntry = "errno 2: ENOENT: No such file or directory";
    EXPECT_EQ(log.Lines(), std::vector<std::string>(2, ErrorLine(kAKErrorFileCantOpen, "kAKErrorFileCantOpen",
                                                                 "Can't open file \"" + missing + "\"", noEntry)));

    // Writing to a file opened for reading only.
    log.Clear();
    std::string path = MakeFile("ro.txt", Bytes({'a'}));
    AKFile readOnly(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(readOnly.OpenForRead(), 0);
    EXPECT_EQ(readOnly.Write("b", 1), kAKErrorFileCantWrite);
    EXPECT_EQ(log.Lines(),
              Only(ErrorLine(kAKErrorFileCantWrite, "kAKErrorFileCantWrite", "Can't write to file \"" + path + "\"",
                             "errno 9: EBADF: Bad file descriptor")));

    // A folder opens for reading but cannot be read.
    log.Clear();
    std::string folder = fFolder.string();
    AKFile dir(AKFilePath(folder.c_str()), 0);
    ASSERT_EQ(dir.OpenForRead(), 0);
    char byte;
    EXPECT_EQ(dir.Read(&byte, 1), kAKErrorFileCantRead);
    EXPECT_EQ(log.Lines(),
              Only(ErrorLine(kAKErrorFileCantRead, "kAKErrorFileCantRead", "Can't read in file \"" + folder + "\"",
                             "errno 21: EISDIR: Is a directory")));

    // Reading past the end is a short read: no system error to add.
    log.Clear();
    readOnly.SetPos(0);
    char two[2];
    EXPECT_EQ(readOnly.Read(two, 2), kAKErrorFileCantRead);
    EXPECT_EQ(log.Lines(),
              Only(ErrorLine(kAKErrorFileCantRead, "kAKErrorFileCantRead", "Can't read in file \"" + path + "\"")));

    // A closed disk file.
    log.Clear();
    AKFile closed(AKFilePath(path.c_str()), 0);
    unsigned long long pos = 5;
    EXPECT_EQ(closed.GetPos(&pos), kAKErrorFileNotOpened);
    EXPECT_EQ(pos, 0u);
    EXPECT_EQ(closed.Read(two, 1), kAKErrorFileNotOpened);
    EXPECT_TRUE(closed.IsEndOfFile(0));
    EXPECT_EQ(log.Lines().front(),
              ErrorLine(kAKErrorFileNotOpened, "kAKErrorFileNotOpened", "The file \"" + path + "\" is not opened"));

    // Memory-stream data asked of a disk file.
    log.Clear();
    void const* data = &pos;
    unsigned long long size = 3;
    EXPECT_EQ(closed.GetMemoryStreamDataPtr(&data, &size), kAKErrorFileCantGetInfo);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorFileCantGetInfo, "kAKErrorFileCantGetInfo",
                                          "Can't get size of file \"" + path + "\"")));
}

TEST_F(AKFileDiskTests, TemporaryFileLifeCycle)
{
    AKFile file(kAKFileModeTemporary);
    EXPECT_TRUE(file.GetPath().IsEmpty());
    ASSERT_EQ(file.CreateForReadWrite(), 0);

    AKFilePath first = file.GetPath();
    EXPECT_EQ(first.Path(), AKFileUtils::GetSystemTemporaryDirPath().String());
    EXPECT_EQ(file.GetName(), first.FileName());
    EXPECT_TRUE(AKFileUtils::FileExists(first));
    ASSERT_EQ(file.Write("temp", 4), 0);
    ASSERT_EQ(file.SetPos(0), 0);
    char buffer[4];
    ASSERT_EQ(file.Read(buffer, 4), 0);
    EXPECT_EQ(std::string(buffer, 4), "temp");

    ASSERT_EQ(file.Close(), 0);
    EXPECT_FALSE(AKFileUtils::FileExists(first));
    EXPECT_TRUE(file.GetPath().IsEmpty());
    EXPECT_TRUE(file.GetName().IsEmpty());

    ASSERT_EQ(file.CreateForReadWrite(), 0);
    AKFilePath second = file.GetPath();
    EXPECT_NE(second, first);
    EXPECT_TRUE(AKFileUtils::FileExists(second));
    ASSERT_EQ(file.Remove(), 0);
    EXPECT_FALSE(AKFileUtils::FileExists(second));
    EXPECT_TRUE(file.GetPath().IsEmpty());

    // The destructor of an open temporary file deletes it as well.
    AKFilePath third;
    {
        AKFile scoped(AKFilePath("/ignored"), kAKFileModeTemporary);
        ASSERT_EQ(scoped.CreateForReadWrite(), 0);
        third = scoped.GetPath();
        EXPECT_TRUE(AKFileUtils::FileExists(third));
    }
    EXPECT_FALSE(AKFileUtils::FileExists(third));
}

TEST_F(AKFileDiskTests, RemoveDeletesAnOpenOrClosedFile)
{
    std::string path = MakeFile("gone.txt", Bytes({'x'}));
    AKFile open(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(open.OpenForRead(), 0);
    ASSERT_EQ(open.Remove(), 0);
    EXPECT_FALSE(open.IsOpened());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(open.GetPath(), AKFilePath(path.c_str()));

    MakeFile("gone.txt", Bytes({'y'}));
    AKFile closed(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(closed.Remove(), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(AKFileDiskTests, MappingRegionsOfADiskFile)
{
    unsigned long long const page = AKFileMmap::GetSysPageSize();
    ASSERT_GE(page, 4096u);
    std::vector<unsigned char> content(static_cast<size_t>(page + 100));
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 7);
    std::string path = MakeFile("map.bin", content);
    AKFile file(AKFilePath(path.c_str()), 0);

    LogCapture log;
    AKFileMmap* map = file.MemMap();
    EXPECT_EQ(map->Map(0, 10), nullptr);
    EXPECT_EQ(map->LastError(), kAKErrorFileNotOpened);
    ASSERT_EQ(file.OpenForRead(), 0);
    map = file.MemMap();

    log.Clear();
    EXPECT_EQ(map->Map(1, 10), nullptr);
    EXPECT_EQ(map->LastError(), kAKErrorFileMmapBadOffset);
    EXPECT_EQ(file.MemMapLastError(), kAKErrorFileMmapBadOffset);
    EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorFileMmapBadOffset, "kAKErrorFileMmapBadOffset",
                                          "Can't mmap on file (bad offset) \"" + path + "\"")));

    log.Clear();
    EXPECT_EQ(map->Map(page, 101), nullptr);
    EXPECT_EQ(map->LastError(), kAKErrorFileMmapOutOfBounds);
    EXPECT_EQ(log.Lines(), Only(ErrorLine(kAKErrorFileMmapOutOfBounds, "kAKErrorFileMmapOutOfBounds",
                                          "Can't mmap on file (out of bounds) \"" + path + "\"")));

    unsigned char const* second = static_cast<unsigned char const*>(map->Map(page, 100));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(map->LastError(), 0);
    EXPECT_EQ(second[99], content[static_cast<size_t>(page) + 99]);

    unsigned long long size = 0;
    unsigned char const* all = static_cast<unsigned char const*>(file.MemMapAll(&size));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(size, content.size());
    EXPECT_EQ(std::vector<unsigned char>(all, all + size), content);
    EXPECT_EQ(map->CountItems(), 2u);

    unsigned int index = 7;
    EXPECT_TRUE(map->FindItemByAddress(second, &index));
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(map->Unmap(second), 0);
    EXPECT_FALSE(map->FindItemByAddress(second, &index));
    EXPECT_EQ(index, 0xFFFFFFFFu);
    EXPECT_EQ(map->Unmap(second), 0);  // unknown address: nothing
    EXPECT_EQ(map->CountItems(), 1u);

    // Closing releases the mapping object; a later MemMap makes a new one.
    ASSERT_EQ(file.Close(), 0);
    EXPECT_EQ(file.MemMap()->CountItems(), 0u);
}

TEST_F(AKFileDiskTests, MappingAllOfAnEmptyFileIsOutOfBounds)
{
    std::string path = MakeFile("empty.bin", {});
    AKFile file(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(file.OpenForRead(), 0);
    LogCapture log;
    unsigned long long size = 9;
    EXPECT_EQ(file.MemMapAll(&size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(file.MemMapLastError(), kAKErrorFileMmapOutOfBounds);
}

// --- Whole-file text ---

TEST_F(AKFileDiskTests, LoadAndSaveWholeFiles)
{
    std::string path = MakeFile("text.txt", Bytes({'a', 'b', 0, 'c', 0, 0}));
    AKString text("old");
    ASSERT_EQ(AKFileLoadContentToString(AKFilePath(path.c_str()), &text), 0);
    EXPECT_EQ(text.StdString(), std::string("ab\0c", 4));

    ASSERT_EQ(AKFileSaveContentOfString(AKFilePath(path.c_str()), AKString("xyz")), 0);
    EXPECT_EQ(ReadAll(path), Bytes({'x', 'y', 'z'}));

    // An open file is written from position 0 and not shortened.
    AKFile file(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(file.OpenForReadWrite(), 0);
    ASSERT_EQ(file.Seek(0, kAKFileWhenceEnd), 0);
    ASSERT_EQ(AKFileSaveContentOfString(file, AKString("Q")), 0);
    ASSERT_EQ(AKFileLoadContentToString(file, &text), 0);
    EXPECT_EQ(text, AKString("Qyz"));

    // An empty file loads as the empty string.
    std::string empty = MakeFile("empty.txt", {});
    ASSERT_EQ(AKFileLoadContentToString(AKFilePath(empty.c_str()), &text), 0);
    EXPECT_TRUE(text.IsEmpty());

    LogCapture log;
    AKFile readOnly(AKFilePath(path.c_str()), 0);
    ASSERT_EQ(readOnly.OpenForRead(), 0);
    EXPECT_EQ(AKFileSaveContentOfString(readOnly, AKString("no")), kAKErrorFileNotOpened);
    AKFile closed(AKFilePath(path.c_str()), 0);
    EXPECT_EQ(AKFileLoadContentToString(closed, &text), kAKErrorFileNotOpened);
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(AKFileStreamTests, LoadWholeMemoryStream)
{
    unsigned char const content[5] = {'t', 'e', 'x', 't', 0};
    AKFile file(content, 5);
    ASSERT_EQ(file.OpenForRead(), 0);
    ASSERT_EQ(file.Skip(3), 0);
    AKString text;
    ASSERT_EQ(AKFileLoadContentToString(file, &text), 0);
    EXPECT_EQ(text, AKString("text"));
}

TEST_F(AKFileDiskTests, ResourceLoadNamesTheMissingResource)
{
    // The resources folder is looked up once per process; this is its first use here.
    ASSERT_EQ(::setenv("ORVEL_RESOURCES_DIR", fFolder.string().c_str(), 1), 0);
    MakeFile("Greeting.txt", Bytes({'h', 'i'}));
    AKString text;
    ASSERT_EQ(AKFileLoadContentToStringFromResources(AKString("Greeting.txt"), &text), 0);
    EXPECT_EQ(text, AKString("hi"));

    LogCapture log;
    EXPECT_EQ(AKFileLoadContentToStringFromResources(AKString("Nope.txt"), &text), kAKErrorCantFindResource);
    std::string missing = PathOf("Nope.txt");
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{ErrorLine(kAKErrorFileCantOpen, "kAKErrorFileCantOpen",
                                                               "Can't open file \"" + missing + "\"",
                                                               "errno 2: ENOENT: No such file or directory"),
                                                     ErrorLine(kAKErrorCantFindResource, "kAKErrorCantFindResource",
                                                               "Can't find resource \"Nope.txt\"")}));
    ::unsetenv("ORVEL_RESOURCES_DIR");
}
