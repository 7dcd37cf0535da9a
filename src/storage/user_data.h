// User data files: per onboard profile, the ten user modes of the per-key
// lighting mode (their names, every key's colour and base-colour flag, the
// painting tool and its two colours). One INI file per profile in the user
// data folder, read and written through the INI service with every change
// written when it is made; a template in the skin folder seeds and resets
// them.
//
//   [PRESENTMODE] mode=<current user mode>
//   [MODENAME]    0=<name> .. 9=<name>
//   [Mode<m>]     <LED number>=R,G,B,F   tool=0|1   jcolor=R,G,B   color=R,G,B
//
// F is 1 when the key follows the base colour ("jcolor"). Components are
// reduced to their low byte and a non-zero F counts as 1 when read; parts of
// a value that are missing or not numbers read as 0.
#pragma once

#include <string>
#include <string_view>

#include "model/key_buttons.h"
#include "model/lighting.h"

namespace keyloom {

class CommandSet;
class IniService;

inline constexpr std::u16string_view kUserDataFolderName = u"Valdric RGB Mechanical Keyboard";
inline constexpr int kUserModeCount = 10;
// The template is the file of "profile" 3 in the skin folder.
inline constexpr int kUserDataTemplateNumber = 3;
inline constexpr size_t kUserModeNameCapacity = 260;  // 259 characters

// The local application-data folder: the shell's CSIDL_LOCAL_APPDATA
// (created if needed) on Windows; $XDG_DATA_HOME, or ~/.local/share,
// elsewhere. Empty when there is none.
std::u16string LocalAppDataFolder();
// <local application-data folder>/Valdric RGB Mechanical Keyboard
std::u16string DefaultUserDataFolder();

// "UserDengColor_<n>.userd"
std::u16string UserDataFileName(int number);

struct KeyColour {
  Colour colour = 0;
  int flag = 0;  // 1: the key follows the base colour
  bool operator==(const KeyColour&) const = default;
};

struct UserModeTools {
  int tool = 0;  // 0 paints keys, 1 sets the base colour
  Colour base_colour = 0;
  Colour paint_colour = 0;
  bool operator==(const UserModeTools&) const = default;
};

class UserDataStore {
 public:
  // `ini` must outlive the store.
  UserDataStore(IniService& ini, std::u16string user_data_folder, std::u16string program_folder);

  const std::u16string& folder() const { return folder_; }
  // The file of profile p (0..2).
  std::u16string FilePath(int p) const;
  // <program folder>/Skins/UserDengColor_3.userd
  std::u16string TemplatePath() const;

  // Reads of a missing file or key give the defaults: user mode 0, name
  // "0", red with the base-colour flag set, tool 0, black colours. A profile
  // outside 0..2 reads as missing and is never written (writes return 0);
  // writes return 1 otherwise, failed or not.
  int ReadCurrentUserMode(int p) const;  // outside 0..9 reads as 0
  int WriteCurrentUserMode(int p, int m);
  std::u16string ReadUserModeName(int p, int m) const;
  int WriteUserModeName(int p, int m, std::u16string_view name);  // cut to 259 characters
  KeyColour ReadKeyColour(int p, int m, int led) const;
  int WriteKeyColour(int p, int m, int led, Colour colour, int flag);
  UserModeTools ReadTools(int p, int m) const;
  // Written in the order "tool", "jcolor", "color".
  int WriteTools(int p, int m, const UserModeTools& tools);

  // Loads the current user mode of the lighting profile: the state's user
  // mode and tools, the colours of the 105 main keys and Fn in the per-key
  // colour table and their base-colour flags. When `send`, the profile's
  // per-key colours then go to the keyboard (begin, eight frames of 18 LEDs,
  // end); returns that result, or 1 when nothing is sent. A lighting profile
  // outside 0..2 changes nothing and gives -201.
  int LoadUserMode(LightingModel& lighting, BaseColourFlags& flags, CommandSet& commands, bool send) const;

  // Creates the folder with a copy of the template for each profile, unless
  // the folder exists (missing files in it stay missing). A missing template
  // gives empty files. False when the folder or a file could not be made.
  bool SeedUserDataFolder() const;
  // Copies the template over the file of profile p.
  bool ResetUserData(int p) const;

 private:
  bool CopyTemplateTo(int p) const;

  IniService& ini_;
  std::u16string folder_;
  std::u16string program_folder_;
};

}  // namespace keyloom
