// The registry entries that let Explorer find the context menu: the class's in-process server
// and a context-menu handler for all files, folders and drives. regsvr32 writes them through
// DllRegisterServer and removes them through DllUnregisterServer; one table serves both, so
// that removal takes away exactly what registration wrote.
#pragma once

#include <string>

namespace bw {

class IRegistry;

/// The extension's class identifier in registry form.
inline constexpr const char* kContextMenuClassId = "{6F1D2A90-3C4B-11D2-9E5A-5B7C3D1E2F40}";

/// Writes every entry, naming modulePath as the in-process server (threading model
/// Apartment). False when any key or value could not be written.
bool RegisterContextMenu(IRegistry& registry, const std::string& modulePath);

/// Deletes every key and value RegisterContextMenu writes, leaving the parents it found.
/// Entries already gone are fine; false when one that is there could not be deleted.
bool UnregisterContextMenu(IRegistry& registry);

} // namespace bw
