#include "settings/win32/SwapFilePathDlg.h"

#include "platform/Platform.h"
#include "settings/win32/SheetRes.h"

#include <algorithm>
#include <cctype>
#include <commdlg.h>

namespace bw {

bool CSwapFilePathDlg::OnInit() {
  Item(IDC_SWAP_PATH).SetText(_path);
  return true;
}

bool CSwapFilePathDlg::OnCommand(int notifyCode, int id, HWND control) {
  if (id == IDC_SWAP_BROWSE && notifyCode == BN_CLICKED) {
    Browse();
    return true;
  }
  return CDialog::OnCommand(notifyCode, id, control);
}

void CSwapFilePathDlg::OnOK() {
  _path = Item(IDC_SWAP_PATH).Text();
  End(IDOK);
}

void CSwapFilePathDlg::Browse() {
  IFileSystem& files = _platform.Files();
  std::string remembered;
  files.GetCurrentDirectory(remembered);
  std::string windows;
  files.SetCurrentDirectory(_platform.System().GetWindowsDirectory(windows) ? windows
                                                                            : "c:\\windows");
  char chosen[MAX_PATH] = "*.swp";
  OPENFILENAMEA open = {};
  open.lStructSize = sizeof open;
  open.hwndOwner = Handle();
  open.lpstrFilter = "Windows Swap File (*.swp)\0*.swp\0All Files (*.*)\0*.*\0";
  open.lpstrFile = chosen;
  open.nMaxFile = sizeof chosen;
  open.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_SHAREAWARE | OFN_NOCHANGEDIR;
  if (::GetOpenFileNameA(&open)) {
    std::string path = chosen;
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    Item(IDC_SWAP_PATH).SetText(path);
  }
  if (!remembered.empty())
    files.SetCurrentDirectory(remembered);
}

} // namespace bw
