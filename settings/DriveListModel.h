// The drive list control's state and rules: one line per hard or removable drive with its
// check mark and last-cleaned state, converted to and from the drive list string.
//
// The Win32 control CDriveListBox (a list box taken over by subclassing, drawn by its owner)
// holds one of these and only draws it and forwards the space key and mouse clicks; the command
// line shows the same lines as text.
#pragma once

#include "platform/Types.h"

#include <string>
#include <string_view>
#include <vector>

namespace bw {

class IDrives;

class CDriveListModel {
public:
  struct Item {
    char Letter = 0;
    DriveType Type = DriveType::Fixed; ///< as it was when the list was loaded
    bool Checked = false;              ///< selected for cleaning
    std::string Date;                  ///< the record's 8 date characters, or "--------"
  };

  /// Rebuilds the items from a drive list string: one per fixed or removable drive present, in
  /// letter order, its mark and date from the drive's record; item 0 becomes current.
  void LoadFromDriveList(IDrives& drives, std::string_view list);

  /// The drive list string for the items: a record for each item that is checked or has been
  /// cleaned. Unchecked drives never cleaned, and drives without an item, are dropped.
  std::string StoreToDriveList() const;

  /// The number of checked items.
  int CheckedCount() const;

  /// Whether a checked item has this letter (any case).
  bool IsDriveChecked(char letter) const;

  const std::vector<Item>& Items() const { return _items; }

  /// The current item's index, -1 when the list is empty.
  int Current() const { return _current; }
  void SetCurrent(int index);

  /// The space key or a released left mouse button: inverts the current item's check mark.
  /// False when there is no current item.
  bool ToggleCurrent();

  /// Sets the mark of letter's item; false when the drive has no item.
  bool SetChecked(char letter, bool checked);

  /// "(C:)".
  static std::string ItemText(const Item& item);

  /// What the line shows after its label: "Not Cleaned" or "Removable Media" for a drive never
  /// cleaned (or whose date cannot be read), else "Last Cleaned: " and the long date; nothing
  /// when the record has no date at all.
  static std::string StatusText(const Item& item);

private:
  std::vector<Item> _items;
  int _current = -1;
};

} // namespace bw
