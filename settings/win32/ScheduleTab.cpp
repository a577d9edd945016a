#include "settings/win32/ScheduleTab.h"

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "settings/ScheduleTabRes.h"
#include "settings/win32/SheetRes.h"
#include "ui/Controls.h"

#include <array>

namespace bw {
namespace {

// The controls of one weekday row, Monday first.
struct DayControls {
  int Check, Hour, Minute, AmPm, HourSpin, MinuteSpin, AmPmSpin;
};
constexpr std::array<DayControls, 7> kDays = {{
    {IDC_MON_CHECK, IDC_MON_HOUR, IDC_MON_MINUTE, IDC_MON_AMPM, IDC_MON_HOUR_SPIN,
     IDC_MON_MINUTE_SPIN, IDC_MON_AMPM_SPIN},
    {IDC_TUE_CHECK, IDC_TUE_HOUR, IDC_TUE_MINUTE, IDC_TUE_AMPM, IDC_TUE_HOUR_SPIN,
     IDC_TUE_MINUTE_SPIN, IDC_TUE_AMPM_SPIN},
    {IDC_WED_CHECK, IDC_WED_HOUR, IDC_WED_MINUTE, IDC_WED_AMPM, IDC_WED_HOUR_SPIN,
     IDC_WED_MINUTE_SPIN, IDC_WED_AMPM_SPIN},
    {IDC_THU_CHECK, IDC_THU_HOUR, IDC_THU_MINUTE, IDC_THU_AMPM, IDC_THU_HOUR_SPIN,
     IDC_THU_MINUTE_SPIN, IDC_THU_AMPM_SPIN},
    {IDC_FRI_CHECK, IDC_FRI_HOUR, IDC_FRI_MINUTE, IDC_FRI_AMPM, IDC_FRI_HOUR_SPIN,
     IDC_FRI_MINUTE_SPIN, IDC_FRI_AMPM_SPIN},
    {IDC_SAT_CHECK, IDC_SAT_HOUR, IDC_SAT_MINUTE, IDC_SAT_AMPM, IDC_SAT_HOUR_SPIN,
     IDC_SAT_MINUTE_SPIN, IDC_SAT_AMPM_SPIN},
    {IDC_SUN_CHECK, IDC_SUN_HOUR, IDC_SUN_MINUTE, IDC_SUN_AMPM, IDC_SUN_HOUR_SPIN,
     IDC_SUN_MINUTE_SPIN, IDC_SUN_AMPM_SPIN},
}};

enum class Column { Check, Hour, Minute, AmPm, HourSpin, MinuteSpin, AmPmSpin, None };

// Which row and column a control id belongs to.
Column Find(int id, int& day) {
  for (day = 0; day < 7; ++day) {
    const DayControls& d = kDays[day];
    for (auto [control, column] : {std::pair{d.Check, Column::Check},
                                   {d.Hour, Column::Hour},
                                   {d.Minute, Column::Minute},
                                   {d.AmPm, Column::AmPm},
                                   {d.HourSpin, Column::HourSpin},
                                   {d.MinuteSpin, Column::MinuteSpin},
                                   {d.AmPmSpin, Column::AmPmSpin}})
      if (control == id)
        return column;
  }
  return Column::None;
}

// The page's own box, so that the sheet is its owner.
class CPageBox final : public IMessageBox {
public:
  explicit CPageBox(HWND page) : _page(page) {}
  int Show(const std::string& text, const std::string& caption, uint32_t style) override {
    return ::MessageBoxA(_page, text.c_str(), caption.c_str(), style);
  }

private:
  HWND _page;
};

} // namespace

CScheduleTab::CScheduleTab(HINSTANCE instance, IPlatform& platform, CSettings& settings,
                           CBaseSheetModel& sheet, ui::CPropertySheet& window)
    : CPropertyPage(IDD_SCHEDULE_TAB), _platform(platform), _settings(settings), _sheet(sheet),
      _window(window), _drives(instance, platform.Drives(), &sheet.Schedule.Drives) {}

bool CScheduleTab::OnInit() {
  _sheet.ShowPage(CBaseSheetModel::kSchedulePage, _platform, _settings);
  _drives.Attach(Item(IDC_SCHEDULE_DRIVES));
  _drives.Refresh();
  for (const DayControls& day : kDays) {
    // Each spin is tied to the edit of its row and column; the page moves the numbers itself.
    // The spins only report their arrows: a wide range with the position in its middle, so
    // that up is always a positive step and no end is ever reached.
    for (auto [spin, edit] : {std::pair{day.HourSpin, day.Hour},
                              {day.MinuteSpin, day.Minute},
                              {day.AmPmSpin, day.AmPm}}) {
      Item(spin).Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(edit).Handle()));
      ui::CUpDown(Item(spin)).SetRange(0, 1000);
      ui::CUpDown(Item(spin)).SetPos(500);
    }
    Item(day.Hour).Send(EM_LIMITTEXT, 2);
    Item(day.Minute).Send(EM_LIMITTEXT, 2);
  }
  Push();
  return true;
}

void CScheduleTab::Push() {
  const CScheduleTabModel& model = _sheet.Schedule;
  ui::CCheckBox(Item(IDC_SCHEDULE_ENABLED)).SetCheck(model.ScheduleEnabled);
  ui::CCheckBox(Item(IDC_CLEAN_AT_LOGOUT)).SetCheck(model.CleanAtLogout);
  for (size_t i = 0; i < kDays.size(); ++i) {
    const DayControls& controls = kDays[i];
    const CScheduleTabModel::Day& day = model.Days[i];
    ui::CCheckBox(Item(controls.Check)).SetCheck(day.Checked);
    Item(controls.Check).Enable(day.CheckEnabled);
    // Only texts that differ are set: setting an edit's text while the user types in it would
    // move the caret.
    for (auto [id, text] : {std::pair{controls.Hour, &day.HourText},
                            {controls.Minute, &day.MinuteText},
                            {controls.AmPm, &day.AmPmText}})
      if (Item(id).Text() != *text)
        Item(id).SetText(*text);
    for (int id : {controls.Hour, controls.Minute, controls.AmPm, controls.HourSpin,
                   controls.MinuteSpin, controls.AmPmSpin})
      Item(id).Enable(day.TimeEnabled);
  }
}

void CScheduleTab::Pull() {
  CScheduleTabModel& model = _sheet.Schedule;
  model.ScheduleEnabled = ui::CCheckBox(Item(IDC_SCHEDULE_ENABLED)).IsChecked();
  model.CleanAtLogout = ui::CCheckBox(Item(IDC_CLEAN_AT_LOGOUT)).IsChecked();
  for (size_t i = 0; i < kDays.size(); ++i) {
    CScheduleTabModel::Day& day = model.Days[i];
    day.Checked = ui::CCheckBox(Item(kDays[i].Check)).IsChecked();
    day.HourText = Item(kDays[i].Hour).Text();
    day.MinuteText = Item(kDays[i].Minute).Text();
    day.AmPmText = Item(kDays[i].AmPm).Text();
  }
}

bool CScheduleTab::OnCommand(int notifyCode, int id, HWND /*control*/) {
  CScheduleTabModel& model = _sheet.Schedule;
  if (id == IDC_CLEAN_SELECTED_DRIVES && notifyCode == BN_CLICKED) {
    CleanSelectedDrives();
    return true;
  }
  if (id == IDC_SCHEDULE_ENABLED && notifyCode == BN_CLICKED) {
    Pull();
    model.SetScheduleEnabled(model.ScheduleEnabled);
    Push();
    return true;
  }
  int day = 0;
  Column column = Find(id, day);
  if (column == Column::Check && notifyCode == BN_CLICKED) {
    Pull();
    model.SetDayChecked(day, model.Days[day].Checked);
    Push();
    return true;
  }
  if (notifyCode != EN_KILLFOCUS)
    return false;
  Pull();
  if (column == Column::Hour)
    model.HourFocusLeft(day);
  else if (column == Column::Minute)
    model.MinuteFocusLeft(day);
  else if (column == Column::AmPm)
    model.AmPmFocusLeft(day);
  else
    return false;
  Push();
  return true;
}

INT_PTR CScheduleTab::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_DRAWITEM:
    if (wParam != IDC_SCHEDULE_DRIVES)
      return FALSE;
    _drives.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  case WM_VKEYTOITEM:
    if (reinterpret_cast<HWND>(lParam) != Item(IDC_SCHEDULE_DRIVES).Handle())
      return FALSE;
    return _drives.VKeyToItem(LOWORD(wParam));
  case WM_NOTIFY: {
    const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
    int day = 0;
    Column column = Find(static_cast<int>(header.idFrom), day);
    if (header.code != UDN_DELTAPOS || column == Column::None)
      return FALSE;
    const auto& spin = *reinterpret_cast<const NMUPDOWN*>(lParam);
    Pull();
    CScheduleTabModel& model = _sheet.Schedule;
    int direction = spin.iDelta > 0 ? 1 : -1;
    if (column == Column::HourSpin)
      model.SpinHour(day, direction);
    else if (column == Column::MinuteSpin)
      model.SpinMinute(day, direction);
    else if (column == Column::AmPmSpin)
      model.SpinAmPm(day);
    Push();
    // The spin's own position is not used: the model keeps it.
    ::SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, TRUE);
    return TRUE;
  }
  default:
    return FALSE;
  }
}

void CScheduleTab::CleanSelectedDrives() {
  Pull();
  CPageBox box(Handle());
  if (_sheet.Schedule.CleanSelectedDrives(box, _settings))
    _window.PressOK();
}

bool CScheduleTab::OnApply() {
  Pull();
  _sheet.Schedule.Save(_settings);
  return true;
}

} // namespace bw
