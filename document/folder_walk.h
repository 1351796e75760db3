// Stepping through the images of a folder: the file after or before the current one in the
// order a file manager shows, skipping files that are not images by their content.
//
// The order is natural and ignores letter case: runs of digits compare as numbers ("print2"
// before "print10", "a01" beside "a1"), other characters by their ASCII lower case; names
// that are equal so (only in case or leading zeros) are ordered by their bytes, so that the
// order is total and every file has one place. Hidden files (names starting with '.'), which
// file managers do not show, are passed over, as is anything that is not a regular file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ridgeview::document {

// Negative, zero or positive as `a` sorts before, equal to or after `b` in the natural order
// above; zero only for identical names.
int CompareNatural(std::string_view a, std::string_view b);

enum class FolderStep { kNext, kPrevious };

class FolderWalk {
 public:
  // The file the walk stands on: the last file opened, whether or not it could be shown, so
  // that a file that fails to open is stepped past on the next step.
  void SetPosition(std::string path) { position_ = std::move(path); }
  // No position: steps find nothing until the next SetPosition.
  void Forget() { position_.clear(); }
  const std::string& position() const { return position_; }

  // The path of the nearest image file after (kNext) or before (kPrevious) the position's
  // file name in the position's folder (the working folder for a bare name), found by its
  // first bytes (IsImageByContent). The position's file need not exist any more. None
  // without a position, at either end of the folder, or when the folder cannot be read.
  std::optional<std::string> Neighbour(FolderStep step) const;

 private:
  std::string position_;
};

}  // namespace ridgeview::document
