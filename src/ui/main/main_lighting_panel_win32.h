// The lighting panel as the main window holds it: the Win32 panel on the
// main window, the preview and the key colour board painting the window's
// own key buttons, behind the main window's LightingPanel interface. The
// main window routes the panel's commands, the slider message and the
// preview timer here; the panel reads and writes the lighting model of the
// window's MainModel and the lighting view setting it is given.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/controls/colour_button_win32.h"
#include "ui/main/key_button_painter_win32.h"
#include "ui/main/key_colour_board.h"
#include "ui/main/lighting_panel_win32.h"
#include "ui/main/lighting_preview.h"
#include "ui/main/main_hooks.h"

namespace keyloom {

class CKeyloomDlg;
class LightingViewFile;

class CMainLightingPanel final : public LightingPanel {
 public:
  // `view_setting` is the setting the window's model reads (the same file);
  // `colour_dialog` null: the system's colour dialog. Both outlive the panel.
  CMainLightingPanel(CKeyloomDlg& window, LightingViewFile& view_setting, ColourDialog* colour_dialog = nullptr);
  ~CMainLightingPanel() override;
  CMainLightingPanel(const CMainLightingPanel&) = delete;
  CMainLightingPanel& operator=(const CMainLightingPanel&) = delete;

  void Initialise() override;
  void RefreshFromModel() override { panel_.logic().Refresh(); }
  void OnUserModesLoaded() override { panel_.logic().ShowUserModes(); }
  void ResetToDefaults() override { panel_.logic().ResetToDefaults(); }
  void OnSliderMoved(int control_id, int position) override { panel_.OnSlider(control_id, position); }
  // Hidden or minimised, or with the lighting view off, the window's
  // preview timer is stopped (each wake-up costs the process time for
  // nothing); it starts again when the window is shown or restored with the
  // view on, whichever message of the window brought that about.
  void OnPreviewTick() override;
  void OnPreviewTimerIdle() override { StopPreviewTimer(); }
  bool OnCommand(int control_id, int notification) override { return panel_.OnCommand(control_id, notification); }
  void OnLanguage(int index) override { panel_.Relabel(index); }
  bool LightingViewOn() const override;
  void TurnLightingViewOff() override { panel_.logic().SwitchViewOff(); }
  void PaintKey(int control_id, int) override { panel_.logic().PaintKey(static_cast<uint16_t>(control_id)); }

  CLightingPanel& panel() { return panel_; }
  bool preview_timer_running() const { return !timer_stopped_; }
  LightingPreview& preview() { return preview_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void StopPreviewTimer();
  void RestartPreviewTimer();

  CKeyloomDlg& window_;
  HWND listening_ = nullptr;  // the window whose showing restarts the timer
  bool timer_stopped_ = false;
  SystemColourDialog own_dialog_;
  CKeyButtonPainter painter_;
  KeyColourBoard keys_;
  LightingPreview preview_;
  CLightingPanel panel_;
};

// The factory the program registers in MainWindowContext::make_lighting_panel.
std::unique_ptr<LightingPanel> MakeMainLightingPanel(CKeyloomDlg& window, LightingViewFile& view_setting,
                                                     ColourDialog* colour_dialog = nullptr);

}  // namespace keyloom
