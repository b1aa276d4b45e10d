#include "conversion/ConvertFile.h"

#include <ctime>
#include <optional>
#include <stdexcept>

#include "base/Utf.h"
#include "conversion/BookOptionTable.h"
#include "conversion/ChineseConverter.h"
#include "conversion/ClassicBook.h"
#include "conversion/CoverDrawing.h"
#include "conversion/CoverImage.h"
#include "conversion/CoverPage.h"
#include "conversion/JobIdentifier.h"
#include "conversion/LanguageTag.h"
#include "conversion/PackageDocuments.h"
#include "conversion/PageSplitter.h"
#include "conversion/StagingFolderSink.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

// The folders of a book, in the order they are made: its root, then those inside it.
constexpr const char16_t* kFolders[] = {u"", u"OEBPS", u"OEBPS/css", u"META-INF"};

}  // namespace

TConvertFile::TConvertFile(const JobParameters& parameters, const JobEnvironment& environment) {
  if (environment.ui == nullptr || environment.code_page == nullptr ||
      (!environment.is_chapter_head && !environment.find_headings)) {
    throw std::invalid_argument(
        "TConvertFile needs a user interface, a code page and a chapter-head test");
  }
  identifier_ = environment.identifier.empty() ? NewJobIdentifier() : environment.identifier;
  if (parameters.sources.empty() || identifier_.empty()) {
    identifier_.clear();  // an empty job: nothing on disk, nothing to remove
    return;
  }
  // On a failure the working lists go with Build's frames, and the staging directory removes
  // its emptied folders; what was written stays until the staging root is removed.
  Build(parameters, environment);
}

TConvertFile::~TConvertFile() = default;

void TConvertFile::Build(const JobParameters& parameters, const JobEnvironment& environment) {
  target_path_ = parameters.target_path;
  if (environment.sink == nullptr) {
    staging_path_ = environment.staging_root + u"/" + identifier_;
    staging_ = std::make_unique<StagingFolderSink>(staging_path_, environment.time);
    sink_ = staging_.get();
  } else {
    sink_ = environment.sink;
  }
  options_ = parameters.options;
  // Vertical writing is EPUB 3's.
  if (options_.vertical) options_.epub3 = true;
  CheckBookOptions(options_);
  std::optional<ChineseConverter> chinese;
  if (options_.chinese != ChineseConversion::kNone) chinese.emplace(options_.chinese);
  title_ = chinese ? chinese->Convert(parameters.title) : parameters.title;
  author_ = chinese ? chinese->Convert(parameters.author) : parameters.author;
  // The cover is read (or drawn) before anything is written, so that a bad one leaves nothing
  // behind.
  std::optional<CoverImage> cover;
  if (!options_.cover.empty()) {
    cover = ReadCoverImage(options_.cover);
  } else if (DrawsCover(options_)) {
    std::string problem;
    if (std::optional<DrawnCover> drawn = DrawCover(title_, author_, &problem)) {
      cover = std::move(drawn->image);
      drawn_cover_ = true;
    } else {
      notes_.push_back(problem);
    }
  }
  has_cover_ = cover.has_value();

  // A folder that is missing shows up as the failure of the first file put into it.
  for (const char16_t* folder : kFolders) sink_->MakeFolder(folder);

  WriteFixedDocuments(*sink_, options_, *environment.code_page);
  if (cover) WriteCover(*sink_, *cover, title_, options_.epub3);

  PageSplitter splitter(*sink_, environment, options_, &chapters_, &volumes_, &readings_);
  LanguageGuess guess;
  const bool from_text = options_.language == kLanguageFromText;
  if (from_text) splitter.CountLanguage(&guess);
  if (chinese) splitter.ConvertScript(&*chinese);
  page_counter_ = 1;
  if (parameters.sources.size() == 1) {
    splitter.SplitSingleSource(parameters.sources.front());
  } else {
    splitter.SplitSources(parameters.sources);
  }
  page_counter_ = splitter.page_counter();
  language_ = from_text ? std::u16string(guess.Language()) : options_.language;
  // Converted text is in the script the conversion gives, whatever the letters counted.
  if (from_text && chinese) language_ = ConversionLanguage(options_.chinese);
  // English is written as it always was: "en" in book.opf, "en-US" in toc.ncx.
  if (language_ == u"en") language_.clear();
  const std::u16string modified = ModificationDate(environment.time.value_or(std::time(nullptr)));
  const PackageHead head{.title = title_,
                         .author = author_,
                         .identifier = identifier_,
                         .embeds_font = !options_.font.empty(),
                         .language = language_,
                         .cover = cover ? &*cover : nullptr,
                         .epub3 = options_.epub3,
                         .modified = modified,
                         .contents_page = options_.contents_page,
                         .vertical = options_.vertical};
  WritePackageDocument(*sink_, head, splitter.pages());
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
