// RAII ownership of a Win32 handle, with one traits struct per kind of handle: what an unset
// handle looks like, which values are live, and the call that closes one.
#pragma once

#include "platform/win32/Win32.h"

#include <cstdint>
#include <utility>

namespace bw::win32 {

template <typename Traits> class ScopedHandle {
public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : _handle(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : _handle(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      _handle = other.Release();
    }
    return *this;
  }
  ~ScopedHandle() { Close(); }

  /// True while the handle is live.
  explicit operator bool() const { return Traits::IsValid(_handle); }
  Handle Get() const { return _handle; }

  /// Gives the handle up without closing it.
  Handle Release() { return std::exchange(_handle, Traits::Invalid()); }

  /// Closes the handle now. True when the close call succeeded; false when it failed or when
  /// there was nothing to close.
  bool Close() {
    Handle handle = Release();
    return Traits::IsValid(handle) && Traits::Close(handle);
  }

private:
  Handle _handle = Traits::Invalid();
};

/// Files, devices, processes and threads (CreateFileA, CreateProcessA): CloseHandle. Both null
/// and INVALID_HANDLE_VALUE mean "no handle", since the calls that make them differ.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return ::CloseHandle(h) != FALSE; }
};

/// Directory searches (FindFirstFileA): FindClose.
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Handle h) { return ::FindClose(h) != FALSE; }
};

/// Loaded libraries (LoadLibraryA): FreeLibrary. Values up to 32 are the error codes the
/// 16-bit loader returned in place of a module and are never freed.
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return reinterpret_cast<uintptr_t>(h) > 32; }
  static bool Close(Handle h) { return ::FreeLibrary(h) != FALSE; }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedLibrary = ScopedHandle<LibraryTraits>;

} // namespace bw::win32
