#pragma once

// Ids of the program's resources: dialogs, controls, icons, the splash picture and strings.
namespace vex::res {

// Dialogs
inline constexpr int IDD_SERVER = 129;
inline constexpr int IDD_SELECT_CONFIG = 144;

// Controls of the status window
inline constexpr int IDC_SERVER_NAME = 1003;
inline constexpr int IDC_BOOT_PLAYER = 1016;
inline constexpr int IDC_COMMAND = 1018;
inline constexpr int IDC_CONSOLE = 1021;
inline constexpr int IDC_RUNNING_TIME = 1037;
inline constexpr int IDC_PLAYERS = 1038;
inline constexpr int IDC_CLEAR = 1044;
inline constexpr int IDC_SEND = 1045;
inline constexpr int IDC_NEXT_LEVEL = 1046;
inline constexpr int IDC_LEVEL_TIME = 1047;
inline constexpr int IDC_SELECT_LEVEL = 1048;
inline constexpr int IDC_STOP_SERVER = 1049;
inline constexpr int IDC_LEVEL_LIST = 1072;
inline constexpr int IDC_PLAYER_LIST = 1083;
inline constexpr int IDC_PEAK_PLAYERS = 1129;
inline constexpr int IDC_AVERAGE_PING = 1130;
inline constexpr int IDC_TOTAL_PLAYERS = 1131;
inline constexpr int IDC_START = 1134;
inline constexpr int IDC_GAME_TYPE = 1135;

// Controls of the selection dialog
inline constexpr int IDC_CONFIG_LIST = 1132;

// Icons and pictures
inline constexpr int IDI_MAIN = 128;
inline constexpr int IDI_BLACK_DOT = 133;
inline constexpr int IDI_BLUE_DOT = 134;
inline constexpr int IDI_RED_DOT = 135;
inline constexpr int IDI_GREEN_DOT = 136;
inline constexpr int IDI_CYAN_DOT = 137;
inline constexpr int IDI_RED_RINGED = 138;
inline constexpr int IDI_CYAN_RINGED = 139;
inline constexpr int IDI_BLUE_RINGED = 140;
inline constexpr int IDI_GREEN_RINGED = 141;
inline constexpr int IDB_SPLASH = 142;

// Strings
inline constexpr int IDS_SETUP_FAILED = 1;
inline constexpr int IDS_NET_SERVICE_FAILED = 7;
inline constexpr int IDS_CAPTION = 8;
inline constexpr int IDS_APP_NAME = 9;
inline constexpr int IDS_NO_CONFIG = 10;
inline constexpr int IDS_CONFIG_UNREADABLE = 11;
inline constexpr int IDS_NO_MAPS = 12;
inline constexpr int IDS_UNKNOWN_GAME_TYPE = 13;
inline constexpr int IDS_RESOURCES_FAILED = 103;
inline constexpr int IDS_OUT_OF_MEMORY = 106;
inline constexpr int IDS_GAME_CODE_FAILED = 107;
inline constexpr int IDS_START_FAILED = 109;
inline constexpr int IDS_MAP_FAILED = 110;
inline constexpr int IDS_CONFIRM_STOP = 121;
inline constexpr int IDS_INITIALIZING = 122;
inline constexpr int IDS_INITIALIZED = 123;
inline constexpr int IDS_HOST_FAILED = 124;
inline constexpr int IDS_RUNNING = 125;
inline constexpr int IDS_STOPPED = 143;
inline constexpr int IDS_COLUMN_NAME = 147;
inline constexpr int IDS_COLUMN_PING = 148;
inline constexpr int IDS_COLUMN_KILLS = 149;
inline constexpr int IDS_COLUMN_SCORE = 150;
inline constexpr int IDS_COLUMN_WORLD = 151;
inline constexpr int IDS_COLUMN_LIVES = 152;
inline constexpr int IDS_SERVER_SPEAKER = 153;
inline constexpr int IDS_COLUMN_TIME = 157;
inline constexpr int IDS_INCOMING_PLAYER = 162;
inline constexpr int IDS_GAME_TYPE_FIRST = 2000;  // 2000 to 2005, one per game type

}  // namespace vex::res
