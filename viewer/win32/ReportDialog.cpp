#include "viewer/win32/ReportDialog.h"

#include "viewer/win32/ViewerRes.h"

namespace bw {
namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kDarkRed = RGB(128, 0, 0);

} // namespace

CReportDialog::~CReportDialog() {
  if (_headingFont)
    ::DeleteObject(_headingFont);
}

bool CReportDialog::OnInit() {
  Item(IDC_REPORT_PERCENTAGE).SetText(_report.Percentage);
  Item(IDC_REPORT_CLUSTERS).SetText(_report.Clusters);
  Item(IDC_REPORT_SIZE).SetText(_report.Size);
  Item(IDC_REPORT_LIST_NOTE).SetText(_listNote);
  LOGFONTA font{};
  auto current = reinterpret_cast<HFONT>(Item(IDC_REPORT_HEADING).Send(WM_GETFONT));
  if (current && ::GetObjectA(current, sizeof(font), &font) == sizeof(font)) {
    HDC screen = ::GetDC(nullptr);
    font.lfHeight = -::MulDiv(10, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    _headingFont = ::CreateFontIndirectA(&font);
    if (_headingFont)
      Item(IDC_REPORT_HEADING).Send(WM_SETFONT, reinterpret_cast<WPARAM>(_headingFont), TRUE);
  }
  return true;
}

INT_PTR CReportDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CTLCOLORSTATIC)
    return CDialog::OnMessage(message, wParam, lParam);
  int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
  COLORREF colour;
  if (id == IDC_REPORT_HEADING)
    colour = kNavy;
  else if (id == IDC_REPORT_PERCENTAGE || id == IDC_REPORT_CLUSTERS || id == IDC_REPORT_SIZE)
    colour = kDarkRed;
  else
    return FALSE;
  auto dc = reinterpret_cast<HDC>(wParam);
  ::SetTextColor(dc, colour);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
}

} // namespace bw
