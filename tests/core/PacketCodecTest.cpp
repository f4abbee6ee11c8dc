#include "protocol/PacketCodec.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using namespace std::string_literals;

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

// ---- Requests ---------------------------------------------------------

TEST(PacketCodecRequest, OrderIdQueryFrameByteForByte) {
    auto frame = BuildRequestFrame({"90007", "", "005"}, {{"CustTradeID", "8001234"}});
    ASSERT_TRUE(frame.ok()) << frame.error();

    const std::string expected = "120 20"s             // prefix
                                 + "90007" + Blanks(2) + "20" + Blanks(32) +
                                 "20   " + "NN" + "005" + Blanks(5) + "\x01"s + "1   " +
                                 Blanks(15) + "2" + Blanks(23) +
                                 "\x43\x75\x73\x74\x54\x72\x61\x64\x65\x49\x44\x08"
                                 "\x38\x30\x30\x31\x32\x33\x34\x08"s;
    ASSERT_EQ(expected.size(), 126u);
    EXPECT_EQ(*frame, expected);
}

TEST(PacketCodecRequest, HeaderCutsLongCodesAndCarriesCountAsOneByte) {
    std::string header = BuildRequestHeader({"9000712", "101", "005678"}, 1234, 12);
    ASSERT_EQ(header.size(), kHeaderSize);
    EXPECT_EQ(header.substr(0, 5), "90007");
    EXPECT_EQ(header.substr(5, 2), "10");
    EXPECT_EQ(header.substr(7, 2), "20");
    EXPECT_EQ(header.substr(41, 5), "1234 ");
    EXPECT_EQ(header.substr(48, 3), "005");
    EXPECT_EQ(header[56], '\x0C');
    EXPECT_EQ(header[76], '2');

    // Sub-code "0" of the system parameter query: "0" and a blank.
    EXPECT_EQ(BuildRequestHeader({"70002", "0", ""}, 0, 5).substr(5, 2), "0 ");
    // 255 fields still fit the byte.
    EXPECT_EQ(static_cast<unsigned char>(BuildRequestHeader({}, 0, 255)[56]), 255u);
}

TEST(PacketCodecRequest, BodyListsNamesThenValues) {
    auto body = BuildRequestBody({{"A", "1"}, {"B", ""}, {"C", "\xD6\xD0"}});
    ASSERT_TRUE(body.ok());
    EXPECT_EQ(*body, "A\x08" "B\x08" "C\x08" "1\x08" "\x08" "\xD6\xD0\x08"s);
}

TEST(PacketCodecRequest, RefusesSeparatorBytesAndNamesTheField) {
    for (char bad : {'\0', '\x08', '\n', '\r'}) {
        auto inValue = BuildRequestBody({{"CustTradeID", "1"}, {"Memo", "a"s + bad + "b"}});
        ASSERT_FALSE(inValue.ok()) << int(bad);
        EXPECT_NE(inValue.error().find("Memo"), std::string::npos) << inValue.error();
        EXPECT_NE(inValue.error().find("value"), std::string::npos) << inValue.error();

        auto inName = BuildRequestBody({{"Me"s + bad + "mo", "x"}});
        ASSERT_FALSE(inName.ok());
        EXPECT_NE(inName.error().find("name"), std::string::npos) << inName.error();

        EXPECT_FALSE(BuildRequestFrame({"90007", "", "005"}, {{"Memo", "a"s + bad}}).ok());
    }
}

TEST(PacketCodecRequest, RefusesTooManyFieldsAndOversizedPayload) {
    std::vector<Field> fields(255, Field{"F", "v"});
    EXPECT_TRUE(BuildRequestFrame({"90002", "", ""}, fields).ok());
    fields.emplace_back("F", "v");
    auto tooMany = BuildRequestFrame({"90002", "", ""}, fields);
    ASSERT_FALSE(tooMany.ok());
    EXPECT_NE(tooMany.error().find("256"), std::string::npos);

    // Body of 9899 bytes: payload exactly 9999.
    auto fits = BuildRequestFrame({"90004", "", ""}, {{"M", std::string(9899 - 3, 'x')}});
    ASSERT_TRUE(fits.ok()) << fits.error();
    EXPECT_EQ(fits->substr(0, 6), "999920");
    EXPECT_EQ(fits->size(), 6u + 9999u);
    EXPECT_EQ(fits->substr(6 + 41, 5), "9899 ");

    auto over = BuildRequestFrame({"90004", "", ""}, {{"M", std::string(9899 - 2, 'x')}});
    ASSERT_FALSE(over.ok());
    EXPECT_NE(over.error().find("10000"), std::string::npos) << over.error();
}

// ---- Scrambling -----------------------------------------------------------

TEST(PacketCodecScramble, FollowsTheKeyStream) {
    // One byte, one-byte key: (0 + K[0]) xor in[0].
    std::string one = "\x41";
    Scramble(one, "\x05");
    EXPECT_EQ(one, "\x44");

    // The key index starts at 1: with key "AB" byte 0 uses 'B', byte 1 'A'.
    std::string zeros(9, '\0');
    Scramble(zeros, "AB");
    const unsigned char a = 'A', b = 'B';
    const unsigned char expected[9] = {
        static_cast<unsigned char>(0 + b), static_cast<unsigned char>(1 + a),
        static_cast<unsigned char>(2 + b), static_cast<unsigned char>(3 + a),
        static_cast<unsigned char>(4 + b), static_cast<unsigned char>(5 + a),
        static_cast<unsigned char>(6 + b), static_cast<unsigned char>(0 + a),
        static_cast<unsigned char>(1 + b)};
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(static_cast<unsigned char>(zeros[i]), expected[i]) << "at " << i;

    // The addition wraps in 8 bits: position 6 with key byte 0xFE gives 0x04.
    std::string wrap(7, '\0');
    Scramble(wrap, "\xFE");
    EXPECT_EQ(static_cast<unsigned char>(wrap[6]), 0x04);
}

// The masks are applied a word at a time; every length and key length
// must still give the byte-by-byte stream, across each period boundary.
TEST(PacketCodecScramble, WordsGiveTheByteStreamForEveryLengthAndKey) {
    for (const std::string& key : {std::string("\x05"), std::string("AB"), std::string("abc"), std::string("1234567"),
                                  std::string("12345678"), std::string(kDefaultPacketKey),
                                  std::string(14, '\x91'), std::string(300, 'k')}) {
        for (std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 55u, 56u, 57u, 63u, 113u, 2101u, 9999u}) {
            std::string payload(length, '\0');
            for (std::size_t i = 0; i < length; ++i) payload[i] = static_cast<char>(i * 31 + 7);
            std::string expected = payload;
            for (std::size_t i = 0; i < length; ++i)
                expected[i] = static_cast<char>(expected[i] ^ static_cast<char>(i % 7 + static_cast<unsigned char>(key[(i + 1) % key.size()])));
            Scramble(payload, key);
            EXPECT_EQ(payload, expected) << "key of " << key.size() << " bytes, " << length << " bytes";
        }
    }
}

TEST(PacketCodecScramble, TwiceIsIdentityAndEmptyKeyIsRefused) {
    std::string payload;
    for (int i = 0; i < 1000; ++i) payload += static_cast<char>(i * 37);
    std::string copy = payload;
    Scramble(copy, kDefaultPacketKey);
    EXPECT_NE(copy, payload);
    Scramble(copy, kDefaultPacketKey);
    EXPECT_EQ(copy, payload);

    EXPECT_FALSE(ScrambleChecked(copy, "").ok());
    EXPECT_EQ(copy, payload);
}

// ---- Answer frames ----------------------------------------------------------

TEST(PacketCodecAnswer, LengthAcceptsLeadingBlanksAndZerosOnly) {
    for (const char* good : {"0120", " 120", "  12", "   0", "9999", " 012"}) {
        auto n = ParseAnswerLength(good);
        ASSERT_TRUE(n.ok()) << good;
    }
    EXPECT_EQ(*ParseAnswerLength("0120"), 120u);
    EXPECT_EQ(*ParseAnswerLength(" 120"), 120u);
    EXPECT_EQ(*ParseAnswerLength(" 012"), 12u);
    for (const char* bad : {"120 ", "12a0", "    ", "0 12", "-120", "+120", "\t120", "012"}) {
        auto n = ParseAnswerLength(bad);
        EXPECT_FALSE(n.ok()) << bad;
    }
    EXPECT_FALSE(ParseAnswerLength("12\0" "0"s).ok());
}

TEST(PacketCodecAnswer, PrefixRefusesUnknownFlag) {
    auto p = ParseAnswerPrefix("01203"s + "3");
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p->length, 120u);
    EXPECT_EQ(p->flag, ScrambleFlag::ScrambledNewKey);
    for (char flag : {'4', 'N', ' ', '\0'}) {
        auto bad = ParseAnswerPrefix("0120 "s + flag);
        ASSERT_FALSE(bad.ok()) << int(flag);
        EXPECT_NE(bad.error().find("flag"), std::string::npos);
    }
}

std::string Payload(const AnswerHeaderFields& header, std::string_view body) {
    return BuildAnswerHeader(header) + std::string(body);
}

std::string RequestHeader() { return BuildRequestHeader({"90002", "", "005"}, 30, 7); }

TEST(PacketCodecAnswer, PlainFrameGivesHeaderFieldsAndBody) {
    AnswerFrameReader reader(RequestHeader());
    std::string key(kDefaultPacketKey);
    const std::string body = "A\x08" "B\x08" "1\x08" "2\x08";
    auto frame = BuildAnswerFrame({"00000", false, 2}, body, ScrambleFlag::Plain, key);
    ASSERT_TRUE(frame.ok());
    EXPECT_EQ(frame->substr(0, 4), "0108");

    auto got = reader.accept(frame->substr(0, 6), frame->substr(6), key);
    ASSERT_TRUE(got.ok()) << got.error();
    EXPECT_EQ(*got, body);
    EXPECT_FALSE(reader.lastFrame());
    EXPECT_TRUE(reader.succeeded());
    EXPECT_EQ(reader.columnCount(), 2u);
    EXPECT_EQ(key, kDefaultPacketKey);

    // A failure code and a column count above 127 read as unsigned.
    auto failed = Payload({"E0042", true, 200}, "");
    ASSERT_TRUE(reader.accept("0100 0", failed, key).ok());
    EXPECT_TRUE(reader.lastFrame());
    EXPECT_EQ(reader.returnCode(), "E0042");
    EXPECT_FALSE(reader.succeeded());
    EXPECT_EQ(reader.columnCount(), 200u);
    EXPECT_EQ(reader.framesRead(), 2u);
}

TEST(PacketCodecAnswer, ScrambledFrameIsReadWithTheCurrentKey) {
    AnswerFrameReader reader(RequestHeader());
    std::string key = "secret";
    const std::string plain = Payload({"00000", true, 1}, "X\x08" "y\x08");
    std::string scrambled = plain;
    Scramble(scrambled, key);
    auto body = reader.accept("0104 1", scrambled, key);
    ASSERT_TRUE(body.ok()) << body.error();
    EXPECT_EQ(*body, "X\x08" "y\x08");
    EXPECT_EQ(reader.header(), plain.substr(0, 100));
    EXPECT_EQ(key, "secret");
}

TEST(PacketCodecAnswer, FlagTwoAdoptsThePayloadAsKeyAndIsStillRead) {
    AnswerFrameReader reader(RequestHeader());
    std::string key(kDefaultPacketKey);
    const std::string payload = Payload({"00000", false, 1}, "K\x08" "v\x08");
    auto body = reader.accept("0104 2", payload, key);
    ASSERT_TRUE(body.ok());
    EXPECT_EQ(*body, "K\x08" "v\x08");
    EXPECT_EQ(key, payload);

    // The next frame is scrambled with the adopted key.
    std::string next = Payload({"00000", true, 1}, "K\x08" "w\x08");
    const std::string plainNext = next;
    Scramble(next, payload);
    auto second = reader.accept("0104 1", next, key);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(*second, "K\x08" "w\x08");
    EXPECT_TRUE(reader.lastFrame());
}

TEST(PacketCodecAnswer, FlagThreeDescramblesThenAdopts) {
    AnswerFrameReader reader(RequestHeader());
    std::string key(kDefaultPacketKey);
    const std::string plain = Payload({"00000", true, 1}, "N\x08");
    auto frame = BuildAnswerFrame({"00000", true, 1}, "N\x08", ScrambleFlag::ScrambledNewKey, key);
    ASSERT_TRUE(frame.ok());
    EXPECT_NE(frame->substr(6), plain);
    auto body = reader.accept(frame->substr(0, 6), frame->substr(6), key);
    ASSERT_TRUE(body.ok());
    EXPECT_EQ(*body, "N\x08");
    EXPECT_EQ(key, plain);  // the descrambled payload, not the wire bytes
}

TEST(PacketCodecAnswer, EmptyKeyMismatchedLengthAndBadPrefixChangeNothing) {
    AnswerFrameReader reader(RequestHeader());
    const std::string before = reader.header();
    std::string key;
    EXPECT_FALSE(reader.accept("0003 1", "abc", key).ok());
    EXPECT_FALSE(reader.accept("0003 3", "abc", key).ok());
    key = "k";
    EXPECT_FALSE(reader.accept("0004 2", "abc", key).ok());  // short payload
    EXPECT_FALSE(reader.accept("003  2", "abc", key).ok());
    EXPECT_FALSE(reader.accept("0003 9", "abc", key).ok());
    EXPECT_EQ(key, "k");
    EXPECT_EQ(reader.header(), before);
    EXPECT_EQ(reader.framesRead(), 0u);
}

TEST(PacketCodecAnswer, ShortPayloadKeepsEarlierHeaderBytes) {
    const std::string request = RequestHeader();
    AnswerFrameReader reader(request);
    std::string key(kDefaultPacketKey);

    // 50 bytes: byte 46 comes from the answer, 51-56 still from the request.
    std::string shortPayload(50, 'x');
    shortPayload[46] = 'Y';
    auto body = reader.accept("0050 0", shortPayload, key);
    ASSERT_TRUE(body.ok());
    EXPECT_TRUE(body->empty());
    EXPECT_FALSE(reader.lastFrame());
    EXPECT_EQ(reader.header().substr(0, 50), shortPayload);
    EXPECT_EQ(reader.header().substr(50), request.substr(50));
    EXPECT_EQ(reader.columnCount(), 7u);  // the request's field count

    // A full frame, then a 10-byte one: bytes 10-99 stay from the full frame.
    const std::string full = Payload({"E0001", true, 3}, "");
    ASSERT_TRUE(reader.accept("0100 0", full, key).ok());
    ASSERT_TRUE(reader.accept("0010 0", std::string(10, 'z'), key).ok());
    EXPECT_EQ(reader.header().substr(10), full.substr(10));
    EXPECT_EQ(reader.returnCode(), "E0001");

    // An empty payload changes nothing.
    ASSERT_TRUE(reader.accept("0000 0", "", key).ok());
    EXPECT_EQ(reader.header().substr(10), full.substr(10));
}

TEST(PacketCodecAnswer, BuilderRefusesOversizedPayloadAndSeparatorItems) {
    EXPECT_TRUE(BuildAnswerFrame({}, std::string(9899, 'x'), ScrambleFlag::Plain, "").ok());
    EXPECT_FALSE(BuildAnswerFrame({}, std::string(9900, 'x'), ScrambleFlag::Plain, "").ok());
    EXPECT_FALSE(BuildAnswerFrame({}, "x", ScrambleFlag::Scrambled, "").ok());
    EXPECT_FALSE(JoinItems({"ok", "bad\r"}).ok());
    EXPECT_EQ(*JoinItems({"a", "", "b"}), "a\x08\x08" "b\x08");
}

// ---- Bodies ---------------------------------------------------------------

using Items = std::vector<std::string>;

TEST(PacketCodecBody, WorkedExampleHasOneRowWithAnEmptyValue) {
    const std::string body = "A\x08" "B\x08" "1\x08\x08";
    EXPECT_EQ(SplitBody(body), (Items{"A", "B", "1", ""}));
    EXPECT_EQ(GetItem(body, 1, 2, 0), "A");
    EXPECT_EQ(GetItem(body, 1, 2, 1), "B");
    EXPECT_EQ(GetItem(body, 2, 2, 0), "1");
    EXPECT_EQ(GetItem(body, 2, 2, 1), "");
    EXPECT_EQ(GetItem(body, 3, 2, 0), "");
}

TEST(PacketCodecBody, LineBreaksEndItemsEachOnTheirOwn) {
    EXPECT_EQ(SplitBody("a\rb\nc\r\nd"), (Items{"a", "b", "c", "d"}));
    // CR LF is one terminator; LF CR is two.
    EXPECT_EQ(SplitBody("a\r\nb"), (Items{"a", "b"}));
    EXPECT_EQ(SplitBody("a\n\rb"), (Items{"a", "", "b"}));
    // 0x08 followed by a line break: the break ends an empty item.
    EXPECT_EQ(SplitBody("A\x08\r\nB\x08"), (Items{"A", "", "B"}));
    EXPECT_EQ(SplitBody("A\r\x08" "B"), (Items{"A", "", "B"}));
    EXPECT_EQ(SplitBody("A\x08\x08\x08" "B"), (Items{"A", "", "", "B"}));
}

TEST(PacketCodecBody, MissingLastSeparatorNulAndBlankBodies) {
    EXPECT_EQ(SplitBody("A\x08" "B"), (Items{"A", "B"}));
    EXPECT_EQ(SplitBody("A\x08" "B\x08"), (Items{"A", "B"}));
    EXPECT_EQ(SplitBody("A\x08" "B\0C\x08" "D"s), (Items{"A", "B"}));
    EXPECT_TRUE(SplitBody("\0A\x08"s).empty());
    for (std::string blank : {""s, "\x08"s, " \x08 \r\n\t"s, "\0\0"s, "\x08\x08\x08"s})
        EXPECT_TRUE(SplitBody(blank).empty()) << blank.size();
    // Blanks inside a non-blank body are data.
    EXPECT_EQ(SplitBody(" A \x08\x08"), (Items{" A ", ""}));
    // GBK bytes above 0x7F pass through.
    EXPECT_EQ(SplitBody("\xD6\xD0\xB9\xFA\x08"), (Items{"\xD6\xD0\xB9\xFA"}));
}

// Separators are found a word at a time where a body has no line break:
// every body must still split as a byte-by-byte reading would, GBK bytes
// such as 0x88 (0x08 with the high bit) included.
TEST(PacketCodecBody, WordWiseSplittingMatchesAByteReading) {
    const char alphabet[] = {'a', '\x08', '\x08', '\x88', '\xD6', ' ', '7'};
    unsigned seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::string body;
        const std::size_t length = round % 70;
        for (std::size_t i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            body += alphabet[(seed >> 16) % sizeof alphabet];
        }
        Items expected;
        const bool blank = std::all_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
        std::string item;
        for (char c : body) {
            if (c == '\x08') {
                expected.push_back(item);
                item.clear();
            } else {
                item += c;
            }
        }
        if (!item.empty()) expected.push_back(item);
        if (blank) expected.clear();
        EXPECT_EQ(SplitBody(body), expected) << "round " << round;
    }
}

TEST(PacketCodecBody, GetItemOutOfRange) {
    const std::string body = "Code\x08" "Text\x08" "E1\x08" "bad\x08";
    EXPECT_EQ(GetItem(body, 2, 2, 1), "bad");
    EXPECT_EQ(GetItem(body, 0, 2, 0), "");
    EXPECT_EQ(GetItem(body, 2, 2, -1), "");
    EXPECT_EQ(GetItem(body, 2, 0, 1), "Text");  // zero columns: the column alone
    EXPECT_EQ(GetItem(" \x08", 1, 1, 0), "");
    EXPECT_EQ(GetItem(body, 1000000, 1000000, 0), "");
    // An index that would wrap around must not land on a real item.
    EXPECT_EQ(GetItem(body, 2, SIZE_MAX, 1), "");
}

}  // namespace
}  // namespace vantrel
