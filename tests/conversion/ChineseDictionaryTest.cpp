// The longest-match dictionary under the Chinese conversions: the longest key a text begins
// with wins, of equal keys the first added, and a text no key begins matches nothing.
#include <gtest/gtest.h>

#include "conversion/ChineseDictionary.h"

namespace quireforge {
namespace {

struct Case {
  const char16_t* text;
  size_t length;  // of the key matched; 0: none
  const char16_t* value;
};

TEST(ChineseDictionaryTest, GivesTheLongestKeyTheTextBeginsWith) {
  ChineseDictionary dictionary;
  dictionary.Add(u"后", u"後");
  dictionary.Add(u"后", u"后");  // a later equal key changes nothing
  dictionary.Add(u"后面", u"後面");
  dictionary.AddUtf8("皇后娘娘", "皇后娘娘");
  dictionary.Add(u"皇", u"皇");
  dictionary.Add(u"", u"x");  // ignored
  dictionary.Add(u"\xD840\xDC00", u"\xD840\xDC01");
  dictionary.Finish();
  EXPECT_EQ(dictionary.size(), 5u);

  for (const Case& c : {
           Case{u"后面的", 2, u"後面"},
           Case{u"后来", 1, u"後"},    // a key begins 后, none 后来
           Case{u"后", 1, u"後"},      // the text ends within a longer key
           Case{u"皇后娘", 1, u"皇"},  // 皇后娘 only begins a key
           Case{u"皇后娘娘到", 4, u"皇后娘娘"},
           Case{u"面", 0, u""},
           Case{u"", 0, u""},
           Case{u"\xD840\xDC00后", 2, u"\xD840\xDC01"},
           Case{u"\xD840", 0, u""},
       }) {
    std::u16string_view value = u"unchanged";
    const size_t length = dictionary.Match(c.text, &value);
    EXPECT_EQ(length, c.length) << testing::PrintToString(std::u16string(c.text));
    if (c.length != 0) {
      EXPECT_EQ(value, c.value);
    }
  }
}

}  // namespace
}  // namespace quireforge
