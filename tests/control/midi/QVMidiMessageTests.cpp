// Decoding raw MIDI messages into the handler's 4-byte form, and the text
// forms the MIDI log prints.

#include "QVMidiMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DecodeCase {
    char const* name;
    std::vector<uint8_t> bytes;
    bool decoded;
    QVMidiMessage expected;  // type, channel, number, value
};

QVMidiMessage Msg(uint8_t type, uint8_t channel, uint8_t number, uint8_t value)
{
    QVMidiMessage m;
    m.mType = type;
    m.mChannel = channel;
    m.mNumber = number;
    m.mValue = value;
    return m;
}

TEST(QVMidiMessage, DecodesEveryKindOfRawMessage)
{
    std::vector<DecodeCase> const cases = {
        {"note on", {0x90, 60, 100}, true, Msg(kQVMidiMessageType_Note, 0, 60, 100)},
        {"note on last channel", {0x9F, 127, 1}, true, Msg(kQVMidiMessageType_Note, 15, 127, 1)},
        {"note off forces value 0", {0x80, 0x3C, 0x40}, true, Msg(kQVMidiMessageType_Note, 0, 60, 0)},
        {"note on velocity 0", {0x93, 64, 0}, true, Msg(kQVMidiMessageType_Note, 3, 64, 0)},
        {"after-touch", {0xA2, 10, 20}, true, Msg(kQVMidiMessageType_AfterTouch, 2, 10, 20)},
        {"controller", {0xB2, 7, 127}, true, Msg(kQVMidiMessageType_Controller, 2, 7, 127)},
        {"program change, two bytes", {0xC5, 12}, true, Msg(kQVMidiMessageType_ProgChange, 5, 12, 0)},
        {"channel pressure", {0xD1, 90}, true, Msg(kQVMidiMessageType_ChannPress, 1, 90, 0)},
        {"pitch bend", {0xE0, 0x00, 0x40}, true, Msg(kQVMidiMessageType_PitchBend, 0, 0, 64)},
        {"two-byte note keeps value 0", {0x90, 60}, true, Msg(kQVMidiMessageType_Note, 0, 60, 0)},
        {"extra bytes are ignored", {0xB0, 1, 2, 3, 4}, true, Msg(kQVMidiMessageType_Controller, 0, 1, 2)},
        // System messages and data bytes decode, as None.
        {"song position", {0xF2, 0x00, 0x10}, true, Msg(kQVMidiMessageType_None, 2, 0, 16)},
        {"system message number 0", {0xF0, 0x00, 0x00}, true, Msg(kQVMidiMessageType_None, 0, 0, 0)},
        {"real-time then data", {0xF8, 5}, true, Msg(kQVMidiMessageType_None, 8, 5, 0)},
        {"data byte first", {0x3C, 0x40, 0x01}, true, Msg(kQVMidiMessageType_None, 12, 64, 1)},
        // Too short: nothing decodes.
        {"one byte", {0x90}, false, Msg(0, 0, 0, 0)},
        {"no byte", {}, false, Msg(0, 0, 0, 0)},
    };
    for (DecodeCase const& c : cases) {
        SCOPED_TRACE(c.name);
        QVMidiMessage message = Msg(9, 9, 9, 9);
        // Exactly the bytes given, so a read past them shows under the sanitizers.
        std::vector<uint8_t> bytes(c.bytes);
        EXPECT_EQ(QVMidiMessageDecode(bytes.empty() ? nullptr : bytes.data(), int(bytes.size()), message), c.decoded);
        EXPECT_EQ(int(message.mType), int(c.expected.mType));
        EXPECT_EQ(int(message.mChannel), int(c.expected.mChannel));
        EXPECT_EQ(int(message.mNumber), int(c.expected.mNumber));
        EXPECT_EQ(int(message.mValue), int(c.expected.mValue));
    }
}

TEST(QVMidiMessage, BadArgumentsGiveAnEmptyMessage)
{
    uint8_t const bytes[] = {0x90, 60, 100};
    QVMidiMessage message = Msg(1, 2, 3, 4);
    EXPECT_FALSE(QVMidiMessageDecode(nullptr, 3, message));
    EXPECT_EQ(message, QVMidiMessage());
    message = Msg(1, 2, 3, 4);
    EXPECT_FALSE(QVMidiMessageDecode(bytes, -5, message));
    EXPECT_EQ(message, QVMidiMessage());
}

TEST(QVMidiMessage, TextForms)
{
    EXPECT_STREQ(QVMidiMessageGetStringDesc(Msg(kQVMidiMessageType_Controller, 2, 7, 127)).c_str(),
                 "Controller   Cha:02 Num:007 Val:127");
    EXPECT_STREQ(QVMidiMessageGetStringDesc(Msg(kQVMidiMessageType_None, 0, 0, 0)).c_str(),
                 "None         Cha:00 Num:000 Val:000");
    // An out-of-range type (never decoded, but the struct is plain data) prints as None.
    EXPECT_STREQ(QVMidiMessageGetStringDesc(Msg(200, 15, 255, 9)).c_str(), "None         Cha:15 Num:255 Val:009");
    EXPECT_STREQ(QVMidiMessageTypeName(kQVMidiMessageType_PitchBend), "PitchBend");
    EXPECT_STREQ(QVMidiMessageTypeName(kQVMidiMessageType_ChannPress), "ChannPress");

    uint8_t const raw[] = {0x90, 60, 7};
    EXPECT_STREQ(QVMidiMessageGetStringDescFromRaw(raw, 3).c_str(), "144 060 007");
    EXPECT_STREQ(QVMidiMessageGetStringDescFromRaw(raw, 1).c_str(), "144");
    EXPECT_STREQ(QVMidiMessageGetStringDescFromRaw(raw, 0).c_str(), "");
    EXPECT_STREQ(QVMidiMessageGetStringDescFromRaw(nullptr, 3).c_str(), "");
}

}  // namespace
