// bw_fat_probe: what the FAT directory reader finds on a mapped drive, printed for the rig
// tests to hold against The Sleuth Kit.
//
//   bw_fat_probe X: chain CLUSTER     the chain from CLUSTER, as cluster numbers
//   bw_fat_probe X: root              the root directory's chain (FAT32)
//   bw_fat_probe X: locate PATH...    each folder's chain, found by LocateDirectory
//   bw_fat_probe X: locate -          the same, one path a line on standard input
//   bw_fat_probe X: tree              every live folder reachable from the root
//
// Lines are tab-separated: "PATH<TAB>C1 C2 ..." for a folder found, "PATH<TAB>-<TAB>REASON"
// for one that was not; tree prints "LONGPATH<TAB>SHORTPATH<TAB>..." the same way. Exit status 0
// when everything asked was found, 1 when something was not, 2 when the drive cannot be read as FAT
// or the arguments are wrong.
#include "engine/volume/FatDirectory.h"
#include "platform/Bytes.h"
#include "platform/Platform.h"

#include <cctype>
#include <cstdio>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace bw;

constexpr int kFound = 0;
constexpr int kNotFound = 1;
constexpr int kUsage = 2;

// Deeper than any folder the tests make; a directory that contains itself stops here.
constexpr int kMaxDepth = 32;

std::string ChainText(const std::vector<uint32_t>& chain) {
  std::string text;
  for (uint32_t c : chain)
    text += (text.empty() ? "" : " ") + std::to_string(c);
  return text;
}

class CProbe {
public:
  explicit CProbe(CVolumeInfo& volume) : _volume(volume), _reader(volume) {}

  bool ReadRoot() {
    if (_reader.ReadRootDirectory(_root))
      return true;
    std::fprintf(stderr, "bw_fat_probe: the root directory cannot be read: %s\n",
                 _reader.GetFailureReason().c_str());
    return false;
  }

  int Chain(uint32_t cluster) {
    std::vector<uint8_t> data;
    std::vector<uint32_t> chain;
    if (!_reader.ReadClusterChain(cluster, data, &chain)) {
      std::printf("%u\t-\t%s\n", cluster, _reader.GetFailureReason().c_str());
      return kNotFound;
    }
    std::printf("%s\n", ChainText(chain).c_str());
    return kFound;
  }

  int Root() {
    if (_volume.GetFileSystemType() != FileSystemType::Fat32) {
      std::printf("fixed\t%zu\n", _root.size());
      return kFound;
    }
    return Chain(_volume.GetRootDirectoryCluster());
  }

  /// Finds path ("X:\a\b") with LocateDirectory, and its chain by the same steps taken by
  /// hand from its parent; both must give the same data. On success chain holds the cluster
  /// numbers as text, else reason says what went wrong.
  bool Locate(const std::string& path, std::string& chainText, std::string& reason) {
    std::vector<uint8_t> data;
    if (!_reader.LocateDirectory(path, _root, data)) {
      reason = _reader.GetFailureReason();
      return false;
    }
    size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos || cut < 2) {
      reason = "not a folder path";
      return false;
    }
    std::vector<uint8_t> parent;
    if (cut == 2)
      parent = _root;
    else if (!_reader.LocateDirectory(path.substr(0, cut), _root, parent)) {
      reason = "parent: " + _reader.GetFailureReason();
      return false;
    }
    uint32_t first = FindDirectoryEntry(parent.data(), parent.size(), path.substr(cut + 1),
                                        _volume.GetFileSystemType());
    std::vector<uint8_t> again;
    std::vector<uint32_t> chain;
    if (first == 0 || !_reader.ReadClusterChain(first, again, &chain)) {
      reason = "found, but not again from its parent";
      return false;
    }
    if (again != data) {
      reason = "LocateDirectory returned other data than the folder's chain";
      return false;
    }
    chainText = ChainText(chain);
    return true;
  }

  int LocateAll(const std::vector<std::string>& paths) {
    int status = kFound;
    for (const std::string& path : paths) {
      std::string chain, reason;
      if (Locate(path, chain, reason)) {
        std::printf("%s\t%s\n", path.c_str(), chain.c_str());
      } else {
        status = kNotFound;
        std::printf("%s\t-\t%s\n", path.c_str(), reason.c_str());
      }
    }
    return status;
  }

  /// Prints "LONG<TAB>SHORT<TAB>CHAIN" for every live folder below the root, each located by
  /// its long path and by its 8.3 path; both must lead to the same chain.
  int Tree() {
    _status = kFound;
    std::string prefix = std::string(1, _volume.GetDriveLetter()) + ":";
    Walk(_root, prefix, prefix, 0);
    return _status;
  }

private:
  struct SubFolder {
    std::string LongName;
    std::string ShortName;
    uint32_t FirstCluster;
  };

  // An 8.3 name as a listing shows it: byte 12 asks for a lower-case base (0x08) or
  // extension (0x10) instead of storing a long name for it.
  static std::string ShownShortName(const uint8_t* entry, std::string name) {
    size_t dot = name.find('.');
    for (size_t i = 0; i < name.size(); ++i) {
      bool lower = i < dot ? (entry[12] & 0x08) : (entry[12] & 0x10);
      if (lower)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    }
    return name;
  }

  // The live subfolders of one directory, with their names as the directory holds them.
  std::vector<SubFolder> SubFolders(const std::vector<uint8_t>& data) {
    std::vector<SubFolder> folders;
    std::string longName;
    for (size_t offset = 0; offset + kDirectoryEntrySize <= data.size();
         offset += kDirectoryEntrySize) {
      const uint8_t* entry = data.data() + offset;
      if (entry[0] == 0x00)
        break;
      if (entry[0] == 0xE5) {
        longName.clear();
        continue;
      }
      if ((entry[11] & 0x3F) == 0x0F) {
        static constexpr size_t kOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
        std::string part;
        for (size_t at : kOffsets)
          if (entry[at] != 0x00 && entry[at] != 0xFF)
            part += static_cast<char>(entry[at]);
        longName = part + longName;
        continue;
      }
      std::string shortName = ShortEntryName(entry);
      bool folder = (entry[11] & 0x10) && !(entry[11] & 0x08);
      if (folder && shortName != "." && shortName != "..") {
        uint32_t first = Get16(entry + 26);
        if (_volume.GetFileSystemType() == FileSystemType::Fat32)
          first |= static_cast<uint32_t>(Get16(entry + 20)) << 16;
        folders.push_back(
            {longName.empty() ? ShownShortName(entry, shortName) : longName, shortName, first});
      }
      longName.clear();
    }
    return folders;
  }

  void Walk(const std::vector<uint8_t>& data, const std::string& longPath,
            const std::string& shortPath, int depth) {
    if (depth >= kMaxDepth)
      return;
    for (const SubFolder& sub : SubFolders(data)) {
      std::string longSub = longPath + "\\" + sub.LongName;
      std::string shortSub = shortPath + "\\" + sub.ShortName;
      std::string byLong, byShort, whyLong, whyShort;
      bool foundLong = Locate(longSub, byLong, whyLong);
      bool foundShort = Locate(shortSub, byShort, whyShort);
      if (!foundLong || !foundShort || byLong != byShort) {
        _status = kNotFound;
        std::string reason = whyLong == whyShort
                                 ? whyLong
                                 : "by long name: " + (foundLong ? byLong : whyLong) +
                                       "; by 8.3 name: " + (foundShort ? byShort : whyShort);
        std::printf("%s\t%s\t-\t%s\n", longSub.c_str(), shortSub.c_str(), reason.c_str());
        continue;
      }
      std::printf("%s\t%s\t%s\n", longSub.c_str(), shortSub.c_str(), byLong.c_str());
      if (!_visited.insert(sub.FirstCluster).second)
        continue;
      std::vector<uint8_t> subData;
      if (_reader.LocateDirectory(longSub, _root, subData))
        Walk(subData, longSub, shortSub, depth + 1);
    }
  }

  CVolumeInfo& _volume;
  CFatDirectoryReader _reader;
  std::vector<uint8_t> _root;
  std::set<uint32_t> _visited;
  int _status = kFound;
};

int Usage() {
  std::fputs("usage: bw_fat_probe X: chain CLUSTER | root | locate PATH... | locate - | tree\n",
             stderr);
  return kUsage;
}

bool ParseCluster(const std::string& text, uint32_t& cluster) {
  if (text.empty() || text.size() > 10)
    return false;
  uint64_t value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu)
    return false;
  cluster = static_cast<uint32_t>(value);
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3 || !std::isalpha(static_cast<unsigned char>(argv[1][0])))
    return Usage();
  std::string command = argv[2];
  std::unique_ptr<IPlatform> platform = CreateNativePlatform();
  CVolumeInfo volume(*platform);
  if (!volume.Open(argv[1][0])) {
    std::fprintf(stderr, "bw_fat_probe: %s\n", volume.GetFailureReason().c_str());
    return kUsage;
  }
  if (!volume.IsFat()) {
    std::fprintf(stderr, "bw_fat_probe: drive %c: is %s, not FAT\n", volume.GetDriveLetter(),
                 FileSystemTypeName(volume.GetFileSystemType()));
    return kUsage;
  }
  CProbe probe(volume);
  if (command == "chain") {
    uint32_t cluster;
    if (argc != 4 || !ParseCluster(argv[3], cluster))
      return Usage();
    return probe.Chain(cluster);
  }
  if (!probe.ReadRoot())
    return kNotFound;
  if (command == "root" && argc == 3)
    return probe.Root();
  if (command == "tree" && argc == 3)
    return probe.Tree();
  if (command == "locate" && argc >= 4) {
    std::vector<std::string> paths(argv + 3, argv + argc);
    if (paths.size() == 1 && paths[0] == "-") {
      paths.clear();
      for (std::string line; std::getline(std::cin, line);)
        if (!line.empty())
          paths.push_back(line);
    }
    return probe.LocateAll(paths);
  }
  return Usage();
}
