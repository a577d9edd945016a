// What the boot-time swap-file cleaner needs of MS-DOS: files in the root of a drive, the
// console and the keyboard. The cleaner's core is written against this, so that the same code
// runs under real-mode MS-DOS (DosServices.cpp, INT 21h) and in the unit tests (a fake).
// Freestanding: no library, 16-bit sizes where DOS has them.
#pragma once

#include <stdint.h>

namespace swpclnr {

class IDosServices {
public:
  /// Creates or truncates a file with normal attributes; -1 when that fails.
  virtual int Create(const char* path) = 0;
  /// Writes size bytes; returns what DOS reports as written (fewer when the disk is full).
  virtual uint16_t Write(int handle, const void* data, uint16_t size) = 0;
  virtual void Close(int handle) = 0;
  /// Failures are not reported: a file that is not there is fine.
  virtual void Delete(const char* path) = 0;

  /// Writes text to standard output.
  virtual void Print(const char* text) = 0;
  /// True when a key is waiting.
  virtual bool KeyWaiting() = 0;
  /// Reads a key without echo (waits for one).
  virtual char ReadKey() = 0;
  /// Reads a key and shows it.
  virtual char ReadKeyEcho() = 0;
  virtual void ShowCursor(bool visible) = 0;

  /// The two pass buffers of kBufferSize bytes; false when they cannot be had.
  virtual bool Buffers(uint8_t*& zeros, uint8_t*& ones) = 0;

protected:
  ~IDosServices() = default;
};

constexpr uint16_t kBufferSize = 20480;

} // namespace swpclnr
