// The bash completion and the man page that the build makes from the command-line definition
// say what --help says: every option of --help is in both and nothing else is, each option of
// the option table completes to its words or its files, and the man page is plain roff.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "BookChecks.h"
#include "TestSupport.h"
#include "cli/CliDocuments.h"
#include "conversion/BookOptionTable.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

const fs::path kCompletion = fs::path(QF_BUILD_DIR) / "data/completion/quireforge-cli";
const fs::path kManPage = fs::path(QF_BUILD_DIR) / "data/man/quireforge-cli.1";

// The long options named in `text` by `pattern` (its first group is the name).
std::set<std::string> Names(const std::string& text, const std::string& pattern) {
  std::set<std::string> names;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
       it != std::sregex_iterator(); ++it) {
    names.insert((*it)[1]);
  }
  return names;
}

// What the completion offers after `typed` (the words before the one being completed, then
// that word's beginning), with _filedir answering "FILES:<its argument>".
std::string Complete(const TempDir& temp, const std::vector<std::string>& typed) {
  std::string words = "quireforge-cli";
  for (const std::string& word : typed) words += " " + ShellQuote(word);
  WriteFile(temp / "complete.sh",
            "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; "
            "prev=${COMP_WORDS[COMP_CWORD-1]}; }\n"
            "_filedir() { COMPREPLY=(\"FILES:$1\"); }\n"
            "source " +
                ShellQuote(kCompletion.string()) + "\nCOMP_WORDS=(" + words + ")\nCOMP_CWORD=" +
                std::to_string(typed.size()) + "\n_quireforge_cli\necho \"${COMPREPLY[*]}\"\n");
  std::string output;
  EXPECT_EQ(RunCommand("bash " + ShellQuote((temp / "complete.sh").string()), &output), 0)
      << output;
  if (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

TEST(CliDocumentsTest, TheManPageAndTheCompletionNameEveryOptionOfHelpAndNoOther) {
  const CliResult help = RunCli({"--help"});
  ASSERT_EQ(help.status, 0);
  const std::set<std::string> options = Names(help.out, "\\n +(?:-[a-z],)?--([a-z0-9-]+)");
  ASSERT_GT(options.size(), 25u) << help.out;
  EXPECT_EQ(Names(ReadFile(kManPage), "\\n\\.B (?:\\\\-[a-z], )?\\\\-\\\\-([a-z0-9\\\\-]+)"), [&] {
    std::set<std::string> roff;
    for (const std::string& name : options) roff.insert(RoffText(name));
    return roff;
  }());
  const std::string completion = ReadFile(kCompletion);
  EXPECT_EQ(Names(Complete(TempDir(), {"--"}), "(?:^| )--([a-z0-9-]+)"), options);
  // The installed copy is the one the build made.
  EXPECT_NE(completion.find("complete -F _quireforge_cli quireforge-cli"), std::string::npos);
}

TEST(CliDocumentsTest, EachOptionCompletesToItsWordsOrItsFiles) {
  TempDir temp;
  for (const BookOption& option : BookOptionTable()) {
    if (option.option.empty()) continue;
    std::string expected;
    if (option.kind == OptionKind::kPath) {
      expected = "FILES:@(";
      for (const bool upper : {false, true}) {
        for (std::string_view extension : option.extensions) {
          if (expected.back() != '(') expected += '|';
          for (const char c : extension) expected += upper ? static_cast<char>(std::toupper(c)) : c;
        }
      }
      expected += ")";
    }
    for (std::string_view word : option.words) {
      if (word.empty()) continue;
      if (!expected.empty()) expected += ' ';
      expected += word;
    }
    EXPECT_EQ(Complete(temp, {std::string(option.option), ""}), expected) << option.option;
  }
  const struct {
    std::vector<std::string> typed;
    const char* offered;
  } kCases[] = {
      {{"--language", "zh"}, "zh zh-Hans zh-Hant"},
      {{"-o", ""}, "FILES:epub"},
      {{"--title", ""}, ""},
      {{"--chapter-pattern", ""}, ""},
      {{"--codepage", "GB"}, "GB18030"},
      {{"--blank"}, "--blank-lines"},
      {{"--margin", "wide", "nov"}, "FILES:@(txt|TXT)"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(Complete(temp, c.typed), c.offered) << c.typed.front();
  }
}

TEST(CliDocumentsTest, RoffTextEscapesWhatRoffWouldRead) {
  const struct {
    const char* text;
    const char* roff;
  } kCases[] = {
      {"--margin normal|wide", "\\-\\-margin normal|wide"},
      {"a\\b", "a\\eb"},
      {".dot first\n'quote first", "\\&.dot first\n\\&'quote first"},
      {"after 作者", "after \\[u4F5C]\\[u8005]"},
      {"第…章", "\\[u7B2C]\\[u2026]\\[u7AE0]"},
      {"\xF0\xA0\x80\x80", "\\[u20000]"},
  };
  for (const auto& c : kCases) EXPECT_EQ(RoffText(c.text), c.roff) << c.text;
}

}  // namespace
}  // namespace quireforge::test
