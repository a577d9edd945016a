// The names of the filler files that deleted-name cleaning makes in a folder and deletes again.
//
// Each kind takes a known number of 32-byte directory entries on FAT, so that a file of that
// kind lands in a run of deleted entries of that length: a plain upper-case 8.3 name takes one
// (the short entry alone), a mixed-case 8.3 name two (one long-name entry and the short entry),
// a name of 14 to 26 characters three. Every name is a number followed by a prefix of
// "BlankwrightBlankwrig" and ".~BW", the pattern the leftover clean-up removes after a crash.
#pragma once

#include <cstdint>
#include <string>

namespace bw {

/// One entry: n, then the first 8 - d characters of "BLANKWRI" (d: the digits of n), ".~BW".
std::string SingleFillerName(uint32_t n);
/// Two entries: n, then the first 8 - d characters of "Blankwri", ".~BW".
std::string PairFillerName(uint32_t n);
/// Three entries: n, then the first 22 - d characters of "BlankwrightBlankwrig", ".~BW".
std::string TripleFillerName(uint32_t n);

/// How a run of deleted entries (at least two) is filled: pair files first, then triples.
struct RunFill {
  uint32_t Pairs = 0;
  uint32_t Triples = 0;
};
RunFill FillForRun(uint32_t length);

} // namespace bw
