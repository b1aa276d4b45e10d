#include "conversion/CoverDrawing.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <sys/mman.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#include "base/Utf.h"
#include "conversion/PngEncoder.h"

namespace quireforge {

namespace {

// The memory of a picture, asked for in huge pages where the system gives them: a cover's
// pages would otherwise cost thousands of page faults, as much time as the drawing itself.
class PictureMemory {
 public:
  explicit PictureMemory(size_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    const size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    data_ = static_cast<unsigned char*>(std::aligned_alloc(kHugePage, rounded));
    if (data_ == nullptr) throw std::bad_alloc();
    madvise(data_, rounded, MADV_HUGEPAGE);  // only advice: small pages serve as well
    std::memset(data_, 0, size);             // as Cairo's own surfaces begin
  }
  ~PictureMemory() { std::free(data_); }
  PictureMemory(const PictureMemory&) = delete;
  PictureMemory& operator=(const PictureMemory&) = delete;

  unsigned char* data() const { return data_; }

 private:
  unsigned char* data_;
};

// A Cairo surface of `format` over `memory` (of at least kDrawnCoverHeight rows of the
// format's stride); `memory` must outlive it.
cairo_surface_t* CoverSurface(cairo_format_t format, const PictureMemory& memory) {
  return cairo_image_surface_create_for_data(
      memory.data(), format, kDrawnCoverWidth, kDrawnCoverHeight,
      cairo_format_stride_for_width(format, kDrawnCoverWidth));
}

size_t CoverBytes(cairo_format_t format) {
  return static_cast<size_t>(cairo_format_stride_for_width(format, kDrawnCoverWidth)) *
         kDrawnCoverHeight;
}

// Owners of the C libraries' objects.
struct FcPatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FcFontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct CairoSurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct GObjectDeleter {
  void operator()(void* o) const { g_object_unref(o); }
};
struct FontDescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
struct FontOptionsDeleter {
  void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};

// The code points of `text` that a font must have: blanks and controls need none.
std::vector<char32_t> CodePoints(std::u16string_view text) {
  std::vector<char32_t> points;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0x3000 || c == 0xFEFF) continue;
    points.push_back(c);
  }
  return points;
}

bool HasHan(const std::vector<char32_t>& points) {
  for (const char32_t c : points) {
    if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0x20000 && c <= 0x3FFFF)) return true;
  }
  return false;
}

// The family of the first font, in fontconfig's order for a serif face (in a Chinese one when
// the text holds Han characters), that has every one of `points`; empty when none has.
std::string FontFamilyFor(const std::vector<char32_t>& points) {
  if (FcInit() == FcFalse) return {};
  std::unique_ptr<FcPattern, FcPatternDeleter> pattern(
      FcNameParse(reinterpret_cast<const FcChar8*>("serif")));
  if (!pattern) return {};
  if (HasHan(points)) {
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  }
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcFontSet, FcFontSetDeleter> fonts(
      FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
  if (!fonts) return {};
  for (int i = 0; i < fonts->nfont; ++i) {
    FcCharSet* characters = nullptr;
    FcChar8* family = nullptr;
    if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &characters) != FcResultMatch ||
        FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch) {
      continue;
    }
    bool covers = true;
    for (const char32_t c : points) {
      if (FcCharSetHasChar(characters, c) == FcFalse) {
        covers = false;
        break;
      }
    }
    if (covers) return reinterpret_cast<const char*>(family);
  }
  return {};
}

// The colours of a cover: a deep ground and the light ink on it. One is chosen by the title.
struct Palette {
  double ground[3];
  double ink[3];
  double accent[3];
};

constexpr std::array<Palette, 6> kPalettes = {{
    {{0.13, 0.20, 0.31}, {0.95, 0.92, 0.85}, {0.78, 0.66, 0.42}},  // ink blue, gold
    {{0.36, 0.11, 0.12}, {0.96, 0.91, 0.84}, {0.85, 0.70, 0.45}},  // cinnabar
    {{0.15, 0.27, 0.22}, {0.94, 0.93, 0.86}, {0.76, 0.70, 0.48}},  // pine green
    {{0.22, 0.20, 0.25}, {0.95, 0.93, 0.90}, {0.72, 0.62, 0.50}},  // plum grey
    {{0.93, 0.90, 0.83}, {0.16, 0.15, 0.14}, {0.55, 0.16, 0.13}},  // paper, seal red
    {{0.10, 0.10, 0.11}, {0.93, 0.91, 0.87}, {0.70, 0.58, 0.36}},  // ink black
}};

const Palette& PaletteFor(std::u16string_view title) {
  uint32_t hash = 2166136261u;  // FNV-1a over the title's units
  for (const char16_t c : title) {
    hash = (hash ^ (c & 0xFF)) * 16777619u;
    hash = (hash ^ (c >> 8)) * 16777619u;
  }
  return kPalettes[hash % kPalettes.size()];
}

// The design's measures, in pixels.
constexpr int kTextWidth = 880;
constexpr double kTitleTop = 260;
constexpr double kTitleBottom = 1000;
constexpr double kTitleLargest = 124;
constexpr double kTitleSmallest = 56;
constexpr int kTitleMostLines = 7;  // at the smallest size; beyond, the end gives way to "…"
constexpr double kAuthorSize = 54;
constexpr int kAuthorMostLines = 2;
constexpr double kAuthorTop = 1150;
constexpr double kFrameInset = 56;
constexpr double kInnerFrameInset = 72;

// A layout of `text` in `family` at `size` pixels, centred in the text width.
std::unique_ptr<PangoLayout, GObjectDeleter> MakeLayout(PangoContext* context,
                                                        const std::string& text,
                                                        const std::string& family, double size) {
  std::unique_ptr<PangoLayout, GObjectDeleter> layout(pango_layout_new(context));
  std::unique_ptr<PangoFontDescription, FontDescriptionDeleter> font(pango_font_description_new());
  pango_font_description_set_family(font.get(), family.c_str());
  pango_font_description_set_absolute_size(font.get(), size * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), font.get());
  pango_layout_set_width(layout.get(), kTextWidth * PANGO_SCALE);
  pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER);
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  return layout;
}

double LayoutHeight(PangoLayout* layout) {
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  return height;
}

// Every line of `layout`, as text.
std::vector<std::u16string> LinesOf(PangoLayout* layout) {
  std::vector<std::u16string> lines;
  const char* text = pango_layout_get_text(layout);
  for (GSList* line = pango_layout_get_lines_readonly(layout); line != nullptr; line = line->next) {
    const auto* item = static_cast<PangoLayoutLine*>(line->data);
    lines.push_back(
        FromUtf8(std::string_view(text + item->start_index, static_cast<size_t>(item->length))));
  }
  return lines;
}

void SetColour(cairo_t* cairo, const double (&colour)[3]) {
  cairo_set_source_rgb(cairo, colour[0], colour[1], colour[2]);
}

// The text as set on the cover: one line, its controls made single blanks, unpaired
// surrogates left out.
std::string CoverText(std::u16string_view text) {
  std::u16string cleaned;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool lead = c >= 0xD800 && c <= 0xDBFF;
    const bool trail = c >= 0xDC00 && c <= 0xDFFF;
    if (lead && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cleaned += c;
      cleaned += text[++i];
      continue;
    }
    if (lead || trail) continue;
    const bool blank = c <= 0x20 || c == 0x7F;
    if (blank) {
      if (!cleaned.empty() && cleaned.back() != u' ') cleaned += u' ';
    } else {
      cleaned += c;
    }
  }
  while (!cleaned.empty() && cleaned.back() == u' ') cleaned.pop_back();
  while (!cleaned.empty() && cleaned.front() == u' ') cleaned.erase(0, 1);
  std::string bytes;
  AppendUtf8(cleaned, &bytes);
  return bytes;
}

// Halves the levels of the text's coverage, `stride` bytes a row: 128 shades of the ink, with
// the ground and the frame's few, keep the cover within the 256 colours of a palette, which a
// PNG stores in a third of the bytes of RGB and compresses several times faster. No eye tells
// the difference.
void KeepToPalette(uint8_t* coverage, size_t stride) {
  std::array<uint8_t, 256> levels;
  for (int a = 0; a < 256; ++a) levels[a] = static_cast<uint8_t>(((a >> 1) * 255 + 63) / 127);
  for (size_t y = 0; y < kDrawnCoverHeight; ++y) {
    uint8_t* row = coverage + stride * y;
    for (size_t x = 0; x < kDrawnCoverWidth; ++x) row[x] = levels[row[x]];
  }
}

// Pango loads the font configuration in a thread of its own, once per process, and ends the
// process when it cannot start one: a process that cannot (a limit on its processes) draws no
// cover instead.
bool CanStartThread() {
  static bool started = false;
  if (started) return true;
  try {
    std::thread([] {}).join();
  } catch (const std::system_error&) {
    return false;
  }
  started = true;
  return true;
}

}  // namespace

std::optional<DrawnCover> DrawCover(std::u16string_view title, std::u16string_view author,
                                    std::string* problem) {
  if (!CanStartThread()) {
    if (problem != nullptr) {
      *problem = "The cover of \"" + ToUtf8(title) +
                 "\" cannot be drawn: no thread can be started to load the fonts; the book has "
                 "no cover.";
    }
    return std::nullopt;
  }
  const std::string title_text = CoverText(title);
  const std::vector<char32_t> title_points = CodePoints(FromUtf8(title_text));
  const std::string title_family = title_points.empty() ? "" : FontFamilyFor(title_points);
  if (title_family.empty()) {
    if (problem != nullptr) {
      *problem = title_points.empty() ? "The title \"" + ToUtf8(title) +
                                            "\" shows nothing to draw; the book has "
                                            "no cover."
                                      : "No installed font has the characters of the title \"" +
                                            ToUtf8(title) + "\"; the book has no cover.";
    }
    return std::nullopt;
  }
  const std::string author_text = CoverText(author);
  const std::vector<char32_t> author_points = CodePoints(FromUtf8(author_text));
  const std::string author_family = author_points.empty() ? "" : FontFamilyFor(author_points);

  const PictureMemory picture_memory(CoverBytes(CAIRO_FORMAT_RGB24));
  std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter> surface(
      CoverSurface(CAIRO_FORMAT_RGB24, picture_memory));
  std::unique_ptr<cairo_t, CairoDeleter> cairo(cairo_create(surface.get()));
  const Palette& palette = PaletteFor(title);

  // The ground and a double frame.
  SetColour(cairo.get(), palette.ground);
  cairo_paint(cairo.get());
  SetColour(cairo.get(), palette.accent);
  cairo_set_line_width(cairo.get(), 4);
  cairo_rectangle(cairo.get(), kFrameInset, kFrameInset, kDrawnCoverWidth - 2 * kFrameInset,
                  kDrawnCoverHeight - 2 * kFrameInset);
  cairo_stroke(cairo.get());
  cairo_set_line_width(cairo.get(), 1.5);
  cairo_rectangle(cairo.get(), kInnerFrameInset, kInnerFrameInset,
                  kDrawnCoverWidth - 2 * kInnerFrameInset,
                  kDrawnCoverHeight - 2 * kInnerFrameInset);
  cairo_stroke(cairo.get());

  // The text is set as coverage in a mask of its own, then painted in the ink through it (see
  // KeepToPalette). Grey antialiasing without hinting: the same pixels wherever the fonts are
  // the same.
  const PictureMemory text_memory(CoverBytes(CAIRO_FORMAT_A8));
  std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter> text_surface(
      CoverSurface(CAIRO_FORMAT_A8, text_memory));
  std::unique_ptr<cairo_t, CairoDeleter> text(cairo_create(text_surface.get()));
  std::unique_ptr<PangoContext, GObjectDeleter> context(pango_cairo_create_context(text.get()));
  std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(cairo_font_options_create());
  cairo_font_options_set_antialias(options.get(), CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  pango_cairo_context_set_font_options(context.get(), options.get());

  // The title as large as fits its space, then smaller; at the smallest size its end gives
  // way to an ellipsis rather than run off the cover.
  const double title_space = kTitleBottom - kTitleTop;
  double size = kTitleLargest;
  auto title_layout = MakeLayout(context.get(), title_text, title_family, size);
  while (LayoutHeight(title_layout.get()) > title_space && size > kTitleSmallest) {
    size = std::max(kTitleSmallest, std::floor(size * 0.88));
    title_layout = MakeLayout(context.get(), title_text, title_family, size);
  }
  if (LayoutHeight(title_layout.get()) > title_space) {
    pango_layout_set_height(title_layout.get(), -kTitleMostLines);
    pango_layout_set_ellipsize(title_layout.get(), PANGO_ELLIPSIZE_END);
  }
  const double title_height = LayoutHeight(title_layout.get());
  const double title_y = kTitleTop + (title_space - title_height) / 2;
  const double left = (kDrawnCoverWidth - kTextWidth) / 2.0;
  cairo_move_to(text.get(), left, title_y);
  pango_cairo_show_layout(text.get(), title_layout.get());

  // A short rule between title and author.
  SetColour(cairo.get(), palette.accent);
  cairo_set_line_width(cairo.get(), 3);
  cairo_move_to(cairo.get(), kDrawnCoverWidth / 2.0 - 90, kAuthorTop - 70);
  cairo_line_to(cairo.get(), kDrawnCoverWidth / 2.0 + 90, kAuthorTop - 70);
  cairo_stroke(cairo.get());

  DrawnCover cover;
  cover.title_lines = LinesOf(title_layout.get());
  if (!author_family.empty()) {
    auto author_layout = MakeLayout(context.get(), author_text, author_family, kAuthorSize);
    pango_layout_set_height(author_layout.get(), -kAuthorMostLines);
    pango_layout_set_ellipsize(author_layout.get(), PANGO_ELLIPSIZE_END);
    cairo_move_to(text.get(), left, kAuthorTop);
    pango_cairo_show_layout(text.get(), author_layout.get());
    cover.author_lines = LinesOf(author_layout.get());
  }

  cairo_surface_flush(text_surface.get());
  if (cairo_surface_status(text_surface.get()) == CAIRO_STATUS_SUCCESS) {
    KeepToPalette(cairo_image_surface_get_data(text_surface.get()),
                  static_cast<size_t>(cairo_image_surface_get_stride(text_surface.get())));
    cairo_surface_mark_dirty(text_surface.get());
    SetColour(cairo.get(), palette.ink);
    cairo_mask_surface(cairo.get(), text_surface.get(), 0, 0);
  }
  cairo_surface_flush(surface.get());
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_status(text_surface.get()) != CAIRO_STATUS_SUCCESS) {
    if (problem != nullptr) *problem = "The cover of \"" + ToUtf8(title) + "\" cannot be drawn.";
    return std::nullopt;
  }
  cover.image.bytes =
      EncodePng(cairo_image_surface_get_data(surface.get()), kDrawnCoverWidth, kDrawnCoverHeight,
                static_cast<size_t>(cairo_image_surface_get_stride(surface.get())));
  cover.image.media_type = u"image/png";
  cover.image.file_name = u"cover.png";
  cover.image.width = kDrawnCoverWidth;
  cover.image.height = kDrawnCoverHeight;
  return cover;
}

}  // namespace quireforge
