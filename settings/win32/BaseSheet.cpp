#include "settings/win32/BaseSheet.h"

namespace bw {
namespace {

constexpr int kSheetIcon = 139;

} // namespace

CBaseSheet::CBaseSheet(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                       const std::string& programFolder)
    : _instance(instance), _schedule(instance, platform, settings, _model, *this),
      _general(instance, platform, settings, _model, programFolder),
      _tempFiles(platform, settings, _model) {
  AddPage(_schedule);
  AddPage(_general);
  AddPage(_tempFiles);
}

bool CBaseSheet::Run(HWND parent) {
  return DoModal(_instance, parent, "Blankwright Configuration", PSH_NOAPPLYNOW, kSheetIcon) > 0;
}

} // namespace bw
