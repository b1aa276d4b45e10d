// Trim, replace all, XML escaping and UTF conversions: the small operations that lines,
// titles and file names go through.
#include <gtest/gtest.h>

#include <random>

#include "base/StringOps.h"
#include "base/Utf.h"
#include "conversion/XmlText.h"

namespace quireforge {
namespace {

TEST(TrimTest, RemovesOnlyU0000ToU0020AtBothEnds) {
  EXPECT_EQ(Trim(u" \t\u3000第一章 \r"), u"\u3000第一章");
  EXPECT_EQ(Trim(std::u16string(u"\0\x1F x \x01", 6)), u"x");
  EXPECT_EQ(Trim(u"\u00A0x\uFEFF"), u"\u00A0x\uFEFF");
  EXPECT_EQ(Trim(u" \t\r\n "), u"");
  EXPECT_TRUE(IsEmptyWhenTrimmed(u" \t "));
  EXPECT_TRUE(IsEmptyWhenTrimmed(u""));
  EXPECT_FALSE(IsEmptyWhenTrimmed(u"\u3000"));
}

TEST(ReplaceAllTest, ExactCaseLeftToRightWithoutOverlap) {
  EXPECT_EQ(ReplaceAll(u"a<b<c", u"<", u"&lt;"), u"a&lt;b&lt;c");
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ReplaceAll(u"book.txt", u".TXT", u""), u"book.txt");
  EXPECT_EQ(ReplaceAll(u"a.txt.txt", u".txt", u""), u"a");
  // The replacement is never scanned again.
  EXPECT_EQ(ReplaceAll(u"ab", u"a", u"aa"), u"aab");
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(ReplaceAll(u"", u"a", u"x"), u"");
}

TEST(XmlTextTest, EscapesMarkupAndDropsWhatXmlForbids) {
  EXPECT_EQ(XmlText(u"a<b>&c \"q\" 'q'"), u"a&lt;b&gt;&amp;c \"q\" 'q'");
  EXPECT_EQ(XmlText(std::u16string(u"a\0b\x01\tc\x1F\r\n\uFFFE\uFFFFd\u0085", 14)),
            u"ab\tcd\u0085");
  // Halves that meet after a drop are left to pair; lone ones are left for the writer.
  EXPECT_EQ(XmlText(u"\xD83D\x0001\xDE00"), u"\xD83D\xDE00");
  EXPECT_EQ(XmlText(u"\xDC00<"), u"\xDC00&lt;");
}

TEST(XmlTextTest, ATextIsEmptyAsWrittenWhenNothingButBlanksAndForbiddenCharactersRemain) {
  for (std::u16string_view text :
       {std::u16string_view(u""), std::u16string_view(u" "), std::u16string_view(u"\t \r\n"),
        std::u16string_view(u"\x01\x1F"), std::u16string_view(u" \uFFFE\uFFFF "),
        std::u16string_view(u"\0x", 1)}) {
    EXPECT_TRUE(IsEmptyAsXmlText(text)) << ToUtf8(text);
  }
  for (std::u16string_view text : {std::u16string_view(u"a"), std::u16string_view(u" \x01.\x01 "),
                                   std::u16string_view(u"\u3000"), std::u16string_view(u"\u00A0"),
                                   std::u16string_view(u"\xD800"), std::u16string_view(u"&")}) {
    EXPECT_FALSE(IsEmptyAsXmlText(text)) << ToUtf8(text);
  }
}

TEST(UtfTest, RoundTripsAndSubstitutes) {
  EXPECT_EQ(ToUtf8(u"第一回 😀"), "\xE7\xAC\xAC\xE4\xB8\x80\xE5\x9B\x9E \xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(u"\xD800x\xDFFF"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  EXPECT_EQ(FromUtf8("\xE7\xAC\xAC\xF0\x9F\x98\x80"), u"第😀");
  EXPECT_EQ(FromUtf8("a\xFF"
                     "b\xE7\xAC"),
            u"a\uFFFD"
            "b\uFFFD");
  std::u16string out;
  EXPECT_TRUE(DecodeStrictUtf8("\xE7\xAC\xAC", &out));
  EXPECT_EQ(out, u"第");
  EXPECT_FALSE(DecodeStrictUtf8("\xE7\xAC", &out));             // truncated
  EXPECT_FALSE(DecodeStrictUtf8("\xED\xA0\x80", &out));         // encoded surrogate
  EXPECT_FALSE(DecodeStrictUtf8("\xC0\xAF", &out));             // overlong
  EXPECT_TRUE(DecodeStrictUtf8(std::string("a\0b", 3), &out));  // NUL is valid UTF-8
  EXPECT_EQ(out.size(), 3u);
}

TEST(UtfTest, FileNamesThatAreNotUtf8GoThroughUtf16Unchanged) {
  for (const std::string& name :
       {std::string("\xB5\xDA\xD2\xBB.txt"), std::string("a\xFF\xE7\xAC"),
        std::string("\xED\xA0\x80"), std::string("第一回\xC0\xAF😀"), std::string("plain")}) {
    EXPECT_EQ(ToUtf8(FromUtf8Escaped(name)), name);
  }
  EXPECT_EQ(FromUtf8Escaped("a\xFF第"), u"a\xDCFF第");
  // Only a lone U+DC80..U+DCFF stands for a byte; a pair and other lone surrogates do not.
  EXPECT_EQ(ToUtf8(u"\xD83D\xDC80"), "\xF0\x9F\x92\x80");
  EXPECT_EQ(ToUtf8(u"\xDC7F"), "\xEF\xBF\xBD");
  std::string written;
  AppendUtf8(u"\xDCFF", &written);  // what goes into books: never a byte that is not UTF-8
  EXPECT_EQ(written, "\xEF\xBF\xBD");
}

// Long texts are converted piece by piece; no piece boundary may split or change a
// character. Small pieces over random text show it.
TEST(UtfTest, PiecesGiveTheSameResultAsOneCall) {
  std::mt19937 random(7);
  const std::vector<std::string> atoms = {"a",    "\xC3\xA9", "\xE7\xAC\xAC", "\xF0\x9F\x98\x80",
                                          "\xFF", "\xE7\xAC", "\x80",         "\r\n"};
  for (int round = 0; round < 200; ++round) {
    std::string bytes;
    const bool valid = round % 2 == 0;
    for (int i = 0; i < 40; ++i) bytes += atoms[random() % (valid ? 4 : atoms.size())];
    std::u16string whole;
    const bool whole_valid = detail::AppendFromUtf8Chunked(bytes, &whole, !valid, 1 << 20);
    for (size_t chunk = 4; chunk <= 9; ++chunk) {
      std::u16string pieces;
      EXPECT_EQ(detail::AppendFromUtf8Chunked(bytes, &pieces, !valid, chunk), whole_valid);
      if (whole_valid) {
        EXPECT_EQ(pieces, whole) << "chunk " << chunk;
      }
      std::string back_whole(3 * whole.size(), '\0');
      std::string back_pieces(3 * whole.size(), '\0');
      back_whole.resize(detail::EncodeUtf8Chunked(whole, back_whole.data(), 1 << 20));
      back_pieces.resize(detail::EncodeUtf8Chunked(whole, back_pieces.data(), chunk));
      EXPECT_EQ(back_pieces, back_whole) << "chunk " << chunk;
    }
  }
}

TEST(UtfTest, EncodingPiecesNeverSplitAPair) {
  std::mt19937 random(11);
  const std::vector<std::u16string> atoms = {u"a",      u"\u00E9", u"第", u"\xD83D\xDE00",
                                             u"\xD800", u"\xDC00"};
  for (int round = 0; round < 200; ++round) {
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += atoms[random() % atoms.size()];
    std::string whole(3 * text.size(), '\0');
    whole.resize(detail::EncodeUtf8Chunked(text, whole.data(), 1 << 20));
    for (size_t chunk = 2; chunk <= 7; ++chunk) {
      std::string pieces(3 * text.size(), '\0');
      pieces.resize(detail::EncodeUtf8Chunked(text, pieces.data(), chunk));
      EXPECT_EQ(pieces, whole) << "chunk " << chunk;
    }
  }
}

}  // namespace
}  // namespace quireforge
