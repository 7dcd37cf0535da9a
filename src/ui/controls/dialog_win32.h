// A small dialog framework: a dialog object bound to its window, messages
// routed to virtual handlers, and a modal loop of its own so that a dialog
// sees every message before it is dispatched (PreTranslateMessage) and a
// dialog created hidden is shown once its queue first runs empty.
#pragma once

#include <windows.h>

namespace keyloom {

class Win32Dialog {
 public:
  // `resources` is the module holding the template; `parent` may be null.
  Win32Dialog(HINSTANCE resources, int template_id, HWND parent);
  virtual ~Win32Dialog();
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;

  // Creates the window and runs it until EndDialog; the parent is disabled
  // meanwhile. Returns the EndDialog result, or -1 when the window could
  // not be created.
  INT_PTR DoModal();
  // Creates the window without running a loop (the caller pumps messages).
  HWND Create();
  // Builds the window from a template in memory instead of the resource.
  void UseTemplate(const DLGTEMPLATE* in_memory) { in_memory_ = in_memory; }

  // Ends the dialog: a modal loop returns `result`; a dialog without a loop
  // is destroyed at once.
  void EndDialog(INT_PTR result);

  HWND hwnd() const { return hwnd_; }
  HWND parent() const { return parent_; }
  HINSTANCE resources() const { return resources_; }
  bool running_modal() const { return modal_; }

  // The dialog object of a window, or null.
  static Win32Dialog* FromHandle(HWND window);
  // Offers a message to the dialogs that contain its window, innermost
  // first; true when one of them took it.
  static bool PreTranslateChain(MSG& msg);

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Return true when handled, with the message's result in `result`.
  virtual bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    (void)message, (void)wparam, (void)lparam, (void)result;
    return false;
  }
  // Seen before dispatch; return true to swallow the message.
  virtual bool PreTranslateMessage(MSG& msg) {
    (void)msg;
    return false;
  }
  // Called when the window is gone (after WM_DESTROY).
  virtual void OnDestroyed() {}

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Route(UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE resources_;
  int template_id_;
  const DLGTEMPLATE* in_memory_ = nullptr;
  HWND parent_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  INT_PTR result_ = 0;
};

}  // namespace keyloom
