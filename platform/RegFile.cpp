#include "platform/RegFile.h"

#include "platform/PathRules.h"

#include <cstdio>

namespace bw {
namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
// regedit wraps hex data before this column.
constexpr size_t kHexLineLimit = 77;

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

// Up to maxDigits hex digits, nothing else.
bool ParseHexNumber(std::string_view s, size_t maxDigits, uint32_t& number) {
  if (s.empty() || s.size() > maxDigits)
    return false;
  number = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0)
      return false;
    number = number << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

// Narrows UTF-16LE text (after its byte order mark) to single bytes; code units above 255 have
// no single-byte form here and become '?'.
std::string NarrowUtf16(std::string_view text) {
  std::string narrow;
  narrow.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    unsigned unit = static_cast<uint8_t>(text[i]) | static_cast<uint8_t>(text[i + 1]) << 8;
    narrow.push_back(unit < 256 ? static_cast<char>(unit) : '?');
  }
  return narrow;
}

// A quoted string at the start of s: on success text holds it unescaped and s what follows
// the closing quote.
bool TakeQuoted(std::string_view& s, std::string& text) {
  if (s.empty() || s.front() != '"')
    return false;
  text.clear();
  for (size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"'))
      c = s[++i];
    text.push_back(c);
  }
  return false;
}

// Comma-separated bytes of one or two hex digits; blanks around them and one trailing comma
// are allowed.
bool ParseHexBytes(std::string_view s, std::vector<uint8_t>& bytes, std::string& reason) {
  bytes.clear();
  s = TrimBlanks(s);
  if (!s.empty() && s.back() == ',')
    s.remove_suffix(1);
  if (s.empty())
    return true;
  while (true) {
    size_t comma = s.find(',');
    std::string_view item = TrimBlanks(s.substr(0, comma));
    uint32_t byte;
    if (!ParseHexNumber(item, 2, byte)) {
      reason = "bad hex byte \"" + std::string(item.substr(0, 8)) + "\"";
      return false;
    }
    bytes.push_back(static_cast<uint8_t>(byte));
    if (comma == std::string_view::npos)
      return true;
    s.remove_prefix(comma + 1);
  }
}

// The data after "name=": a quoted string, dword:, hex:, hex(N): or - .
bool ParseData(std::string_view s, RegFileValue& entry, std::string& reason) {
  s = TrimBlanks(s);
  if (s == "-") {
    entry.Delete = true;
    return true;
  }
  if (!s.empty() && s.front() == '"') {
    std::string text;
    if (!TakeQuoted(s, text)) {
      reason = "string without closing quote";
      return false;
    }
    if (!TrimBlanks(s).empty()) {
      reason = "text after the closing quote";
      return false;
    }
    entry.Value.Type = kRegSz;
    entry.Value.Data.assign(text.begin(), text.end());
    return true;
  }
  size_t colon = s.find(':');
  if (colon == std::string_view::npos) {
    reason = "no value type";
    return false;
  }
  std::string_view kind = TrimBlanks(s.substr(0, colon));
  std::string_view rest = s.substr(colon + 1);
  if (SameName(kind, "dword")) {
    uint32_t number;
    if (!ParseHexNumber(TrimBlanks(rest), 8, number)) {
      reason = "bad dword";
      return false;
    }
    entry.Value.Type = kRegDword;
    entry.Value.Data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                        static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
    return true;
  }
  uint32_t type = kRegBinary;
  if (kind.size() > 5 && SameName(kind.substr(0, 4), "hex(") && kind.back() == ')') {
    if (!ParseHexNumber(kind.substr(4, kind.size() - 5), 8, type)) {
      reason = "bad hex type";
      return false;
    }
  } else if (!SameName(kind, "hex")) {
    reason = "unknown value type \"" + std::string(kind.substr(0, 16)) + "\"";
    return false;
  }
  entry.Value.Type = type;
  return ParseHexBytes(rest, entry.Value.Data, reason);
}

bool ParseValueLine(std::string_view line, RegFileValue& entry, std::string& reason) {
  if (line.front() == '@') {
    entry.Value.Name.clear();
    line.remove_prefix(1);
  } else if (!TakeQuoted(line, entry.Value.Name)) {
    reason = "value name without closing quote";
    return false;
  }
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '=') {
    reason = "no '=' after the value name";
    return false;
  }
  return ParseData(line.substr(1), entry, reason);
}

std::string_view TakePhysicalLine(std::string_view& text) {
  size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return line;
}

// Whether the next line can carry on a value's hex data.
bool StartsContinuation(std::string_view text) {
  std::string_view next = text.substr(0, text.find('\n'));
  while (!next.empty() && IsBlank(next.front()))
    next.remove_prefix(1);
  return !text.empty() && (next.empty() || HexDigit(next.front()) >= 0);
}

class CParser {
public:
  explicit CParser(RegFile& file) : _file(file) {}

  void Problem(size_t line, std::string reason) {
    if (_file.Problems.size() < RegFile::kMaxProblems)
      _file.Problems.push_back({line, std::move(reason)});
    ++_file.ProblemCount;
  }

  void KeyLine(size_t number, std::string_view line) {
    _currentKey = kNoKey;
    if (line.size() < 2 || line.back() != ']') {
      Problem(number, "key line without closing ']'; its values are skipped");
      return;
    }
    std::string_view name = line.substr(1, line.size() - 2);
    RegFileKey key;
    if (!name.empty() && name.front() == '-') {
      key.Delete = true;
      name.remove_prefix(1);
    }
    if (!ParseRegistryKeyName(name, key.Root, key.Path)) {
      Problem(number, "unknown root in \"" + std::string(name.substr(0, 40)) +
                          "\"; its values are skipped");
      return;
    }
    if (!key.Delete)
      _currentKey = _file.Keys.size();
    _file.Keys.push_back(std::move(key));
  }

  void ValueLine(size_t number, std::string_view line) {
    if (_currentKey == kNoKey) {
      Problem(number, "value outside a readable key");
      return;
    }
    RegFileValue entry;
    std::string reason;
    if (!ParseValueLine(line, entry, reason)) {
      Problem(number, reason);
      return;
    }
    _file.Keys[_currentKey].Values.push_back(std::move(entry));
  }

  void Run(std::string_view text) {
    size_t number = 0;
    bool headerSeen = false;
    while (!text.empty()) {
      // One logical line: a value's hex data continues on the next line after a backslash. A
      // line that starts a key or a value never continues another, so that a damaged line
      // cannot swallow the key line after it.
      size_t first = number + 1;
      std::string joined;
      while (true) {
        std::string_view physical = TrimBlanks(TakePhysicalLine(text));
        ++number;
        bool continues = !physical.empty() && physical.back() == '\\' &&
                         (physical.front() == '"' || physical.front() == '@' || !joined.empty());
        if (continues)
          physical.remove_suffix(1);
        joined += physical;
        if (!continues || !StartsContinuation(text))
          break;
      }
      std::string_view line = TrimBlanks(joined);
      if (line.empty() || line.front() == ';')
        continue;
      if (!headerSeen) {
        headerSeen = true;
        if (line == kHeader4 || line == kHeader5)
          continue;
        Problem(first, "no REGEDIT4 header");
      }
      if (line.front() == '[')
        KeyLine(first, line);
      else if (line.front() == '"' || line.front() == '@')
        ValueLine(first, line);
      else
        Problem(first, "not a key or value line");
    }
  }

private:
  RegFile& _file;
  static constexpr size_t kNoKey = static_cast<size_t>(-1);
  size_t _currentKey = kNoKey; // index of the key that takes value lines
};

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"')
      out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

bool QuotableString(const std::vector<uint8_t>& data) {
  for (uint8_t b : data)
    if (b < 0x20 || b == 0x7F)
      return false;
  return true;
}

void AppendValue(std::string& out, const RegFileValue& entry) {
  const RegistryValue& v = entry.Value;
  size_t lineStart = out.size();
  if (v.Name.empty())
    out += '@';
  else
    AppendQuoted(out, v.Name);
  out += '=';
  if (entry.Delete) {
    out += "-\r\n";
    return;
  }
  if (v.Type == kRegSz && QuotableString(v.Data)) {
    AppendQuoted(out,
                 std::string_view(reinterpret_cast<const char*>(v.Data.data()), v.Data.size()));
    out += "\r\n";
    return;
  }
  char buffer[24];
  if (v.Type == kRegDword && v.Data.size() == 4) {
    uint32_t number =
        v.Data[0] | v.Data[1] << 8 | v.Data[2] << 16 | static_cast<uint32_t>(v.Data[3]) << 24;
    std::snprintf(buffer, sizeof(buffer), "dword:%08x\r\n", number);
    out += buffer;
    return;
  }
  if (v.Type == kRegBinary)
    out += "hex:";
  else {
    std::snprintf(buffer, sizeof(buffer), "hex(%x):", v.Type);
    out += buffer;
  }
  for (size_t i = 0; i < v.Data.size(); ++i) {
    bool last = i + 1 == v.Data.size();
    if (out.size() - lineStart + 3 > kHexLineLimit) {
      out += "\\\r\n  ";
      lineStart = out.size() - 2;
    }
    std::snprintf(buffer, sizeof(buffer), last ? "%02x" : "%02x,", v.Data[i]);
    out += buffer;
  }
  out += "\r\n";
}

} // namespace

const char* RegistryRootName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool ParseRegistryKeyName(std::string_view name, RegistryRoot& root, std::string& path) {
  size_t slash = name.find('\\');
  std::string_view rootName = name.substr(0, slash);
  if (SameName(rootName, "HKEY_LOCAL_MACHINE") || SameName(rootName, "HKLM"))
    root = RegistryRoot::LocalMachine;
  else if (SameName(rootName, "HKEY_CURRENT_USER") || SameName(rootName, "HKCU"))
    root = RegistryRoot::CurrentUser;
  else
    return false;
  path.clear();
  if (slash == std::string_view::npos)
    return true;
  // Empty components ("a\\b", a trailing backslash) name nothing and are dropped.
  std::string_view rest = name.substr(slash + 1);
  while (!rest.empty()) {
    size_t next = rest.find('\\');
    std::string_view part = rest.substr(0, next);
    if (!part.empty()) {
      if (!path.empty())
        path += '\\';
      path += part;
    }
    rest.remove_prefix(next == std::string_view::npos ? rest.size() : next + 1);
  }
  return true;
}

std::string FormatRegistryKeyName(RegistryRoot root, const std::string& path) {
  std::string name = RegistryRootName(root);
  if (!path.empty())
    name += '\\' + path;
  return name;
}

RegFile ParseRegFile(std::string_view text) {
  RegFile file;
  std::string narrow;
  if (text.size() >= 2 && static_cast<uint8_t>(text[0]) == 0xFF &&
      static_cast<uint8_t>(text[1]) == 0xFE) {
    narrow = NarrowUtf16(text.substr(2));
    text = narrow;
  } else if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
  }
  CParser(file).Run(text);
  return file;
}

std::string FormatRegFile(const std::vector<RegFileKey>& keys) {
  std::string out = "REGEDIT4\r\n";
  for (const RegFileKey& key : keys) {
    out += "\r\n[";
    if (key.Delete)
      out += '-';
    out += FormatRegistryKeyName(key.Root, key.Path);
    out += "]\r\n";
    if (key.Delete)
      continue;
    for (const RegFileValue& value : key.Values)
      AppendValue(out, value);
  }
  return out;
}

} // namespace bw
