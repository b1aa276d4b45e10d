#include "conversion/ClassicBook.h"

namespace quireforge {

void ChooseClassicBook(BookOptions* options) {
  options->classic = true;
  options->chapter_rule = ChapterRule::kClassic;
  options->language = u"en";
  options->draw_cover = false;
}

BookOptions ClassicOptions() {
  BookOptions options;
  ChooseClassicBook(&options);
  return options;
}

}  // namespace quireforge
