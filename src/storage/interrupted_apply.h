// An apply that never finished. An apply writes the macro area and then one
// or three key maps in many frames; a kill or an unplug half way leaves the
// keyboard holding part of the new assignments and part of the old ones.
// Before the first frame the program therefore leaves a mark next to the
// working profile file ("$Profile0.applying"), which already holds what is
// being applied, and removes it when the keyboard has taken everything. At
// the next connection a mark that is still there means the keyboard may be
// half written: the working file is applied again (all three profiles)
// instead of being rebuilt from what the keyboard holds.
#pragma once

#include <string>

#include "model/key_store.h"
#include "model/user_messages.h"

namespace keyloom {

class CommandSet;

// <working profile file>.applying
std::u16string ApplyMarkPath(const std::u16string& working_path);
bool ApplyMarked(const std::u16string& working_path);

// ApplyToKeyboard with the mark around it. The mark is set only when
// `working_saved` (the working file holds what is applied), and cleared by
// an apply that succeeded: a failed one may have left the keyboard half
// written. While a mark of an earlier apply is there, all three profiles are
// written. A mark that cannot be written does not stop the apply.
bool ApplyWithMark(const std::u16string& working_path, bool working_saved, KeyStores& stores,
                   CommandSet& commands, UserMessages& messages, bool all_profiles);

enum class InterruptedApply {
  kNone,      // no mark, or no working file to finish it from: nothing done
  kFinished,  // the working file is in the edit store and on the keyboard
  kFailed,    // the working file is in the edit store; the keyboard did not take it
};

// At a connection: when the mark is there, loads the working file into the
// edit store and applies all three profiles and the macro area. The mark
// stays when that fails, for the next connection. A mark whose working file
// cannot be read is removed (nothing could finish it).
InterruptedApply FinishInterruptedApply(const std::u16string& working_path, KeyStores& stores,
                                        CommandSet& commands, UserMessages& messages);

}  // namespace keyloom
