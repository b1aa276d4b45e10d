// Texts in the legacy code pages our users' books come in, for the tests of code page
// detection: the corpus novels re-encoded (GB18030 whole and as a 500-character piece, Big5
// after ICU's simplified-to-traditional transliteration) and a few paragraphs of Japanese,
// Korean and French written for these tests, encoded with ICU. Built once, on first use.
#ifndef QUIREFORGE_TESTS_SUPPORT_CODEPAGESAMPLES_H_
#define QUIREFORGE_TESTS_SUPPORT_CODEPAGESAMPLES_H_

#include <string>
#include <vector>

namespace quireforge::test {

struct CodePageSample {
  std::string label;      // what it is, for test messages: "GB18030 novel"
  std::string code_page;  // the code page the detector must name: "GB18030"
  std::string text;       // UTF-8, CR LF line ends
  std::string bytes;      // the text in the code page
};

const CodePageSample& Gb18030Novel();     // 西游记 whole, 第N回 headings
const CodePageSample& Gb18030Piece();     // 500 characters of it from 第一回 on
const CodePageSample& Big5Text();         // the first 150 KB or so of 西游记 in traditional form
const CodePageSample& ShiftJisText();     // Japanese, 第一章 and 第二章 headings
const CodePageSample& EucKrText();        // Korean, named windows-949 (its superset)
const CodePageSample& Windows1252Text();  // French with œ, … and ’, which ISO-8859-1 lacks

// All of the above, in that order.
std::vector<const CodePageSample*> AllCodePageSamples();

// A corpus novel as it is (UTF-8).
std::string CorpusText(const std::string& file_name);

// `utf8` in `code_page` through ICU, unencodable characters as ICU's substitute.
std::string EncodeIn(const std::string& code_page, const std::string& utf8);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_SUPPORT_CODEPAGESAMPLES_H_
