// The table of contents of a book in reading order, as the navigation file and the command
// line's chapter listing show it. It is made of two parallel lists: the chapter list (entries
// "ch_N.html=" and a title, as the window's chapter editor sees and edits them) and the volume
// list beside it. A volume has an entry of the same form and names the first chapter that
// belongs to it; the chapters from there up to the next volume are its children, and chapters
// before the first volume stand at the first level. Pure functions; any thread.
#ifndef QUIREFORGE_CONVERSION_BOOKOUTLINE_H_
#define QUIREFORGE_CONVERSION_BOOKOUTLINE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

struct VolumeEntry {
  size_t first_chapter = 0;  // index into the chapter list; volumes come in rising order
  std::u16string entry;      // "ch_N.html=" and the volume's title
};

struct OutlineItem {
  int depth = 1;  // 1: a volume or a chapter outside any volume; 2: a chapter in a volume
  std::u16string_view entry;
};

// Every volume and chapter in reading order, each with its depth. The views point into
// `chapters` and `volumes`, which must outlive the result. A volume whose first chapter lies
// beyond the list comes after every chapter, without children.
std::vector<OutlineItem> BookOutline(const std::vector<std::u16string>& chapters,
                                     const std::vector<VolumeEntry>& volumes);

// Keeps `volumes` in step with a chapter list from which entry `index` was removed.
void ChapterRemoved(std::vector<VolumeEntry>* volumes, size_t index);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKOUTLINE_H_
