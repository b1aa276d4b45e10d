// Reading sources and writing staged files: the byte-order-mark test, the four decodings,
// line splitting, the two writers, and the errors of files that cannot be read or written.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "CodePageSamples.h"
#include "ConversionTestSupport.h"
#include "TestSupport.h"
#include "conversion/FileErrors.h"
#include "conversion/LegacyCodePage.h"
#include "conversion/TextFile.h"

namespace quireforge::test {
namespace {

using Lines = std::vector<std::u16string>;

class TextFileTest : public ::testing::Test {
 protected:
  std::u16string File(const std::string& name, const std::string& bytes) {
    WriteFile(temp_ / name, bytes);
    return U16((temp_ / name).string());
  }
  Lines Load(const std::string& bytes, const LegacyCodePage* code_page = nullptr) {
    return ReadTextFile(File("source.txt", bytes), code_page ? *code_page : latin_).ToVector();
  }
  TempDir temp_;
  LegacyCodePage latin_{"windows-1252"};
};

TEST_F(TextFileTest, MarkTestTakesWholeMarksOnly) {
  EXPECT_EQ(TestMark(File("a", "\xFF\xFE")), MarkKind::kUtf16LittleEndian);
  EXPECT_EQ(TestMark(File("b", "\xFE\xFF\x00\x41")), MarkKind::kUtf16BigEndian);
  EXPECT_EQ(TestMark(File("c", "\xEF\xBB\xBF")), MarkKind::kUtf8);
  // EF BB is 锘 in GB18030: without BF it is no mark.
  EXPECT_EQ(TestMark(File("d", "\xEF\xBB")), MarkKind::kNone);
  EXPECT_EQ(TestMark(File("e", "\xEF\xBB\x41")), MarkKind::kNone);
  EXPECT_EQ(TestMark(File("f", "\xFF")), MarkKind::kNone);
  EXPECT_EQ(TestMark(File("g", "")), MarkKind::kNone);
  EXPECT_EQ(TestMark(File("h", "\xFE\xFE")), MarkKind::kNone);
}

TEST_F(TextFileTest, DecodesByTheMark) {
  EXPECT_EQ(Load("\xEF\xBB\xBF\x41\r\n\x42"), (Lines{u"A", u"B"}));
  // EF BB without BF is no mark: valid UTF-8 is UTF-8, anything else is in the code page.
  EXPECT_EQ(Load("\xEF\xBB\x41"), (Lines{u"\u00EF\u00BBA"}));
  EXPECT_EQ(Load("\xEF\xBB\x80"), (Lines{u"\xFEC0"}));
  EXPECT_EQ(Load(std::string("\xFF\xFE\x41\x00\x0D\x00\x0A\x00\x42\x00\x43", 11)),
            (Lines{u"A", u"B"}));
  EXPECT_EQ(Load(std::string("\xFE\xFF\x00\x41\x00\x0A\x00\x42", 8)), (Lines{u"A", u"B"}));
  // UTF-16 code units are taken as they are, lone surrogates included.
  EXPECT_EQ(Load(std::string("\xFF\xFE\x00\xD8\x41\x00", 6)), (Lines{u"\xD800"
                                                                     u"A"}));
}

TEST_F(TextFileTest, TextWithoutMarkIsUtf8WhenValidElseTheCodePage) {
  LegacyCodePage gb18030("GB18030");
  EXPECT_EQ(Load("\xE7\xAC\xAC\xE4\xB8\x80\xE5\x9B\x9E", &gb18030), (Lines{u"第一回"}));
  EXPECT_EQ(Load("\xB5\xDA\xD2\xBB\xBB\xD8", &gb18030), (Lines{u"第一回"}));
  EXPECT_EQ(Load("caf\xE9"), (Lines{u"caf\u00E9"}));
  // Valid UTF-8 at the start does not decide: one bad byte at the end sends all of it
  // through the code page.
  EXPECT_EQ(Load("\xC3\xA9t\xE9"), (Lines{u"\u00C3\u00A9t\u00E9"}));
  // Undecodable bytes become substitutes, never errors.
  const Lines garbage = Load("\x81\x30\xFF\x41", &gb18030);
  ASSERT_EQ(garbage.size(), 1u);
  EXPECT_EQ(garbage[0].back(), u'A');
}

TEST_F(TextFileTest, SplitsLinesAtCrLfLfAndCr) {
  EXPECT_EQ(Load("a\r\nb\n\nc\r"), (Lines{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(Load("a\n\rb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(Load("a\r\r\nb"), (Lines{u"a", u"", u"b"}));
  EXPECT_EQ(Load("\r\n"), (Lines{u""}));
  EXPECT_EQ(Load("  x\t "), (Lines{u"  x\t "}));
  EXPECT_EQ(Load(""), Lines{});
  EXPECT_EQ(Load("\xEF\xBB\xBF"), Lines{});
}

TEST_F(TextFileTest, TextEndsAtItsFirstNul) {
  EXPECT_EQ(Load(std::string("ab\0cd\r\nef", 9)), (Lines{u"ab"}));
  EXPECT_EQ(Load(std::string("ab\r\n\0cd", 7)), (Lines{u"ab"}));
  EXPECT_EQ(Load(std::string("\0abc", 4)), Lines{});
  // Junk after the NUL that ends a text, as real books have it, is no more than a few bytes.
  SourceEncoding encoding;
  for (const std::string& junk : {std::string(), std::string("\x1A", 1), std::string(16, 'x'),
                                  std::string(4000, '\0') + "0123456789abcdef"}) {
    ReadTextFile(File("junk.txt", std::string("text\r\n\0", 7) + junk), latin_,
                 CodePageUse::kAlways, &encoding);
    EXPECT_EQ(encoding.bytes_after_nul, 0u) << junk.size();
  }
}

TEST_F(TextFileTest, TextLeftOutAfterANulIsCounted) {
  SourceEncoding encoding;
  const auto bytes_after_nul = [&](const std::string& bytes, const LegacyCodePage& code_page) {
    ReadTextFile(File("nul.txt", bytes), code_page, CodePageUse::kAlways, &encoding);
    return encoding.bytes_after_nul;
  };
  const std::string half = "第一章\r\n" + std::string(100, 'x') + "\r\n";
  EXPECT_EQ(bytes_after_nul(half + '\0' + half, latin_), half.size());  // UTF-8
  const LegacyCodePage gb18030("GB18030");
  EXPECT_EQ(bytes_after_nul("\xB5\xDA\r\n" + std::string(1, '\0') + std::string(17, 'y'), gb18030),
            17u);
  EXPECT_EQ(bytes_after_nul(std::string("\xFF\xFE\x41\0\0\0", 6) + std::string(40, 'z'), latin_),
            40u);  // after the zero unit of UTF-16
  // Text after a hole is found without reading the hole.
  const std::u16string path = File("holes.txt", std::string("head\0", 5));
  std::filesystem::resize_file(temp_ / "holes.txt", uintmax_t{1} << 40);
  {
    std::fstream file(temp_ / "holes.txt", std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(uint64_t{1} << 39);
    file << std::string(100, 't');
  }
  ReadTextFile(path, latin_, CodePageUse::kAlways, &encoding);
  EXPECT_EQ(encoding.bytes_after_nul, (uint64_t{1} << 40) - 5);
}

TEST_F(TextFileTest, Utf16WithoutAMarkIsToldByItsZeroBytes) {
  const auto utf16 = [](const std::u16string& text, bool big_endian) {
    std::string bytes;
    for (const char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  // Chinese text has ASCII units (line breaks) in one order and 一 (U+4E00) in the other.
  const std::u16string chinese = U16("第一章 一个人\r\n一一一一一一\r\n一二三\r\n");
  SourceEncoding encoding;
  for (const bool big_endian : {false, true}) {
    for (const std::u16string& text :
         {std::u16string(u"AB"), std::u16string(u"Hello\r\nWorld"), chinese}) {
      const Lines lines = ReadTextFile(File("u16.txt", utf16(text, big_endian)), latin_,
                                       CodePageUse::kAlways, &encoding)
                              .ToVector();
      EXPECT_EQ(lines, TextLines(std::u16string(text)).ToVector()) << big_endian;
      EXPECT_EQ(encoding,
                (SourceEncoding{big_endian ? "UTF-16BE" : "UTF-16LE", EncodingOrigin::kDetected}));
    }
  }
  // Zero bytes that only follow the text do not make it UTF-16.
  for (const std::string& bytes :
       {std::string("abc\r\n\0\0\0\0", 9), std::string("ab\r\n\0x\0y", 8), std::string("A\0", 2)}) {
    ReadTextFile(File("u8.txt", bytes), latin_, CodePageUse::kAlways, &encoding);
    EXPECT_EQ(encoding.origin, EncodingOrigin::kValidUtf8) << bytes;
  }
  // Whole novels, paragraphs of hundreds of characters without a zero byte among them, in
  // either byte order.
  for (const char* novel : {"西游记.txt", "三国演义.txt"}) {
    const std::u16string text = U16(CorpusText(novel));
    for (const bool big_endian : {false, true}) {
      const size_t lines = ReadTextFile(File("novel.txt", utf16(text, big_endian)), latin_,
                                        CodePageUse::kAlways, &encoding)
                               .size();
      EXPECT_EQ(lines, TextLines(std::u16string(text)).size()) << novel;
      EXPECT_EQ(encoding.origin, EncodingOrigin::kDetected) << novel << big_endian;
    }
  }
}

TEST_F(TextFileTest, Utf16CanBeNamedForSourcesWithoutAMark) {
  const LegacyCodePage little("UTF-16LE"), big("utf16be");
  EXPECT_EQ(little.utf16(), LegacyCodePage::Utf16::kLittleEndian);
  EXPECT_EQ(big.utf16(), LegacyCodePage::Utf16::kBigEndian);
  SourceEncoding encoding;
  // One character, which its zero bytes alone would not tell.
  EXPECT_EQ(ReadTextFile(File("a", std::string("\0N", 2)), big, CodePageUse::kAlways, &encoding)
                .ToVector(),
            (Lines{u"N"}));
  EXPECT_EQ(encoding, (SourceEncoding{"utf16be", EncodingOrigin::kNamed}));
  EXPECT_EQ(ReadTextFile(File("b", std::string("\x00\x4E", 2)), little).ToVector(),
            (Lines{U16("一")}));
  // A mark still wins.
  EXPECT_EQ(ReadTextFile(File("c", std::string("\xFE\xFF\0N", 4)), little).ToVector(),
            (Lines{u"N"}));
  // The plain writer, which writes ASCII documents, stays ASCII-compatible.
  WritePlainLines(File("d", ""), {u"mimetype"}, little);
  EXPECT_EQ(ReadFile(temp_ / "d"), "mimetype\r\n");
  EXPECT_THROW(LegacyCodePage("UTF-16"), CodePageError);
  EXPECT_THROW(LegacyCodePage("UTF-32LE"), CodePageError);
}

TEST_F(TextFileTest, NothingAfterTheFirstNulIsReadOrKept) {
  // Each text is followed by a hole that makes the file 15 TB long and reads as zeros: the
  // text ends at the first zero byte (a zero unit in UTF-16), and the rest is never read.
  const LegacyCodePage gb18030("GB18030");
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"\xE7\xAC\xAC\xE4\xB8\x80\xE7\xAB\xA0\r\nabc", {U16("第一章"), u"abc"}},
      {"\xB5\xDA\xD2\xBB\xD5\xC2\r\nabc", {U16("第一章"), u"abc"}},  // GB18030, no UTF-8
      {std::string("\xFF\xFE\x00\x4E\x0A\x00\x41\x00", 8), {U16("一"), u"A"}},
      {std::string("\xFE\xFF\x4E\x00\x00\x0A\x00\x41", 8), {U16("一"), u"A"}},
  };
  for (const auto& [bytes, lines] : cases) {
    const std::u16string path = File("sparse.txt", bytes);
    std::filesystem::resize_file(temp_ / "sparse.txt", uintmax_t{15} << 40);
    EXPECT_EQ(ReadTextFile(path, gb18030).ToVector(), lines);
  }
}

TEST_F(TextFileTest, WritersJoinWithCrLf) {
  const std::u16string plain = File("plain", "");
  const std::u16string utf8 = File("utf8", "");
  WritePlainLines(plain, {u"abc"}, latin_);
  WriteUtf8Lines(utf8, {u"abc"});
  EXPECT_EQ(ReadFile(U8(plain)), "abc\r\n");
  EXPECT_EQ(ReadFile(U8(utf8)),
            "\xEF\xBB\xBF"
            "abc\r\n");

  WritePlainLines(plain, {}, latin_);
  WriteUtf8Lines(utf8, {});
  EXPECT_EQ(ReadFile(U8(plain)), "");
  EXPECT_EQ(ReadFile(U8(utf8)), "\xEF\xBB\xBF");

  WritePlainLines(plain, {u"caf\u00E9", u"中"}, latin_);
  EXPECT_EQ(ReadFile(U8(plain)), "caf\xE9\r\n\x1A\r\n");  // ICU's substitute for 中
  LegacyCodePage gb18030("GB18030");
  WritePlainLines(plain, {u"第一回"}, gb18030);
  EXPECT_EQ(ReadFile(U8(plain)), "\xB5\xDA\xD2\xBB\xBB\xD8\r\n");

  // Unpaired surrogates become U+FFFD; pairs become one four-byte character.
  WriteUtf8Lines(utf8, {std::u16string(u"a\xDC00"
                                       u"b\xD83D\xDE00")});
  EXPECT_EQ(ReadFile(U8(utf8)),
            "\xEF\xBB\xBF"
            "a\xEF\xBF\xBD"
            "b\xF0\x9F\x98\x80\r\n");
}

TEST_F(TextFileTest, AWriterReplacesAnExistingFileWhole) {
  const std::u16string path = File("old", std::string(1000, 'x'));
  WriteUtf8Lines(path, {u"new"});
  EXPECT_EQ(ReadFile(U8(path)),
            "\xEF\xBB\xBF"
            "new\r\n");
}

TEST_F(TextFileTest, FilesThatCannotBeOpenedNameThemselves) {
  const std::string missing = (temp_ / "missing.txt").string();
  EXPECT_EQ(ErrorOf<FileError>([&] { TestMark(U16(missing)); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
  EXPECT_EQ(ErrorOf<FileError>([&] { ReadTextFile(U16(missing), latin_); }),
            "Cannot open file \"" + missing + "\". No such file or directory");

  const std::string folder = (temp_ / "folder.txt").string();
  std::filesystem::create_directory(folder);
  EXPECT_EQ(ErrorOf<FileError>([&] { TestMark(U16(folder)); }),
            "Cannot open file \"" + folder + "\". Is a directory");
  EXPECT_EQ(ErrorOf<FileError>([&] { LoadTextFile(U16(folder), MarkKind::kNone, latin_); }),
            "Cannot open file \"" + folder + "\". Is a directory");

  // A device or a pipe would never end or block: refused at once.
  EXPECT_EQ(ErrorOf<FileError>([&] { ReadTextFile(u"/dev/zero", latin_); }),
            "Cannot open file \"/dev/zero\". Not a regular file");
  const std::string fifo = (temp_ / "fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ErrorOf<FileError>([&] { ReadTextFile(U16(fifo), latin_); }),
            "Cannot open file \"" + fifo + "\". Not a regular file");
}

TEST_F(TextFileTest, AnUnreadableSourceNamesItself) {
  // Root reads everything: the read is tried as the user nobody.
  std::filesystem::permissions(
      temp_.path(), std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
  const std::u16string path = File("secret.txt", "text");
  chmod(U8(path).c_str(), 0600);
  LegacyCodePage& latin = latin_;
  EXPECT_EQ(RunAsNobody([&] { ReadTextFile(path, latin); }),
            "Cannot open file \"" + U8(path) + "\". Permission denied");
}

TEST_F(TextFileTest, FilesThatCannotBeCreatedNameThemselves) {
  const std::string path = (temp_ / "no-folder" / "x.html").string();
  EXPECT_EQ(ErrorOf<FileError>([&] { WriteUtf8Lines(U16(path), {u"x"}); }),
            "Cannot create file \"" + path + "\". No such file or directory");

  const std::string locked = (temp_ / "locked").string();
  std::filesystem::create_directory(locked);
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(locked)), 0);
  const std::string inside = locked + "/x.css";
  EXPECT_EQ(ErrorOf<FileError>([&] { WritePlainLines(U16(inside), {u"x"}, latin_); }),
            "Cannot create file \"" + inside + "\". Operation not permitted");
  RunCommand("chattr -i " + ShellQuote(locked));
}

TEST_F(TextFileTest, AFullDiskLeavesNoHalfWrittenFile) {
  const std::filesystem::path disk = temp_ / "disk";
  std::filesystem::create_directory(disk);
  ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k"), 0) << strerror(errno);
  const std::string path = (disk / "ch_1.html").string();
  const std::u16string big(100000, u'x');
  EXPECT_EQ(ErrorOf<FileError>([&] { WriteUtf8Lines(U16(path), {big}); }),
            "Stream write error in file \"" + path + "\". No space left on device");
  EXPECT_FALSE(std::filesystem::exists(path));
  umount(disk.c_str());
}

}  // namespace
}  // namespace quireforge::test
