#include "AKDictionary.h"
#include "AKFile.h"
#include "AKFileChunk.h"
#include "AKFilePath.h"
#include "AKFileTypedIO.h"
#include "AKMemoryBlock.h"
#include "AKStatus.h"
#include "AKValue.h"
#include "AKValueArray.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// --- Helpers ---

AKValue Int(long long i)
{
    AKValue v;
    v.SetasInteger(i);
    return v;
}

AKValue Str(char const* s)
{
    AKValue v;
    v.SetasAKString(AKString(s));
    return v;
}

AKValue DictValue(AKDictionary const& d)
{
    AKValue v;
    v.SetasAKDictionary(d);
    return v;
}

AKString Key(char const* bytes, unsigned int length) { return AKString(bytes, length); }

// The keys in iteration order, joined with "|".
std::string KeysOf(AKDictionary const& d)
{
    std::string keys;
    AKKeyValueIterator it(d);
    AKString key;
    while (it.Next(&key, nullptr)) {
        if (!keys.empty())
            keys += "|";
        keys += key.StdString();
    }
    return keys;
}

std::vector<unsigned char> Written(std::function<int(AKFile&)> const& write)
{
    AKFile file(kAKFileModeMemoryStream);
    EXPECT_EQ(file.CreateForReadWrite(), 0);
    EXPECT_EQ(write(file), 0);
    AKMemoryBlock block;
    EXPECT_EQ(file.GetMemoryStreamDataBlock(&block), 0);
    return std::vector<unsigned char>(block.Data(), block.Data() + block.Size());
}

int ReadBytes(std::vector<unsigned char> const& bytes, AKDictionary* d)
{
    AKFile file(bytes.data(), static_cast<unsigned int>(bytes.size()));
    EXPECT_EQ(file.OpenForRead(), 0);
    return d->ReadFromFile(file);
}

std::vector<unsigned char> BytesOf(AKDictionary const& d)
{
    return Written([&](AKFile& f) { return d.WriteToFile(f); });
}

// A dictionary of every value kind, nested two levels.
AKDictionary EveryKind()
{
    AKDictionary leaf;
    AKValue v;
    v.SetasBool(true);
    leaf.SetValue("Bool", v);
    leaf.SetValue("Int", Int(-1234567890123LL));
    v.SetasFloat(-0.125);
    leaf.SetValue("Real", v);
    leaf.SetValue("Text", Str("caf\x8E, \"quoted\" & <tagged>"));
    leaf.SetValue("EmptyText", Str(""));
    v.SetasBinary(AKMemoryBlock("\x00\x01\x02\xFF\x7F", 5));
    leaf.SetValue("Bytes", v);
    v.SetasBinary(AKMemoryBlock());
    leaf.SetValue("NoBytes", v);
    leaf.SetValue("Nothing", AKValue());
    AKValueArray array{Int(1), Str("two"), AKValue(), DictValue(AKDictionary())};
    v.SetasAKValueArray(array);
    leaf.SetValue("List", v);

    AKDictionary middle(leaf);
    middle.SetValue("Leaf", DictValue(leaf));
    AKDictionary top(leaf);
    top.SetValue("Middle", DictValue(middle));
    return top;
}

// --- Keys ---

TEST(AKDictionaryKeys, InvalidKeysFailEveryOperation)
{
    std::vector<AKString> const invalid = {
        "a..b", ".a", "a.", "", "a b", "a-b", "\x8E", "a.\x80", ".", Key("\0a", 2),
    };
    for (AKString const& key : invalid) {
        SCOPED_TRACE(key.StdString());
        AKDictionary d;
        d.SetValue("a", Int(1));
        AKDictionary const before(d);
        AKValue out = Int(9);
        EXPECT_EQ(d.SetValue(key, Int(2)), kAKErrorDictionaryInvalidKey);
        EXPECT_EQ(d.AddValue(key, Int(2)), kAKErrorDictionaryInvalidKey);
        EXPECT_EQ(d.ReplaceValue(key, Int(2)), kAKErrorDictionaryInvalidKey);
        EXPECT_EQ(d.RemoveValue(key), kAKErrorDictionaryInvalidKey);
        EXPECT_EQ(d.GetValueCopy(key, &out), kAKErrorDictionaryInvalidKey);
        EXPECT_TRUE(out.IsEmpty());
        EXPECT_FALSE(d.ContainsKey(key));
        EXPECT_EQ(&d.GetValue(key), &kAKNullValue);
        EXPECT_TRUE(d.IsEqual(before));
    }
}

TEST(AKDictionaryKeys, ValidKeys)
{
    AKDictionary d;
    EXPECT_EQ(d.SetValue("_", Int(1)), 0);
    EXPECT_EQ(d.SetValue("A1.b_2", Int(2)), 0);
    EXPECT_TRUE(d.GetValue("A1.b_2").IsEqual(Int(2)));
    EXPECT_TRUE(d.GetValue("A1").IsAKDictionary());
    EXPECT_EQ(d.Count(), 2u);
}

TEST(AKDictionaryKeys, NulEndsTheExaminationButBelongsToTheKey)
{
    AKDictionary d;
    AKString key = Key("a.b\0 -.", 7);
    EXPECT_EQ(d.SetValue(key, Int(1)), 0);
    EXPECT_TRUE(d.GetValue(key).IsEqual(Int(1)));
    AKDictionary const* a = d.GetValue("a").GetasAKDictionary();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetUniqueSubKey(), Key("b\0 -.", 5));
    EXPECT_FALSE(d.ContainsKey("a.b"));
}

// --- The outcome table ---

enum class Op { Get, Set, Add, Replace, Remove };

struct OutcomeCase {
    char const* situation;
    char const* key;
    Op op;
    int status;
};

// {"n": 1, "d": {"x": 2}}
AKDictionary OutcomeFixture()
{
    AKDictionary inner;
    inner.SetValue("x", Int(2));
    AKDictionary d;
    d.SetValue("n", Int(1));
    d.SetValue("d", DictValue(inner));
    return d;
}

TEST(AKDictionaryKeys, OutcomeTable)
{
    std::vector<OutcomeCase> const cases = {
        {"middle missing", "m.x", Op::Get, kAKErrorDictionaryUnknownKey},
        {"middle missing", "m.x", Op::Set, 0},
        {"middle missing", "m.x", Op::Add, 0},
        {"middle missing", "m.x", Op::Replace, kAKErrorDictionaryUnknownKey},
        {"middle missing", "m.x", Op::Remove, kAKErrorDictionaryUnknownKey},
        {"middle not a dictionary", "n.x", Op::Get, kAKErrorDictionaryInvalidKey},
        {"middle not a dictionary", "n.x", Op::Set, kAKErrorDictionaryInvalidKey},
        {"middle not a dictionary", "n.x", Op::Add, kAKErrorDictionaryCantAddKey},
        {"middle not a dictionary", "n.x", Op::Replace, kAKErrorDictionaryInvalidKey},
        {"middle not a dictionary", "n.x", Op::Remove, kAKErrorDictionaryInvalidKey},
        {"deeper through a non-dictionary", "n.x.y", Op::Set, kAKErrorDictionaryInvalidKey},
        {"last missing", "d.y", Op::Get, kAKErrorDictionaryUnknownKey},
        {"last missing", "d.y", Op::Set, 0},
        {"last missing", "d.y", Op::Add, 0},
        {"last missing", "d.y", Op::Replace, kAKErrorDictionaryUnknownKey},
        {"last missing", "d.y", Op::Remove, kAKErrorDictionaryUnknownKey},
        {"last exists", "d.x", Op::Get, 0},
        {"last exists", "d.x", Op::Set, 0},
        {"last exists", "d.x", Op::Add, kAKErrorDictionaryCantAddKey},
        {"last exists", "d.x", Op::Replace, 0},
        {"last exists", "d.x", Op::Remove, 0},
        {"one component missing", "z", Op::Get, kAKErrorDictionaryUnknownKey},
        {"one component missing", "z", Op::Set, 0},
        {"one component missing", "z", Op::Add, 0},
        {"one component missing", "z", Op::Replace, kAKErrorDictionaryUnknownKey},
        {"one component missing", "z", Op::Remove, kAKErrorDictionaryUnknownKey},
        {"one component exists", "n", Op::Add, kAKErrorDictionaryCantAddKey},
        {"one component exists", "n", Op::Replace, 0},
        {"one component exists", "n", Op::Remove, 0},
    };
    AKValue const written = Str("new");
    for (OutcomeCase const& c : cases) {
        SCOPED_TRACE(std::string(c.situation) + " " + c.key + " op " + std::to_string(static_cast<int>(c.op)));
        AKDictionary d = OutcomeFixture();
        AKDictionary const before(d);
        int status = 0;
        AKValue out = Int(77);
        switch (c.op) {
        case Op::Get:
            status = d.GetValueCopy(c.key, &out);
            EXPECT_EQ(d.ContainsKey(c.key), status == 0);
            EXPECT_EQ(&d.GetValue(c.key) == &kAKNullValue, status != 0);
            EXPECT_EQ(out.IsEmpty(), status != 0);
            break;
        case Op::Set:
            status = d.SetValue(c.key, written);
            break;
        case Op::Add:
            status = d.AddValue(c.key, written);
            break;
        case Op::Replace:
            status = d.ReplaceValue(c.key, written);
            break;
        case Op::Remove:
            status = d.RemoveValue(c.key);
            break;
        }
        EXPECT_EQ(status, c.status);
        if (status != 0 || c.op == Op::Get) {
            // A failing operation (and any look-up) changes nothing.
            EXPECT_TRUE(d.IsEqual(before));
        } else if (c.op == Op::Remove) {
            EXPECT_FALSE(d.ContainsKey(c.key));
            EXPECT_EQ(d.Count() + (std::string(c.key).find('.') == std::string::npos ? 1 : 0), before.Count());
        } else {
            EXPECT_TRUE(d.GetValue(c.key).IsEqual(written));
        }
    }
}

TEST(AKDictionaryKeys, EntryInTheWayIsNeverOverwritten)
{
    AKDictionary d = OutcomeFixture();
    AKDictionary const before(d);
    EXPECT_EQ(d.SetValue("d.x.deeper", Str("lost?")), kAKErrorDictionaryInvalidKey);
    EXPECT_EQ(d.ReplaceValue("n.x", Str("lost?")), kAKErrorDictionaryInvalidKey);
    EXPECT_TRUE(d.IsEqual(before));
    EXPECT_TRUE(d.GetValue("d.x").IsEqual(Int(2)));
    EXPECT_TRUE(d.GetValue("n").IsEqual(Int(1)));
}

TEST(AKDictionaryKeys, SetCreatesTheDictionariesOfAPath)
{
    AKDictionary d;
    EXPECT_EQ(d.SetValue("x.y.z", Int(5)), 0);
    EXPECT_EQ(d.Count(), 1u);
    EXPECT_TRUE(d.GetValue("x").IsAKDictionary());
    EXPECT_TRUE(d.GetValue("x.y").IsAKDictionary());
    EXPECT_TRUE(d.GetValue("x.y.z").IsEqual(Int(5)));

    EXPECT_EQ(d.AddValue("x.y.z", Int(6)), kAKErrorDictionaryCantAddKey);
    EXPECT_TRUE(d.GetValue("x.y.z").IsEqual(Int(5)));
    EXPECT_EQ(d.ReplaceValue("x.w", Int(6)), kAKErrorDictionaryUnknownKey);
    EXPECT_FALSE(d.ContainsKey("x.w"));

    EXPECT_EQ(d.RemoveValue("x.y"), 0);
    EXPECT_TRUE(d.GetValue("x").IsAKDictionary());
    EXPECT_FALSE(d.ContainsKey("x.y.z"));
    EXPECT_EQ(d.RemoveValue("x.y"), kAKErrorDictionaryUnknownKey);
}

TEST(AKDictionaryKeys, StoringAValueOfTheSameDictionary)
{
    AKDictionary d;
    d.SetValue("a.b", Int(1));
    // The value stored is a copy of "a" taken before "a" changes.
    EXPECT_EQ(d.SetValue("a.c", d.GetValue("a")), 0);
    EXPECT_TRUE(d.GetValue("a.c.b").IsEqual(Int(1)));
    EXPECT_EQ(d.SetValue("a", d.GetValue("a.c.b")), 0);
    EXPECT_TRUE(d.GetValue("a").IsEqual(Int(1)));
    EXPECT_EQ(d.Count(), 1u);

    AKValue holder = DictValue(d);
    EXPECT_EQ(holder.GetasAKDictionary()->GetValueCopy("a", &holder), 0);
    EXPECT_TRUE(holder.IsEqual(Int(1)));
}

// --- Whole dictionaries ---

TEST(AKDictionary, MergeWithAndWithoutReplacing)
{
    AKDictionary other;
    other.SetValue("a", Int(1));
    other.SetValue("b", Int(2));
    AKDictionary base;
    base.SetValue("b", Int(3));
    base.SetValue("c", Int(4));

    AKDictionary replaced(base);
    replaced.Merge(other, true);
    AKDictionary expected;
    expected.SetValue("a", Int(1));
    expected.SetValue("b", Int(2));
    expected.SetValue("c", Int(4));
    EXPECT_TRUE(replaced.IsEqual(expected));

    AKDictionary kept(base);
    kept.Merge(other, false);
    expected.SetValue("b", Int(3));
    EXPECT_TRUE(kept.IsEqual(expected));
    EXPECT_EQ(other.Count(), 2u);

    // Nested dictionaries are taken whole, not merged.
    AKDictionary nestedA;
    nestedA.SetValue("n.x", Int(1));
    AKDictionary nestedB;
    nestedB.SetValue("n.y", Int(2));
    nestedA.Merge(nestedB, true);
    EXPECT_FALSE(nestedA.ContainsKey("n.x"));
    EXPECT_TRUE(nestedA.ContainsKey("n.y"));

    kept.Merge(kept, true);
    kept.Merge(kept, false);
    EXPECT_TRUE(kept.IsEqual(expected));
}

TEST(AKDictionary, IteratorWalksKeysInByteOrder)
{
    AKDictionary d;
    d.SetValue("b", Int(2));
    d.SetValue("a", Int(1));
    d.SetValue("C", Int(3));
    AKKeyValueIterator it(d);
    AKString key;
    AKValue value;
    ASSERT_TRUE(it.Next(&key, &value));
    EXPECT_EQ(key, AKString("C"));
    EXPECT_TRUE(value.IsEqual(Int(3)));
    ASSERT_TRUE(it.Next(&key, &value));
    EXPECT_EQ(key, AKString("a"));
    ASSERT_TRUE(it.Next(nullptr, &value));
    EXPECT_TRUE(value.IsEqual(Int(2)));
    EXPECT_FALSE(it.Next(&key, &value));
    EXPECT_TRUE(key.IsEmpty());
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_FALSE(it.Next(nullptr, nullptr));

    AKDictionary order;
    order.SetValue("a", Int(0));
    order.SetValue("_", Int(0));
    order.SetValue("Z", Int(0));
    order.SetValue("ab", Int(0));
    order.SetValue("9", Int(0));
    EXPECT_EQ(KeysOf(order), "9|Z|_|a|ab");

    AKKeyValueIterator empty(kAKNullDictionary);
    AKString const* keyInPlace = &key;
    AKValue const* valueInPlace = &value;
    EXPECT_FALSE(empty.NextInPlace(&keyInPlace, &valueInPlace));
    EXPECT_EQ(keyInPlace, nullptr);
    EXPECT_EQ(valueInPlace, nullptr);
}

TEST(AKDictionary, CountsCopiesAndUniqueSubKey)
{
    AKDictionary d;
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_EQ(d.GetUniqueSubKey(), AKString());
    d.SetValue("only.inner", Int(1));
    EXPECT_EQ(d.GetUniqueSubKey(), AKString("only"));
    d.SetValue("second", Int(2));
    EXPECT_EQ(d.GetUniqueSubKey(), AKString());
    EXPECT_EQ(d.Count(), 2u);

    AKDictionary copy(d);
    copy.SetValue("only.inner", Int(9));
    EXPECT_TRUE(d.GetValue("only.inner").IsEqual(Int(1)));
    EXPECT_FALSE(copy.IsEqual(d));

    copy.Swap(&d);
    EXPECT_TRUE(d.GetValue("only.inner").IsEqual(Int(9)));
    d.Assign(d);
    EXPECT_EQ(d.Count(), 2u);
    d.Clear();
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_TRUE(kAKNullDictionary.IsEmpty());
}

// --- Binary form ---

TEST(AKDictionaryChunk, GoldenBytesOfOneInteger)
{
    AKDictionary d;
    d.SetValue("a", Int(1));
    std::vector<unsigned char> const expected = {
        'd', 'i', 'c', 't', 0x1C, 0, 0, 0, 1, 0, 0, 0,  // header, count
        4,   0,   0,   0,   'a',  0, 0, 0,              // key
        'i', 'n', 't', 'g', 8,    0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(BytesOf(d), expected);
    AKDictionary read;
    EXPECT_EQ(ReadBytes(expected, &read), 0);
    EXPECT_TRUE(read.IsEqual(d));

    std::vector<unsigned char> const empty = {'d', 'i', 'c', 't', 4, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(BytesOf(AKDictionary()), empty);
}

TEST(AKDictionaryChunk, RoundTripOfEveryKindNestedTwoLevels)
{
    AKDictionary const original = EveryKind();
    std::vector<unsigned char> bytes = BytesOf(original);
    AKDictionary read;
    read.SetValue("stale", Int(1));
    EXPECT_EQ(ReadBytes(bytes, &read), 0);
    EXPECT_TRUE(read.IsEqual(original));
    EXPECT_FALSE(read.ContainsKey("stale"));
    EXPECT_TRUE(read.GetValue("Middle.Leaf.Bytes").IsEqual(original.GetValue("Bytes")));

    // Equal dictionaries built in another order give identical bytes.
    AKDictionary rebuilt;
    std::vector<std::pair<AKString, AKValue>> entries;
    AKKeyValueIterator it(original);
    AKString key;
    AKValue value;
    while (it.Next(&key, &value))
        entries.emplace_back(key, value);
    for (auto e = entries.rbegin(); e != entries.rend(); ++e)
        rebuilt.SetValue(e->first, e->second);
    EXPECT_EQ(BytesOf(rebuilt), bytes);
    EXPECT_EQ(BytesOf(read), bytes);
}

// A 'dict' chunk of raw entries, keys written as given.
std::vector<unsigned char> RawDictionary(std::vector<std::pair<AKString, AKValue>> const& entries)
{
    return Written([&](AKFile& f) {
        AKFileChunk chunk(0x64696374);
        int status = AKFileWriteChunkHeader(f, chunk);
        status = status ? status : AKFileWriteUInt32(f, static_cast<unsigned int>(entries.size()));
        for (auto const& e : entries) {
            status = status ? status : AKFileWriteAKString(f, e.first);
            status = status ? status : e.second.WriteToFile(f);
        }
        return status ? status : AKFileWriteChunkComplete(f, chunk);
    });
}

TEST(AKDictionaryChunk, StoredKeysAreKeptAsTheyAre)
{
    std::vector<unsigned char> bytes = RawDictionary({{"a b", Int(1)}, {"k", Int(2)}, {"k", Int(3)}});
    AKDictionary d;
    EXPECT_EQ(ReadBytes(bytes, &d), 0);
    EXPECT_EQ(d.Count(), 2u);
    EXPECT_EQ(&d.GetValue("a b"), &kAKNullValue);
    AKKeyValueIterator it(d);
    AKString key;
    AKValue value;
    ASSERT_TRUE(it.Next(&key, &value));
    EXPECT_EQ(key, AKString("a b"));
    EXPECT_TRUE(value.IsEqual(Int(1)));
    // The later of two equal keys wins.
    EXPECT_TRUE(d.GetValue("k").IsEqual(Int(3)));
}

TEST(AKDictionaryChunk, CorruptLengthsFailCleanly)
{
    std::vector<unsigned char> good = BytesOf(EveryKind());
    struct Corruption {
        char const* name;
        size_t offset;
        std::vector<unsigned char> bytes;
        int status;
    };
    std::vector<Corruption> const cases = {
        {"count far beyond the file", 8, {0xFF, 0xFF, 0xFF, 0x0F}, kAKErrorFileCantRead},
        {"first key length far beyond the file", 12, {0xF0, 0xFF, 0xFF, 0x7F}, kAKErrorFileCantRead},
        {"wrong signature", 0, {'d', 'i', 'c', 'x'}, kAKErrorChunkUnknownSignature},
    };
    for (Corruption const& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> bytes = good;
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<long>(c.offset));
        LogCapture log;
        AKDictionary d;
        d.SetValue("previous", Int(1));
        EXPECT_EQ(ReadBytes(bytes, &d), c.status);
        EXPECT_TRUE(d.IsEmpty());
        EXPECT_FALSE(log.Lines().empty());
    }
    // Every cut of the file fails and leaves the dictionary empty.
    LogCapture log;
    for (size_t length = 0; length < good.size(); ++length) {
        std::vector<unsigned char> cut(good.begin(), good.begin() + static_cast<long>(length));
        AKDictionary d;
        EXPECT_NE(ReadBytes(cut, &d), 0) << "cut at " << length;
        EXPECT_TRUE(d.IsEmpty());
    }
}

TEST(AKDictionaryChunk, SkipMovesPastTheChunk)
{
    std::vector<unsigned char> bytes = BytesOf(EveryKind());
    bytes.push_back(0xAB);
    AKFile file(bytes.data(), static_cast<unsigned int>(bytes.size()));
    ASSERT_EQ(file.OpenForRead(), 0);
    EXPECT_EQ(AKDictionary::SkipFromFile(file), 0);
    unsigned long long pos = 0;
    file.GetPos(&pos);
    EXPECT_EQ(pos, bytes.size() - 1);
}

// --- Binary dictionary files ---

class AKDictionaryFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/akdict-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        fDir = pattern;
    }
    void TearDown() override
    {
        for (std::string const& name : Names())
            std::remove((fDir + "/" + name).c_str());
        ::rmdir(fDir.c_str());
    }

    std::string Path(char const* name) const { return fDir + "/" + name; }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(fDir.c_str())) {
            while (dirent* entry = ::readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.push_back(name);
            }
            ::closedir(dir);
        }
        return names;
    }

    static std::string Content(std::string const& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string fDir;
};

TEST_F(AKDictionaryFileTest, SaveAndLoadRoundTrip)
{
    AKDictionary const original = EveryKind();
    AKFilePath path(Path("Presets"));
    EXPECT_EQ(original.SaveToBinFile(path), 0);
    std::string content = Content(Path("Presets"));
    std::vector<unsigned char> bytes = BytesOf(original);
    EXPECT_EQ(content, std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(Names(), std::vector<std::string>{"Presets"});

    AKDictionary loaded;
    EXPECT_EQ(loaded.LoadFromBinFile(path), 0);
    EXPECT_TRUE(loaded.IsEqual(original));

    // Saving again replaces the file whole and keeps its permissions.
    ASSERT_EQ(::chmod(Path("Presets").c_str(), 0600), 0);
    AKDictionary small;
    small.SetValue("a", Int(1));
    EXPECT_EQ(small.SaveToBinFile(path), 0);
    EXPECT_EQ(Content(Path("Presets")).size(), 36u);
    struct stat info;
    ASSERT_EQ(::stat(Path("Presets").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Names().size(), 1u);
}

TEST_F(AKDictionaryFileTest, LoadFailures)
{
    LogCapture log;
    AKDictionary d;
    d.SetValue("kept", Int(1));
    EXPECT_EQ(d.LoadFromBinFile(AKFilePath(Path("missing"))), kAKErrorFileCantOpen);
    EXPECT_TRUE(d.IsEmpty());

    {
        std::ofstream out(Path("garbage"), std::ios::binary);
        out << "dict\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF";
    }
    d.SetValue("kept", Int(1));
    EXPECT_EQ(d.LoadFromBinFile(AKFilePath(Path("garbage"))), kAKErrorFileCantRead);
    EXPECT_TRUE(d.IsEmpty());
}

TEST_F(AKDictionaryFileTest, SaveIntoAMissingFolderFails)
{
    LogCapture log;
    AKDictionary d;
    d.SetValue("a", Int(1));
    EXPECT_NE(d.SaveToBinFile(AKFilePath(Path("no-such-folder/Presets"))), 0);
    EXPECT_FALSE(log.Lines().empty());
    EXPECT_TRUE(Names().empty());
}

TEST_F(AKDictionaryFileTest, FailedSaveLeavesTheExistingFileIntact)
{
    AKDictionary previous;
    previous.SetValue("a", Int(1));
    AKFilePath path(Path("Presets"));
    ASSERT_EQ(previous.SaveToBinFile(path), 0);
    std::string const before = Content(Path("Presets"));

    AKDictionary big;
    AKValue v;
    std::vector<unsigned char> bytes(256 * 1024, 0x5A);
    v.SetasBinary(AKMemoryBlock(bytes.data(), static_cast<unsigned int>(bytes.size())));
    big.SetValue("State", v);

    // Files of this process may not grow past 4 KiB: the write of the new
    // content fails half-way (as on a full disk).
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore = {}, previousAction = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previousAction), 0);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int status = 0;
    {
        LogCapture log;
        status = big.SaveToBinFile(path);
        EXPECT_FALSE(log.Lines().empty());
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &previousAction, nullptr);

    EXPECT_EQ(status, kAKErrorFileCantWrite);
    EXPECT_EQ(Content(Path("Presets")), before);
    EXPECT_EQ(Names(), std::vector<std::string>{"Presets"});
    AKDictionary loaded;
    EXPECT_EQ(loaded.LoadFromBinFile(path), 0);
    EXPECT_TRUE(loaded.IsEqual(previous));
}

TEST_F(AKDictionaryFileTest, SaveOverAFolderFailsAndLeavesIt)
{
    ASSERT_EQ(::mkdir(Path("Presets").c_str(), 0755), 0);
    LogCapture log;
    AKDictionary d;
    d.SetValue("a", Int(1));
    EXPECT_EQ(d.SaveToBinFile(AKFilePath(Path("Presets"))), kAKErrorFileCantWrite);
    EXPECT_EQ(Names(), std::vector<std::string>{"Presets"});
    ::rmdir(Path("Presets").c_str());
}

}  // namespace
