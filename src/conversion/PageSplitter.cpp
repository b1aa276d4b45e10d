#include "conversion/PageSplitter.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <new>

#include "base/StringOps.h"
#include "base/UserInterface.h"
#include "conversion/BookNames.h"
#include "conversion/ChineseConverter.h"
#include "conversion/FileErrors.h"
#include "conversion/LanguageTag.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

int32_t ClampToInt32(size_t value) {
  return static_cast<int32_t>(std::min<size_t>(value, std::numeric_limits<int32_t>::max()));
}

// Shows the progress window with its bar for as long as it lives; hides the bar and
// closes the window when it ends, also when a failure ends it.
class ProgressSession {
 public:
  ProgressSession(UserInterface& ui, int32_t maximum) : ui_(ui) {
    ui_.ShowProgress();
    ui_.ShowProgressBar();
    ui_.SetProgressMaximum(maximum);
    ui_.ProcessMessages();
  }
  ~ProgressSession() { End(); }

  ProgressSession(const ProgressSession&) = delete;
  ProgressSession& operator=(const ProgressSession&) = delete;

  void Advance(int32_t position) {
    ui_.SetProgressPosition(position);
    ui_.ProcessMessages();
  }

  void End() {
    if (ended_) return;
    ended_ = true;
    ui_.HideProgressBar();
    ui_.CloseProgress();
  }

 private:
  UserInterface& ui_;
  bool ended_ = false;
};

}  // namespace

PageSplitter::PageSplitter(BookSink& sink, const JobEnvironment& environment,
                           const BookOptions& options, std::vector<std::u16string>* chapters,
                           std::vector<VolumeEntry>* volumes, std::vector<SourceReading>* readings)
    : environment_(environment),
      chapters_(chapters),
      volumes_(volumes),
      readings_(readings),
      options_(options),
      paragraphs_(options.heading_style, options.indent.has_value()),
      pages_(sink, options.epub3) {}

size_t PageSplitter::LoadSource(const std::u16string& source) {
  lines_ = TextLines();  // the previous source's lines go first
  SourceEncoding encoding;
  lines_ = ReadTextFile(
      source, *environment_.code_page,
      environment_.detect_code_page ? CodePageUse::kWhenNotDetected : CodePageUse::kAlways,
      &encoding);
  readings_->push_back({source, std::move(encoding)});
  size_t first = 0;
  while (first < lines_.size() && IsEmptyWhenTrimmed(lines_[first])) ++first;
  if (first == lines_.size()) ThrowNoTextError(source);
  return first;
}

bool PageSplitter::PlaceLine(std::u16string_view line, LineKind kind, bool opens_entry) {
  if (options_.blank_lines != BlankLines::kKeep) {
    const bool blank = kind == LineKind::kText && IsBlankLine(line);
    const bool left_out = blank && (options_.blank_lines == BlankLines::kNone || after_blank_);
    after_blank_ = blank;
    if (left_out) return false;
  }
  if (converter_ != nullptr) {
    converter_->Convert(line, &converted_);
    line = converted_;
  }
  if (language_guess_ != nullptr) language_guess_->Count(line);
  // The budget counts the line as written, heading or paragraph.
  paragraphs_.Build(line, kind, &paragraph_);
  budget_ += 2 * static_cast<int64_t>(paragraph_.size()) + 1;
  if (budget_ <= kPageBudget && !opens_entry) {
    pages_.AppendParagraph(paragraph_);
    return false;
  }
  // A page that holds no paragraph yet is not saved; its number goes to the next one.
  if (pages_.has_paragraph()) {
    pages_.SavePage();
    pages_.NextPage();
  }
  if (opens_entry && kind == LineKind::kChapterHead) AddChapter(line);
  if (opens_entry && kind == LineKind::kVolumeHead) {
    volumes_->push_back(VolumeEntry{chapters_->size(), EntryFor(line)});
  }
  pages_.StartPage();
  pages_.AppendParagraph(paragraph_);
  budget_ = 0;
  return true;
}

std::u16string PageSplitter::EntryFor(std::u16string_view title) const {
  std::u16string entry = pages_.page_file_name();
  entry += u'=';
  entry += title;
  return entry;
}

void PageSplitter::AddChapter(std::u16string_view title) { chapters_->push_back(EntryFor(title)); }

void PageSplitter::SplitSingleSource(const std::u16string& source) {
  const bool detect_chapters = options_.chapters;
  WithSource(source, [&] {
    const size_t first = LoadSource(source);
    std::vector<size_t> chapter_lines;
    std::vector<size_t> volume_lines;
    const bool by_search = detect_chapters && environment_.find_headings;
    if (by_search) {
      std::vector<std::u16string_view> book(lines_.size() - first);
      for (size_t i = first; i < lines_.size(); ++i) book[i - first] = lines_[i];
      environment_.find_headings(book, &chapter_lines, &volume_lines);
    }
    size_t next_chapter = 0;
    size_t next_volume = 0;
    // True when the search named line `i` (of the source) in `found`, a rising list.
    auto named = [first](const std::vector<size_t>& found, size_t* next, size_t i) {
      while (*next < found.size() && found[*next] + first < i) ++*next;
      return *next < found.size() && found[*next] + first == i;
    };
    budget_ = 0;
    after_blank_ = false;
    pages_.StartPage();
    {
      ProgressSession progress(*environment_.ui, ClampToInt32(lines_.size() - first - 1));
      for (size_t i = first; i < lines_.size(); ++i) {
        const std::u16string_view line = lines_[i];
        // A volume line opens its volume only: it is never also a chapter of that volume.
        const bool volume = (environment_.is_volume_head && environment_.is_volume_head(line)) ||
                            (by_search && named(volume_lines, &next_volume, i));
        const bool head = !volume && detect_chapters &&
                          (by_search ? named(chapter_lines, &next_chapter, i)
                                     : environment_.is_chapter_head(line));
        const LineKind kind =
            volume ? LineKind::kVolumeHead : (head ? LineKind::kChapterHead : LineKind::kText);
        if (PlaceLine(line, kind, kind != LineKind::kText)) {
          progress.Advance(ClampToInt32(i - first));
        }
      }
    }
    pages_.SavePage();
  });
}

void PageSplitter::SplitSources(const std::vector<std::u16string>& sources) {
  const bool detect_chapters = options_.chapters;
  const bool file_name_as_chapter = options_.file_name_chapters;
  for (const std::u16string& source : sources) {
    WithSource(source, [&] {
      const size_t first = LoadSource(source);
      if (detect_chapters) {
        const std::u16string title =
            file_name_as_chapter ? DerivedTitle(source) : Trim(lines_[first]);
        AddChapter(converter_ != nullptr ? converter_->Convert(title) : title);
      }
      // A first line that titles the chapter is its heading; the entry is made already.
      const bool titled_by_first_line = detect_chapters && !file_name_as_chapter;
      budget_ = 0;
      after_blank_ = false;
      pages_.StartPage();
      for (size_t i = first; i < lines_.size(); ++i) {
        const bool heading = titled_by_first_line && i == first;
        PlaceLine(lines_[i], heading ? LineKind::kChapterHead : LineKind::kText, false);
      }
      pages_.SavePage();
      pages_.NextPage();
    });
  }
  lines_ = TextLines();
}

void PageSplitter::WithSource(const std::u16string& source, const std::function<void()>& work) {
  try {
    work();
  } catch (const std::bad_alloc&) {
    lines_ = TextLines();  // gives the memory back before the message is made
    paragraph_ = std::u16string();
    ThrowNoMemoryError(source);
  }
}

}  // namespace quireforge
