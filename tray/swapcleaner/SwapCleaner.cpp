#include "tray/swapcleaner/SwapCleaner.h"

namespace swpclnr {
namespace {

constexpr uint32_t kBulkBytes = 1073741824;
constexpr uint16_t kShortUnit = 512;
constexpr int kShortWritesToFinish = 11;
constexpr char kEscape = 27;

// Small text helpers: the program has no library.
uint32_t ParseNumber(const char* text) {
  uint32_t value = 0;
  while (*text >= '0' && *text <= '9')
    value = value * 10 + static_cast<uint32_t>(*text++ - '0');
  return value;
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Appends to a fixed buffer; the texts are short and bounded.
class CText {
public:
  CText& Add(const char* text) {
    while (*text && _length < sizeof(_buffer) - 1)
      _buffer[_length++] = *text++;
    _buffer[_length] = 0;
    return *this;
  }
  CText& Add(char c) {
    char text[2] = {c, 0};
    return Add(text);
  }
  /// "%d"; with width 2, a leading blank below 10 ("%2d").
  CText& Number(uint32_t value, int width = 0) {
    char digits[12];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value);
    for (int pad = n; pad < width; ++pad)
      Add(' ');
    while (n)
      Add(digits[--n]);
    return *this;
  }
  const char* Get() const { return _buffer; }

private:
  char _buffer[160] = {};
  unsigned _length = 0;
};

class CCleaner {
public:
  CCleaner(IDosServices& dos, uint32_t passCount, uint32_t g, uint32_t r, char drive)
      : _dos(dos), _passCount(passCount), _g(g), _drive(drive) {
    // One step per 20480-byte unit of everything to fill, counted in whole units.
    double units = (g * 1073741824.0 + r) / kBufferSize;
    double whole = static_cast<double>(static_cast<int64_t>(units));
    if (whole < units)
      whole += 1;
    _step = whole > 0 ? 100.0 / whole : 100.0;
  }

  void Overwrite();
  void Progress();

private:
  void Say(const CText& text) { _dos.Print(text.Get()); }
  CText FillName(bool remainder, uint32_t n) const {
    CText name;
    name.Add(_drive).Add(":\\BWTMP");
    if (remainder)
      name.Add('A');
    else
      name.Number(n);
    return name.Add(".~BW");
  }
  int Shown() const {
    int whole = static_cast<int>(_percent);
    return whole >= 100 ? 99 : whole;
  }
  void FillBulk(const uint8_t* buffer);
  void FillRemainder(const uint8_t* buffer);

  IDosServices& _dos;
  uint32_t _passCount, _g;
  char _drive;
  double _step = 0;
  double _percent = 0;
  bool _cancelled = false;
  bool _stopped = false; ///< a fill file could not be made: no further pass
};

void CCleaner::Progress() {
  _percent += _step;
  Say(CText().Add("\b\b\b").Number(static_cast<uint32_t>(Shown()), 2).Add('%'));
  if (!_dos.KeyWaiting() || _dos.ReadKey() != kEscape)
    return;
  _dos.Print("\nAre you sure you want to quit? <Y/N>");
  _dos.ShowCursor(true);
  char answer = _dos.ReadKeyEcho();
  if (answer == 'Y' || answer == 'y') {
    _dos.Print("\nCanceled\n");
    _cancelled = true;
    return;
  }
  _dos.ShowCursor(false);
  Say(CText().Add("\nProgress: ").Number(static_cast<uint32_t>(Shown()), 2).Add('%'));
}

void CCleaner::FillBulk(const uint8_t* buffer) {
  for (uint32_t n = 0; n < _g && !_cancelled; ++n) {
    int file = _dos.Create(FillName(false, n).Get());
    if (file < 0)
      return;
    uint32_t written = 0;
    while (written < kBulkBytes && !_cancelled) {
      uint32_t left = kBulkBytes - written;
      uint16_t unit = left < kBufferSize ? static_cast<uint16_t>(left) : kBufferSize;
      uint16_t done = _dos.Write(file, buffer, unit);
      written += done;
      Progress();
      // A full disk ends the file: without this the loop would wait for ever for space.
      if (done < unit)
        break;
    }
    _dos.Close(file);
  }
}

void CCleaner::FillRemainder(const uint8_t* buffer) {
  int file = _dos.Create(FillName(true, 0).Get());
  if (file < 0) {
    _stopped = true;
    return;
  }
  uint16_t unit = kBufferSize;
  int shortWrites = 0;
  while (!_cancelled) {
    if (_dos.Write(file, buffer, unit) < unit) {
      // The disk is nearly full: its last free sectors are reached in small writes.
      unit = kShortUnit;
      if (++shortWrites >= kShortWritesToFinish)
        break;
      continue;
    }
    Progress();
  }
  _dos.Close(file);
  _dos.Delete(FillName(true, 0).Get());
}

void CCleaner::Overwrite() {
  uint8_t* zeros = nullptr;
  uint8_t* ones = nullptr;
  if (!_dos.Buffers(zeros, ones)) {
    _dos.Print("Insufficent memory to continue.\n");
    return;
  }
  for (uint16_t i = 0; i < kBufferSize; ++i) {
    zeros[i] = 0x00;
    ones[i] = 0xFF;
  }
  _dos.ShowCursor(false);
  const uint32_t passes = _passCount == 1 ? 1 : _passCount == 3 ? 3 : 7;
  for (uint32_t pass = 1; pass <= passes && !_cancelled && !_stopped; ++pass) {
    Say(CText()
            .Add("Cleaning Drive ")
            .Add(_drive)
            .Add(": overwrite ")
            .Number(pass)
            .Add(" of ")
            .Number(_passCount)
            .Add(".\n"));
    _dos.Print("Progress:  0%");
    _percent = 0;
    const uint8_t* buffer = pass % 2 ? zeros : ones;
    FillBulk(buffer);
    if (_cancelled)
      break;
    FillRemainder(buffer);
  }
  if (!_cancelled)
    _dos.Print("\b\b\b100%\n");
  _dos.Print("\nFlushing disk buffers ...\n");
  for (uint32_t n = 0; n < _g; ++n)
    _dos.Delete(FillName(false, n).Get());
  _dos.ShowCursor(true);
}

} // namespace

int RunCleaner(IDosServices& dos, int argc, const char* const* argv) {
  if (argc != 5)
    return 0;
  const uint32_t passCount = ParseNumber(argv[1]);
  const uint32_t g = ParseNumber(argv[2]);
  const uint32_t r = ParseNumber(argv[3]);
  const char* swapPath = argv[4];
  const char drive = Upper(swapPath[0]);
  const char ownDrive = Upper(argv[0][0]);

  dos.Print("Blankwright Swap File cleaner.\n");
  CText line;
  line.Add("Cleaning Drive ").Add(drive).Add(": with ").Number(passCount);
  line.Add(passCount == 1 ? " overwrite.\n" : " overwrites.\n");
  dos.Print(line.Get());
  dos.Print("Press <ESC> to cancel.\n\n");
  dos.Print(CText().Add("Deleting swap file: ").Add(swapPath).Add("\n\n").Get());
  dos.Delete(swapPath);

  CCleaner cleaner(dos, passCount, g, r, drive);
  // The program runs from memory: its boot files can go before the work starts.
  dos.Delete(CText().Add(ownDrive).Add(":\\swpbtmgr.pif").Get());
  dos.Delete(CText().Add(ownDrive).Add(":\\swpclnr.exe").Get());
  cleaner.Overwrite();

  dos.Print("\nIt is now safe to shut down your computer.\n\n");
  dos.Print("Press <ESC> to return to Windows, or turn off your machine.");
  while (dos.ReadKey() != kEscape) {
  }
  dos.Print("Returning to Windows.\n");
  return 0;
}

} // namespace swpclnr
