#include "conversion/ConvertFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <optional>
#include <stdexcept>

#include "base/Utf.h"
#include "conversion/CoverImage.h"
#include "conversion/CoverPage.h"
#include "conversion/JobIdentifier.h"
#include "conversion/LanguageTag.h"
#include "conversion/PackageDocuments.h"
#include "conversion/PageSplitter.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

// The folders inside the staging directory, in the order they are created.
constexpr const char16_t* kFolders[] = {u"/OEBPS", u"/OEBPS/css", u"/META-INF"};

constexpr std::u16string_view kGuessLanguage = u"auto";

void CheckLanguage(const std::u16string& language) {
  if (language.empty() || language == kGuessLanguage || IsWellFormedLanguageTag(language)) return;
  throw std::invalid_argument("Language tag \"" + ToUtf8(language) +
                              "\" is not a well-formed BCP 47 tag.");
}

void CheckIndent(const std::optional<int32_t>& indent) {
  if (!indent || (*indent >= 0 && *indent <= kMaxIndent)) return;
  throw std::invalid_argument("Indent " + std::to_string(*indent) + " is not between 0 and " +
                              std::to_string(kMaxIndent) + ".");
}

}  // namespace

TConvertFile::TConvertFile(const JobParameters& parameters, const JobEnvironment& environment) {
  if (environment.ui == nullptr || environment.code_page == nullptr ||
      (!environment.is_chapter_head && !environment.find_headings)) {
    throw std::invalid_argument(
        "TConvertFile needs a user interface, a code page and a chapter-head test");
  }
  identifier_ = NewJobIdentifier();
  if (parameters.sources.empty() || identifier_.empty()) {
    identifier_.clear();  // an empty job: nothing on disk, nothing to remove
    return;
  }
  try {
    Build(parameters, environment);
  } catch (...) {
    // The working lists are gone with Build's frames; what was written stays until the
    // staging root is removed.
    RemoveStagingDirectories();
    throw;
  }
}

TConvertFile::~TConvertFile() { RemoveStagingDirectories(); }

void TConvertFile::Build(const JobParameters& parameters, const JobEnvironment& environment) {
  target_path_ = parameters.target_path;
  staging_path_ = environment.staging_root + u"/" + identifier_;
  title_ = parameters.title;
  author_ = parameters.author;
  margin_ = parameters.margin;
  line_height_ = parameters.line_height;
  font_size_ = parameters.font_size;
  weight_line_ = parameters.weight_line;
  font_file_ = parameters.font_file;
  detect_chapters_ = parameters.detect_chapters;
  file_name_as_chapter_ = parameters.file_name_as_chapter;
  epub3_ = parameters.epub3;
  CheckLanguage(parameters.language);
  CheckIndent(parameters.indent);
  // The cover is read before anything is written, so that a bad one leaves nothing behind.
  std::optional<CoverImage> cover;
  if (!parameters.cover_image.empty()) cover = ReadCoverImage(parameters.cover_image);

  // Results are not checked: a folder that is missing shows up as the failure of the first
  // file written into it.
  mkdir(NativePath(staging_path_).c_str(), 0777);
  for (const char16_t* folder : kFolders) mkdir(NativePath(staging_path_ + folder).c_str(), 0777);

  WriteFixedDocuments(
      staging_path_,
      StyleOptions{margin_, line_height_, font_size_, weight_line_, !font_file_.empty(),
                   parameters.heading_style, parameters.indent},
      *environment.code_page);
  if (cover) WriteCover(staging_path_, *cover, title_, epub3_);

  const ParagraphFormat paragraphs(parameters.heading_style, parameters.indent.has_value());
  PageSplitter splitter(staging_path_, environment, paragraphs, epub3_, &chapters_, &volumes_,
                        &readings_);
  LanguageGuess guess;
  if (parameters.language == kGuessLanguage) splitter.CountLanguage(&guess);
  page_counter_ = 1;
  if (parameters.sources.size() == 1) {
    splitter.SplitSingleSource(parameters.sources.front(), detect_chapters_);
  } else {
    splitter.SplitSources(parameters.sources, detect_chapters_, file_name_as_chapter_);
  }
  page_counter_ = splitter.page_counter();
  language_ = parameters.language == kGuessLanguage ? std::u16string(guess.Language())
                                                    : parameters.language;
  const CoverImage* cover_image = cover ? &*cover : nullptr;
  const std::u16string modified = ModificationDate(std::time(nullptr));
  const PackageHead head{.title = title_,
                         .author = author_,
                         .identifier = identifier_,
                         .embeds_font = !font_file_.empty(),
                         .language = language_,
                         .cover = cover_image,
                         .epub3 = epub3_,
                         .modified = modified};
  splitter.SavePackage(PackageHeadLines(head), PackageSpineHeadLines(cover_image),
                       PackageGuideLines(cover_image, epub3_));
}

void TConvertFile::RemoveStagingDirectories() {
  if (staging_path_.empty()) return;
  // Only empty folders go; files are never deleted here.
  rmdir(NativePath(staging_path_ + u"/OEBPS/css").c_str());
  rmdir(NativePath(staging_path_ + u"/OEBPS").c_str());
  rmdir(NativePath(staging_path_ + u"/META-INF").c_str());
  rmdir(NativePath(staging_path_).c_str());
}

int32_t TConvertFile::ChapterCount() const { return static_cast<int32_t>(chapters_.size()); }

void TConvertFile::DeleteChapter(int32_t index) {
  const size_t at = Checked(index);
  chapters_.erase(chapters_.begin() + at);
  ChapterRemoved(&volumes_, at);
}

const std::u16string& TConvertFile::ChapterEntry(int32_t index) const {
  return chapters_[Checked(index)];
}

std::u16string TConvertFile::ChapterTitle(int32_t index) const {
  const std::u16string& entry = chapters_[Checked(index)];
  const size_t equals = entry.find(u'=');
  return equals == std::u16string::npos ? std::u16string() : entry.substr(equals + 1);
}

void TConvertFile::SetChapterTitle(int32_t index, std::u16string_view title) {
  std::u16string& entry = chapters_[Checked(index)];
  const size_t equals = entry.find(u'=');
  entry.resize(equals == std::u16string::npos ? entry.size() : equals);
  entry += u'=';
  entry += title;
}

void TConvertFile::SetChapterEntry(int32_t index, std::u16string entry) {
  chapters_[Checked(index)] = std::move(entry);
}

size_t TConvertFile::Checked(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= chapters_.size()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
  return static_cast<size_t>(index);
}

}  // namespace quireforge
