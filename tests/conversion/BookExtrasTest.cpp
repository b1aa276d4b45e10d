// What a job adds to a book beyond the window's options: volumes beside the chapter list, a
// cover picture with its page, and the book's language. Real sources and pictures in a
// private folder, the staged tree read back byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ConversionTestSupport.h"
#include "conversion/BookOutline.h"
#include "conversion/ConvertFile.h"
#include "conversion/CoverImage.h"
#include "conversion/FileErrors.h"
#include "conversion/LanguageTag.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Stand-in for the volume rule: a line starting with 第 that holds 卷.
bool StandInVolumeHead(std::u16string_view line) {
  return line.starts_with(u'第') && line.find(u'卷') != std::u16string_view::npos;
}

Strings Outline(const TConvertFile& job) {
  Strings items;
  for (const OutlineItem& item : BookOutline(job.Chapters(), job.Volumes())) {
    items.push_back(std::string(item.depth == 2 ? "  " : "") + U8(std::u16string(item.entry)));
  }
  return items;
}

// --- Volumes ------------------------------------------------------------------------------

// A chapter before the first volume, a volume with a chapter, an empty volume, and a volume
// whose line is also a chapter heading.
constexpr const char* kVolumeText =
    "Preface\r\n第一章 楔子\r\nbody 1\r\n第一卷 风起\r\n第二章 甲\r\nbody 2\r\n第二卷 空\r\n"
    "第三卷 云涌 第三章 乙\r\nbody 3\r\n第四章 丙\r\n";

TEST(VolumesTest, VolumeLinesOpenPagesAndStandBesideTheChapters) {
  JobBench bench;
  bench.environment.is_volume_head = StandInVolumeHead;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", kVolumeText)}));
  // A volume line opens its volume only, even when the chapter test takes it too.
  EXPECT_EQ(U8(job->Chapters()[0]), "ch_2.html=第一章 楔子");
  EXPECT_EQ(job->ChapterCount(), 3);
  ASSERT_EQ(job->Volumes().size(), 3u);
  EXPECT_EQ(job->Volumes()[0].first_chapter, 1u);
  EXPECT_EQ(job->Volumes()[1].first_chapter, 2u);
  EXPECT_EQ(job->Volumes()[2].first_chapter, 2u);
  EXPECT_EQ(Outline(*job), (Strings{"ch_2.html=第一章 楔子", "ch_3.html=第一卷 风起",
                                    "  ch_4.html=第二章 甲", "ch_5.html=第二卷 空",
                                    "ch_6.html=第三卷 云涌 第三章 乙", "  ch_7.html=第四章 丙"}));
  // Every volume line begins a page, as a heading does.
  EXPECT_EQ(Staged(*job, "OEBPS/ch_3.html"), PageBytes(3, {"<p>第一卷 风起</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_5.html"), PageBytes(5, {"<p>第二卷 空</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_6.html"),
            PageBytes(6, {"<p>第三卷 云涌 第三章 乙</p>", "<p>body 3</p>"}));
  EXPECT_EQ(job->PageCounter(), 7);
  EXPECT_EQ(Staged(*job, "OEBPS/book.opf"),
            PackageBytes("Book", "Author", U8(job->Identifier()), 7));
}

TEST(VolumesTest, RemovingAChapterKeepsTheVolumesInStep) {
  JobBench bench;
  bench.environment.is_volume_head = StandInVolumeHead;
  auto job = bench.Build(bench.Parameters({bench.Source("novel.txt", kVolumeText)}));
  job->DeleteChapter(1);  // 第二章, the only chapter of 第一卷
  EXPECT_EQ(Outline(*job),
            (Strings{"ch_2.html=第一章 楔子", "ch_3.html=第一卷 风起", "ch_5.html=第二卷 空",
                     "ch_6.html=第三卷 云涌 第三章 乙", "  ch_7.html=第四章 丙"}));
  job->DeleteChapter(0);
  EXPECT_EQ(Outline(*job), (Strings{"ch_3.html=第一卷 风起", "ch_5.html=第二卷 空",
                                    "ch_6.html=第三卷 云涌 第三章 乙", "  ch_7.html=第四章 丙"}));
}

TEST(VolumesTest, VolumesNeedNoChapterDetectionAndNeverComeFromSeveralSources) {
  JobBench bench;
  bench.environment.is_volume_head = StandInVolumeHead;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", kVolumeText)});
  parameters.options.chapters = false;
  auto job = bench.Build(parameters);
  EXPECT_EQ(Outline(*job), (Strings{"ch_2.html=第一卷 风起", "ch_3.html=第二卷 空",
                                    "ch_4.html=第三卷 云涌 第三章 乙"}));
  // Several sources: each is one chapter; lines are never tested, volume lines neither.
  auto several = bench.Build(bench.Parameters(
      {bench.Source("a.txt", "第一卷 风起\r\ntext\r\n"), bench.Source("b.txt", kVolumeText)}));
  EXPECT_EQ(Outline(*several), (Strings{"ch_1.html=第一卷 风起", "ch_2.html=Preface"}));
  EXPECT_TRUE(several->Volumes().empty());
}

TEST(VolumesTest, TheOutlinePutsAVolumeBeyondTheListLast) {
  const std::vector<std::u16string> chapters = {u"ch_1.html=a", u"ch_2.html=b"};
  const std::vector<VolumeEntry> volumes = {{0, u"ch_1.html=V1"}, {5, u"ch_9.html=V2"}};
  Strings items;
  for (const OutlineItem& item : BookOutline(chapters, volumes)) {
    items.push_back(std::to_string(item.depth) + U8(std::u16string(item.entry)));
  }
  EXPECT_EQ(items, (Strings{"1ch_1.html=V1", "2ch_1.html=a", "2ch_2.html=b", "1ch_9.html=V2"}));
  EXPECT_TRUE(BookOutline({}, {}).empty());
}

// --- Cover pictures -----------------------------------------------------------------------

// Makes a picture with ImageMagick; `options` go before the output name, `format` (such as
// "png:") names the kind when the name should not.
fs::path Picture(const fs::path& dir, const std::string& name, const std::string& options,
                 const std::string& format = "") {
  const fs::path path = dir / name;
  EXPECT_EQ(RunCommand("convert " + options + " " + format + ShellQuote(path.string())), 0) << name;
  return path;
}

TEST(CoverImageTest, JpegAndPngAreRecognisedByContentWithTheirSize) {
  TempDir temp;
  const struct {
    std::string name, options, format, media_type;
    uint32_t width, height;
  } cases[] = {
      {"a.jpg", "-size 600x800 xc:navy", "", "image/jpeg", 600, 800},
      {"b.jpg", "-size 321x123 xc:red -interlace Plane", "", "image/jpeg", 321, 123},
      {"c.png", "-size 90x40 xc:orange", "", "image/png", 90, 40},
      // The name says nothing: a PNG called .jpg is a PNG, a JPEG without extension a JPEG.
      {"d.jpg", "-size 7x9 xc:white", "png:", "image/png", 7, 9},
      {"e", "-size 5x5 xc:white", "jpeg:", "image/jpeg", 5, 5},
  };
  for (const auto& c : cases) {
    const fs::path path = Picture(temp.path(), c.name, c.options, c.format);
    const CoverImage image = ReadCoverImage(U16(path.string()));
    EXPECT_EQ(U8(std::u16string(image.media_type)), c.media_type) << c.name;
    EXPECT_EQ(U8(std::u16string(image.file_name)),
              c.media_type == "image/png" ? "cover.png" : "cover.jpg");
    EXPECT_EQ(image.width, c.width) << c.name;
    EXPECT_EQ(image.height, c.height) << c.name;
    EXPECT_EQ(image.bytes, ReadFile(path)) << c.name;
  }
}

std::string BigEndian32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

// One PNG chunk: length, type, data and the CRC-32 of type and data (computed here bit by bit,
// apart from the program's table).
std::string PngChunk(const std::string& type, const std::string& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : type + data) {
    crc ^= static_cast<unsigned char>(byte);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0);
  }
  return BigEndian32(static_cast<uint32_t>(data.size())) + type + data + BigEndian32(~crc);
}

std::string Ihdr(uint32_t width, uint32_t height) {
  return PngChunk("IHDR",
                  BigEndian32(width) + BigEndian32(height) + std::string("\x08\x02\0\0\0", 5));
}

TEST(CoverImageTest, DamagedPicturesAreRefusedSayingWhatIsWrong) {
  TempDir temp;
  const std::string png = ReadFile(Picture(temp.path(), "real.png", "-size 10x10 xc:blue"));
  const std::string jpeg = ReadFile(Picture(temp.path(), "real.jpg", "-size 10x8 xc:red"));
  const std::string signature = "\x89PNG\r\n\x1A\n";
  const std::string rest = png.substr(signature.size() + 25);  // what follows IHDR
  const size_t idat = png.find("IDAT") - 4;
  const size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  const size_t scan = jpeg.find("\xFF\xDA");
  std::string bad_crc = png;
  bad_crc[signature.size() + 8 + 13] ^= 1;
  std::string tall = jpeg;  // a height of 0 (to come in a DNL segment, which readers ignore)
  tall.replace(frame + 5, 2, std::string(2, '\0'));
  std::string short_frame = jpeg;  // a frame header of 7 bytes
  short_frame[frame + 3] = 7;
  const struct {
    std::string bytes, problem;
  } cases[] = {
      {"not a picture at all\r\n", "It is neither a JPEG nor a PNG picture."},
      {"", "It is neither a JPEG nor a PNG picture."},
      // The signature and IHDR's length, type and sizes only: 24 bytes.
      {png.substr(0, 24),
       "It is a damaged PNG picture: it ends inside its IHDR chunk (it may be cut short)."},
      {signature + Ihdr(0xFFFFFFFFu, 10) + rest,
       "It is a damaged PNG picture: its width 4294967295 is larger than PNG allows (2147483647)."},
      {signature + Ihdr(10, 0x80000000u) + rest,
       "It is a damaged PNG picture: its height 2147483648 is larger than PNG allows "
       "(2147483647)."},
      {signature + Ihdr(0, 10) + rest, "It is a damaged PNG picture: its width is 0."},
      {signature + PngChunk("IHDR", "") + rest,
       "It is a damaged PNG picture: its IHDR chunk has 0 bytes instead of 13."},
      {bad_crc, "It is a damaged PNG picture: the CRC of its IHDR chunk is wrong."},
      {png.substr(0, idat + 12),
       "It is a damaged PNG picture: it ends inside its IDAT chunk (it may be cut short)."},
      {png.substr(0, idat),
       "It is a damaged PNG picture: it ends before its IEND chunk (it may be cut short)."},
      {signature + Ihdr(10, 10) + PngChunk("IEND", ""),
       "It is a damaged PNG picture: it has no image data (IDAT chunk)."},
      {jpeg.substr(0, frame + 19),
       "It is a damaged JPEG picture: it ends before its image data (it may be cut short)."},
      {short_frame,
       "It is a damaged JPEG picture: its frame header (SOF) has the wrong length for its "
       "components."},
      {tall, "It is a damaged JPEG picture: its height is 0."},
      {jpeg.substr(0, jpeg.size() - 3),
       "It is a damaged JPEG picture: it does not end with an end-of-image marker (it may be cut "
       "short)."},
      {jpeg.substr(0, frame) + jpeg.substr(scan),
       "It is a damaged JPEG picture: it has no frame header (SOF) before its image data."},
  };
  for (const auto& c : cases) {
    const fs::path path = temp / "cover";
    WriteFile(path, c.bytes);
    EXPECT_EQ(ErrorOf([&] { ReadCoverImage(U16(path.string())); }),
              "Cannot use cover image \"" + path.string() + "\". " + c.problem);
  }
  // What ImageMagick writes passes, and so does a picture built here from the same parts.
  for (const std::string& sound : {png, jpeg, signature + Ihdr(10, 10) + rest}) {
    CoverImage image;
    EXPECT_EQ(CoverImageProblem(sound, &image), "");
    EXPECT_EQ(image.width, 10u);
  }
}

TEST(CoverImageTest, WhatCannotBeReadIsRefusedNamingTheFile) {
  TempDir temp;
  const fs::path png = Picture(temp.path(), "real.png", "-size 10x10 xc:blue");
  EXPECT_EQ(
      ErrorOf([&] { ReadCoverImage(U16((temp / "missing.jpg").string())); }),
      "Cannot open file \"" + (temp / "missing.jpg").string() + "\". No such file or directory");
  EXPECT_EQ(ErrorOf([&] { ReadCoverImage(U16(temp.path().string())); }),
            "Cannot open file \"" + temp.path().string() + "\". Is a directory");
  // A picture the user may not read.
  chmod(png.c_str(), 0600);
  EXPECT_EQ(RunAsNobody([&] { ReadCoverImage(U16(png.string())); }),
            "Cannot open file \"" + png.string() + "\". Permission denied");
  // A pipe is refused at once instead of waiting for a writer.
  ASSERT_EQ(mkfifo((temp / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(ErrorOf([&] { ReadCoverImage(U16((temp / "pipe").string())); }),
            "Cannot open file \"" + (temp / "pipe").string() + "\". Not a regular file");
  // A huge file is not read whole.
  fs::resize_file(fs::path(png), kMaxCoverBytes + 1);
  EXPECT_EQ(ErrorOf([&] { ReadCoverImage(U16(png.string())); }),
            "Cannot use cover image \"" + png.string() + "\". It is larger than 64 MB.");
}

TEST(CoverImageTest, TheCoverIsStagedWithItsPageAndNamedInThePackage) {
  JobBench bench;
  const fs::path jpeg = Picture(bench.dir(), "cover art.jpeg", "-size 300x400 xc:green");
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "text\r\n")});
  parameters.options.cover = U16(jpeg.string());
  parameters.title = u"A & B";
  auto job = bench.Build(parameters);
  EXPECT_EQ(Staged(*job, "OEBPS/cover.jpg"), ReadFile(jpeg));
  // The page fills the screen with an SVG view box of the picture's own size.
  const std::string page = Staged(*job, "OEBPS/cover.html");
  for (const char* part :
       {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" ", "<title>A &amp; B</title>",
        "width=\"100%\" height=\"100%\" viewBox=\"0 0 300 400\" "
        "preserveAspectRatio=\"xMidYMid meet\">\r\n"
        "<image width=\"300\" height=\"400\" xlink:href=\"cover.jpg\" />\r\n"}) {
    EXPECT_NE(page.find(part), std::string::npos) << part << page;
  }
  EXPECT_EQ(XmlProblems(StagingDir(*job) / "OEBPS/cover.html"), "");
  // The package: the cover's meta line, its two items after the fixed ones, the cover page
  // first in the spine, and the guide.
  std::string expected = PackageBytes("A &amp; B", "Author", U8(job->Identifier()), 1);
  const auto insert_after = [&expected](const std::string& line, const std::string& added) {
    const size_t at = expected.find(line);
    ASSERT_NE(at, std::string::npos) << line;
    expected.insert(at + line.size(), added);
  };
  insert_after("</dc:creator>\r\n", "<meta name=\"cover\" content=\"cover-image\"/>\r\n");
  insert_after("media-type=\"application/x-dtbncx+xml\"/>\r\n",
               "<item id=\"cover-image\" href=\"cover.jpg\" media-type=\"image/jpeg\"/>\r\n"
               "<item id=\"cover\" href=\"cover.html\" media-type=\"application/xhtml+xml\"/>\r\n");
  insert_after("<spine toc=\"ncx\">\r\n", "<itemref idref=\"cover\" />\r\n");
  insert_after("</spine>\r\n",
               "<guide>\r\n<reference type=\"cover\" title=\"Cover\" href=\"cover.html\"/>\r\n"
               "</guide>\r\n");
  EXPECT_EQ(Staged(*job, "OEBPS/book.opf"), expected);
  EXPECT_EQ(XmlProblems(StagingDir(*job) / "OEBPS/book.opf"), "");
}

TEST(CoverImageTest, ABadCoverFailsTheJobBeforeAnythingIsWritten) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "text\r\n")});
  parameters.options.cover = bench.Source("cover.png", "GIF89a not ours");
  EXPECT_THROW(bench.Build(parameters), FileError);
  parameters.options.cover = U16((bench.dir() / "missing.png").string());
  EXPECT_THROW(bench.Build(parameters), FileError);
  EXPECT_TRUE(fs::is_empty(bench.staging_root()));
  EXPECT_TRUE(bench.ui.calls.empty());  // not even the progress window was shown
}

// --- Language -----------------------------------------------------------------------------

TEST(LanguageTagTest, WellFormedTagsAreAcceptedAndOthersRefused) {
  for (const char16_t* tag :
       {u"en", u"zh", u"zh-Hant", u"zh-Hans-CN", u"ja-JP", u"ko", u"de-CH-1996", u"sl-rozaj-biske",
        u"zh-yue-HK", u"en-GB-oxendict", u"es-419", u"en-a-bbb-x-a-ccc", u"x-whatever",
        u"qaa-Qaaa-QM-x-southern", u"i-klingon", u"en-GB-oed", u"ZH-hANT", u"tlh", u"abcde"}) {
    EXPECT_TRUE(IsWellFormedLanguageTag(tag)) << U8(tag);
  }
  for (const char16_t* tag : {u"",
                              u"e",
                              u"zh_CN",
                              u"zh-",
                              u"-zh",
                              u"zh--CN",
                              u"english1",
                              u"abcdefghi",
                              u"en-US-",
                              u"de-419-DE",
                              u"a-DE",
                              u"en-a",
                              u"en-a-b",
                              u"x",
                              u"x-",
                              u"en-x",
                              u"zh Hant",
                              u"日本語",
                              u"en-toolongsubtag",
                              u"auto1"}) {
    EXPECT_FALSE(IsWellFormedLanguageTag(tag)) << U8(tag);
  }
}

TEST(LanguageTagTest, TheGuessFollowsTheScriptsOfTheLetters) {
  const auto guess = [](const std::string& text) {
    LanguageGuess counter;
    counter.Count(U16(text));
    return U8(std::u16string(counter.Language()));
  };
  EXPECT_EQ(guess("第一回 灵根育孕源流出，心性修持大道生。Chapter"), "zh");
  EXPECT_EQ(guess("吾輩は猫である。名前はまだ無い。"), "ja");
  EXPECT_EQ(guess("東京大学の研究者"), "ja");  // kana a tenth of the letters or more
  EXPECT_EQ(guess("대한민국의 수도는 서울이다."), "ko");
  EXPECT_EQ(guess("It was the best of times."), "en");
  EXPECT_EQ(guess("Привет, мир"), "en");
  EXPECT_EQ(guess("1234 ・ー。、"), "en");  // no letters at all
  EXPECT_EQ(guess("杰弗里・扬"), "zh");     // the middle dot is no kana
  // Supplementary Han characters count as Han.
  EXPECT_EQ(guess("\xF0\xA0\x80\x80\xF0\xA0\x80\x81\xF0\xA0\x80\x82 ab"), "zh");
}

TEST(LanguageTagTest, TheJobWritesTheLanguageOrGuessesIt) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "text\r\n")});
  parameters.options.language = u"zh-Hant";
  auto job = bench.Build(parameters);
  EXPECT_EQ(job->Language(), u"zh-Hant");
  EXPECT_NE(Staged(*job, "OEBPS/book.opf").find("\r\n<dc:language>zh-Hant</dc:language>\r\n"),
            std::string::npos);
  parameters = bench.Parameters(
      {bench.Source("ja.txt", "\r\n吾輩は猫である。\r\n"), bench.Source("en.txt", "Cat.\r\n")});
  parameters.options.language = u"auto";
  job = bench.Build(parameters);
  EXPECT_EQ(job->Language(), u"ja");
  EXPECT_NE(Staged(*job, "OEBPS/book.opf").find("<dc:language>ja</dc:language>"),
            std::string::npos);
  // English, named or found, is written as every book before: "en", and "en-US" in toc.ncx.
  parameters.options.language = u"en";
  job = bench.Build(parameters);
  EXPECT_EQ(job->Language(), u"");
  EXPECT_NE(Staged(*job, "OEBPS/book.opf").find("<dc:language>en</dc:language>"),
            std::string::npos);
}

}  // namespace
}  // namespace quireforge::test
