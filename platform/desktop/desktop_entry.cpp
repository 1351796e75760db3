#include "platform/desktop/desktop_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <fstream>

namespace ridgeview::platform {
namespace {

constexpr std::size_t kMaxDesktopFileBytes = 1u << 20;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Unescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out.push_back(value[i]);
      continue;
    }
    const char next = value[++i];
    switch (next) {
      case 's': out.push_back(' '); break;
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case '\\': out.push_back('\\'); break;
      default:  // unknown escapes are kept as written (Exec quoting uses them)
        out.push_back('\\');
        out.push_back(next);
    }
  }
  return out;
}

std::vector<std::string> SplitList(std::string_view value) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start < value.size()) {
    std::size_t end = value.find(';', start);
    if (end == std::string_view::npos) end = value.size();
    const std::string_view item = Trim(value.substr(start, end - start));
    if (!item.empty()) items.emplace_back(item);
    start = end + 1;
  }
  return items;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<DesktopEntry> ParseDesktopEntry(std::string_view text) {
  DesktopEntry entry;
  bool inGroup = false;
  bool seenGroup = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (seenGroup && inGroup) break;  // only the first [Desktop Entry] group counts
      inGroup = line == "[Desktop Entry]";
      seenGroup = seenGroup || inGroup;
      continue;
    }
    if (!inGroup) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key == "Exec") {
      entry.exec = Unescape(value);
    } else if (key == "Name") {
      entry.name = Unescape(value);
    } else if (key == "MimeType") {
      entry.mimeTypes = SplitList(value);
    } else if (key == "Hidden") {
      entry.hidden = value == "true";
    } else if (key == "Type") {
      entry.application = value == "Application";
    } else if (key == "InitialPreference") {
      int number = 0;
      const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
      if (ec == std::errc() && ptr == value.data() + value.size()) entry.initialPreference = number;
    }
  }
  if (!seenGroup) return std::nullopt;
  return entry;
}

bool ReadSmallFile(const std::string& path, std::string& out, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.clear();
  char chunk[8192];
  while (in) {
    in.read(chunk, sizeof chunk);
    const std::streamsize got = in.gcount();
    if (got <= 0) break;
    if (out.size() + static_cast<std::size_t>(got) > limit) return false;
    out.append(chunk, static_cast<std::size_t>(got));
  }
  return !in.bad();
}

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path, const std::string& id) {
  std::string text;
  if (!ReadSmallFile(path, text, kMaxDesktopFileBytes)) return std::nullopt;
  std::optional<DesktopEntry> entry = ParseDesktopEntry(text);
  if (entry) {
    entry->id = id;
    entry->path = path;
  }
  return entry;
}

std::string ExecToCommand(std::string_view exec) {
  std::string out;
  out.reserve(exec.size());
  for (std::size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '%' && i + 1 < exec.size()) {
      const char code = exec[i + 1];
      if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
        out += "%1";
      } else {
        out.push_back('%');
        out.push_back(code);
      }
      ++i;
      continue;
    }
    out.push_back(exec[i]);
  }
  return out;
}

std::string CommandToExec(std::string_view command) {
  std::string out;
  out.reserve(command.size());
  for (std::size_t i = 0; i < command.size(); ++i) {
    if (command[i] == '%' && i + 1 < command.size()) {
      out += command[i + 1] == '1' ? std::string("%f") : std::string{'%', command[i + 1]};
      ++i;
      continue;
    }
    out.push_back(command[i]);
  }
  return out;
}

std::string EscapeDesktopValue(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 8);
  for (std::size_t i = 0; i < value.size(); ++i) {
    switch (value[i]) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case ' ':
        out += i == 0 ? "\\s" : " ";
        break;
      default: out.push_back(value[i]);
    }
  }
  return out;
}

std::string ExecProgram(std::string_view exec) {
  exec = Trim(exec);
  if (exec.empty()) return {};
  std::string program;
  if (exec.front() != '"') {
    const std::size_t end = exec.find_first_of(" \t");
    return std::string(exec.substr(0, end));
  }
  for (std::size_t i = 1; i < exec.size(); ++i) {
    const char c = exec[i];
    if (c == '"') return program;
    if (c == '\\' && i + 1 < exec.size()) {
      program.push_back(exec[++i]);
      continue;
    }
    program.push_back(c);
  }
  return {};  // no closing quote
}

bool ExecProgramExists(std::string_view exec, const EnvironmentLookup& lookup) {
  const std::string program = ExecProgram(exec);
  if (program.empty()) return false;
  if (program.find('/') != std::string::npos) return IsExecutableFile(program);
  const char* path = lookup("PATH");
  const std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    // An empty entry of $PATH is the current folder.
    const std::string folder = end > start ? folders.substr(start, end - start) : std::string(1, '.');
    if (IsExecutableFile(folder + "/" + program)) return true;
    start = end + 1;
  }
  return false;
}

bool IsUsableEntry(const DesktopEntry& entry, const EnvironmentLookup& lookup) {
  return !entry.hidden && entry.application && !entry.exec.empty() &&
         ExecProgramExists(entry.exec, lookup);
}

}  // namespace ridgeview::platform
