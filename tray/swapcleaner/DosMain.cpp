// swpclnr.exe under real-mode MS-DOS: the DOS services by INT 21h (INT 10h for the cursor), the
// command line from the program segment prefix, and the two pass buffers in the segment.
#include "tray/swapcleaner/SwapCleaner.h"

namespace {

using namespace swpclnr;

// Registers in, carry out: the DOS call convention.
bool Dos(uint16_t& ax, uint16_t bx = 0, uint16_t cx = 0, uint16_t dx = 0) {
  bool carry;
  asm volatile("int $0x21" : "+a"(ax), "=@ccc"(carry) : "b"(bx), "c"(cx), "d"(dx) : "memory");
  return !carry;
}

uint16_t Offset(const void* pointer) {
  return static_cast<uint16_t>(reinterpret_cast<uintptr_t>(pointer));
}

uint8_t zeros[kBufferSize];
uint8_t ones[kBufferSize];

class CDos final : public IDosServices {
public:
  int Create(const char* path) override {
    uint16_t ax = 0x3C00;
    return Dos(ax, 0, 0, Offset(path)) ? ax : -1;
  }
  uint16_t Write(int handle, const void* data, uint16_t size) override {
    uint16_t ax = 0x4000;
    return Dos(ax, static_cast<uint16_t>(handle), size, Offset(data)) ? ax : 0;
  }
  void Close(int handle) override {
    uint16_t ax = 0x3E00;
    Dos(ax, static_cast<uint16_t>(handle));
  }
  void Delete(const char* path) override {
    uint16_t ax = 0x4100;
    Dos(ax, 0, 0, Offset(path));
  }
  void Print(const char* text) override {
    uint16_t length = 0;
    while (text[length])
      ++length;
    uint16_t ax = 0x4000;
    Dos(ax, 1, length, Offset(text));
  }
  bool KeyWaiting() override {
    uint16_t ax = 0x0B00;
    Dos(ax);
    return (ax & 0xFF) != 0;
  }
  char ReadKey() override {
    uint16_t ax = 0x0700;
    Dos(ax);
    return static_cast<char>(ax & 0xFF);
  }
  char ReadKeyEcho() override {
    uint16_t ax = 0x0100;
    Dos(ax);
    return static_cast<char>(ax & 0xFF);
  }
  void ShowCursor(bool visible) override {
    uint16_t cx = visible ? 0x0607 : 0x2000;
    asm volatile("int $0x10" : : "a"(0x0100), "c"(cx) : "memory");
  }
  bool Buffers(uint8_t*& zero, uint8_t*& one) override {
    zero = zeros;
    one = ones;
    return true;
  }
};

// The program's own path follows the environment's variables (the segment at PSP:2Ch): after
// the double zero, a word count and then the path.
void OwnPath(char* path, uint16_t capacity) {
  uint16_t environment = *reinterpret_cast<volatile uint16_t*>(0x2C);
  uint16_t at = 0;
  auto peek = [environment](uint16_t offset) {
    uint8_t value;
    // FS is the compiler's to ignore: the environment is read through it.
    asm volatile("mov %w1, %%fs\n\tmovb %%fs:(%2), %0"
                 : "=q"(value)
                 : "r"(environment), "r"(static_cast<uint32_t>(offset))
                 : "memory");
    return value;
  };
  while (at < 0x7FF0 && !(peek(at) == 0 && peek(static_cast<uint16_t>(at + 1)) == 0))
    ++at;
  at = static_cast<uint16_t>(at + 4);
  uint16_t n = 0;
  for (uint8_t c; n + 1 < capacity && (c = peek(at)) != 0; ++at)
    path[n++] = static_cast<char>(c);
  path[n] = 0;
}

} // namespace

extern "C" int dos_main() {
  static char tail[128];
  static char path[80];
  static const char* argv[8];
  // The command tail at PSP:80h (length) and 81h, ended by a carriage return.
  const auto* command = reinterpret_cast<const volatile uint8_t*>(uintptr_t{0x80});
  uint8_t length = command[0];
  uint16_t n = 0;
  for (; n < length && n < sizeof(tail) - 1 && command[1 + n] != '\r'; ++n)
    tail[n] = static_cast<char>(command[1 + n]);
  tail[n] = 0;
  OwnPath(path, sizeof(path));
  int argc = 0;
  argv[argc++] = path;
  for (char* p = tail; *p && argc < 8;) {
    while (*p == ' ' || *p == '\t')
      *p++ = 0;
    if (!*p)
      break;
    argv[argc++] = p;
    while (*p && *p != ' ' && *p != '\t')
      ++p;
  }
  CDos dos;
  return RunCleaner(dos, argc, argv);
}
