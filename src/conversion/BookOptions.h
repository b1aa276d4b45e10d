// What a user may choose about a book beyond its sources and names: its looks, how its
// chapters and volumes are found, its cover, language and format. One plain value, filled
// through the option table (BookOptionTable) by both front ends and kept whole by the job.
#ifndef QUIREFORGE_CONVERSION_BOOKOPTIONS_H_
#define QUIREFORGE_CONVERSION_BOOKOPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "base/BookDefaults.h"
#include "chapterhead/HeadingFinder.h"
#include "conversion/ParagraphFormat.h"

namespace quireforge {

// How the chapters of a single source are found.
enum class ChapterRule : uint8_t {
  kSmart,    // the heading finder: marker lines that read as headings, chosen by their series
  kClassic,  // every line in which the built-in chapter-head pattern matches
};

// What becomes of the blank lines of the text (empty, or blanks only: base/StringOps.h).
enum class BlankLines : uint8_t {
  kKeep,    // each an empty paragraph
  kSingle,  // one empty paragraph for a run of them
  kNone,    // left out
};

// Which Chinese script the book's text, titles and names are turned into (OpenCC's
// conversions: s = Simplified, t = Traditional, tw = Taiwan, twp = Taiwan with its phrases,
// hk = Hong Kong).
enum class ChineseConversion : uint8_t {
  kNone,
  kS2T,
  kT2S,
  kS2TW,
  kTW2S,
  kS2TWP,
  kTW2SP,
  kS2HK,
  kHK2S,
};

// The language value that asks for the language the text's scripts suggest.
inline constexpr std::u16string_view kLanguageFromText = u"auto";

struct BookOptions {
  int32_t margin = kDefaultMargin;           // points: normal 2, wide 5
  int32_t line_height = kDefaultLineHeight;  // percent: normal 100, wide 120
  int32_t font_size = kDefaultFontSize;      // percent: large 110, middle 105, small 100
  bool bold = false;
  bool chapters = true;             // false: no chapter is recognised
  bool file_name_chapters = false;  // several sources: each chapter titled by its file name
  std::u16string font;              // a TrueType file to embed; empty: none
  std::u16string cover;             // a JPEG or PNG picture shown first; empty: none
  bool draw_cover = true;           // without a picture: a cover drawn from title and author

  ChapterRule chapter_rule = ChapterRule::kSmart;
  std::optional<std::u16string> chapter_pattern;  // set: wins over the rule
  VolumeChoice volumes = VolumeChoice::kAuto;
  std::optional<std::u16string> volume_pattern;  // set: its lines open volumes, no others do

  // A well-formed BCP 47 tag, or kLanguageFromText.
  std::u16string language = std::u16string(kLanguageFromText);
  HeadingStyle heading_style = HeadingStyle::kPlain;
  // The first-line indent of paragraphs in em (the option table says which); the lines then
  // lose their own leading
  // blanks. Unset: no indent, lines kept whole.
  std::optional<int32_t> indent;
  BlankLines blank_lines = BlankLines::kKeep;
  bool epub3 = false;  // an EPUB 3 book instead of EPUB 2.0
  // The text, titles and names in the other Chinese script.
  ChineseConversion chinese = ChineseConversion::kNone;
  bool vertical = false;       // set top to bottom, right to left (an EPUB 3 book)
  bool contents_page = false;  // a page after the cover listing every contents entry
  // The classic book: what has no option of its own is as it always was (ClassicBook.h);
  // ClassicOptions() gives its choices for the options that have one.
  bool classic = false;

  bool operator==(const BookOptions& other) const = default;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKOPTIONS_H_
