#include "document/folder_walk.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "document/image_file_type.h"

namespace ridgeview::document {

namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char Folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Compares the digit runs starting at a[i] and b[j] by their value and moves past them.
// Leading zeros do not count; a longer significant run is the larger number, so runs of any
// length compare without overflow.
int CompareNumbers(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
  const auto significant = [](std::string_view s, std::size_t& at) {
    while (at < s.size() && s[at] == '0') ++at;
    const std::size_t start = at;
    while (at < s.size() && IsDigit(s[at])) ++at;
    return s.substr(start, at - start);
  };
  const std::string_view x = significant(a, i);
  const std::string_view y = significant(b, j);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y) < 0 ? -1 : (x.compare(y) > 0 ? 1 : 0);
}

}  // namespace

int CompareNatural(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      if (const int order = CompareNumbers(a, i, b, j); order != 0) return order;
      continue;
    }
    // A digit against any other character compares as the characters do: every digit
    // stands on the same side of any non-digit, so which digit it is does not matter.
    const unsigned char x = Folded(a[i]);
    const unsigned char y = Folded(b[j]);
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  // Equal but for letter case or leading zeros: the bytes decide.
  return a.compare(b) < 0 ? -1 : (a.compare(b) > 0 ? 1 : 0);
}

std::optional<std::string> FolderWalk::Neighbour(FolderStep step) const {
  if (position_.empty()) return std::nullopt;
  const fs::path current(position_);
  const std::string currentName = current.filename().string();
  const fs::path folder = current.parent_path();

  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder,
                            fs::directory_options::skip_permission_denied, ec);
  if (ec) return std::nullopt;
  // The names beyond the position in the direction of the step.
  std::vector<std::string> beyond;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return std::nullopt;
    std::string name = it->path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    const int order = CompareNatural(name, currentName);
    if ((step == FolderStep::kNext) ? order <= 0 : order >= 0) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;  // follows links; never a pipe or device
    beyond.push_back(std::move(name));
  }
  if (ec) return std::nullopt;
  const auto nearestFirst = [step](const std::string& x, const std::string& y) {
    const int order = CompareNatural(x, y);
    return step == FolderStep::kNext ? order < 0 : order > 0;
  };
  std::sort(beyond.begin(), beyond.end(), nearestFirst);
  for (const std::string& name : beyond) {
    const std::string path = (folder / name).string();
    if (IsImageByContent(path)) return path;
  }
  return std::nullopt;
}

}  // namespace ridgeview::document
