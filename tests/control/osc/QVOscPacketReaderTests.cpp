#include "QVOscPacketReader.h"
#include "QVOscTestPeer.h"

#include <gtest/gtest.h>
#include <string>

using osctest::Bundle;
using osctest::Message;

namespace {

char const* FaultOf(std::string const& bytes) { return QVOscPacketReader::FindFault(bytes.data(), int(bytes.size())); }

std::string Raw(char const* bytes, size_t size) { return std::string(bytes, size); }

}  // namespace

TEST(QVOscPacketReader, AcceptsWellFormedMessagesAndBundles)
{
    std::string const message = Message("/quorvex/seq").Int(3).Float(0.5f).String("abc").Bytes();
    struct Case {
        char const* name;
        std::string bytes;
    } const cases[] = {
        {"address only, no type tags", Raw("/a\0\0", 4)},
        {"empty type tags", Message("/abc").Bytes()},
        {"int, float, string", message},
        {"blob of 5 bytes, padded", Message("/b").Blob("12345").Bytes()},
        {"empty blob", Message("/b").Blob("").Bytes()},
        {"flags and an array take no bytes", Message("/t").Tag('T').Tag('F').Tag('N').Tag('[').Tag(']').Bytes()},
        {"64-bit arguments", Message("/h").Tag('h').Tag('d').Bytes() + std::string(16, '\0')},
        {"empty bundle", Bundle({})},
        {"bundle of two messages", Bundle({message, Message("/x").Bytes()})},
        {"nested bundle", Bundle({Bundle({message})})},
    };
    for (Case const& c : cases)
        EXPECT_EQ(FaultOf(c.bytes), nullptr) << c.name;
}

TEST(QVOscPacketReader, RefusesMalformedPackets)
{
    std::string const good = Message("/quorvex").Int(1).Bytes();
    std::string deep = good;
    for (int i = 0; i <= QVOscPacketReader::kMaxBundleDepth; ++i)
        deep = Bundle({deep});
    std::string hugeBlob = Message("/b").Bytes();
    hugeBlob[4 + 1] = 'b';  // ",b" in place of ","
    hugeBlob += Raw("\x7f\xff\xff\xff", 4);

    struct Case {
        char const* name;
        std::string bytes;
    } const cases[] = {
        {"empty", std::string()},
        {"size not a multiple of 4", good + "x"},
        {"no leading slash or hash", Raw("abc\0", 4)},
        {"address without its NUL", "/abcdefg"},
        {"type tags without a comma", Raw("/a\0\0xi\0\0", 8)},
        {"type tags without their NUL", Raw("/a\0\0,iii", 8)},
        {"int argument missing", Message("/a").Tag('i').Bytes()},
        {"string argument without its NUL", Message("/a").Tag('s').Bytes() + "abcd"},
        {"unknown type tag", Message("/a").Tag('?').Bytes()},
        {"blob larger than the packet", hugeBlob},
        {"negative blob size", Message("/a").Tag('b').Bytes() + Raw("\xff\xff\xff\xfc", 4)},
        {"unclosed array", Message("/a").Tag('[').Bytes()},
        {"stray array end", Message("/a").Tag(']').Bytes()},
        {"bundle header cut short", Raw("#bundle\0\0\0\0\0", 12)},
        {"wrong bundle tag", Raw("#bungle\0\0\0\0\0\0\0\0\0", 16)},
        {"bundle element past the end", Bundle({good}).substr(0, 16 + 4 + 4)},
        {"bundle element of size 0", Bundle({}) + Raw("\0\0\0\0", 4)},
        {"bundle holding a bad message", Bundle({Message("/a").Tag('i').Bytes()})},
        {"bundles nested too deep", deep},
    };
    for (Case const& c : cases)
        EXPECT_NE(FaultOf(c.bytes), nullptr) << c.name;
    EXPECT_NE(QVOscPacketReader::FindFault(nullptr, 8), nullptr);
}
