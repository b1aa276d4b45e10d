// The chapter-head test over every line of a novel-like text of about 50 MB (the two corpus
// novels decoded to UTF-16 and repeated; PATTERN_BENCH_MB sets the size), reported in MB/s
// of UTF-16 input:
//   ChapterHeadRule     the rule as the conversion job calls it (prefilter, then the engine)
//   PatternEngineExec   a TPatternEngine searching every line, without the prefilter
//   Pcre2Interpreter    PCRE2's 16-bit interpreter (no JIT) on the same rule
//   RuleOverPcre2       both in turn in every iteration; the counter "ratio" is the rule's
//                       speed divided by PCRE2's
// Every run checks that all three find the same number of heads.
// Besides, CountedRepeat/greedy and CountedRepeat/lazy time a search whose counted repeat
// of one item asks for more units than the input holds (a{99999999} over 100,000 a's).
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

#include "Pcre2Reference.h"
#include "chapterhead/ChapterHeadRule.h"
#include "chapterhead/PatternEngine.h"

namespace {

using quireforge::ChapterHeadRule;
using quireforge::TPatternEngine;

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

// PCRE2's interpreter (no JIT) on the same rule.
class Pcre2Rule {
 public:
  Pcre2Rule() : reference_(quireforge::test::kPcre2ChapterHeadPattern, PCRE2_DOTALL) {}
  bool IsChapterHead(std::u16string_view line) { return reference_.Search(line); }

 private:
  quireforge::test::Pcre2Reference reference_;
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

// A repeat that can never reach its minimum, tried at every one of 100,000 start positions.
void CountedRepeatBench(benchmark::State& state) {
  const std::u16string input(100000, u'a');
  TPatternEngine engine;
  engine.SetExpression(state.range(0) != 0 ? u"a{99999999}" : u"a{99999999}?");
  for (auto _ : state) {
    if (engine.Exec(input)) state.SkipWithError("matched");
  }
}
BENCHMARK(CountedRepeatBench)
    ->Name("CountedRepeat")
    ->ArgName("greedy")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
