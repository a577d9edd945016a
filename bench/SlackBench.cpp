// bw_slack_bench: the slack phase's throughput against a walk that only lists the same tree.
//
//   bw_slack_bench X: [--files N] [--folders N] [--passes N] [--host-folder DIR]
//
// Makes N small files (default 10000, sizes 1 to 3000 bytes, so that each has slack) in
// folders below X:\slackbench on a mapped drive, then times, in the same run: a plain walk
// that lists the tree the way the slack phase walks it (find, enter, leave), and the slack
// phase itself (its counting walk and its cleaning walk, with OverwriteCount passes). Prints
// both as files per second. With --host-folder (the folder X:\ is mounted at) it also times a
// bare C loop over the same files that makes the system calls of one slack pass per file
// (open, append, sync, cut back, restore times) and nothing else: the yardstick for the
// phase; and the phase's time less two plain walks, the part of it that the loop stands for.
// Removes the tree at the end.
#include "engine/CleaningJob.h"
#include "engine/CleaningView.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace bw;
using Clock = std::chrono::steady_clock;

class CQuietView final : public ICleaningView {
public:
  void SetDriveListText(const std::string&) override {}
  void SetProcessText(const std::string&) override {}
  void SetDetailText(const std::string&) override {}
  void SetProgress(int) override {}
  void StartAnimation() override {}
  void StopAnimation() override {}
  void ShowShutdownIcon(bool) override {}
  void EnableCancel(bool) override {}
  void PumpMessage() override {}
  int MessageBox(const std::string& text, const std::string&, uint32_t style) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
    return DefaultMessageBoxAnswer(style);
  }
  int DetailWidth() override { return 400; }
  int MeasureDetailText(const std::string& text) override { return static_cast<int>(text.size()); }
  void ShowCompleteReport(const std::string&) override {}
  void ShowPartialReport(const std::string&, const std::string&) override {}
  void Close() override {}
};

// The walk of the slack phase without its work: every entry found, every folder entered.
uint64_t ListTree(IFileSystem& files, int depth) {
  uint64_t count = 0;
  std::string here;
  FindData entry;
  if (!files.GetCurrentDirectory(here))
    return 0;
  auto search = files.FindFirstFile("*.*", entry);
  if (!search)
    return 0;
  do {
    if (!(entry.Attributes & kFileAttributeDirectory)) {
      ++count;
    } else if (entry.Name[0] != '.' && !(entry.Attributes & kFileAttributeReparsePoint) &&
               depth < kMaxWalkDepth && files.SetCurrentDirectory(entry.Name)) {
      count += ListTree(files, depth + 1);
      files.SetCurrentDirectory(here);
    }
  } while (search->FindNextFile(entry));
  return count;
}

bool MakeTree(IFileSystem& files, const std::string& root, int fileCount, int folderCount) {
  if (!files.CreateDirectory(root) && files.GetLastError() != kErrorAlreadyExists)
    return false;
  std::string data(3000, 'x');
  for (int f = 0; f < folderCount; ++f) {
    std::string folder = root + "\\folder" + std::to_string(f);
    if (!files.CreateDirectory(folder) && files.GetLastError() != kErrorAlreadyExists)
      return false;
  }
  for (int i = 0; i < fileCount; ++i) {
    std::string path =
        root + "\\folder" + std::to_string(i % folderCount) + "\\file" + std::to_string(i) + ".txt";
    auto file = files.CreateFile(path, kGenericWrite, 0, kCreateAlways, kFileAttributeNormal);
    if (!file)
      return false;
    uint32_t size = 1 + static_cast<uint32_t>(i * 7919u % 3000u), written = 0;
    if (!file->Write(data.data(), size, written) || written != size)
      return false;
    file->Close();
  }
  return true;
}

void RemoveTree(IFileSystem& files, const std::string& root, int fileCount, int folderCount) {
  for (int i = 0; i < fileCount; ++i)
    files.DeleteFile(root + "\\folder" + std::to_string(i % folderCount) + "\\file" +
                     std::to_string(i) + ".txt");
  for (int f = 0; f < folderCount; ++f)
    files.RemoveDirectory(root + "\\folder" + std::to_string(f));
  files.RemoveDirectory(root);
}

// The bare loop: per file with slack, per pass, the calls a slack pass makes.
uint64_t BareSlackLoop(const std::string& folder, uint32_t cluster, int passes,
                       const std::vector<uint8_t>& data) {
  uint64_t files = 0;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir)
    return 0;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.')
      continue;
    std::string path = folder + "/" + entry->d_name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
      continue;
    if (S_ISDIR(st.st_mode)) {
      files += BareSlackLoop(path, cluster, passes, data);
      continue;
    }
    if (!S_ISREG(st.st_mode) || st.st_size % cluster == 0)
      continue;
    ++files;
    for (int pass = 0; pass < passes; ++pass) {
      int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd < 0)
        break;
      struct stat now;
      if (::fstat(fd, &now) == 0) {
        size_t slack = cluster - static_cast<size_t>(now.st_size % cluster);
        if (::pwrite(fd, data.data(), slack, now.st_size) > 0)
          ::fsync(fd);
        if (::ftruncate(fd, now.st_size) == 0) {
          struct timespec times[2] = {now.st_atim, now.st_mtim};
          ::futimens(fd, times);
        }
      }
      ::close(fd);
    }
  }
  ::closedir(dir);
  return files;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]).size() != 2 || argv[1][1] != ':') {
    std::fprintf(
        stderr,
        "usage: bw_slack_bench X: [--files N] [--folders N] [--passes N] [--host-folder DIR]\n");
    return 2;
  }
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(argv[1][0])));
  int fileCount = 10000, folderCount = 100, passes = 1;
  std::string hostFolder;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--host-folder") {
      hostFolder = argv[i + 1];
      continue;
    }
    int value = std::atoi(argv[i + 1]);
    if (option == "--files" && value > 0)
      fileCount = value;
    else if (option == "--folders" && value > 0)
      folderCount = value;
    else if (option == "--passes" && value >= 0)
      passes = value;
    else {
      std::fprintf(stderr, "bw_slack_bench: bad option %s\n", option.c_str());
      return 2;
    }
  }

  std::unique_ptr<IPlatform> platform = CreateNativePlatform();
  IFileSystem& files = platform->Files();
  uint32_t cluster = GetSystemClusterSize(*platform, letter);
  std::string drive = std::string(1, letter) + ":\\";
  std::string root = drive + "slackbench";
  if (cluster == 0 || !MakeTree(files, root, fileCount, folderCount)) {
    std::fprintf(stderr, "bw_slack_bench: cannot make the tree on %s (error %u)\n", drive.c_str(),
                 files.GetLastError());
    return 1;
  }

  // The plain walk, twice: the first run warms the caches the slack phase then finds warm too.
  uint64_t listed = 0;
  Clock::duration walk{};
  for (int run = 0; run < 2; ++run) {
    files.SetCurrentDirectory(drive);
    auto start = Clock::now();
    listed = ListTree(files, 0);
    walk = Clock::now() - start;
  }

  CSettings settings;
  settings.OverwriteCount = passes;
  CQuietView view;
  CWipeMarker marker;
  CCleaningJob job(*platform, settings, view, marker, JobMode::Interactive, drive.substr(0, 2));
  job.SetClusterSize(cluster);
  auto start = Clock::now();
  job.CleanSlack(letter);
  Clock::duration slack = Clock::now() - start;
  bool ok = job.GetDriveStatus() == DriveStatus::Ok;

  // The bare loop last, over the files the phase left as they were.
  uint64_t bareFiles = 0;
  Clock::duration bare{};
  if (!hostFolder.empty()) {
    std::vector<uint8_t> data(cluster, 0);
    auto bareStart = Clock::now();
    bareFiles = BareSlackLoop(hostFolder + "/slackbench", cluster, passes, data);
    bare = Clock::now() - bareStart;
  }

  RemoveTree(files, root, fileCount, folderCount);
  std::printf("files: %llu in %d folders, cluster %u bytes, %d pass(es)\n",
              static_cast<unsigned long long>(listed), folderCount, cluster, passes);
  std::printf("plain walk:  %8.3f s  %10.0f files/s\n", Seconds(walk),
              static_cast<double>(listed) / Seconds(walk));
  std::printf("slack phase: %8.3f s  %10.0f files/s  (%.1f times the walk's time)\n",
              Seconds(slack), static_cast<double>(listed) / Seconds(slack),
              Seconds(slack) / Seconds(walk));
  if (bareFiles != 0) {
    std::printf("bare C loop: %8.3f s  %10.0f files/s  (slack phase / bare loop speed %.2f)\n",
                Seconds(bare), static_cast<double>(bareFiles) / Seconds(bare),
                Seconds(bare) / Seconds(slack));
    // The phase lists the tree twice (to count, then to clean), reading each entry's
    // attributes, which the bare loop never needs: where that costs, this shows it.
    double writing = Seconds(slack) - 2 * Seconds(walk);
    if (writing > 0)
      std::printf("  less its two listings: %.3f s (speed against the bare loop %.2f)\n", writing,
                  Seconds(bare) / writing);
  }
  return ok ? 0 : 1;
}
