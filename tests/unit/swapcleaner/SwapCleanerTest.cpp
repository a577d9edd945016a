#include "tray/swapcleaner/SwapCleaner.h"

#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace swpclnr {
namespace {

// MS-DOS as the cleaner sees it: a drive with a number of free bytes, the console as text, a
// queue of keys. Each file remembers its size and the byte it was last written with.
class CFakeDos final : public IDosServices {
public:
  struct File {
    uint32_t Size = 0;
    int Pattern = -1;
  };

  int Create(const char* path) override {
    if (FailCreate == path)
      return -1;
    File& file = Files[path];
    Free += file.Size;
    file = File{};
    Created.push_back(path);
    _handles.push_back(path);
    return static_cast<int>(_handles.size() - 1);
  }
  uint16_t Write(int handle, const void* data, uint16_t size) override {
    File& file = Files[_handles[static_cast<size_t>(handle)]];
    uint16_t done = size < Free ? size : static_cast<uint16_t>(Free);
    Free -= done;
    file.Size += done;
    if (done)
      file.Pattern = *static_cast<const uint8_t*>(data);
    Written[*static_cast<const uint8_t*>(data)] += done;
    return done;
  }
  void Close(int) override {}
  void Delete(const char* path) override {
    auto found = Files.find(path);
    if (found == Files.end())
      return;
    Free += found->second.Size;
    Files.erase(found);
  }
  void Print(const char* text) override { Screen += text; }
  bool KeyWaiting() override { return !Keys.empty(); }
  char ReadKey() override { return Next(); }
  char ReadKeyEcho() override {
    char key = Next();
    Screen += key;
    return key;
  }
  void ShowCursor(bool) override {}
  bool Buffers(uint8_t*& zeros, uint8_t*& ones) override {
    if (NoMemory)
      return false;
    zeros = _zeros.data();
    ones = _ones.data();
    return true;
  }

  std::map<std::string, File> Files;
  std::vector<std::string> Created;
  std::map<int, uint64_t> Written; ///< bytes written per pattern
  uint32_t Free = 0;
  std::string Screen;
  std::deque<char> Keys;
  std::string FailCreate;
  bool NoMemory = false;

private:
  char Next() {
    // With no key left the closing wait gets ESC, so that a test always ends.
    if (Keys.empty())
      return 27;
    char key = Keys.front();
    Keys.pop_front();
    return key;
  }
  std::vector<std::string> _handles;
  std::vector<uint8_t> _zeros = std::vector<uint8_t>(kBufferSize, 0x5A);
  std::vector<uint8_t> _ones = std::vector<uint8_t>(kBufferSize, 0x5A);
};

int Clean(CFakeDos& dos, std::vector<const char*> arguments) {
  return RunCleaner(dos, static_cast<int>(arguments.size()), arguments.data());
}

std::string Lines(const std::string& screen, const std::string& start) {
  std::string found;
  for (size_t at = screen.find(start); at != std::string::npos; at = screen.find(start, at + 1))
    found += screen.substr(at, screen.find('\n', at) - at) + "|";
  return found;
}

TEST(SwapCleanerTest, ACompleteRunSaysExactlyWhatItDoes) {
  CFakeDos dos;
  dos.Free = 3 * kBufferSize; // three units after the swap file went
  dos.Files["C:\\WIN386.SWP"].Size = 0;
  dos.Files["C:\\swpbtmgr.pif"].Size = 0;
  dos.Files["C:\\swpclnr.exe"].Size = 0;
  EXPECT_EQ(Clean(dos, {"C:\\SWPCLNR.EXE", "1", "0", "61440", "C:\\WIN386.SWP"}), 0);
  EXPECT_EQ(dos.Screen, "Blankwright Swap File cleaner.\n"
                        "Cleaning Drive C: with 1 overwrite.\n"
                        "Press <ESC> to cancel.\n\n"
                        "Deleting swap file: C:\\WIN386.SWP\n\n"
                        "Cleaning Drive C: overwrite 1 of 1.\n"
                        "Progress:  0%\b\b\b33%\b\b\b66%\b\b\b99%\b\b\b100%\n"
                        "\nFlushing disk buffers ...\n"
                        "\nIt is now safe to shut down your computer.\n\n"
                        "Press <ESC> to return to Windows, or turn off your machine."
                        "Returning to Windows.\n");
  EXPECT_TRUE(dos.Files.empty()) << "swap file, boot files and fill file all gone";
  EXPECT_EQ(dos.Written[0x00], 3u * kBufferSize) << "the whole free space, once";
}

TEST(SwapCleanerTest, PassesAreOneThreeOrSevenAndAlternate) {
  struct Case {
    const char* Count;
    int Passes;
  };
  for (Case c : {Case{"1", 1}, {"3", 3}, {"7", 7}, {"12", 7}, {"40", 7}}) {
    SCOPED_TRACE(c.Count);
    CFakeDos dos;
    dos.Free = 100000;
    Clean(dos, {"D:\\SWPCLNR.EXE", c.Count, "0", "100000", "D:\\W.SWP"});
    std::string expected;
    for (int p = 1; p <= c.Passes; ++p)
      expected += "Cleaning Drive D: overwrite " + std::to_string(p) + " of " + c.Count + ".|";
    EXPECT_EQ(Lines(dos.Screen, "Cleaning Drive D: overwrite"), expected);
    EXPECT_EQ(dos.Written[0x00], uint64_t{100000} * ((c.Passes + 1) / 2));
    EXPECT_EQ(dos.Written[0xFF], uint64_t{100000} * (c.Passes / 2));
  }
}

TEST(SwapCleanerTest, BulkFilesOfOneGibibyteThenTheRemainder) {
  CFakeDos dos;
  dos.Free = 5000;
  Clean(dos, {"C:\\SWPCLNR.EXE", "1", "0", "5000", "C:\\W.SWP"});
  EXPECT_EQ(dos.Created, std::vector<std::string>{"C:\\BWTMPA.~BW"}) << "G 0: no bulk file";

  // A drive that fills before its gibibyte: the bulk file ends at its first short write
  // instead of writing nothing for ever.
  CFakeDos full;
  full.Free = 3 * kBufferSize + 100;
  Clean(full, {"C:\\SWPCLNR.EXE", "3", "1", "0", "C:\\W.SWP"});
  EXPECT_EQ(Lines(full.Screen, "Cleaning Drive C: overwrite"),
            "Cleaning Drive C: overwrite 1 of 3.|Cleaning Drive C: overwrite 2 of 3.|"
            "Cleaning Drive C: overwrite 3 of 3.|");
  EXPECT_TRUE(full.Files.empty()) << "bulk and remainder files deleted at the end";
  EXPECT_NE(full.Screen.find("100%\n"), std::string::npos);
}

TEST(SwapCleanerTest, EscapeAsksAndOnlyYesCancels) {
  CFakeDos dos;
  dos.Free = 10 * kBufferSize;
  dos.Keys = {27, 'n', 27, 'y'};
  Clean(dos, {"C:\\SWPCLNR.EXE", "7", "0", "204800", "C:\\W.SWP"});
  EXPECT_NE(dos.Screen.find("\nAre you sure you want to quit? <Y/N>n\nProgress: 10%"),
            std::string::npos)
      << dos.Screen;
  EXPECT_NE(dos.Screen.find("<Y/N>y\nCanceled\n\nFlushing disk buffers ...\n"), std::string::npos);
  EXPECT_EQ(dos.Screen.find("100%"), std::string::npos);
  EXPECT_EQ(Lines(dos.Screen, "Cleaning Drive C: overwrite"),
            "Cleaning Drive C: overwrite 1 of 7.|")
      << "no pass after the cancel";
  EXPECT_TRUE(dos.Files.empty()) << "the fill files are deleted after a cancel too";
  EXPECT_NE(dos.Screen.find("It is now safe to shut down your computer."), std::string::npos);
}

TEST(SwapCleanerTest, TheShownPercentageStaysBelowAHundredUntilTheEnd) {
  CFakeDos dos;
  dos.Free = 7 * kBufferSize;
  // R smaller than the free space: the progress counts more units than it was told of.
  Clean(dos, {"C:\\SWPCLNR.EXE", "1", "0", "20480", "C:\\W.SWP"});
  EXPECT_EQ(dos.Screen.find("100%"), dos.Screen.rfind("\b\b\b100%\n") + 3);
  EXPECT_NE(dos.Screen.find("99%\b\b\b99%"), std::string::npos);
}

TEST(SwapCleanerTest, WrongArgumentsOrNoMemory) {
  CFakeDos dos;
  Clean(dos, {"C:\\SWPCLNR.EXE", "1", "0", "100"});
  EXPECT_EQ(dos.Screen, "") << "three parameters: silent end";
  dos.NoMemory = true;
  dos.Free = 1000;
  Clean(dos, {"C:\\SWPCLNR.EXE", "1", "0", "1000", "C:\\W.SWP"});
  EXPECT_NE(dos.Screen.find("Insufficent memory to continue.\n\nIt is now safe"),
            std::string::npos);
  EXPECT_EQ(dos.Written.size(), 0u);
}

} // namespace
} // namespace swpclnr
