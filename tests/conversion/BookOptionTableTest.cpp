// The option table as both front ends and the job read it: every option complete (its
// words, default, help, the placeholder or extensions its kind needs), every word giving a
// value that gives the word back, and the words and ranges the command line shows taken
// from the entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "conversion/BookOptionTable.h"
#include "conversion/ClassicBook.h"

namespace quireforge {
namespace {

TEST(BookOptionTableTest, EveryOptionHasItsWordsDefaultAndHelp) {
  std::set<std::string_view> names;
  std::set<std::string_view> arguments;
  for (const BookOption& option : BookOptionTable()) {
    SCOPED_TRACE(std::string(option.name));
    EXPECT_TRUE(names.insert(option.name).second) << "named twice";
    EXPECT_TRUE(!option.option.empty() || !option.flags.empty()) << "nothing sets it";
    if (!option.option.empty()) {
      EXPECT_TRUE(arguments.insert(option.option).second);
      EXPECT_FALSE(option.help.empty());
      EXPECT_FALSE(option.ValueText().empty());
    }
    for (const OptionFlag& flag : option.flags) {
      EXPECT_TRUE(arguments.insert(flag.flag).second) << flag.flag;
      EXPECT_FALSE(flag.help.empty()) << flag.flag;
      EXPECT_NE(std::find(option.words.begin(), option.words.end(), flag.word), option.words.end())
          << flag.flag << " sets a word the option does not take";
    }
    switch (option.kind) {
      case OptionKind::kChoice:
        EXPECT_NE(std::find(option.words.begin(), option.words.end(), option.DefaultWord()),
                  option.words.end())
            << "the default is none of its words";
        break;
      case OptionKind::kText:
        EXPECT_FALSE(option.placeholder.empty());
        if (!option.words.empty()) {
          EXPECT_EQ(option.words.front(), option.DefaultWord());
        }
        break;
      case OptionKind::kPath:
        EXPECT_FALSE(option.placeholder.empty());
        EXPECT_FALSE(option.extensions.empty());
        EXPECT_EQ(option.DefaultWord(), "");
        break;
    }
    // Every word gives a value that gives the word back, and no two words the same value.
    std::set<std::string> values;
    for (std::string_view word : option.words) {
      BookOptions options;
      option.set(&options, std::string(word));
      EXPECT_EQ(option.get(options), word);
      EXPECT_NO_THROW(CheckBookOptions(options)) << word;
      EXPECT_TRUE(values.insert(option.get(options)).second) << word;
    }
  }
  EXPECT_NO_THROW(CheckBookOptions(BookOptions{}));
}

TEST(BookOptionTableTest, TheCommandLineShowsTheWordsOfEachChoice) {
  const struct {
    const char* name;
    const char* value_text;
  } kCases[] = {{"margin", "normal|wide"},
                {"font-size", "large|middle|small"},
                {"bold", "off|on"},
                {"indent", "0|1|2|3|4"},
                {"language", "TAG"},
                {"cover", "FILE|drawn|none"},
                {"chinese", "s2t|t2s|s2tw|tw2s|s2twp|tw2sp|s2hk|hk2s"}};
  for (const auto& c : kCases) {
    EXPECT_EQ(FindBookOption(c.name).ValueText(), c.value_text) << c.name;
  }
  EXPECT_THROW(FindBookOption("no-such-option"), std::out_of_range);
}

// A word outside an option's words is refused naming the word and what is taken instead;
// the message comes from the option's own words, so it follows them.
TEST(BookOptionTableTest, AWordOutsideTheRangeIsRefusedNamingWhatIsTaken) {
  const struct {
    const char* name;
    const char* word;
    const char* message;
  } kCases[] = {
      {"margin", "narrow", "\"narrow\" is not one of normal, wide"},
      {"indent", "5", "a whole number from 0 to 4 is expected, not \"5\""},
      {"indent", "02", "a whole number from 0 to 4 is expected, not \"02\""},
      {"blank-lines", "", "\"\" is not one of keep, single, none"},
      {"language", "zh_CN", "\"zh_CN\" is not a well-formed BCP 47 language tag"},
      {"chapter-pattern", "(a", ""},  // the engine's own message
  };
  for (const auto& c : kCases) {
    BookOptions options;
    try {
      FindBookOption(c.name).set(&options, c.word);
      ADD_FAILURE() << c.name << " took \"" << c.word << "\"";
    } catch (const BookOptionError& error) {
      if (*c.message != '\0') {
        EXPECT_EQ(std::string(error.what()), c.message) << c.name;
      }
    }
    EXPECT_EQ(options, BookOptions{}) << c.name << ": a refused word changed the options";
  }
}

}  // namespace
}  // namespace quireforge

namespace quireforge::test {
namespace {

// A child of --each gets the options whole: --classic first, then every option that differs
// from what --classic chose, so that an option given beside it is never lost.
TEST(BookOptionArgumentsTest, TheClassicBookAndTheOptionsBesideIt) {
  const auto with = [](void (*change)(BookOptions*)) {
    BookOptions options;
    change(&options);
    return options;
  };
  const struct {
    BookOptions options;
    std::vector<std::string> arguments;
  } kCases[] = {
      {with([](BookOptions* o) { ChooseClassicBook(o); }), {"--classic"}},
      {with([](BookOptions* o) {
         ChooseClassicBook(o);
         o->chapter_rule = ChapterRule::kSmart;
         o->language = u"auto";
       }),
       {"--classic", "--chapter-rule=smart", "--language=auto"}},
      {with([](BookOptions* o) {
         ChooseClassicBook(o);
         FindBookOption("cover").set(o, "/c.png");
       }),
       {"--classic", "--cover=/c.png"}},
      {with([](BookOptions* o) { o->classic = true; }),
       {"--classic", "--cover=", "--chapter-rule=smart", "--language=auto"}},
      {with([](BookOptions* o) { o->draw_cover = false; }), {"--cover=none"}},
      {with([](BookOptions* o) {
         o->chinese = ChineseConversion::kS2TWP;
         o->vertical = true;
         o->contents_page = true;
       }),
       {"--chinese=s2twp", "--vertical", "--contents-page"}},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(OptionArguments(c.options), c.arguments);
    // And back: the words the child reads give the same options.
    BookOptions child;
    for (const std::string& argument : c.arguments) {
      for (const BookOption& option : BookOptionTable()) {
        for (const OptionFlag& flag : option.flags) {
          if (argument != flag.flag) continue;
          if (option.chooses != nullptr) option.chooses(&child);
          option.set(&child, std::string(flag.word));
        }
        const std::string prefix = std::string(option.option) + "=";
        if (!option.option.empty() && argument.rfind(prefix, 0) == 0) {
          option.set(&child, argument.substr(prefix.size()));
        }
      }
    }
    EXPECT_TRUE(child == c.options) << testing::PrintToString(c.arguments);
  }
}

}  // namespace
}  // namespace quireforge::test
