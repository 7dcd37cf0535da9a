// The text keys the program looks up in section "TEXT" of a language file,
// other than those of the key table and the media list (src/model carries
// those beside the keys they name). One list, read by the language-file
// check and the tests.
#pragma once

#include <array>
#include <string_view>

namespace keyloom {

inline constexpr std::array<std::u16string_view, 108> kTextKeys = {
    // Main window and tray
    u"MAIN_CAPTION", u"MAIN_HELP_PROMPT", u"MAIN_CLOSE_PROMPT", u"MAIN_MINIMIZE_PROMPT",
    u"MAIN_MENU_PROMPT", u"KEYBOARD_TRAY_DESC", u"MAIN_APPLY_PROMPT", u"MAIN_SWITCH_COLOR_TEXT",
    u"MAIN_PROMPT_DEFAULT", u"MAIN_PROMPT_INPORT", u"MAIN_NO_DEVICE_PROMPT",
    u"MAIN_DEFAULT_MATRIX_PROMPT", u"MAIN_PROMPT_EXPORT", u"TRAY_MENU_OPEN", u"TRAY_MENU_ABOUT",
    u"TRAY_MENU_EXIT", u"MAIN_PROMPT_APPLY_UNFINISHED",
    // About dialog
    u"LANG_ABOUT_TITLE", u"GUANYU_JIESHAO", u"GUANYU_BANQUAN", u"LANG_ABOUT_OK",
    // Keyward's notices
    u"KEYWARD_CAPS_ON", u"KEYWARD_CAPS_OFF", u"KEYWARD_NUM_ON", u"KEYWARD_NUM_OFF", u"KEYWARD_SCROLL_ON",
    u"KEYWARD_SCROLL_OFF", u"KEYWARD_PROFILE",
    // Firmware update and automatic backups
    u"UPDATE_CHECK_PROMPT", u"UPDATE_CHECK_TITLE", u"UPDATE_DIALOG_TITLE", u"UPDATE_BACKUP_DONE",
    u"UPDATE_BACKUP_FAILED", u"UPDATE_NO_UPDATER", u"UPDATE_NO_BOOT_MODE", u"UPDATE_CANNOT_START",
    u"UPDATE_OPEN_FILTER", u"UPDATE_BACKUP_FILTER", u"UPDATE_BUTTON_UPDATE", u"UPDATE_BUTTON_CANCEL",
    u"UPDATE_BUTTON_OPEN", u"UPDATE_BUTTON_BACKUP", u"BACKUP_FAILED_PROMPT",
    // Profile files and profile switching
    u"PROFILE_FORMAT_ERROR", u"PROFILE_NEW", u"PROFILE_LOAD_PROMPT", u"DEFAULT_PROFILE_NAME",
    u"PROFILE_TIP", u"PROFILE_SELECT_PROMPT", u"PROFILE_SEELCT_PROMPT2", u"PROFILE_ONLY_ONBOARD",
    u"PROFILE_ONBOARD_1", u"PROFILE_ONBOARD_2", u"PROFILE_ONBOARD_3", u"PROFILE_COLUMN_ACTIVE",
    u"PROFILE_COLUMN_NAME", u"PROFILE_COLUMN_PATH",
    // Key naming and key assignment
    u"UNKNOWN_KEY", u"FUNC_KEY_DESC1", u"FUNC_KEY_DESC2", u"FUNC_KEY_DESC3", u"FUNC_KEY_DESC4",
    u"FUNC_KEY_DESC5", u"FUNC_KEY_DESC6", u"FUNC_KEY_DESC7", u"FUNC_KEY_DESC8", u"FUNC_KEY_DESC9",
    u"FUNC_KEY_DESC10", u"FUNC_KEY_DESC11", u"KEY_PROMPT_SET", u"KEY_PROMPT_SINGLE",
    u"KEY_PROMPT_MACRO", u"KEY_PROMPT_MEDIA", u"KEY_PROMPT_FUNCTION", u"APPLY_PROMPT",
    u"MACRO_DELETE_CONFIRM_OF_KEYS", u"EXTRA_MACRO_TOO_LONG", u"EXTRA_PROFILE_SPACE_TIGHT",
    // Macros and the composite key editor
    u"MACRO_CYCLES", u"RECORD_DELAY", u"IDS_MACRO_KB_KEY", u"IDS_MACRO_MOU_KEY",
    u"IDS_KEYBOARD_MOU_LEFT", u"IDS_KEYBOARD_MOU_RIGHT", u"IDS_KEYBOARD_MOU_MIDDLE",
    u"IDS_KEYBOARD_ROLL_UP", u"IDS_KEYBOARD_ROLL_DOWN", u"COMPOSITE_PROMPT_CLEAR",
    u"COMPOSITE_PROMPT_OSK", u"MACRO_KEYS_TISHI", u"MACRO_ACTION_TISHI", u"MACRO_DELAY_MS",
    u"MACRO_NEW_PREFIX", u"MACRO_ERR_MAX", u"MACRO_ACTION_RECORD", u"MACRO_ACTION_STOP_RECORD",
    u"MACRO_ACTION_RECORD_DELAY", u"MACRO_ACTION_CLEAR_CONFIRM", u"MACRO_ACTION_ERR_DELAY_MAX",
    u"MACRO_ACTION_ERR_MODIFY", u"MACRO_MENU_UNDO", u"MACRO_MENU_REDO", u"MACRO_MENU_TOP", u"MACRO_MENU_UP",
    u"MACRO_MENU_DOWN", u"MACRO_MENU_BOTTOM", u"MACRO_MENU_DELETE", u"MACRO_MENU_CLEAR",
};

// Keys of section "LIGHT".
// "Other" captions the colour buttons' entry for a free colour.
inline constexpr std::array<std::u16string_view, 4> kLightTextKeys = {u"Color", u"JColor", u"Tool", u"Other"};

// Section "MODE" holds one name per lighting mode number, in decimal.
inline constexpr int kFirstModeNumber = 1;
inline constexpr int kLastModeNumber = 20;

// Texts used as formats, and the one argument each receives.
enum class FormatArgument { kNumber, kText };
struct FormatTextKey {
  std::u16string_view key;
  FormatArgument argument;
};
inline constexpr std::array<FormatTextKey, 5> kFormatTextKeys = {{
    {u"UNKNOWN_KEY", FormatArgument::kNumber},
    {u"KEYWARD_PROFILE", FormatArgument::kNumber},
    {u"PROFILE_FORMAT_ERROR", FormatArgument::kText},
    {u"MACRO_ERR_MAX", FormatArgument::kNumber},
    {u"MACRO_ACTION_ERR_DELAY_MAX", FormatArgument::kNumber},
}};

}  // namespace keyloom
