// The two corpus novels, in every way a source can be encoded, through the real program: the
// heading finder lists exactly their 第N回 headings (and the appendix chapter 西游记 has
// between its eighth and ninth), in order, and no line of their text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BookChecks.h"
#include "CodePageSamples.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

// The heading lines of a corpus novel as a reader sees them: the lines that open with 第, a
// numeral and 回 and a blank, and the one line opening with 附录.
std::vector<std::string> ReaderHeadings(const std::string& text) {
  std::vector<std::string> headings;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t counter = line.find("回");
    const bool chapter = line.rfind("第", 0) == 0 && counter != std::string::npos &&
                         counter <= 3 * 6 && counter + 3 < line.size() &&
                         (line[counter + 3] == ' ' || line.compare(counter + 3, 3, "　") == 0);
    if (chapter || line.rfind("附录 ", 0) == 0) headings.push_back(line);
    start = end + 2;
  }
  return headings;
}

// The titles of a --list-chapters listing.
std::vector<std::string> ListedTitles(const std::string& listing) {
  std::vector<std::string> titles;
  size_t start = 0;
  while (start < listing.size()) {
    const size_t end = listing.find('\n', start);
    const std::string entry = listing.substr(start, end - start);
    titles.push_back(entry.substr(entry.find('=') + 1));
    start = end + 1;
  }
  return titles;
}

struct Encoding {
  const char* name;
  std::string (*encode)(const std::string& utf8);
  std::vector<std::string> options;
};

TEST(CorpusHeadingsTest, EveryEncodingOfBothNovelsGivesExactlyTheirChapters) {
  const std::vector<Encoding> encodings = {
      {"UTF-8", [](const std::string& t) { return t; }, {}},
      {"UTF-8 with mark", [](const std::string& t) { return "\xEF\xBB\xBF" + t; }, {}},
      {"UTF-16LE", [](const std::string& t) { return "\xFF\xFE" + EncodeIn("UTF-16LE", t); }, {}},
      {"UTF-16BE", [](const std::string& t) { return "\xFE\xFF" + EncodeIn("UTF-16BE", t); }, {}},
      {"GB18030 found", [](const std::string& t) { return EncodeIn("GB18030", t); }, {}},
      {"GB18030 named",
       [](const std::string& t) { return EncodeIn("GB18030", t); },
       {"--codepage", "GB18030"}},
  };
  for (const auto& [novel, chapters] :
       std::vector<std::pair<std::string, size_t>>{{"三国演义.txt", 120}, {"西游记.txt", 100}}) {
    const std::string text = CorpusText(novel);
    const std::vector<std::string> expected = ReaderHeadings(text);
    ASSERT_EQ(expected.size(), novel == "西游记.txt" ? chapters + 1 : chapters) << novel;
    for (const Encoding& encoding : encodings) {
      TempDir temp;
      WriteFile(temp / "novel.txt", encoding.encode(text));
      std::vector<std::string> arguments = {"--list-chapters", "-q"};
      arguments.insert(arguments.end(), encoding.options.begin(), encoding.options.end());
      arguments.push_back("novel.txt");
      const CliResult result = RunCli(arguments, temp.path());
      ASSERT_EQ(result.status, 0) << result.err;
      EXPECT_EQ(ListedTitles(result.out), expected) << novel << " in " << encoding.name;
    }
  }
}

}  // namespace
}  // namespace quireforge::test
