// EPUB validation for the tests: epubcheck in one Java machine per test program, started at
// the first check and kept for the next (tests/support/EpubCheckBooks.java, compiled at build
// time), so that a program checking many books pays the validator's start-up once. What it
// says about a book is read back as the problems a test expects none of. One thread at a time.
#ifndef QUIREFORGE_TESTS_SUPPORT_EPUBCHECK_H_
#define QUIREFORGE_TESTS_SUPPORT_EPUBCHECK_H_

#include <filesystem>
#include <string>
#include <vector>

namespace quireforge::test {

// A book to validate, and what it may carry: the classic EPUB 2 book without an embedded font
// has the device-font line whose two findings are expected (`device_font`); every other book
// has no such line.
struct CheckedBook {
  std::filesystem::path path;
  bool device_font = false;
  bool epub3 = false;
};

// What epubcheck printed about `book` (its messages and verdict); a line saying why when the
// validator could not run.
std::string EpubCheckOutput(const std::filesystem::path& book);

// The lines with ERROR, FATAL or WARNING that epubcheck reports for `book`, except RSC-006
// and OPF-014 on the style sheet when `device_font` says the book has the device-font line:
// then those two must be there (a line "missing ..." says so otherwise); every other book must
// have epubcheck's clean verdict. So the check fails if epubcheck did not run.
std::vector<std::string> EpubCheckProblems(const std::filesystem::path& book, bool device_font);

// As EpubCheckProblems, for every book in `books`, in that order. An EPUB 3 book must pass with
// no error or warning at all, whatever `device_font` says.
std::vector<std::vector<std::string>> EpubCheckProblemsOf(const std::vector<CheckedBook>& books);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_SUPPORT_EPUBCHECK_H_
