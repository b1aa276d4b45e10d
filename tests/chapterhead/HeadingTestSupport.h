// Small books for the heading finder's tests: a text written with line feeds, where "~" stands
// for a paragraph of body text ("~5" for five of them), and the outline the finder makes of it.
#ifndef QUIREFORGE_TESTS_CHAPTERHEAD_HEADINGTESTSUPPORT_H_
#define QUIREFORGE_TESTS_CHAPTERHEAD_HEADINGTESTSUPPORT_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/Utf.h"
#include "chapterhead/HeadingFinder.h"

namespace quireforge::test {

// A paragraph of body text, long enough to read as one.
inline constexpr char kBody[] =
    "　　他走在路上，心里想着昨天的事情，天色渐渐暗了下来，远处传来几声犬吠，这一夜谁也没有睡着。";

// `text` cut at its line feeds, each "~" or "~N" line given as one or N body paragraphs.
inline std::vector<std::u16string> BookLines(std::string_view text) {
  std::vector<std::u16string> lines;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    const std::string line(text.substr(begin, end - begin));
    if (!line.empty() && line[0] == '~' &&
        line.find_first_not_of("0123456789", 1) == std::string::npos) {
      const int count = line.size() == 1 ? 1 : std::stoi(line.substr(1));
      for (int i = 0; i < count; ++i) lines.push_back(FromUtf8(kBody));
    } else {
      lines.push_back(FromUtf8(line));
    }
    begin = end + 1;
  }
  return lines;
}

// The outline the finder makes: "V title" for a volume, "C title" for a chapter.
inline std::vector<std::string> OutlineOf(std::string_view text,
                                          VolumeChoice volumes = VolumeChoice::kAuto) {
  const std::vector<std::u16string> lines = BookLines(text);
  const std::vector<std::u16string_view> views(lines.begin(), lines.end());
  const FoundHeadings found = HeadingFinder(volumes).Find(views);
  std::vector<std::string> outline;
  size_t v = 0;
  for (size_t c = 0; c <= found.chapters.size(); ++c) {
    const size_t line = c < found.chapters.size() ? found.chapters[c] : lines.size();
    for (; v < found.volumes.size() && found.volumes[v] < line; ++v) {
      outline.push_back("V " + ToUtf8(lines[found.volumes[v]]));
    }
    if (c < found.chapters.size()) outline.push_back("C " + ToUtf8(lines[line]));
  }
  return outline;
}

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CHAPTERHEAD_HEADINGTESTSUPPORT_H_
