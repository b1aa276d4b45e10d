// The heading finder's cost:
//   FinderOnNovel        over every line of about 50 MB of novel text (the two corpus novels
//                        decoded to UTF-16 and repeated; HEADING_BENCH_MB sets the size), in
//                        MB/s of UTF-16 input; compare with the conversion's own time.
//   FinderOnShape/S/N    over a made-up book of N headings (15,000 to 240,000) of shape S,
//                        each over two paragraphs; Google Benchmark fits the time to O(N), so
//                        a shape whose time grows faster than its text shows at once.
// Shapes: 0 第N章 titles, 1 a different book name before every 第N章 (many series), 2 page
// heads title（p）, 3 bare titles set apart by blank lines, 4 titles after a running prefix,
// 5 titles dated by years, 6 bare numbers.
#include <benchmark/benchmark.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "chapterhead/HeadingFinder.h"

namespace {

using quireforge::FoundHeadings;
using quireforge::HeadingFinder;

std::u16string FromUtf8(const std::string& text) {
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  return std::u16string(unicode.getBuffer(), unicode.getBuffer() + unicode.length());
}

struct Book {
  std::vector<std::u16string> lines;
  std::vector<std::u16string_view> views;
  int64_t bytes = 0;

  void Add(std::u16string line) {
    bytes += static_cast<int64_t>(2 * line.size());
    lines.push_back(std::move(line));
  }
  void Seal() { views.assign(lines.begin(), lines.end()); }
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void AppendLines(const std::u16string& text, Book* book) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    book->Add(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

const Book& TheNovel() {
  static const Book novel = [] {
    const char* size = std::getenv("HEADING_BENCH_MB");
    const int64_t target = (size != nullptr ? std::atoll(size) : 50) * 1000 * 1000;
    const std::u16string first = FromUtf8(ReadFile(QF_CORPUS_DIR "/西游记.txt"));
    const std::u16string second = FromUtf8(ReadFile(QF_CORPUS_DIR "/三国演义.txt"));
    Book result;
    while (result.bytes < target) {
      AppendLines(first, &result);
      AppendLines(second, &result);
    }
    result.Seal();
    return result;
  }();
  return novel;
}

std::u16string Numeral(int64_t n) {
  static const char16_t* kDigits = u"〇一二三四五六七八九";
  std::u16string text;
  for (const char c : std::to_string(n)) text += kDigits[c - '0'];
  return text;
}

Book ShapeBook(int shape, int64_t headings) {
  const std::u16string body =
      u"　　他走在路上，心里想着昨天的事情，天色渐渐暗了下来，远处传来几声犬吠，这一夜谁也没有睡着"
      u"。";
  Book book;
  for (int64_t i = 1; i <= headings; ++i) {
    const std::u16string n = Numeral(i);
    switch (shape) {
      case 0:
        book.Add(u"第" + n + u"章 风起");
        break;
      case 1:
        book.Add(u"书" + n + u" 第" + n + u"章 风起");
        break;
      case 2:
        book.Add(u"标题" + Numeral(i / 5) + u"（" + FromUtf8(std::to_string(i % 5 + 1)) + u"）");
        break;
      case 3:
        book.Add(u"");
        book.Add(u"");
        book.Add(u" 春天" + n);
        book.Add(u"");
        break;
      case 4:
        book.Add(u"上篇经营之道　一标题" + n);
        break;
      case 5:
        book.Add(u"时代" + n + u"（" + FromUtf8(std::to_string(1000 + i)) + u"—" +
                 FromUtf8(std::to_string(1001 + i)) + u"）");
        break;
      default:
        book.Add(FromUtf8(std::to_string(i)));
        break;
    }
    book.Add(body);
    book.Add(body);
  }
  book.Seal();
  return book;
}

void FinderOnNovel(benchmark::State& state) {
  const Book& novel = TheNovel();
  FoundHeadings found;
  for (auto _ : state) {
    found = HeadingFinder().Find(novel.views);
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * novel.bytes);
  state.counters["chapters"] = static_cast<double>(found.chapters.size());
  state.counters["lines"] = static_cast<double>(novel.lines.size());
}
BENCHMARK(FinderOnNovel)->Unit(benchmark::kMillisecond)->UseRealTime();

void FinderOnShape(benchmark::State& state, int shape) {
  const Book book = ShapeBook(shape, state.range(0));
  FoundHeadings found;
  for (auto _ : state) {
    found = HeadingFinder().Find(book.views);
    benchmark::DoNotOptimize(found);
  }
  state.SetComplexityN(state.range(0));
  state.counters["found"] = static_cast<double>(found.chapters.size() + found.volumes.size());
}

#define QF_SHAPE(name, shape)                   \
  BENCHMARK_CAPTURE(FinderOnShape, name, shape) \
      ->RangeMultiplier(2)                      \
      ->Range(15000, 240000)                    \
      ->Unit(benchmark::kMillisecond)           \
      ->Complexity(benchmark::oN)

QF_SHAPE(ordinal, 0);
QF_SHAPE(named_leads, 1);
QF_SHAPE(page_heads, 2);
QF_SHAPE(bare_titles, 3);
QF_SHAPE(prefixed, 4);
QF_SHAPE(dated, 5);
QF_SHAPE(bare_numbers, 6);

}  // namespace

BENCHMARK_MAIN();
