// The chapter-head test over every line of a novel-like text of about 50 MB (the two corpus
// novels decoded to UTF-16 and repeated; PATTERN_BENCH_MB sets the size), reported in MB/s
// of UTF-16 input:
//   ChapterHeadRule     the rule as the conversion job calls it (prefilter, then the engine)
//   PatternEngineExec   a TPatternEngine searching every line, without the prefilter
//   Pcre2Interpreter    PCRE2's 16-bit interpreter (no JIT) on the same rule
//   RuleOverPcre2       both in turn in every iteration; the counter "ratio" is the rule's
//                       speed divided by PCRE2's
// Every run checks that all three find the same number of heads.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <benchmark/benchmark.h>
#include <pcre2.h>
#include <unicode/unistr.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/PatternEngine.h"

namespace {

using quireforge::ChapterHeadRule;
using quireforge::TPatternEngine;

// The rule in PCRE2 syntax; "." matches everything, as under the engine's defaults.
constexpr std::u16string_view kPcre2Pattern =
    u"(Charpter){0,1}.{0,1}"
    u"[\\x{7B2C}|\\x{5377}|\\x{5E8F}|\\x{5E8F}\\x{7AE0}]"
    u"[ \\x{3000}]*"
    u"[0-9\\x{FF10}-\\x{FF19}\\x{3007}\\x{4E00}\\x{4E8C}\\x{4E09}\\x{56DB}\\x{4E94}\\x{516D}"
    u"\\x{4E03}\\x{516B}\\x{4E5D}\\x{4E2A}\\x{5341}\\x{767E}\\x{5343}\\x{4E07}\\x{96F6}"
    u"\\x{58F9}\\x{8D30}\\x{53C1}\\x{8086}\\x{4F0D}\\x{9646}\\x{67D2}\\x{634C}\\x{7396}"
    u"\\x{62FE}\\x{4F70}\\x{4EDF}\\x{842C}\\x{2160}-\\x{216B}]{0,10}"
    u"[ \\x{3000}]{0,1}"
    u"[\\x{7AE0}|\\x{56DE}|\\x{5377}|\\x{7BC7}|\\x{8BFE}|\\x{8282}|\\x{90E8}|\\x{96C6}]"
    u".{0,1}";

struct Novel {
  std::vector<std::u16string> lines;
  int64_t bytes = 0;  // UTF-16 bytes of all lines
};

std::u16string ReadUtf16(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(bytes.str());
  return std::u16string(text.getBuffer(), text.getBuffer() + text.length());
}

void AppendLines(const std::u16string& text, Novel* novel) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    novel->lines.push_back(text.substr(start, end - start));
    novel->bytes += static_cast<int64_t>(2 * (end - start));
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

const Novel& TheNovel() {
  static const Novel novel = [] {
    const char* size = std::getenv("PATTERN_BENCH_MB");
    const int64_t target = (size != nullptr ? std::atoll(size) : 50) * 1000 * 1000;
    const std::u16string first = ReadUtf16(QF_CORPUS_DIR "/西游记.txt");
    const std::u16string second = ReadUtf16(QF_CORPUS_DIR "/三国演义.txt");
    Novel result;
    while (result.bytes < target) {
      AppendLines(first, &result);
      AppendLines(second, &result);
    }
    return result;
  }();
  return novel;
}

class Pcre2Rule {
 public:
  Pcre2Rule() {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPcre2Pattern.data()), kPcre2Pattern.size(),
                          PCRE2_DOTALL, &error, &offset, nullptr);
    if (code_ == nullptr) throw std::runtime_error("PCRE2 compile error");
    match_data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
  }
  ~Pcre2Rule() {
    pcre2_match_data_free(match_data_);
    pcre2_code_free(code_);
  }
  Pcre2Rule(const Pcre2Rule&) = delete;
  Pcre2Rule& operator=(const Pcre2Rule&) = delete;

  bool IsChapterHead(std::u16string_view line) {
    return pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0, 0,
                       match_data_, nullptr) >= 0;
  }

 private:
  pcre2_code* code_;
  pcre2_match_data* match_data_;
};

template <typename Test>
int64_t CountHeads(Test& test) {
  int64_t heads = 0;
  for (const std::u16string& line : TheNovel().lines) heads += test(line) ? 1 : 0;
  return heads;
}

// The number of heads PCRE2 finds, which the others must match.
int64_t ExpectedHeads() {
  static const int64_t heads = [] {
    Pcre2Rule pcre2;
    auto test = [&](std::u16string_view line) { return pcre2.IsChapterHead(line); };
    return CountHeads(test);
  }();
  return heads;
}

template <typename Test>
void RunOverNovel(benchmark::State& state, Test& test) {
  const Novel& novel = TheNovel();
  const int64_t expected = ExpectedHeads();
  int64_t heads = 0;
  for (auto _ : state) {
    heads = CountHeads(test);
    benchmark::DoNotOptimize(heads);
  }
  if (heads != expected) state.SkipWithError("head count differs from PCRE2's");
  state.SetBytesProcessed(state.iterations() * novel.bytes);
  state.counters["heads"] = static_cast<double>(heads);
  state.counters["lines"] = static_cast<double>(novel.lines.size());
}

void ChapterHeadRuleBench(benchmark::State& state) {
  ChapterHeadRule rule;
  auto test = [&](std::u16string_view line) { return rule.IsChapterHead(line); };
  RunOverNovel(state, test);
}
BENCHMARK(ChapterHeadRuleBench)->Name("ChapterHeadRule")->Unit(benchmark::kMillisecond);

void PatternEngineExecBench(benchmark::State& state) {
  TPatternEngine engine;
  engine.SetExpression(quireforge::kChapterHeadPattern);
  auto test = [&](std::u16string_view line) { return engine.Exec(line); };
  RunOverNovel(state, test);
}
BENCHMARK(PatternEngineExecBench)->Name("PatternEngineExec")->Unit(benchmark::kMillisecond);

void Pcre2InterpreterBench(benchmark::State& state) {
  Pcre2Rule pcre2;
  auto test = [&](std::u16string_view line) { return pcre2.IsChapterHead(line); };
  RunOverNovel(state, test);
}
BENCHMARK(Pcre2InterpreterBench)->Name("Pcre2Interpreter")->Unit(benchmark::kMillisecond);

void RuleOverPcre2Bench(benchmark::State& state) {
  ChapterHeadRule rule;
  Pcre2Rule pcre2;
  auto ours = [&](std::u16string_view line) { return rule.IsChapterHead(line); };
  auto theirs = [&](std::u16string_view line) { return pcre2.IsChapterHead(line); };
  using Clock = std::chrono::steady_clock;
  Clock::duration our_time{}, their_time{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(CountHeads(ours));
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(CountHeads(theirs));
    const auto t2 = Clock::now();
    our_time += t1 - t0;
    their_time += t2 - t1;
  }
  const double megabytes = static_cast<double>(TheNovel().bytes) * state.iterations() / 1e6;
  const double ours_mb_s = megabytes / std::chrono::duration<double>(our_time).count();
  const double theirs_mb_s = megabytes / std::chrono::duration<double>(their_time).count();
  state.counters["rule_MB/s"] = ours_mb_s;
  state.counters["pcre2_MB/s"] = theirs_mb_s;
  state.counters["ratio"] = ours_mb_s / theirs_mb_s;
}
BENCHMARK(RuleOverPcre2Bench)->Name("RuleOverPcre2")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
