#include "platform/memory/Contents.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace bw::memory {
namespace {

// Shorter stretches of one byte inside varying data are not worth a piece of their own.
constexpr size_t kShortestRun = 64;

bool AllSame(const uint8_t* data, size_t size) {
  return size == 0 || std::memcmp(data, data + 1, size - 1) == 0;
}

} // namespace

CCompactContents::Pieces::iterator CCompactContents::SplitAt(uint64_t offset) {
  if (offset >= _size)
    return _pieces.end();
  auto it = std::prev(_pieces.upper_bound(offset));
  if (it->first == offset)
    return it;
  Piece& head = it->second;
  const uint64_t cut = offset - it->first;
  Piece tail;
  tail.Length = head.Length - cut;
  tail.Fill = head.Fill;
  if (!head.Bytes.empty()) {
    tail.Bytes.assign(head.Bytes.begin() + static_cast<ptrdiff_t>(cut), head.Bytes.end());
    head.Bytes.resize(cut);
  }
  head.Length = cut;
  return _pieces.emplace_hint(std::next(it), offset, std::move(tail));
}

void CCompactContents::Append(uint64_t offset, Piece piece) {
  if (!piece.Bytes.empty() && AllSame(piece.Bytes.data(), piece.Bytes.size())) {
    piece.Fill = piece.Bytes[0];
    piece.Bytes.clear();
  }
  _pieces.emplace(offset, std::move(piece));
}

void CCompactContents::MergeAround(uint64_t offset) {
  auto right = _pieces.find(offset);
  if (right == _pieces.end() || right == _pieces.begin())
    return;
  Piece& left = std::prev(right)->second;
  const bool leftVaries = !left.Bytes.empty();
  const bool rightVaries = !right->second.Bytes.empty();
  if (!leftVaries && !rightVaries && left.Fill == right->second.Fill) {
    left.Length += right->second.Length;
    _pieces.erase(right);
  } else if (leftVaries && rightVaries) {
    left.Bytes.insert(left.Bytes.end(), right->second.Bytes.begin(), right->second.Bytes.end());
    left.Length += right->second.Length;
    _pieces.erase(right);
  }
}

void CCompactContents::Place(uint64_t offset, uint64_t length) {
  if (offset > _size)
    Resize(offset);
  const uint64_t end = offset + length;
  SplitAt(offset);
  SplitAt(end);
  _pieces.erase(_pieces.lower_bound(offset), _pieces.lower_bound(end));
  _size = std::max(_size, end);
}

void CCompactContents::Join(uint64_t offset, uint64_t end) {
  // Join the new pieces with each other and with their neighbours where they continue them;
  // from the right, so that each merge leaves the starts still to visit in place.
  std::vector<uint64_t> starts;
  for (auto it = _pieces.find(offset); it != _pieces.end() && it->first <= end; ++it)
    starts.push_back(it->first);
  for (auto start = starts.rbegin(); start != starts.rend(); ++start)
    MergeAround(*start);
}

void CCompactContents::Write(uint64_t offset, const uint8_t* data, size_t size) {
  if (size == 0)
    return;
  Place(offset, size);
  if (AllSame(data, size)) {
    Append(offset, Piece{size, data[0], {}});
  } else {
    size_t varyingFrom = 0;
    auto flushVarying = [&](size_t to) {
      if (to > varyingFrom)
        Append(offset + varyingFrom,
               Piece{to - varyingFrom, 0, std::vector<uint8_t>(data + varyingFrom, data + to)});
    };
    for (size_t i = 0; i < size;) {
      size_t j = i + 1;
      while (j < size && data[j] == data[i])
        ++j;
      if (j - i >= kShortestRun) {
        flushVarying(i);
        Append(offset + i, Piece{j - i, data[i], {}});
        varyingFrom = j;
      }
      i = j;
    }
    flushVarying(size);
  }
  Join(offset, offset + size);
}

void CCompactContents::Fill(uint64_t offset, uint64_t length, uint8_t byte) {
  if (length == 0)
    return;
  Place(offset, length);
  Append(offset, Piece{length, byte, {}});
  Join(offset, offset + length);
}

void CCompactContents::Resize(uint64_t size) {
  if (size < _size) {
    _pieces.erase(SplitAt(size), _pieces.end());
    _size = size;
  } else if (size > _size) {
    const uint64_t oldSize = _size;
    _pieces.emplace(oldSize, Piece{size - oldSize, 0, {}});
    _size = size;
    MergeAround(oldSize);
  }
}

size_t CCompactContents::Read(uint64_t offset, uint8_t* out, size_t size) const {
  if (offset >= _size)
    return 0;
  const size_t total = static_cast<size_t>(std::min<uint64_t>(size, _size - offset));
  auto it = std::prev(_pieces.upper_bound(offset));
  size_t copied = 0;
  while (copied < total) {
    const uint64_t within = offset + copied - it->first;
    const size_t take =
        static_cast<size_t>(std::min<uint64_t>(total - copied, it->second.Length - within));
    if (it->second.Bytes.empty())
      std::memset(out + copied, it->second.Fill, take);
    else
      std::memcpy(out + copied, it->second.Bytes.data() + within, take);
    copied += take;
    ++it;
  }
  return total;
}

std::vector<ContentRun> CCompactContents::Runs() const {
  std::vector<ContentRun> runs;
  for (const auto& [offset, piece] : _pieces) {
    int fill = piece.Fill;
    if (!piece.Bytes.empty())
      fill = AllSame(piece.Bytes.data(), piece.Bytes.size()) ? piece.Bytes[0] : -1;
    if (!runs.empty() && runs.back().Fill == fill)
      runs.back().Length += piece.Length;
    else
      runs.push_back({offset, piece.Length, fill});
  }
  return runs;
}

} // namespace bw::memory
