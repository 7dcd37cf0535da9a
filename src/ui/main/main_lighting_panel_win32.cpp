#include "ui/main/main_lighting_panel_win32.h"

#include <commctrl.h>

#include "storage/language.h"
#include "ui/main/keyloom_dlg_win32.h"

namespace keyloom {

namespace {

constexpr UINT_PTR kShowSubclass = 0x4C5053;  // 'LPS'

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
      painter_([&window] { return window.hwnd(); }, [&window](uint16_t id) { return window.button(id); }),
      keys_(painter_),
      preview_(keys_, GetTickCount()),
      // The window's logic is not built yet while the window makes its
      // panel: the model comes from the window's context.
      panel_(WindowSide(window, colour_dialog ? *colour_dialog : own_dialog_),
             LightingPanelContext{window.context().model.lighting, window.context().model.base_colour_flags,
                                  window.context().model.commands, window.context().model.user_data, view_setting,
                                  keys_, preview_}) {}

CMainLightingPanel::~CMainLightingPanel() {
  if (listening_ && IsWindow(listening_)) RemoveWindowSubclass(listening_, WindowProc, kShowSubclass);
}

void CMainLightingPanel::Initialise() {
  panel_.Create(window_.hwnd(), window_.context().texts.CurrentLanguageIndex());
  keys_.Forget();  // the key buttons were just made: they show no colour
  listening_ = window_.hwnd();
  SetWindowSubclass(listening_, WindowProc, kShowSubclass, reinterpret_cast<DWORD_PTR>(this));
}

void CMainLightingPanel::OnPreviewTick() {
  HWND hwnd = window_.hwnd();
  if (!IsWindowVisible(hwnd) || IsIconic(hwnd)) {
    StopPreviewTimer();
    return;
  }
  panel_.OnPreviewTimer();
}

void CMainLightingPanel::StopPreviewTimer() {
  window_.StopPreviewTimer();
  timer_stopped_ = true;
}

void CMainLightingPanel::RestartPreviewTimer() {
  if (!timer_stopped_ || !LightingViewOn()) return;
  HWND hwnd = window_.hwnd();
  if (!IsWindowVisible(hwnd) || IsIconic(hwnd)) return;
  timer_stopped_ = false;
  window_.StartPreviewTimer(kPreviewTimerMs);
}

LRESULT CALLBACK CMainLightingPanel::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                                DWORD_PTR data) {
  auto* self = reinterpret_cast<CMainLightingPanel*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, WindowProc, kShowSubclass);
    self->listening_ = nullptr;
    return DefSubclassProc(window, message, wparam, lparam);
  }
  const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
  // Whatever turned the lighting view on (a click, the keyboard's arrival,
  // a language change) or showed or restored the window came as one of its
  // messages: showing is followed by the change of its position.
  if (message != WM_DESTROY && self->timer_stopped_) self->RestartPreviewTimer();
  return result;
}

bool CMainLightingPanel::LightingViewOn() const {
  return window_.context().model.lighting.state.lighting_view;
}

std::unique_ptr<LightingPanel> MakeMainLightingPanel(CKeyloomDlg& window, LightingViewFile& view_setting,
                                                     ColourDialog* colour_dialog) {
  return std::make_unique<CMainLightingPanel>(window, view_setting, colour_dialog);
}

}  // namespace keyloom
