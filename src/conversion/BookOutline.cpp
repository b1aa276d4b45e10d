#include "conversion/BookOutline.h"

namespace quireforge {

std::vector<OutlineItem> BookOutline(const std::vector<std::u16string>& chapters,
                                     const std::vector<VolumeEntry>& volumes) {
  std::vector<OutlineItem> items;
  items.reserve(chapters.size() + volumes.size());
  size_t chapter = 0;
  int depth = 1;  // of the chapters that come next
  for (const VolumeEntry& volume : volumes) {
    for (; chapter < volume.first_chapter && chapter < chapters.size(); ++chapter) {
      items.push_back(OutlineItem{depth, chapters[chapter]});
    }
    items.push_back(OutlineItem{1, volume.entry});
    depth = 2;
  }
  for (; chapter < chapters.size(); ++chapter)
    items.push_back(OutlineItem{depth, chapters[chapter]});
  return items;
}

void ChapterRemoved(std::vector<VolumeEntry>* volumes, size_t index) {
  for (VolumeEntry& volume : *volumes) {
    if (volume.first_chapter > index) --volume.first_chapter;
  }
}

}  // namespace quireforge
