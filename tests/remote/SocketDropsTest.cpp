#include <gtest/gtest.h>

#include "remote/SocketDrops.h"

namespace vex::remote {
namespace {

// Rows as the kernel writes them: the header, then one socket a row; 0x6CF0 is port 27888.
constexpr const char* kUdp =
    "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout "
    "inode ref pointer drops            \n"
    " 1150: 00000000:6CF0 00000000:0000 07 00000000:00000000 00:00000000 00000000   995        0 "
    "414662 2 0000000003c95eb5 1570000        \n"
    " 1151: 0100007F:6CF0 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 "
    "500000 2 0000000003c95eb6 77        \n"
    " 1152: 00000000:6CF2 00000000:0000 07 00000000:00000000 00:00000000 00000000   995        0 "
    "414663 2 0000000003c95eb7 5        \n";

constexpr const char* kUdp6 =
    "  sl  local_address                         remote_address                        st "
    "tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode ref pointer drops\n"
    "11369: 00000000000000000000000000000000:6CF0 00000000000000000000000000000000:0000 07 "
    "00000000:00000000 00:00000000 00000000     0        0 419373 2 00000000e117a508 12\n";

TEST(SocketDrops, CountOnlyTheProcesssOwnSocketsOnThePort) {
  // Another process's socket on the same port (inode 500000) and our socket on another port
  // count nothing.
  EXPECT_EQ(SumSocketDrops(kUdp, 27888, {414662, 414663}), 1570000u);
  EXPECT_EQ(SumSocketDrops(kUdp6, 27888, {419373}), 12u);
  EXPECT_EQ(SumSocketDrops(kUdp, 27888, {999}), std::nullopt);
  EXPECT_EQ(SumSocketDrops(kUdp, 27889, {414662}), std::nullopt);
}

TEST(SocketDrops, RowsThatAreNoRowsAreLeftOut) {
  EXPECT_EQ(SumSocketDrops("", 27888, {414662}), std::nullopt);
  EXPECT_EQ(SumSocketDrops(" 1150: 00000000:6CF0 00000000:0000 07\n", 27888, {414662}),
            std::nullopt);
  EXPECT_EQ(SumSocketDrops(" 1: 00000000:ZZZZ 0 0 0 0 0 0 0 414662 2 0 9\n"
                           " 2: 00000000:6CF0 0 0 0 0 0 0 0 414662 2 0 -9\n"
                           " 3: 00000000:16CF0 0 0 0 0 0 0 0 414662 2 0 9\n",
                           27888, {414662}),
            std::nullopt);
}

}  // namespace
}  // namespace vex::remote
