#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "simengine/protocol/NetProtocol.h"

namespace vex::gamenet {
namespace {

std::vector<std::uint8_t> Raw(const std::string& text) {
  return {text.begin(), text.end()};
}

struct RoundTrip {
  const char* Title;
  Message Sent;
};

void PrintTo(const RoundTrip& c, std::ostream* out) {
  *out << c.Title;
}

class ProtocolRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Every field survives, including the extreme values in the last bytes.
TEST_P(ProtocolRoundTrip, DecodesWhatItEncodes) {
  const std::vector<std::uint8_t> bytes = Encode(GetParam().Sent);
  ASSERT_LE(bytes.size(), kMaxDatagramBytes);
  const Decoded decoded = Decode(bytes);
  ASSERT_TRUE(std::holds_alternative<Message>(decoded));
  EXPECT_EQ(Encode(std::get<Message>(decoded)), bytes);
  EXPECT_EQ(std::get<Message>(decoded).index(), GetParam().Sent.index());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ProtocolRoundTrip,
    ::testing::Values(RoundTrip{"Hello", Hello{0xFFFFFFFF}},
                      RoundTrip{"Challenge", Challenge{1, 0xFFFFFFFFFFFFFFFF}},
                      RoundTrip{"Join", Join{42, "Ann", "secret"}},
                      RoundTrip{"JoinOfLongestTexts",
                                Join{1, std::string(255, 'n'), std::string(255, 'p')}},
                      RoundTrip{"Accepted", Accepted{-1, 0x80000000}},
                      RoundTrip{"Refused", Refused{RefuseReason::WrongVersion}},
                      RoundTrip{"Ping", Ping{7, 33000}}, RoundTrip{"Pong", Pong{3, 9, 7}},
                      RoundTrip{"Chat", Chat{3, 9, "gg"}}, RoundTrip{"Leave", Leave{3, 9}},
                      RoundTrip{"Disconnect", Disconnect{DisconnectReason::ServerClosing}},
                      RoundTrip{"Level", Level{2, "Docks"}}, RoundTrip{"Query", Query{5}},
                      RoundTrip{"Info", Info{"name=A\tplayers=0/8\n"}}),
    [](const auto& param) { return std::string(param.param.Title); });

TEST(Protocol, TheAnswerToAHelloIsNoLargerThanTheHello) {
  EXPECT_EQ(Encode(Hello{1}).size(), Encode(Challenge{1, 2}).size());
}

TEST(Protocol, LongTextsAreCutToTheirLengthByte) {
  const Decoded decoded = Decode(Encode(Chat{1, 2, std::string(300, 'x')}));
  ASSERT_TRUE(std::holds_alternative<Message>(decoded));
  EXPECT_EQ(std::get<Chat>(std::get<Message>(decoded)).Text, std::string(255, 'x'));
}

TEST(Protocol, AJoinOfAnotherVersionKeepsOnlyItsCookie) {
  const Decoded decoded = Decode(Encode(Join{0x0102030405060708, "Ann", "pw"}, 9));
  ASSERT_TRUE(std::holds_alternative<Message>(decoded));
  const auto* join = std::get_if<ForeignJoin>(&std::get<Message>(decoded));
  ASSERT_NE(join, nullptr);
  EXPECT_EQ(join->Version, 9);
  EXPECT_EQ(join->Cookie, 0x0102030405060708u);
}

struct BadDatagram {
  const char* Title;
  std::vector<std::uint8_t> Bytes;
  DecodeError Error;
};

void PrintTo(const BadDatagram& c, std::ostream* out) {
  *out << c.Title;
}

class ProtocolRefuses : public ::testing::TestWithParam<BadDatagram> {};

TEST_P(ProtocolRefuses, ABadDatagram) {
  const Decoded decoded = Decode(GetParam().Bytes);
  ASSERT_TRUE(std::holds_alternative<DecodeError>(decoded));
  EXPECT_EQ(std::get<DecodeError>(decoded), GetParam().Error);
}

std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

std::vector<std::uint8_t> Extended(std::vector<std::uint8_t> bytes, std::uint8_t extra) {
  bytes.push_back(extra);
  return bytes;
}

std::vector<std::uint8_t> Changed(std::vector<std::uint8_t> bytes, std::size_t at,
                                  std::uint8_t value) {
  bytes[at] = value;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, ProtocolRefuses,
    ::testing::Values(
        BadDatagram{"Empty", {}, DecodeError::Malformed},
        BadDatagram{"HeaderCut", Raw("VX\x01"), DecodeError::Malformed},
        BadDatagram{"WrongMagic", Raw("status"), DecodeError::Malformed},
        BadDatagram{"JoinCutInItsPassword", Cut(Encode(Join{1, "Ann", "pw"}), 1),
                    DecodeError::Malformed},
        BadDatagram{"JoinCutInItsCookie", Cut(Encode(Join{1, "Ann", "pw"}), 10),
                    DecodeError::Malformed},
        BadDatagram{"PongWithAByteTooMany", Extended(Encode(Pong{1, 2, 3}), 0),
                    DecodeError::Malformed},
        BadDatagram{"HelloWithPaddingThatIsNotZero", Changed(Encode(Hello{1}), 15, 1),
                    DecodeError::Malformed},
        BadDatagram{"TextLengthBeyondTheEnd", Changed(Encode(Chat{1, 2, "hi"}), 12, 200),
                    DecodeError::Malformed},
        BadDatagram{"RefusalReasonZero", Changed(Encode(Refused{}), 4, 0), DecodeError::Malformed},
        BadDatagram{"DisconnectReasonBeyondTheLast", Changed(Encode(Disconnect{}), 4, 4),
                    DecodeError::Malformed},
        BadDatagram{"ForeignJoinWithoutACookie", Cut(Encode(Join{1, "", ""}, 2), 3),
                    DecodeError::Malformed},
        BadDatagram{"OverLong",
                    Changed(std::vector<std::uint8_t>(kMaxDatagramBytes + 1, 'V'), 1, 'X'),
                    DecodeError::Malformed},
        BadDatagram{"TypeZero", Changed(Encode(Hello{}), 3, 0), DecodeError::UnknownType},
        BadDatagram{"TypeBeyondTheLast", Changed(Encode(Hello{}), 3, 14), DecodeError::UnknownType},
        BadDatagram{"PingOfAnotherVersion", Encode(Ping{}, 2), DecodeError::WrongVersion}),
    [](const auto& param) { return std::string(param.param.Title); });

}  // namespace
}  // namespace vex::gamenet
