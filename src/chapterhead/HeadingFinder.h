// HeadingFinder decides which lines of a book open its chapters and volumes, as a reader
// would: a heading is a short line that opens with a marker and does not read as a sentence
// (HeadingLine), and a book's headings form series, the same marker counting up through the
// text, or the pages of each chapter counting 1, 2, 3 (HeadingSeries). Contents lists inside the
// text, running heads said again over every page, sections under chapters and a marker met once
// in the middle are text. Volume lines that hold the chapters after them form the second
// level. Titles without any marker are found by the layout that sets them apart again and again
// (LayoutTitles). The thresholds are in HeadingTunables.h. Stateless; any thread; linear in the
// text.
#ifndef QUIREFORGE_CHAPTERHEAD_HEADINGFINDER_H_
#define QUIREFORGE_CHAPTERHEAD_HEADINGFINDER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace quireforge {

// What becomes of volume lines.
enum class VolumeChoice : uint8_t {
  kAuto,   // volumes when the book's volume and chapter lines form two nested series
  kForce,  // every volume series (even a single volume line before the chapters) is a level
  kOff,    // no volume level: volume lines that head the book's parts are chapters
};

struct FoundHeadings {
  std::vector<size_t> chapters;  // indices of the lines that open chapters, rising
  std::vector<size_t> volumes;   // indices of the lines that open volumes, rising
};

class HeadingFinder {
 public:
  explicit HeadingFinder(VolumeChoice volumes = VolumeChoice::kAuto) : volumes_(volumes) {}

  // The headings among `lines`, the raw lines of one source in reading order (each ends at
  // its first U+0000). No line is both a chapter and a volume. Raises only std::bad_alloc.
  FoundHeadings Find(const std::vector<std::u16string_view>& lines) const;
  // The same, as a job's heading search takes it.
  void operator()(const std::vector<std::u16string_view>& lines, std::vector<size_t>* chapters,
                  std::vector<size_t>* volumes) const {
    FoundHeadings found = Find(lines);
    *chapters = std::move(found.chapters);
    *volumes = std::move(found.volumes);
  }

 private:
  VolumeChoice volumes_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_HEADINGFINDER_H_
