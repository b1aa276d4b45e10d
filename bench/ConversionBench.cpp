// Builds one conversion job from a novel of about 50 MB (the corpus novels repeated), once
// in UTF-8 and twice in GB18030 (with the code page named, and found from the text as on a
// desktop where none is named), and reports the source megabytes converted per second and
// the process's peak resident memory against the source size. The whole construction is
// timed: reading, decoding, splitting, the chapter-head test on every line, writing every
// page and book.opf. The detection of the GB18030 novel's code page is also timed alone.
// Usage: conversion_bench [Google Benchmark flags]; CONVERSION_BENCH_MB sets the source
// size. Run one encoding per process (--benchmark_filter=Utf8 or =Gb18030) for that
// encoding's own peak memory.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "base/UserInterface.h"
#include "base/Utf.h"
#include "conversion/CodePageDetector.h"
#include "conversion/ConvertFile.h"
#include "conversion/LegacyCodePage.h"
#include "conversion/RemoveTree.h"
#include "conversion/StagingRoot.h"

#ifdef QF_HAVE_CHAPTER_HEAD_RULE
#include "chapterhead/ChapterHeadRule.h"
#endif

namespace {

namespace fs = std::filesystem;
using quireforge::LegacyCodePage;

// A folder for the sources and the staging root, removed with everything in it at exit.
class Workspace {
 public:
  Workspace() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/conversion_bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~Workspace() { quireforge::RemoveTree(quireforge::FromUtf8(path_.string())); }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadCorpus(const char* name) {
  std::ifstream in(fs::path(QF_CORPUS_DIR) / name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  if (out.str().empty()) throw std::runtime_error(std::string("cannot read corpus file ") + name);
  return out.str();
}

size_t SourceBytes() {
  const char* mb = getenv("CONVERSION_BENCH_MB");
  return static_cast<size_t>(mb != nullptr ? atof(mb) : 50.0) * 1000 * 1000;
}

// Writes the corpus novels, in `code_page` (UTF-8 when null), one after the other until
// the file holds at least SourceBytes(); returns its size.
size_t WriteNovel(const fs::path& path, const LegacyCodePage* code_page) {
  std::string piece = ReadCorpus("西游记.txt") + ReadCorpus("三国演义.txt");
  if (code_page != nullptr) {
    std::string encoded;
    code_page->Encode(quireforge::FromUtf8(piece), &encoded);
    piece = std::move(encoded);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  size_t written = 0;
  while (written < SourceBytes()) {
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
    written += piece.size();
  }
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return written;
}

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

class Bench {
 public:
  Bench() : code_page_("GB18030"), locale_code_page_("windows-1252") {
    staging_root_ = quireforge::FromUtf8((workspace_.path() / "QuireforgeTmp").string());
    quireforge::CreateStagingRoot(staging_root_);
    utf8_size_ = WriteNovel(workspace_.path() / "novel-utf8.txt", nullptr);
    gb18030_size_ = WriteNovel(workspace_.path() / "novel-gb18030.txt", &code_page_);
  }

  // `detect`: the code page is found from the text, windows-1252 (an English desktop's)
  // when it does not tell; otherwise GB18030 is named.
  void Run(benchmark::State& state, const char* file, size_t size, bool detect = false) {
    quireforge::JobParameters parameters;
    parameters.sources = {quireforge::FromUtf8((workspace_.path() / file).string())};
    parameters.target_path = u"/nowhere/novel.epub";
    parameters.title = u"西游记 三国演义";
    parameters.author = u"Anonymous";
    quireforge::JobEnvironment environment;
    environment.staging_root = staging_root_;
    environment.ui = &ui_;
    environment.code_page = detect ? &locale_code_page_ : &code_page_;
    environment.detect_code_page = detect;
#ifdef QF_HAVE_CHAPTER_HEAD_RULE
    auto rule = std::make_shared<quireforge::ChapterHeadRule>();
    environment.is_chapter_head = [rule](std::u16string_view line) {
      return rule->IsChapterHead(line);
    };
#else
    environment.is_chapter_head = StandInChapterHead;
#endif
    int chapters = 0;
    int pages = 0;
    double user_seconds = 0;
    double system_seconds = 0;
    for (auto _ : state) {
      rusage before;
      getrusage(RUSAGE_SELF, &before);
      auto job = std::make_unique<quireforge::TConvertFile>(parameters, environment);
      rusage after;
      getrusage(RUSAGE_SELF, &after);
      state.PauseTiming();
      user_seconds += Seconds(after.ru_utime) - Seconds(before.ru_utime);
      system_seconds += Seconds(after.ru_stime) - Seconds(before.ru_stime);
      chapters = job->ChapterCount();
      pages = job->PageCounter();
      const std::u16string staging = job->StagingPath();
      job.reset();
      quireforge::RemoveTree(staging);
      state.ResumeTiming();
    }
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double peak_mb = static_cast<double>(usage.ru_maxrss) * 1024 / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    state.counters["source_MB"] = static_cast<double>(size) / 1e6;
    state.counters["MB_per_s"] = benchmark::Counter(
        static_cast<double>(size) / 1e6 * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["peak_RSS_MB"] = peak_mb;
    state.counters["peak_x_source"] = peak_mb / (static_cast<double>(size) / 1e6);
    // CPU time of the construction alone, in user space and in the kernel (file writes).
    const double iterations = static_cast<double>(state.iterations());
    state.counters["user_ms"] = user_seconds * 1000 / iterations;
    state.counters["sys_ms"] = system_seconds * 1000 / iterations;
    state.counters["MB_per_cpu_s"] =
        static_cast<double>(size) / 1e6 / ((user_seconds + system_seconds) / iterations);
    state.counters["chapters"] = chapters;
    state.counters["pages"] = pages;
  }

  // Times the detection of the GB18030 novel's code page from its bytes in memory.
  void Detect(benchmark::State& state) {
    std::ifstream in(workspace_.path() / "novel-gb18030.txt", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    std::string found;
    for (auto _ : state) {
      found = quireforge::DetectCodePage(text).value_or("none");
      benchmark::DoNotOptimize(found);
    }
    if (found != "GB18030") state.SkipWithError(("detected " + found).c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  }

  size_t utf8_size() const { return utf8_size_; }
  size_t gb18030_size() const { return gb18030_size_; }

 private:
#ifndef QF_HAVE_CHAPTER_HEAD_RULE
  // Stand-in for the chapter-head rule: an opening character, spaces, at most ten
  // numerals, at most one space, a closing character.
  static bool StandInChapterHead(std::u16string_view line) {
    static const std::u16string_view kOpen = u"第|卷序章";
    static const std::u16string_view kClose = u"章|回卷篇课节部集";
    static const std::u16string_view kNumerals =
        u"0123456789０１２３４５６７８９〇一二三四五六七八九个十百千万零壹贰叁肆伍陆柒捌玖拾佰仟萬"
        u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩⅪⅫ";
    auto is_space = [](char16_t c) { return c == u' ' || c == u'\u3000'; };
    for (size_t start = 0; start < line.size(); ++start) {
      if (kOpen.find(line[start]) == std::u16string_view::npos) continue;
      size_t i = start + 1;
      while (i < line.size() && is_space(line[i])) ++i;
      const size_t numerals_start = i;
      while (i < line.size() && i - numerals_start < 10 &&
             kNumerals.find(line[i]) != std::u16string_view::npos) {
        ++i;
      }
      if (i < line.size() && is_space(line[i]) && i + 1 < line.size() &&
          kClose.find(line[i + 1]) != std::u16string_view::npos) {
        return true;
      }
      if (i < line.size() && kClose.find(line[i]) != std::u16string_view::npos) return true;
    }
    return false;
  }
#endif

  Workspace workspace_;
  LegacyCodePage code_page_;
  LegacyCodePage locale_code_page_;
  quireforge::SilentUserInterface ui_;
  std::u16string staging_root_;
  size_t utf8_size_ = 0;
  size_t gb18030_size_ = 0;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

void BM_ConvertUtf8Novel(benchmark::State& state) {
  TheBench().Run(state, "novel-utf8.txt", TheBench().utf8_size());
}

void BM_ConvertGb18030Novel(benchmark::State& state) {
  TheBench().Run(state, "novel-gb18030.txt", TheBench().gb18030_size());
}

void BM_ConvertGb18030NovelDetected(benchmark::State& state) {
  TheBench().Run(state, "novel-gb18030.txt", TheBench().gb18030_size(), true);
}

void BM_DetectGb18030CodePage(benchmark::State& state) { TheBench().Detect(state); }

BENCHMARK(BM_ConvertUtf8Novel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ConvertGb18030Novel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ConvertGb18030NovelDetected)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_DetectGb18030CodePage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
