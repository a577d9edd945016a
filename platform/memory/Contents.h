// The contents of a file in the memory file system, kept compactly: stretches of one repeated
// byte are stored as a length and the byte, and only data that varies is stored byte by byte,
// so that tests can fill gigabytes of free space with a pass pattern in a few kilobytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace bw::memory {

/// What one region of a file holds.
struct ContentRun {
  uint64_t Offset = 0;
  uint64_t Length = 0;
  int Fill = -1; ///< the byte repeated over the whole run, or -1 where the bytes vary

  bool operator==(const ContentRun&) const = default;
};

class CCompactContents {
public:
  uint64_t Size() const { return _size; }

  /// Writes size bytes at offset; a gap between the end and offset reads as zeros.
  void Write(uint64_t offset, const uint8_t* data, size_t size);

  /// Writes length copies of byte at offset.
  void Fill(uint64_t offset, uint64_t length, uint8_t byte);

  /// Cuts or extends (with zeros) to size bytes.
  void Resize(uint64_t size);

  /// Copies up to size bytes from offset into out; returns how many (0 at or past the end).
  size_t Read(uint64_t offset, uint8_t* out, size_t size) const;

  /// The file from start to end as runs: neighbouring stretches of the same byte are one run,
  /// and so are neighbouring stretches that vary.
  std::vector<ContentRun> Runs() const;

  /// How many pieces the contents are stored in (for tests of compactness).
  size_t PieceCount() const { return _pieces.size(); }

private:
  struct Piece {
    uint64_t Length = 0;
    uint8_t Fill = 0;           ///< the byte, when Bytes is empty
    std::vector<uint8_t> Bytes; ///< the data, when it varies
  };
  using Pieces = std::map<uint64_t, Piece>; // by offset, covering [0, _size) without gaps

  Pieces::iterator SplitAt(uint64_t offset);
  void Append(uint64_t offset, Piece piece);
  void Place(uint64_t offset, uint64_t length);
  void Join(uint64_t offset, uint64_t end);
  void MergeAround(uint64_t offset);

  Pieces _pieces;
  uint64_t _size = 0;
};

} // namespace bw::memory
