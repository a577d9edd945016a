// Copying a text into a buffer the caller owns and sized, as GetCommandString must: never past
// the size the caller gave, and always terminated.
#pragma once

#include <cstddef>

namespace bw {

/// Copies text into buffer, which holds size characters: at most size - 1 of them and a
/// terminating zero; nothing at all when buffer is null or size is 0. Each single-byte
/// character becomes one character of Char (the texts copied are plain ASCII). Returns false
/// when the text had to be cut or nothing could be written.
template <typename Char> bool CopyTerminated(const char* text, Char* buffer, size_t size) {
  if (buffer == nullptr || size == 0)
    return false;
  size_t length = 0;
  while (text[length] != '\0' && length + 1 < size) {
    buffer[length] = static_cast<Char>(static_cast<unsigned char>(text[length]));
    ++length;
  }
  buffer[length] = Char{};
  return text[length] == '\0';
}

} // namespace bw
