// The report list: a list-view control in report view with columns,
// full-row selection, grid lines (drawn in the skin's colour where there
// are rows), optional check boxes in single-check mode
// (ticking one row clears the others) and a header drawn in the skin's
// colours. The window that holds it forwards WM_NOTIFY to OnNotify. Other
// behaviour (in-place editing) attaches to hwnd() from outside.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/controls/gdi_win32.h"

namespace keyloom {

struct ReportListColours {
  COLORREF background = RGB(0x11, 0x13, 0x18);
  COLORREF text = RGB(0xE8, 0xEB, 0xF0);
  COLORREF header_background = RGB(0x1A, 0x1D, 0x23);
  COLORREF header_text = RGB(0x8B, 0x93, 0xA1);
  COLORREF header_line = RGB(0x2A, 0x2E, 0x37);
};

class CReportList {
 public:
  CReportList() = default;
  ~CReportList();
  CReportList(const CReportList&) = delete;
  CReportList& operator=(const CReportList&) = delete;

  // Takes over a list-view control: report view, full-row selection, grid
  // lines, check boxes when `check_boxes` (single-check), the colours.
  bool Attach(HWND list, bool check_boxes, const ReportListColours& colours = {});
  void Detach();
  HWND hwnd() const { return list_; }

  int AddColumn(std::u16string_view caption, int width);
  void SetColumnCaption(int column, std::u16string_view caption);
  int ColumnCount() const;
  // The last column takes the width the others leave.
  void FillLastColumn();

  // Appends a row with one text per column; returns its index.
  int AddRow(const std::vector<std::u16string>& cells);
  void DeleteRow(int row);
  void DeleteAllRows();
  int RowCount() const;
  std::u16string CellText(int row, int column) const;

  // Ticks `row` and clears every other row (-1 clears all), without
  // reporting a change.
  void SetCheckedRow(int row);
  bool Checked(int row) const;
  int CheckedRow() const;  // the first ticked row, or -1
  int SelectedRow() const;  // the first selected row, or -1
  void SelectRow(int row);

  // Called before the user ticks or unticks a row: false refuses it.
  std::function<bool(int row, bool checked)> on_check_changing;
  // Called after the user ticked or unticked a row (the others already
  // cleared when it was ticked).
  std::function<void(int row, bool checked)> on_check_changed;

  // The holder's WM_NOTIFY: true when it was the list's, with the result.
  bool OnNotify(const NMHDR* header, LRESULT& result);

 private:
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT DrawHeader(NMCUSTOMDRAW* draw);
  void DrawGrid(HDC dc);

  HWND list_ = nullptr;
  bool check_boxes_ = false;
  bool quiet_ = false;  // changes made by the program are not reported
  ReportListColours colours_;
  GdiBrush header_brush_;
};

}  // namespace keyloom
