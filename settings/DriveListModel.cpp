#include "settings/DriveListModel.h"

#include "platform/Drives.h"
#include "settings/DriveList.h"

namespace bw {

void CDriveListModel::LoadFromDriveList(IDrives& drives, std::string_view list) {
  _items.clear();
  uint32_t mask = drives.GetLogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!(mask & (1u << (letter - 'A'))))
      continue;
    DriveType type = drives.GetDriveType(letter);
    if (type != DriveType::Fixed && type != DriveType::Removable)
      continue;
    Item item;
    item.Letter = letter;
    item.Type = type;
    item.Date = kNeverCleaned;
    if (std::optional<size_t> offset = FindDriveRecord(list, letter)) {
      item.Date = DriveRecordDate(list, *offset);
      item.Checked = DriveRecordSelected(list, *offset);
    }
    _items.push_back(std::move(item));
  }
  _current = _items.empty() ? -1 : 0;
}

std::string CDriveListModel::StoreToDriveList() const {
  std::string list;
  for (const Item& item : _items) {
    // A date the string cut short is completed with hyphens, so that the records after it
    // stay at their offsets; an empty one thereby reads as never cleaned.
    std::string record = MakeDriveRecord(item.Letter, item.Checked, item.Date);
    if (item.Checked || record[2] != '-')
      list += record;
  }
  return list;
}

int CDriveListModel::CheckedCount() const {
  int count = 0;
  for (const Item& item : _items)
    count += item.Checked ? 1 : 0;
  return count;
}

bool CDriveListModel::IsDriveChecked(char letter) const {
  if (letter >= 'a' && letter <= 'z')
    letter = static_cast<char>(letter - 'a' + 'A');
  for (const Item& item : _items)
    if (item.Checked && item.Letter == letter)
      return true;
  return false;
}

void CDriveListModel::SetCurrent(int index) {
  _current = index >= 0 && index < static_cast<int>(_items.size()) ? index : -1;
}

bool CDriveListModel::ToggleCurrent() {
  if (_current < 0)
    return false;
  _items[_current].Checked = !_items[_current].Checked;
  return true;
}

bool CDriveListModel::SetChecked(char letter, bool checked) {
  if (letter >= 'a' && letter <= 'z')
    letter = static_cast<char>(letter - 'a' + 'A');
  for (Item& item : _items)
    if (item.Letter == letter) {
      item.Checked = checked;
      return true;
    }
  return false;
}

std::string CDriveListModel::ItemText(const Item& item) {
  return std::string("(") + item.Letter + ":)";
}

std::string CDriveListModel::StatusText(const Item& item) {
  if (item.Date.empty())
    return {};
  if (item.Date.front() != '-')
    if (std::optional<DriveDate> date = ParseDriveDate(item.Date))
      return "Last Cleaned: " + FormatLongDate(*date);
  return item.Type == DriveType::Fixed ? "Not Cleaned" : "Removable Media";
}

} // namespace bw
