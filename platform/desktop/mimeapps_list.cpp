#include "platform/desktop/mimeapps_list.h"

namespace ridgeview::platform {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// One line of the file without its line break, and whether a break followed it.
struct Line {
  std::string_view text;
  bool broken = false;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back({text.substr(start), false});
      break;
    }
    lines.push_back({text.substr(start, end - start), true});
    start = end + 1;
  }
  return lines;
}

// The group a header line opens ("[Default Applications]" gives "Default Applications"),
// or nothing for a line that is not a header.
bool GroupHeader(std::string_view line, std::string_view& group) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  group = line.substr(1, line.size() - 2);
  return true;
}

// Whether the line is an entry for `key`; `value` receives what follows the '='.
bool EntryFor(std::string_view line, std::string_view key, std::string_view& value) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == '#') return false;
  const std::size_t eq = trimmed.find('=');
  if (eq == std::string_view::npos || Trim(trimmed.substr(0, eq)) != key) return false;
  value = Trim(trimmed.substr(eq + 1));
  return true;
}

std::vector<std::string> SplitIds(std::string_view value) {
  std::vector<std::string> ids;
  std::size_t start = 0;
  while (start < value.size()) {
    std::size_t end = value.find(';', start);
    if (end == std::string_view::npos) end = value.size();
    const std::string_view id = Trim(value.substr(start, end - start));
    if (!id.empty()) ids.emplace_back(id);
    start = end + 1;
  }
  return ids;
}

std::string EntryLine(std::string_view mimeType, const std::vector<std::string>& ids) {
  std::string line(mimeType);
  line += '=';
  for (const std::string& id : ids) {
    line += id;
    line += ';';
  }
  return line;
}

void Append(std::string& out, std::string_view line, bool broken) {
  out += line;
  if (broken) out += '\n';
}

}  // namespace

std::vector<std::string> ListedApplications(std::string_view text, std::string_view group,
                                            std::string_view mimeType) {
  bool inGroup = false;
  for (const Line& line : SplitLines(text)) {
    std::string_view name;
    if (GroupHeader(line.text, name)) {
      inGroup = name == group;
      continue;
    }
    std::string_view value;
    if (inGroup && EntryFor(line.text, mimeType, value)) return SplitIds(value);
  }
  return {};
}

std::string SetDefaultApplication(std::string_view text, std::string_view mimeType,
                                  std::string_view desktopId, std::string_view droppedId) {
  const std::vector<Line> lines = SplitLines(text);
  // Find the first line for the type and the end of the first [Default Applications] group
  // (after its last non-blank line).
  std::size_t typeLine = lines.size();
  std::size_t groupEnd = lines.size();
  bool inGroup = false;
  bool groupSeen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view name;
    if (GroupHeader(lines[i].text, name)) {
      if (inGroup) break;  // the first group ended
      inGroup = name == kDefaultApplicationsGroup;
      if (inGroup) {
        groupSeen = true;
        groupEnd = i + 1;
      }
      continue;
    }
    if (!inGroup) continue;
    std::string_view value;
    if (EntryFor(lines[i].text, mimeType, value)) {
      typeLine = i;
      break;
    }
    if (!Trim(lines[i].text).empty()) groupEnd = i + 1;
  }

  std::string out;
  out.reserve(text.size() + mimeType.size() + desktopId.size() + 32);
  if (typeLine < lines.size()) {
    std::string_view value;
    EntryFor(lines[typeLine].text, mimeType, value);
    std::vector<std::string> ids{std::string(desktopId)};
    for (std::string& id : SplitIds(value)) {
      if (id != desktopId && (droppedId.empty() || id != droppedId)) ids.push_back(std::move(id));
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i == typeLine) {
        Append(out, EntryLine(mimeType, ids), lines[i].broken);
      } else {
        Append(out, lines[i].text, lines[i].broken);
      }
    }
    return out;
  }

  const std::string entry = EntryLine(mimeType, {std::string(desktopId)});
  if (!groupSeen) {
    out.assign(text);
    if (!out.empty() && out.back() != '\n') out += '\n';
    if (!out.empty()) out += '\n';
    out += "[Default Applications]\n";
    out += entry;
    out += '\n';
    return out;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == groupEnd) {
      out += entry;
      out += '\n';
    }
    // The line before the insertion point needs its break even when the file had none.
    Append(out, lines[i].text, lines[i].broken || i + 1 == groupEnd);
  }
  if (groupEnd == lines.size()) {
    out += entry;
    out += '\n';
  }
  return out;
}

std::string RemoveDefaultApplication(std::string_view text, std::string_view mimeType,
                                     bool& changed) {
  changed = false;
  std::string out;
  out.reserve(text.size());
  bool inGroup = false;
  for (const Line& line : SplitLines(text)) {
    std::string_view name;
    if (GroupHeader(line.text, name)) {
      inGroup = name == kDefaultApplicationsGroup;
    } else if (std::string_view value; inGroup && EntryFor(line.text, mimeType, value)) {
      changed = true;
      continue;
    }
    Append(out, line.text, line.broken);
  }
  return out;
}

}  // namespace ridgeview::platform
