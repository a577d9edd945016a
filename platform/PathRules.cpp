#include "platform/PathRules.h"

#include "platform/Types.h"

namespace bw {
namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The search kernel's own wildcards, which FindFirstFileA translates the user's "*", "?" and
// "." into so that the old MS-DOS matching rules hold (these characters cannot occur in names).
constexpr char kDosStar = '<'; // any run of characters that does not take the name's last dot
constexpr char kDosQm = '>';   // one character, or none at a dot or at the end of the name
constexpr char kDosDot = '"';  // a dot, or nothing at the end of the name

std::string TranslatePattern(std::string_view pattern) {
  if (pattern == "*" || pattern == "*.*")
    return "*";
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '?') {
      out += kDosQm;
    } else if (c == '.' && i + 1 == pattern.size() && i > 0 && pattern[i - 1] == '*') {
      out.back() = kDosStar; // a final "*." means "names without an extension"
    } else if (c == '.' && i + 1 < pattern.size() &&
               (pattern[i + 1] == '?' || pattern[i + 1] == '*')) {
      out += kDosDot;
    } else {
      out += Upper(c);
    }
  }
  return out;
}

} // namespace

std::string FullPath::Text() const {
  std::string text{Drive, ':'};
  if (Names.empty())
    return text + '\\';
  for (const std::string& name : Names)
    text += '\\' + name;
  return text;
}

char FullPath::Letter() const {
  return Upper(Drive);
}

FullPath FullPath::Parent() const {
  FullPath parent = *this;
  if (!parent.Names.empty())
    parent.Names.pop_back();
  return parent;
}

bool MakeFullPath(const std::string& path, const FullPath* currentFolder, FullPath& full,
                  uint32_t& error) {
  if (path.empty()) {
    error = kErrorPathNotFound;
    return false;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    error = kErrorBadNetPath;
    return false;
  }
  FullPath result;
  std::string_view rest = path;
  if (path.size() >= 2 && path[1] == ':') {
    if (!IsLetter(path[0])) {
      error = kErrorInvalidName;
      return false;
    }
    result.Drive = path[0];
    rest.remove_prefix(2);
    // "X:a" continues from the current folder only when that folder is on X.
    if ((rest.empty() || !IsSeparator(rest[0])) && currentFolder &&
        currentFolder->Letter() == result.Letter())
      result.Names = currentFolder->Names;
  } else {
    if (!currentFolder) {
      error = kErrorPathNotFound;
      return false;
    }
    result.Drive = currentFolder->Drive;
    if (!IsSeparator(rest[0]))
      result.Names = currentFolder->Names;
  }
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end]))
      ++end;
    std::string_view name = rest.substr(start, end - start);
    if (name == "..") {
      if (!result.Names.empty())
        result.Names.pop_back();
    } else if (!name.empty() && name != ".") {
      result.Names.emplace_back(name);
    }
    start = end + 1;
  }
  if (result.Text().size() > kMaxPath - 1) {
    error = kErrorFilenameExcedRange;
    return false;
  }
  full = std::move(result);
  return true;
}

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && IsSeparator(path.back());
}

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?") != name.npos;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  if (name.empty())
    return false;
  const std::string expression = TranslatePattern(pattern);
  const std::string folded = FoldCase(name);
  const size_t n = folded.size();
  const size_t lastDot = folded.rfind('.');
  // reach[j]: the expression so far can match the first j characters of the name.
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (char e : expression) {
    std::fill(next.begin(), next.end(), 0);
    for (size_t j = 0; j <= n; ++j) {
      bool here = reach[j] != 0;
      bool atEnd = j == n;
      switch (e) {
      case '*':
        next[j] = static_cast<char>(here || (j > 0 && next[j - 1]));
        break;
      case kDosStar:
        next[j] = static_cast<char>(here || (j > 0 && next[j - 1] && j - 1 != lastDot));
        break;
      case kDosQm:
        if (here && (atEnd || folded[j] == '.'))
          next[j] = 1;
        if (here && !atEnd && folded[j] != '.')
          next[j + 1] = 1;
        break;
      case kDosDot:
        if (here && atEnd)
          next[j] = 1;
        if (here && !atEnd && folded[j] == '.')
          next[j + 1] = 1;
        break;
      default:
        if (here && !atEnd && folded[j] == e)
          next[j + 1] = 1;
        break;
      }
    }
    reach.swap(next);
  }
  return reach[n] != 0;
}

std::string FoldCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    c = Upper(c);
  return folded;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i]))
      return false;
  return true;
}

} // namespace bw
