#include <gtest/gtest.h>

#include "framework/ImageList.h"
#include "framework/StringTable.h"
#include "res/DialogTemplates.h"
#include "res/Icons.h"
#include "res/Resource.h"
#include "res/SplashPicture.h"

namespace vex::res {
namespace {

TEST(Resources, StringsAreTheOperatorsTexts) {
  struct Case {
    int id;
    const char* text;
  };
  const Case cases[] = {
      {IDS_NO_CONFIG,
       "ERROR - No server configuration file.  A configuration file must be setup inside the game "
       "menus and selected for the server."},
      {IDS_OUT_OF_MEMORY, "ERROR - Out of memory.  The server will be shutdown."},
      {IDS_CONFIG_UNREADABLE,
       "ERROR - The config file could not be read properly. The file may be corrupt."},
      {IDS_CONFIRM_STOP, "Are you sure you want to stop the server?"},
      {IDS_INITIALIZING, "Initializing the server..."},
      {IDS_CAPTION, "VexServer"},
      {IDS_INCOMING_PLAYER, "<Incoming Player>"},
      {IDS_COLUMN_TIME, "Time"},
      {IDS_GAME_TYPE_FIRST, "Deathmatch"},
      {IDS_GAME_TYPE_FIRST + 5, "Evacuation"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(fw::LoadString(c.id).has_value()) << c.id;
    EXPECT_EQ(*fw::LoadString(c.id), c.text) << c.id;
  }
  for (int missing : {0, 2, 108, 2006, -1}) {
    EXPECT_FALSE(fw::LoadString(missing).has_value()) << missing;
  }
}

TEST(Resources, StatusWindowLayout) {
  const DialogTemplate* dialog = FindDialogTemplate(IDD_SERVER);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->rect.width, 423);
  EXPECT_EQ(dialog->rect.height, 263);
  EXPECT_EQ(dialog->fontName, "MS Sans Serif");
  EXPECT_EQ(dialog->fontPoints, 8);
  ASSERT_EQ(dialog->controls.size(), 31u);
  EXPECT_EQ(dialog->controls.front().text, "Server Info");
  EXPECT_EQ(dialog->controls.back().id, IDC_PLAYERS);

  const ControlTemplate* send = dialog->FindControl(IDC_SEND);
  ASSERT_NE(send, nullptr);
  EXPECT_TRUE(send->Has(kHidden) && send->Has(kDefaultButton));
  EXPECT_TRUE(dialog->FindControl(IDC_START)->Has(kHidden));
  const ControlTemplate* console = dialog->FindControl(IDC_CONSOLE);
  EXPECT_TRUE(console->Has(kMultiLine) && console->Has(kReadOnly));
  EXPECT_EQ(console->rect.y, 186);
  EXPECT_TRUE(dialog->FindControl(IDC_LEVEL_LIST)->Has(kNoColumnHeader));
  EXPECT_FALSE(dialog->FindControl(IDC_PLAYER_LIST)->Has(kNoColumnHeader));
  EXPECT_EQ(dialog->FindControl(kStaticId), nullptr);

  int hiddenOrDefault = 0;
  for (const ControlTemplate& control : dialog->controls) {
    hiddenOrDefault += control.Has(kHidden) || control.Has(kDefaultButton) ? 1 : 0;
  }
  EXPECT_EQ(hiddenOrDefault, 2);
}

TEST(Resources, SelectionDialogLayout) {
  const DialogTemplate* dialog = FindDialogTemplate(IDD_SELECT_CONFIG);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->caption, "Select Config");
  EXPECT_EQ(dialog->rect.width, 162);
  EXPECT_EQ(dialog->rect.height, 81);
  const ControlTemplate* list = dialog->FindControl(IDC_CONFIG_LIST);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->Has(kSorted) && list->Has(kDropDownList));
  EXPECT_TRUE(dialog->FindControl(1)->Has(kDefaultButton));
  EXPECT_EQ(dialog->FindControl(2)->text, "Cancel");
  EXPECT_EQ(FindDialogTemplate(130), nullptr);
}

std::uint32_t Pixel(const IconImage& icon, int x, int y) {
  return icon.argb[static_cast<std::size_t>(y * icon.width + x)];
}
int Channel(std::uint32_t argb, int shift) {
  return static_cast<int>((argb >> shift) & 0xFF);
}

TEST(Resources, DotIconsAreColouredDotsOnTransparency) {
  struct Case {
    int id;
    int dominantShift;  // 16 red, 8 green, 0 blue, -1 black
    bool ringed;
  };
  const Case cases[] = {
      {IDI_BLACK_DOT, -1, false},  {IDI_RED_DOT, 16, false},   {IDI_BLUE_DOT, 0, false},
      {IDI_GREEN_DOT, 8, false},   {IDI_RED_RINGED, 16, true}, {IDI_BLUE_RINGED, 0, true},
      {IDI_GREEN_RINGED, 8, true},
  };
  for (const Case& c : cases) {
    const auto icon = LoadIcon(c.id);
    ASSERT_TRUE(icon.has_value()) << c.id;
    ASSERT_EQ(icon->width, 16);
    ASSERT_EQ(icon->argb.size(), 256u);
    EXPECT_EQ(Pixel(*icon, 0, 0) >> 24, 0u) << c.id;  // transparent corner
    const std::uint32_t centre = Pixel(*icon, 8, 9);
    EXPECT_EQ(centre >> 24, 0xFFu) << c.id;
    if (c.dominantShift < 0) {
      EXPECT_LT(Channel(centre, 16) + Channel(centre, 8) + Channel(centre, 0), 60) << c.id;
    } else {
      for (int other : {16, 8, 0}) {
        if (other != c.dominantShift) {
          EXPECT_GT(Channel(centre, c.dominantShift), Channel(centre, other)) << c.id;
        }
      }
    }
    // A ringed dot has an opaque black ring where a plain dot is already transparent.
    const std::uint32_t edge = Pixel(*icon, 8, 14);
    if (c.ringed) {
      EXPECT_EQ(edge >> 24, 0xFFu) << c.id;
      EXPECT_LT(Channel(edge, 16) + Channel(edge, 8) + Channel(edge, 0), 30) << c.id;
    } else {
      EXPECT_EQ(edge >> 24, 0u) << c.id;
    }
  }
  const auto main = LoadIcon(IDI_MAIN);
  ASSERT_TRUE(main.has_value());
  EXPECT_EQ(main->width, 32);
  EXPECT_FALSE(LoadIcon(IDB_SPLASH).has_value());
}

TEST(Resources, ImageListTakesOnlyKnownIcons) {
  fw::CImageList images;
  EXPECT_EQ(images.Add(IDI_RED_DOT), -1);  // not created yet
  ASSERT_TRUE(images.Create(16, 16, 9, 1));
  EXPECT_EQ(images.Add(IDI_BLACK_DOT), 0);
  EXPECT_EQ(images.Add(IDI_RED_DOT), 1);
  EXPECT_EQ(images.Add(999), -1);
  EXPECT_EQ(images.GetImageCount(), 2);
  EXPECT_EQ(images.IconAt(1), IDI_RED_DOT);
}

TEST(Resources, SplashPictureIs640By480With24Bits) {
  const auto picture = LoadPicture(IDB_SPLASH);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->width, 640);
  EXPECT_EQ(picture->height, 480);
  EXPECT_EQ(picture->rgb.size(), 640u * 480u * 3u);
  EXPECT_FALSE(LoadPicture(IDI_MAIN).has_value());
}

}  // namespace
}  // namespace vex::res
