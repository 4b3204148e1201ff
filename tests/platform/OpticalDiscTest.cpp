#include <gtest/gtest.h>

#include "platform/OpticalDisc.h"
#include "tests/support/ScratchFolder.h"

namespace vex::platform {
namespace {

TEST(FirstOpticalDiscMount, TakesTheFirstIsoOrUdfEntryDecoded) {
  test::ScratchFolder dir;
  const auto table = dir.Write("mounts",
                               "proc /proc proc rw 0 0\n"
                               "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sr0 /media/Game\\040Disc\\134x iso9660 ro 0 0\n"
                               "/dev/sr1 /media/second udf ro 0 0\n");
  EXPECT_EQ(FirstOpticalDiscMount(table.string()),
            std::optional<std::string>("/media/Game Disc\\x"));

  const auto udfOnly = dir.Write("udf", "short line\n/dev/sr1 /media/dvd udf ro 0 0\n");
  EXPECT_EQ(FirstOpticalDiscMount(udfOnly.string()), std::optional<std::string>("/media/dvd"));
}

TEST(FirstOpticalDiscMount, NothingWithoutADisc) {
  test::ScratchFolder dir;
  const auto table = dir.Write("mounts",
                               "/dev/sda1 / ext4 rw 0 0\n"
                               "/dev/sdb1 /mnt/iso9660 vfat rw 0 0\n");
  EXPECT_EQ(FirstOpticalDiscMount(table.string()), std::nullopt);
  EXPECT_EQ(FirstOpticalDiscMount((dir.Path() / "absent").string()), std::nullopt);
}

}  // namespace
}  // namespace vex::platform
