// The Selections hand-off: the context menu writes the paths to zap as value names of one
// registry key just before it sends the zap command; the tray program reads them and deletes
// the key, so that it holds a zap's paths only between the two.
#pragma once

#include <string>
#include <vector>

namespace bw {

class IMessageBox;
class IRegistry;

/// The key that holds the product's settings and, between a zap's sender and the tray
/// program, its Selections subkey (under HKEY_LOCAL_MACHINE).
constexpr const char* kProductKey = "software\\Tarnhollow\\Blankwright";
constexpr const char* kSelectionsKey = "software\\Tarnhollow\\Blankwright\\Selections";
/// The longest value name the reader takes (its name buffer holds 256 characters).
constexpr size_t kSelectionNameMax = 255;

/// Appends the Selections key's value names, lower-cased, to list (a missing key adds none),
/// then deletes the key. When the key cannot be deleted (also when it was not there) it shows
/// "Cannot access registry, access denied." through owner and returns false: then there is
/// nothing to zap.
bool ReadSelections(IRegistry& registry, IMessageBox& owner, std::vector<std::string>& list);

} // namespace bw
