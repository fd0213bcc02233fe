// Saves killed at random points: a child process saves a document of a few
// megabytes over and over, alternating two contents, and is killed with
// SIGKILL after a random delay. The document must always hold one of the two
// contents whole, and the next save must leave nothing else in the folder.

#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFilePath.h"
#include "AKMemoryBlock.h"
#include "AKString.h"
#include "AKValue.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kSeed = 20240611;

// A dictionary of about 2 MB in a few large values (2.3 MB as XML), so that
// writing the bytes, not building them, takes much of a save.
AKDictionary LargeDictionary(char fill)
{
    AKDictionary d;
    for (int i = 0; i < 2; ++i) {
        std::vector<unsigned char> bytes(800 * 1024 + i);
        for (size_t k = 0; k < bytes.size(); ++k)
            bytes[k] = static_cast<unsigned char>(k * (31 + i) + fill);
        AKValue binary;
        binary.SetasBinary(AKMemoryBlock(bytes.data(), static_cast<unsigned int>(bytes.size())));
        d.SetValue("Nested.Binary" + std::to_string(i), binary);
    }
    AKValue text;
    text.SetasAKString(AKString(std::string(64 * 1024, fill)));
    d.SetValue("Text", text);
    AKValue count;
    count.SetasInteger(fill);
    d.SetValue("Count", count);
    return d;
}

// Lines of text, so that a torn file shows where it was cut.
std::string LargeText(char fill, size_t size)
{
    std::string text;
    text.reserve(size);
    for (unsigned int line = 0; text.size() < size; ++line)
        text += std::to_string(line) + ' ' + std::string(60, static_cast<char>(fill + line % 26)) + '\n';
    text.resize(size);
    return text;
}

std::string XmlText(AKDictionary const& d)
{
    AKString text;
    EXPECT_EQ(d.SaveToXmlString(&text, true), 0);
    return text.StdString();
}

std::string BinaryBytes(AKDictionary const& d)
{
    AKFile stream(kAKFileModeMemoryStream);
    EXPECT_EQ(stream.CreateForReadWrite(), 0);
    EXPECT_EQ(d.WriteToFile(stream), 0);
    void const* data = nullptr;
    unsigned long long size = 0;
    EXPECT_EQ(stream.GetMemoryStreamDataPtr(&data, &size), 0);
    return std::string(static_cast<char const*>(data), size);
}

// Which of the two contents the file holds, -1 for neither. The file is
// mapped rather than read: after every fork each page this process writes
// to costs a fault.
int VersionInFile(std::string const& path, std::string const (&bytes)[2])
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    size_t const size = static_cast<size_t>(info.st_size);
    void* mapped = size > 0 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : nullptr;
    close(fd);
    if (mapped == MAP_FAILED)
        return -1;
    int version = -1;
    for (int v = 0; v < 2 && version == -1; ++v) {
        if (bytes[v].size() == size && (size == 0 || std::memcmp(mapped, bytes[v].data(), size) == 0))
            version = v;
    }
    if (mapped != nullptr)
        munmap(mapped, size);
    return version;
}

// One persistent form: how version 0 or 1 is saved, the exact bytes each
// gives, and whether the file loads back as that version.
struct Form {
    unsigned int kills;
    std::function<int(AKFilePath const&, int)> save;
    std::string bytes[2];
    std::function<bool(AKFilePath const&, int)> loads;
};

class AKFileSaveKill : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sDictionaries = new AKDictionary[2]{LargeDictionary('a'), LargeDictionary('n')};
        sStrings =
            new AKString[2]{AKString(LargeText('a', 3 * 1024 * 1024)), AKString(LargeText('n', 3 * 1024 * 1024 + 1))};
    }
    static void TearDownTestSuite()
    {
        delete[] sDictionaries;
        delete[] sStrings;
    }

    // Kills a saving child form.kills times and checks the document after
    // each kill, then once more after a save that runs to its end.
    void KillSaves(Form const& form)
    {
        // A memory file system when there is one: syncing is then free and
        // the kills land in the save's own steps. Whether the document is
        // whole after a kill does not depend on the sync.
        struct stat shm;
        ScratchFolder folder(stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) ? "/dev/shm" : "/tmp");
        std::string const name = "document";
        AKFilePath const path(folder.At(name));

        // A child's first save is slower than its next ones, like the first
        // save here; the delays spread over one slow save and a quick one.
        auto const start = std::chrono::steady_clock::now();
        ASSERT_EQ(form.save(path, 0), 0);
        ASSERT_EQ(form.save(path, 1), 0);
        auto const end = std::chrono::steady_clock::now();
        long long const spanMicros = std::chrono::duration_cast<std::chrono::microseconds>(end - start).count();
        std::uniform_int_distribution<long long> delay(0, std::max(spanMicros, 200LL));
        std::mt19937 random(kSeed);

        for (unsigned int round = 0; round < form.kills; ++round) {
            pid_t child = fork();
            ASSERT_NE(child, -1);
            if (child == 0) {
                for (int version = 0;; version ^= 1) {
                    if (form.save(path, version) != 0)
                        _exit(1);
                }
            }
            usleep(static_cast<useconds_t>(delay(random)));
            kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saving child failed";

            ASSERT_NE(VersionInFile(folder.At(name), form.bytes), -1) << "after kill " << round;
        }

        ASSERT_EQ(form.save(path, 1), 0);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{name});
        EXPECT_TRUE(form.loads(path, 1));
    }

    static AKDictionary* sDictionaries;
    static AKString* sStrings;
};

AKDictionary* AKFileSaveKill::sDictionaries = nullptr;
AKString* AKFileSaveKill::sStrings = nullptr;

TEST_F(AKFileSaveKill, XmlPropertyList)
{
    // An XML save spends most of its time building the text: each kill costs
    // more, so there are fewer.
    Form form;
    form.kills = 40;
    form.save = [](AKFilePath const& p, int v) { return sDictionaries[v].SaveToXmlFile(p, true); };
    form.bytes[0] = XmlText(sDictionaries[0]);
    form.bytes[1] = XmlText(sDictionaries[1]);
    form.loads = [](AKFilePath const& p, int v) {
        AKDictionary loaded;
        return loaded.LoadFromXmlFile(p, true) == 0 && loaded.IsEqual(sDictionaries[v]);
    };
    KillSaves(form);
}

TEST_F(AKFileSaveKill, BinaryDictionaryFile)
{
    Form form;
    form.kills = 50;
    form.save = [](AKFilePath const& p, int v) { return sDictionaries[v].SaveToBinFile(p); };
    form.bytes[0] = BinaryBytes(sDictionaries[0]);
    form.bytes[1] = BinaryBytes(sDictionaries[1]);
    form.loads = [](AKFilePath const& p, int v) {
        AKDictionary loaded;
        return loaded.LoadFromBinFile(p) == 0 && loaded.IsEqual(sDictionaries[v]);
    };
    KillSaves(form);
}

TEST_F(AKFileSaveKill, WholeFileString)
{
    Form form;
    form.kills = 60;
    form.save = [](AKFilePath const& p, int v) { return AKFileSaveContentOfString(p, sStrings[v]); };
    form.bytes[0] = sStrings[0].StdString();
    form.bytes[1] = sStrings[1].StdString();
    form.loads = [](AKFilePath const& p, int v) {
        AKString loaded;
        return AKFileLoadContentToString(p, &loaded) == 0 && loaded == sStrings[v];
    };
    KillSaves(form);
}

}  // namespace
