#include "ui/main/main_lighting_panel_win32.h"

#include "storage/language.h"
#include "ui/main/keyloom_dlg_win32.h"

namespace keyloom {

namespace {

LightingPanelWindowContext WindowSide(CKeyloomDlg& window, ColourDialog& colour_dialog) {
  MainWindowContext& c = window.context();
  LightingPanelWindowContext side{c.ini, c.layout_file, c.skin_folder, c.texts, colour_dialog};
  // Switching the view on settles pending key changes on the active
  // profile, as a profile switch to the same profile does; it refuses while
  // an editor is open.
  side.confirm_active_profile = [&window] {
    MainWindowLogic& logic = window.logic();
    return logic.profiles().SwitchProfile(logic.model().commands.GetActiveProfile());
  };
  side.show_key_assignments = [&window] { window.logic().keyboard_view().ShowAssignments(); };
  return side;
}

}  // namespace

CMainLightingPanel::CMainLightingPanel(CKeyloomDlg& window, LightingViewFile& view_setting,
                                       ColourDialog* colour_dialog)
    : window_(window),
      painter_([&window](uint16_t id) { return window.button(id); }),
      keys_(painter_),
      preview_(keys_, GetTickCount()),
      // The window's logic is not built yet while the window makes its
      // panel: the model comes from the window's context.
      panel_(WindowSide(window, colour_dialog ? *colour_dialog : own_dialog_),
             LightingPanelContext{window.context().model.lighting, window.context().model.base_colour_flags,
                                  window.context().model.commands, window.context().model.user_data, view_setting,
                                  keys_, preview_}) {}

void CMainLightingPanel::Initialise() {
  panel_.Create(window_.hwnd(), window_.context().texts.CurrentLanguageIndex());
  keys_.Forget();  // the key buttons were just made: they show no colour
}

bool CMainLightingPanel::LightingViewOn() const {
  return window_.context().model.lighting.state.lighting_view;
}

std::unique_ptr<LightingPanel> MakeMainLightingPanel(CKeyloomDlg& window, LightingViewFile& view_setting,
                                                     ColourDialog* colour_dialog) {
  return std::make_unique<CMainLightingPanel>(window, view_setting, colour_dialog);
}

}  // namespace keyloom
