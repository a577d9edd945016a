// What the compiler may call on its own in a program without a library.
#include <stddef.h>
#include <stdint.h>

extern "C" {

void* memset(void* destination, int value, size_t size) {
  auto* d = static_cast<uint8_t*>(destination);
  while (size--)
    *d++ = static_cast<uint8_t>(value);
  return destination;
}

void* memcpy(void* destination, const void* source, size_t size) {
  auto* d = static_cast<uint8_t*>(destination);
  const auto* s = static_cast<const uint8_t*>(source);
  while (size--)
    *d++ = *s++;
  return destination;
}

} // extern "C"
