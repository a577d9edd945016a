// GoogleTest's own customisation point, put ahead of the packaged one for the Windows build.
//
// The mingw-w64 toolchain here uses the win32 thread model, whose standard library has no
// std::mutex or std::condition_variable; GoogleTest needs them only for its Notification class,
// supplied here on a Win32 event instead.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
  Notification() : _event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  ~Notification() { ::CloseHandle(_event); }
  void Notify() { ::SetEvent(_event); }
  void WaitForNotification() { ::WaitForSingleObject(_event, INFINITE); }

private:
  HANDLE _event;
};

} // namespace testing::internal

#endif
