#include "viewer/win32/ViewerDialog.h"

#include "ui/AboutBox.h"
#include "ui/Controls.h"
#include "ui/MessagePump.h"
#include "viewer/CleanRequest.h"
#include "viewer/ClusterList.h"
#include "viewer/ScanReport.h"
#include "viewer/ViewerRules.h"
#include "viewer/win32/ReportDialog.h"
#include "viewer/win32/ViewerRes.h"

namespace bw {
namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);

// The value controls in the order of StatisticText.
constexpr int kStatisticIds[] = {IDC_CLUSTER_SIZE,   IDC_FREE_SPACE, IDC_DRIVE_FORMAT,
                                 IDC_VALID_CLUSTERS, IDC_READ_TO,    IDC_DELETED_CLUSTERS};

constexpr const char* kHelpCaption = "Blankwright Drive Viewer Help";

constexpr const char* kRemovesLine =
    "Blankwright permanently removes this deleted data so that others cannot recover it.";
constexpr const char* kWebLine =
    "Visit the Tarnhollow web site for news, answers and updates of Blankwright.";

std::string ComboText(const ui::CComboBox& combo, int index) {
  LRESULT length = combo.Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR)
    return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT copied =
      combo.Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
  return text;
}

// A font like font, at tenthsOfPoint tenths of a point on this screen.
HFONT MakeFont(LOGFONTA font, int tenthsOfPoint, LONG weight) {
  HDC screen = ::GetDC(nullptr);
  font.lfHeight = -::MulDiv(tenthsOfPoint, ::GetDeviceCaps(screen, LOGPIXELSY), 720);
  ::ReleaseDC(nullptr, screen);
  font.lfWidth = 0;
  font.lfWeight = weight;
  return ::CreateFontIndirectA(&font);
}

} // namespace

CViewerDialog::CViewerDialog(IPlatform& platform, HINSTANCE instance, std::string commandLineDrive,
                             std::string programFolder)
    : _platform(platform), _instance(instance), _scan(platform, *this),
      _commandLineDrive(std::move(commandLineDrive)), _programFolder(std::move(programFolder)) {}

CViewerDialog::~CViewerDialog() {
  if (_introFont)
    ::DeleteObject(_introFont);
  if (_dataFont)
    ::DeleteObject(_dataFont);
}

INT_PTR CViewerDialog::Run() {
  return DoModal(_instance, IDD_VIEWER);
}

bool CViewerDialog::OnInit() {
  if (HMENU system = ::GetSystemMenu(Handle(), FALSE)) {
    ::AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(system, MF_STRING, IDM_ABOUTBOX, "&About Blankwright Drive Viewer...");
  }
  _icon = static_cast<HICON>(::LoadImageA(_instance, MAKEINTRESOURCEA(IDI_VIEWER), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE | LR_SHARED));
  _smallIcon = static_cast<HICON>(::LoadImageA(_instance, MAKEINTRESOURCEA(IDI_VIEWER), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON),
                                               ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(_icon));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(_smallIcon));
  Item(IDC_REMOVES_LINE).SetText(kRemovesLine);
  Item(IDC_WEB_LINE).SetText(kWebLine);
  CreateFonts();

  FillDriveList();
  ui::CButton(Item(IDC_TEXT_DISPLAY)).SetCheck(true);
  if (!_scan.AllocateClusterBuffer())
    MessageBox("Not enough memory to scan drives.", kViewerTitle, kMbOk | kMbIconWarning);
  SetScanning(false);
  return true;
}

void CViewerDialog::CreateFonts() {
  LOGFONTA font{};
  auto current = reinterpret_cast<HFONT>(Item(IDC_INTRO).Send(WM_GETFONT));
  if (current && ::GetObjectA(current, sizeof(font), &font) == sizeof(font)) {
    _introFont = MakeFont(font, 100, FW_BOLD);
    if (_introFont)
      Item(IDC_INTRO).Send(WM_SETFONT, reinterpret_cast<WPARAM>(_introFont), TRUE);
  }
  LOGFONTA courier{};
  ::lstrcpynA(courier.lfFaceName, "Courier New", LF_FACESIZE);
  courier.lfCharSet = DEFAULT_CHARSET;
  _dataFont = MakeFont(courier, 83, FW_NORMAL);
  if (_dataFont)
    Item(IDC_DATA_DISPLAY).Send(WM_SETFONT, reinterpret_cast<WPARAM>(_dataFont), TRUE);
}

void CViewerDialog::FillDriveList() {
  ui::CComboBox drives(Item(IDC_DRIVE_LIST));
  std::vector<std::string> entries = DriveListEntries(_platform.Drives());
  for (const std::string& entry : entries)
    drives.AddString(entry);
  int chosen = FindDriveEntry(entries, _commandLineDrive);
  _autoScan = chosen >= 0;
  drives.Select(chosen >= 0 ? chosen : 0);
}

INT_PTR CViewerDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SHOWWINDOW:
    if (wParam && !_shown) {
      _shown = true;
      Post(kMsgFirstShown);
    }
    return FALSE;
  case kMsgFirstShown:
    if (_autoScan)
      Post(kMsgBeginScan);
    return TRUE;
  case kMsgBeginScan:
    OnBeginScan();
    return TRUE;
  case kMsgFatScan:
    _scan.RunFatScan();
    return TRUE;
  case kMsgNtfsScan:
    _scan.RunNtfsScan();
    return TRUE;
  case WM_SYSCOMMAND:
    if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
      ui::CAboutBox about(kViewerTitle);
      about.DoModal(_instance, IDD_ABOUTBOX, Handle());
      return TRUE;
    }
    return FALSE;
  case WM_CTLCOLORSTATIC:
    if (reinterpret_cast<HWND>(lParam) == Item(IDC_INTRO).Handle()) {
      auto dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, kNavy);
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return FALSE;
  case WM_PAINT:
    return OnPaintIconic() ? TRUE : FALSE;
  case WM_QUERYDRAGICON:
    return reinterpret_cast<INT_PTR>(_icon);
  case WM_DESTROY:
    OnDestroy();
    return FALSE;
  default:
    return CDialog::OnMessage(message, wParam, lParam);
  }
}

bool CViewerDialog::OnPaintIconic() {
  if (!::IsIconic(Handle()))
    return false;
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(Handle(), &paint);
  RECT client;
  ::GetClientRect(Handle(), &client);
  int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, _icon);
  ::EndPaint(Handle(), &paint);
  return true;
}

bool CViewerDialog::OnCommand(int notifyCode, int id, HWND control) {
  switch (id) {
  case IDC_BEGIN_SCAN:
    OnBeginScan();
    return true;
  case IDC_CANCEL_SCAN:
    _scan.OnCancel();
    return true;
  case IDC_CLEAN_DRIVE:
    OnCleanDrive();
    return true;
  case IDC_CLOSE:
    OnCancel();
    return true;
  case IDC_HELP_BUTTON:
    OnHelp();
    return true;
  case IDC_CLUSTER_LIST:
    if (notifyCode == CBN_SELCHANGE)
      OnShowCluster(ShowRequest::ListSelection);
    return true;
  case IDC_TEXT_DISPLAY:
  case IDC_HEX_DISPLAY:
    if (notifyCode == BN_CLICKED)
      OnShowCluster(ShowRequest::DisplayMode);
    return true;
  default:
    return CDialog::OnCommand(notifyCode, id, control);
  }
}

// Close and Escape: the Close button is disabled while a scan runs, and Escape is no way
// around that.
void CViewerDialog::OnCancel() {
  if (!_scan.IsRunning())
    End(IDCANCEL);
}

// The close box and a WM_CLOSE from another program (the unload hook) end the window even
// during a scan: the scan stops at its next poll, and the dialog ends once its handler returns.
void CViewerDialog::OnClose() {
  if (_scan.IsRunning())
    _scan.OnClose();
  End(IDCANCEL);
}

void CViewerDialog::OnBeginScan() {
  if (_scan.IsRunning())
    return;
  switch (_scan.BeginScan()) {
  case ScanKind::Fat:
    Post(kMsgFatScan);
    break;
  case ScanKind::Ntfs:
    Post(kMsgNtfsScan);
    break;
  default:
    break;
  }
}

void CViewerDialog::OnShowCluster(ShowRequest request) {
  ui::CComboBox clusters(Item(IDC_CLUSTER_LIST));
  if (clusters.Count() <= 0)
    return;
  _scan.ShowCluster(ComboText(clusters, clusters.Selection()), request);
}

void CViewerDialog::OnCleanDrive() {
  switch (RequestDriveCleaning(_platform.WindowCommands(), _programFolder, SelectedDriveEntry())) {
  case CleanRequestResult::NoDrive:
    MessageBox("No drive selected for cleaning.", "Selection Error", kMbOk | kMbIconError);
    break;
  case CleanRequestResult::NotRunning:
    MessageBox("Blankwright must be running to clean drives.", "Blankwright Not Running",
               kMbOk | kMbIconError);
    break;
  case CleanRequestResult::Sent:
    break;
  }
}

std::string CViewerDialog::HelpFile() const {
  return _programFolder + "Blankwright Drive Viewer.hlp";
}

void CViewerDialog::OnHelp() {
  std::string help = HelpFile();
  if (::GetFileAttributesA(help.c_str()) == INVALID_FILE_ATTRIBUTES) {
    MessageBox("The help file \"" + help + "\" was not found.", kHelpCaption,
               kMbOk | kMbIconInformation);
    return;
  }
  _helpOpened = ::WinHelpA(Handle(), help.c_str(), HELP_FINDER, 0) != FALSE || _helpOpened;
}

void CViewerDialog::OnDestroy() {
  if (_helpOpened)
    ::WinHelpA(Handle(), HelpFile().c_str(), HELP_QUIT, 0);
  _scan.ReleaseClusterBuffer();
}

std::string CViewerDialog::SelectedDriveEntry() {
  ui::CComboBox drives(Item(IDC_DRIVE_LIST));
  int selection = drives.Selection();
  return selection == CB_ERR ? std::string() : ComboText(drives, selection);
}

DisplayMode CViewerDialog::GetDisplayMode() {
  return ui::CButton(Item(IDC_HEX_DISPLAY)).IsChecked() ? DisplayMode::Hex : DisplayMode::Text;
}

void CViewerDialog::SetStatisticText(StatisticText which, const std::string& text) {
  _texts[static_cast<size_t>(which)] = text;
}

// The scan refreshes after every hit: while it runs the texts are shown at a steady pace, and
// only those that changed are set.
void CViewerDialog::RefreshTexts() {
  if (_scan.IsRunning() && !_pacing.Due(::GetTickCount()))
    return;
  for (size_t i = 0; i < _texts.size(); ++i) {
    if (_texts[i] == _shownTexts[i])
      continue;
    Item(kStatisticIds[i]).SetText(_texts[i]);
    _shownTexts[i] = _texts[i];
  }
}

void CViewerDialog::ClearClusterList() {
  ui::CComboBox(Item(IDC_CLUSTER_LIST)).Reset();
  _listedHits = 0;
}

// The list holds the first 32767 hits; the scan counts on, and the report says where the list
// stopped.
void CViewerDialog::AppendCluster(const std::string& number) {
  ++_listedHits;
  if (!ClusterListTakes(_listedHits))
    return;
  ui::CComboBox clusters(Item(IDC_CLUSTER_LIST));
  clusters.AddString(number);
  // Selecting the entry that is already selected would only redraw the list.
  if (clusters.Selection() != 0)
    clusters.Select(0);
}

void CViewerDialog::SetDataLines(const std::vector<std::string>& lines) {
  ui::CListBox display(Item(IDC_DATA_DISPLAY));
  display.Send(WM_SETREDRAW, FALSE);
  display.Reset();
  for (const std::string& line : lines)
    display.AddString(line);
  display.Send(WM_SETREDRAW, TRUE);
  ::InvalidateRect(display, nullptr, TRUE);
}

void CViewerDialog::SetScanning(bool scanning) {
  // The button that was clicked is about to be disabled: the focus goes to the one that can be
  // used next, so that the keyboard keeps working.
  CWindow next = Item(scanning ? IDC_CANCEL_SCAN : IDC_BEGIN_SCAN);
  next.Enable(true);
  Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next.Handle()), TRUE);
  for (int id : {IDC_BEGIN_SCAN, IDC_CLEAN_DRIVE, IDC_CLOSE})
    Item(id).Enable(!scanning);
  Item(IDC_CANCEL_SCAN).Enable(scanning);
  // The texts held back while the scan ran are shown as it ends.
  _pacing.Reset();
  RefreshTexts();
}

void CViewerDialog::PumpMessage() {
  if (_pumpPacing.Due(::GetTickCount()))
    ui::PumpOneMessage(&_scan);
}

int CViewerDialog::MessageBox(const std::string& text, const std::string& caption, uint32_t style) {
  return ::MessageBoxA(Handle(), text.c_str(), caption.c_str(), style);
}

void CViewerDialog::ShowReport(const ScanReport& report) {
  CReportDialog dialog(report, ClusterListNote(_scan.GetHitCount()));
  dialog.DoModal(_instance, ReportDialog(report), Handle());
}

} // namespace bw
