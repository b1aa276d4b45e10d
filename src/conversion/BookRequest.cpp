#include "conversion/BookRequest.h"

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "base/Utf.h"
#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/HeadingFinder.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "chapterhead/VolumeHeadRule.h"
#include "conversion/ClassicBook.h"
#include "conversion/CodePageChoice.h"
#include "conversion/CodePageDetector.h"
#include "conversion/ConvertFile.h"
#include "conversion/FontFile.h"
#include "conversion/TextFile.h"
#include "conversion/TextLines.h"
#include "conversion/TextNames.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

// `name` decoded in `page`; nullopt when a byte of it is no text there (ICU's substitute,
// U+FFFD, or SUB in some single-byte pages, stands for such a byte).
std::optional<std::u16string> DecodedIn(const std::string& page, std::string_view name) {
  std::u16string text;
  LegacyCodePage(page).Decode(name, &text);
  if (text.find_first_of(u"\uFFFD\u001A") != std::u16string::npos) return std::nullopt;
  return text;
}

// The code page of the text of `source`: the one named, or the one found from its start;
// empty when the text is UTF-8 or UTF-16, tells nothing, or cannot be read.
std::string TextCodePage(std::u16string_view source, const CodePageChoice& code_pages) {
  if (!code_pages.detects()) {
    if (code_pages.code_page().utf16() != LegacyCodePage::Utf16::kNo) return {};
    return code_pages.code_page().Name();
  }
  try {
    const std::optional<std::string> found = DetectCodePage(ReadFileBytes(source, size_t{1} << 20));
    if (found && *found != "UTF-8") return *found;
  } catch (const std::exception&) {
    // Unreadable: the conversion says why.
  }
  return {};
}

// The file name of `source` as text. A name in UTF-8 is taken as it is. Any other is read in
// the code page of the source's text, else in GB18030 (the code page most old Chinese archives
// name their files in), else shown with each byte that is no UTF-8 as "\xHH".
std::u16string NameAsText(std::u16string_view source, const CodePageChoice& code_pages) {
  const std::u16string_view name = FileNamePart(source);
  // A byte that is not UTF-8 stands in the name as a lone surrogate U+DC80..U+DCFF.
  const auto escaped = [](char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; };
  if (std::none_of(name.begin(), name.end(), escaped)) return std::u16string(name);
  const std::string bytes = ToUtf8(name);
  for (const std::string& page : {TextCodePage(source, code_pages), std::string("GB18030")}) {
    if (page.empty()) continue;
    if (std::optional<std::u16string> text = DecodedIn(page, bytes)) return *std::move(text);
  }
  std::u16string shown;
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  for (const char16_t c : name) {
    if (escaped(c)) {
      shown += u"\\x";
      shown += kHex[(c >> 4) & 0xF];
      shown += kHex[c & 0xF];
    } else {
      shown += c;
    }
  }
  return shown;
}

// The pieces joined: a message built piece by piece.
std::string Message(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text += piece;
  return text;
}

// The verdict of `test`; an engine failure, or a line longer than the engine can search,
// becomes one that names `option`, its `expression` and `source`.
template <typename Test>
bool NamingFailures(const char* option, const std::u16string& expression,
                    const std::u16string& source, const Test& test) {
  try {
    return test();
  } catch (const EPatternEngine& error) {
    if (error.ErrorCode() == kPatternWorkLimitExceeded) {
      throw std::runtime_error(Message(
          {"Cannot search \"", ToUtf8(source), "\" with ", option, " \"", ToUtf8(expression),
           "\". The expression takes too much work on its lines (it tries too many ways to "
           "match); make it simpler."}));
    }
    throw std::runtime_error(
        Message({"Cannot search \"", ToUtf8(source), "\" with ", option, ". ", error.what()}));
  } catch (const std::length_error&) {
    throw std::runtime_error(
        Message({"Cannot search \"", ToUtf8(source), "\" with ", option,
                 ". It holds a line too long to search (2^31 characters or more)."}));
  }
}

}  // namespace

TitleAndAuthor NamesFromSource(std::u16string_view source, const CodePageChoice& code_pages) {
  return TitleAndAuthorFromFileName(NameAsText(source, code_pages));
}

std::u16string CheckedTargetPath(std::u16string_view target,
                                 const std::vector<std::u16string>& sources,
                                 const BookOptions& options) {
  std::u16string path = AbsolutePath(target);
  RefuseTargetAmongSources(path, sources);
  RefuseTargetAsFont(path, options.font);
  if (!options.cover.empty() && SameFile(path, options.cover)) {
    throw BookNameError(
        Message({"Cannot create file \"", ToUtf8(path), "\". It is the cover picture."}));
  }
  return path;
}

TitleAndAuthor BookNamesOf(std::u16string_view source, const CodePageChoice& code_pages,
                           const BookOptions& options) {
  TitleAndAuthor names = NamesFromSource(source, code_pages);
  if (!TakesNamesFromText(options) || !names.author.empty()) return names;
  NamesInText in_text;
  try {
    in_text = NamesFromTextLines(FirstLinesOfSource(source, code_pages));
  } catch (const std::exception&) {
    return names;  // unreadable: the conversion says why
  }
  if (in_text.title && !IsEmptyAsXmlText(*in_text.title)) names.title = *in_text.title;
  if (in_text.author) names.author = *in_text.author;
  return names;
}

JobParameters PlanBook(const BookRequest& request, const CodePageChoice& code_pages) {
  if (request.sources.empty()) throw BookNameError("No source file was given.");
  JobParameters book;
  for (const std::u16string& source : request.sources) book.sources.push_back(AbsolutePath(source));
  const std::u16string& first = book.sources.front();
  // A title and an author given each win over what the file name (or the text) says.
  std::optional<TitleAndAuthor> names;
  if (!request.title || !request.author) names = BookNamesOf(first, code_pages, request.options);
  book.title = request.title ? *request.title : names->title;
  if (!request.title && IsEmptyAsXmlText(book.title)) {
    throw BookNameError(Message({"The title taken from the name of \"", ToUtf8(first),
                                 "\" is empty; give one with --title."}));
  }
  book.author = request.author ? *request.author : names->author;
  book.options = request.options;
  if (book.options.vertical) book.options.epub3 = true;  // vertical writing is EPUB 3's
  if (!book.options.font.empty()) {
    book.options.font = AbsolutePath(book.options.font);
    CheckFontFile(book.options.font);
  }
  if (!book.options.cover.empty()) book.options.cover = AbsolutePath(book.options.cover);
  book.target_path = CheckedTargetPath(
      request.target.empty() ? DerivedTargetPath(first, u".epub") : request.target, book.sources,
      book.options);
  return book;
}

std::unique_ptr<TConvertFile> MakeJob(const JobParameters& book, const JobSurroundings& where) {
  const BookOptions& options = book.options;
  const bool own_rule = options.chapter_pattern.has_value();
  const bool classic = own_rule || options.chapter_rule == ChapterRule::kClassic;
  // The expressions were checked when the options were read.
  ChapterHeadRule chapter_head;
  std::optional<PatternLineRule> own_chapter_head;
  if (own_rule) own_chapter_head.emplace(*options.chapter_pattern);
  std::optional<VolumeHeadRule> volume_head;
  if (options.volume_pattern) {
    volume_head.emplace(*options.volume_pattern);
  } else if (options.volumes == VolumeChoice::kForce && (classic || !options.chapters)) {
    volume_head.emplace();
  }

  JobEnvironment environment;
  environment.staging_root = where.staging_root;
  environment.sink = where.sink;
  environment.ui = where.ui;
  const std::u16string& source = book.sources.empty() ? std::u16string() : book.sources.front();
  if (own_chapter_head) {
    environment.is_chapter_head = [&](std::u16string_view line) {
      return NamingFailures("--chapter-pattern", *options.chapter_pattern, source,
                            [&] { return own_chapter_head->Matches(line); });
    };
  } else if (classic) {
    environment.is_chapter_head = [&chapter_head](std::u16string_view line) {
      return chapter_head.IsChapterHead(line);
    };
  } else {
    // An own volume expression decides the volumes alone.
    environment.find_headings =
        HeadingFinder(options.volume_pattern ? VolumeChoice::kOff : options.volumes);
  }
  if (volume_head) {
    environment.is_volume_head = [&](std::u16string_view line) {
      return NamingFailures("--volume-pattern", options.volume_pattern.value_or(u""), source,
                            [&] { return volume_head->IsVolumeHead(line); });
    };
  }
  where.code_pages->ApplyTo(&environment);
  return std::make_unique<TConvertFile>(book, environment);
}

size_t CountHeadings(const std::u16string& source, const BookOptions& options,
                     const CodePageChoice& code_pages) {
  if (!options.chapters) return 0;
  const TextLines text =
      ReadTextFile(source, code_pages.code_page(),
                   code_pages.detects() ? CodePageUse::kWhenNotDetected : CodePageUse::kAlways);
  if (options.chapter_pattern || options.chapter_rule == ChapterRule::kClassic) {
    std::optional<PatternLineRule> own;
    if (options.chapter_pattern) own.emplace(*options.chapter_pattern);
    ChapterHeadRule classic;
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (own ? own->Matches(text[i]) : classic.IsChapterHead(text[i])) ++count;
    }
    return count;
  }
  std::vector<std::u16string_view> lines(text.size());
  for (size_t i = 0; i < text.size(); ++i) lines[i] = text[i];
  return HeadingFinder(options.volume_pattern ? VolumeChoice::kOff : options.volumes)
      .Find(lines)
      .chapters.size();
}

}  // namespace quireforge
