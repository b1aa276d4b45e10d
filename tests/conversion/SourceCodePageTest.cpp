// How the code page of a source without mark that is not UTF-8 is chosen: named by the user
// (always wins) or found from the text with the locale's code page as the fallback; every
// sample code page under every common desktop locale; what the job tells of each source.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CodePageSamples.h"
#include "ConversionTestSupport.h"
#include "TestSupport.h"
#include "base/StringOps.h"
#include "conversion/CodePageChoice.h"
#include "conversion/TextFile.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::u16string>;

const char* const kLocales[] = {"C.UTF-8", "en_US.UTF-8", "zh_CN.UTF-8", "zh_TW.UTF-8",
                                "ja_JP.UTF-8"};

// The environment of a desktop in `locale` on which no code page is named.
void SetDesktop(ScopedEnvironment* environment, const char* locale) {
  environment->Set("QUIREFORGE_CODEPAGE", nullptr);
  environment->Set("LC_ALL", locale);
  environment->Set("LC_CTYPE", nullptr);
  environment->Set("LANG", locale);
}

class SourceCodePageTest : public ::testing::Test {
 protected:
  std::u16string File(const std::string& name, const std::string& bytes) {
    WriteFile(temp_ / name, bytes);
    return U16((temp_ / name).string());
  }
  // Reads `path` as a job with `choice` would.
  Lines Read(const std::u16string& path, const CodePageChoice& choice,
             SourceEncoding* encoding = nullptr) {
    return ReadTextFile(path, choice.code_page(),
                        choice.detects() ? CodePageUse::kWhenNotDetected : CodePageUse::kAlways,
                        encoding)
        .ToVector();
  }
  static Lines LinesOf(const std::string& utf8) { return TextLines(U16(utf8)).ToVector(); }

  TempDir temp_;
  ScopedEnvironment environment_;
};

TEST_F(SourceCodePageTest, ANamedCodePageWinsAndAutoAsksForDetection) {
  SetDesktop(&environment_, "zh_TW.UTF-8");
  CodePageChoice choice = CodePageChoice::FromEnvironment();
  EXPECT_TRUE(choice.detects());
  EXPECT_EQ(choice.code_page().Name(), "Big5");  // the locale's, when the text does not tell

  environment_.Set("QUIREFORGE_CODEPAGE", "windows-1251");
  choice = CodePageChoice::FromEnvironment();
  EXPECT_FALSE(choice.detects());
  EXPECT_EQ(choice.code_page().Name(), "windows-1251");
  // The command line's option comes before the variable, "auto" included.
  choice = CodePageChoice::FromEnvironment(std::string("auto"));
  EXPECT_TRUE(choice.detects());
  EXPECT_EQ(choice.code_page().Name(), "Big5");
  choice = CodePageChoice::FromEnvironment(std::string("Shift_JIS"));
  EXPECT_FALSE(choice.detects());
  EXPECT_EQ(choice.code_page().Name(), "Shift_JIS");

  environment_.Set("QUIREFORGE_CODEPAGE", "AUTO");
  EXPECT_TRUE(CodePageChoice::FromEnvironment().detects());
  environment_.Set("QUIREFORGE_CODEPAGE", "");
  EXPECT_TRUE(CodePageChoice::FromEnvironment().detects());

  JobEnvironment job_environment;
  const CodePageChoice named("GB18030");
  named.ApplyTo(&job_environment);
  EXPECT_EQ(job_environment.code_page, &named.code_page());
  EXPECT_FALSE(job_environment.detect_code_page);
  CodePageChoice::Detecting().ApplyTo(&job_environment);
  EXPECT_TRUE(job_environment.detect_code_page);
}

TEST_F(SourceCodePageTest, UnusableNamesAreRefused) {
  SetDesktop(&environment_, "en_US.UTF-8");
  environment_.Set("QUIREFORGE_CODEPAGE", "no-such-page");
  EXPECT_THROW(CodePageChoice::FromEnvironment(), CodePageError);
  // An option that names a usable code page is not held up by the variable.
  EXPECT_FALSE(CodePageChoice::FromEnvironment(std::string("GB18030")).detects());
  // UTF-16 without its byte order, UTF-32 and UTF-7 are not ASCII-compatible; the two byte
  // orders of UTF-16 are accepted for sources without a mark.
  for (const char* name : {"UTF-16", "UTF-32LE", "UTF-7"}) {
    EXPECT_THROW(CodePageChoice::FromEnvironment(std::string(name)), CodePageError) << name;
  }
  EXPECT_FALSE(CodePageChoice::FromEnvironment(std::string("UTF-16LE")).detects());
  EXPECT_THROW(CodePageChoice(""), CodePageError);
  EXPECT_THROW(CodePageChoice("autodetect"), CodePageError);
}

TEST_F(SourceCodePageTest, EveryCodePageUnderEveryLocaleReadsAsWithItsNameGiven) {
  for (const CodePageSample* sample : AllCodePageSamples()) {
    const std::u16string path = File("source.txt", sample->bytes);
    const Lines expected = Read(path, CodePageChoice(sample->code_page));
    EXPECT_EQ(expected, LinesOf(sample->text)) << sample->label;
    for (const char* locale : kLocales) {
      SetDesktop(&environment_, locale);
      SourceEncoding encoding;
      const Lines lines = Read(path, CodePageChoice::FromEnvironment(), &encoding);
      EXPECT_TRUE(lines == expected) << sample->label << " under " << locale;
      EXPECT_EQ(encoding, (SourceEncoding{sample->code_page, EncodingOrigin::kDetected}))
          << sample->label << " under " << locale;
    }
  }
}

TEST_F(SourceCodePageTest, AGb18030NovelGetsTheSameBookUnderEveryLocale) {
  const std::string& bytes = Gb18030Novel().bytes;
  JobBench named_bench("GB18030");
  const auto named =
      named_bench.Build(named_bench.Parameters({named_bench.Source("n.txt", bytes)}));
  ASSERT_EQ(named->ChapterCount(), 100);  // 第一回 to 第一百回
  for (const char* locale : kLocales) {
    SetDesktop(&environment_, locale);
    const CodePageChoice choice = CodePageChoice::FromEnvironment();
    JobBench bench;
    choice.ApplyTo(&bench.environment);
    const std::u16string source = bench.Source("novel.txt", bytes);
    const auto job = bench.Build(bench.Parameters({source}));
    EXPECT_EQ(job->Chapters(), named->Chapters()) << locale;
    ASSERT_EQ(job->PageCounter(), named->PageCounter()) << locale;
    for (int page = 1; page <= job->PageCounter(); ++page) {
      const std::string name = "OEBPS/ch_" + std::to_string(page) + ".html";
      ASSERT_EQ(Staged(*job, name), Staged(*named, name)) << locale << " " << name;
    }
    ASSERT_EQ(job->SourceReadings().size(), 1u);
    EXPECT_EQ(job->SourceReadings()[0].path, source);
    EXPECT_EQ(job->SourceReadings()[0].encoding,
              (SourceEncoding{"GB18030", EncodingOrigin::kDetected}));
  }
}

TEST_F(SourceCodePageTest, ANamedCodePageIsUsedEvenWhenTheTextSaysOtherwise) {
  SetDesktop(&environment_, "en_US.UTF-8");
  environment_.Set("QUIREFORGE_CODEPAGE", "windows-1252");
  const std::u16string path = File("novel.txt", Gb18030Piece().bytes);
  SourceEncoding encoding;
  const Lines lines = Read(path, CodePageChoice::FromEnvironment(), &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"windows-1252", EncodingOrigin::kNamed}));
  EXPECT_EQ(lines, Read(path, CodePageChoice("windows-1252")));
  EXPECT_NE(lines, LinesOf(Gb18030Piece().text));  // the mojibake the user asked for
  // "auto" on the command line still detects.
  EXPECT_EQ(Read(path, CodePageChoice::FromEnvironment(std::string("auto")), &encoding),
            LinesOf(Gb18030Piece().text));
  EXPECT_EQ(encoding.origin, EncodingOrigin::kDetected);
}

TEST_F(SourceCodePageTest, WithoutAConfidentAnswerTheLocalesCodePageServes) {
  // Three non-ASCII characters are no ground for an answer.
  const std::string bytes = "Le caf\xE9 et le th\xE9, na\xEFve.\r\n";
  const std::u16string path = File("short.txt", bytes);
  const std::map<std::string, std::string> fallback = {
      {"C.UTF-8", "windows-1252"}, {"en_US.UTF-8", "windows-1252"}, {"zh_CN.UTF-8", "GB18030"},
      {"zh_TW.UTF-8", "Big5"},     {"ja_JP.UTF-8", "Shift_JIS"},
  };
  for (const auto& [locale, code_page] : fallback) {
    SetDesktop(&environment_, locale.c_str());
    SourceEncoding encoding;
    const Lines lines = Read(path, CodePageChoice::FromEnvironment(), &encoding);
    EXPECT_EQ(encoding, (SourceEncoding{code_page, EncodingOrigin::kFallback})) << locale;
    EXPECT_EQ(lines, Read(path, CodePageChoice(code_page))) << locale;
  }
}

TEST_F(SourceCodePageTest, Utf8CutShortOrWithAFewBrokenBytesIsReadAsUtf8) {
  SetDesktop(&environment_, "zh_CN.UTF-8");
  const CodePageChoice detecting = CodePageChoice::FromEnvironment();
  const std::string novel = CorpusText("三国演义.txt");

  // A download that stopped inside the last character: everything else stays.
  SourceEncoding encoding;
  Lines lines = Read(File("cut.txt", novel + "\xE7\xAC"), detecting, &encoding);
  Lines expected = LinesOf(novel);
  expected.push_back(u"\uFFFD");
  EXPECT_TRUE(lines == expected);
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-8", EncodingOrigin::kDetected}));
  // Only cut at the very end is it found without the detector: a short text too.
  lines = Read(File("short-cut.txt", "\xE7\xAC\xAC\xE4\xB8"), detecting, &encoding);
  EXPECT_EQ(lines, (Lines{u"第\uFFFD"}));
  EXPECT_EQ(encoding.origin, EncodingOrigin::kDetected);
  // But ASCII and a last byte that could open a UTF-8 character is no UTF-8 text.
  SetDesktop(&environment_, "en_US.UTF-8");
  lines = Read(File("cafe.txt", "caf\xE9"), CodePageChoice::FromEnvironment(), &encoding);
  EXPECT_EQ(lines, (Lines{u"caf\u00E9"}));
  EXPECT_EQ(encoding, (SourceEncoding{"windows-1252", EncodingOrigin::kFallback}));

  // A damaged byte in the middle, substituted as the UTF-8 reader does.
  std::string damaged = novel;
  const size_t at = damaged.find("第一回");
  damaged[at + 1] = 'x';  // inside 第
  lines = Read(File("damaged.txt", damaged), detecting, &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-8", EncodingOrigin::kDetected}));
  const Lines read_by_mark =
      ReadTextFile(File("reader.txt", "\xEF\xBB\xBF" + damaged), detecting.code_page()).ToVector();
  EXPECT_TRUE(lines == read_by_mark);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::u16string& line) {
    return line.find(u"\uFFFDx\uFFFD一回") != std::u16string::npos;
  }));

  // With a code page named, such a file goes through it as before.
  lines = Read(File("named.txt", novel + "\xE7\xAC"), CodePageChoice("GB18030"), &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"GB18030", EncodingOrigin::kNamed}));
  EXPECT_NE(lines.front(), LinesOf(novel).front());
}

TEST_F(SourceCodePageTest, MarkedAndValidUtf8SourcesSayWhatTheyWereReadAs) {
  const CodePageChoice detecting = CodePageChoice::Detecting();
  SourceEncoding encoding;
  EXPECT_EQ(Read(File("le.txt", std::string("\xFF\xFE\x41\x00", 4)), detecting, &encoding),
            (Lines{u"A"}));
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-16LE", EncodingOrigin::kMark}));
  Read(File("be.txt", std::string("\xFE\xFF\x00\x41", 4)), detecting, &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-16BE", EncodingOrigin::kMark}));
  Read(File("mark.txt", "\xEF\xBB\xBF\xE7\xAC\xAC"), detecting, &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-8", EncodingOrigin::kMark}));
  Read(File("plain.txt", "\xE7\xAC\xAC"), detecting, &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-8", EncodingOrigin::kValidUtf8}));
  Read(File("empty.txt", ""), detecting, &encoding);
  EXPECT_EQ(encoding, (SourceEncoding{"UTF-8", EncodingOrigin::kValidUtf8}));
}

TEST_F(SourceCodePageTest, EverySourceOfABookGetsItsOwnCodePage) {
  SetDesktop(&environment_, "en_US.UTF-8");
  const CodePageChoice choice = CodePageChoice::FromEnvironment();
  JobBench bench;
  choice.ApplyTo(&bench.environment);
  const std::u16string gb = bench.Source("gb.txt", Gb18030Piece().bytes);
  const std::u16string big5 = bench.Source("big5.txt", Big5Text().bytes);
  const std::u16string utf8 = bench.Source("utf8.txt", "第三回 UTF-8\r\n");
  const std::u16string latin = bench.Source("latin.txt", Windows1252Text().bytes);
  const auto job = bench.Build(bench.Parameters({gb, big5, utf8, latin}));
  ASSERT_EQ(job->SourceReadings().size(), 4u);
  const std::vector<std::pair<std::u16string, SourceEncoding>> expected = {
      {gb, {"GB18030", EncodingOrigin::kDetected}},
      {big5, {"Big5", EncodingOrigin::kDetected}},
      {utf8, {"UTF-8", EncodingOrigin::kValidUtf8}},
      {latin, {"windows-1252", EncodingOrigin::kDetected}},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(job->SourceReadings()[i].path, expected[i].first);
    EXPECT_EQ(job->SourceReadings()[i].encoding, expected[i].second) << i;
  }
  // Each source's first line, decoded in its own code page, titles its chapter.
  EXPECT_EQ(U8(job->ChapterTitle(0)), "第一回 灵根育孕源流出 心性修持大道生");
  EXPECT_EQ(job->ChapterTitle(1), Trim(LinesOf(Big5Text().text).front()));
  EXPECT_EQ(U8(job->ChapterTitle(1)).substr(0, 6), "《西");
  EXPECT_EQ(job->ChapterTitle(2), u"第三回 UTF-8");
  EXPECT_EQ(U8(job->ChapterTitle(3)).substr(0, 30), "Le matin, la petite ville s’");

  // A job without sources reads nothing.
  EXPECT_TRUE(bench.Build(bench.Parameters({}))->SourceReadings().empty());
}

}  // namespace
}  // namespace quireforge::test
