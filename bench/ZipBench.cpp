// Packs one staged tree of XHTML pages (about 30 MB in a few thousand files, cut from the corpus
// novels) with libqzengine.so at level 9 and with Info-ZIP's `zip -9 -r`, side by side, and
// prints how much faster the engine is and both archive sizes. The engine is loaded with dlopen,
// as the program loads it. On a machine shared with other work, run
//   zip_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// and read the ratio of the fastest runs. ZIP_BENCH_MB sets the tree's size in megabytes.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "zipengine/ZipEngineApi.h"

namespace {

namespace fs = std::filesystem;

// The staged tree and the folder the archives go to, removed with everything in them at exit.
class Workspace {
 public:
  Workspace() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/zip_bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    fs::create_directories(tree());
    fs::create_directories(out());
  }
  ~Workspace() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  fs::path tree() const { return path_ / "tree"; }
  fs::path out() const { return path_ / "out"; }

 private:
  fs::path path_;
};

Workspace* workspace = nullptr;
size_t staged_files = 0;
uint64_t staged_bytes = 0;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Paragraphs of the corpus, long lines cut at a character boundary near 900 bytes.
std::vector<std::string> CorpusParagraphs() {
  std::vector<std::string> paragraphs;
  for (const char* name : {"西游记.txt", "三国演义.txt"}) {
    std::istringstream lines(ReadText(fs::path(QF_CORPUS_DIR) / name));
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      while (!line.empty()) {
        size_t cut = std::min<size_t>(line.size(), 900);
        while (cut < line.size() && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) ++cut;
        paragraphs.push_back(line.substr(0, cut));
        line.erase(0, cut);
      }
    }
  }
  return paragraphs;
}

// A book's staging tree: container files and XHTML pages of 9-11 KB until `target` bytes.
void StageTree(const fs::path& root, uint64_t target) {
  fs::create_directories(root / "META-INF");
  fs::create_directories(root / "OEBPS" / "css");
  WriteText(root / "mimetype", "application/epub+zip");
  WriteText(root / "META-INF" / "container.xml",
            "<?xml version=\"1.0\"?>\n<container version=\"1.0\" "
            "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"/>\n");
  WriteText(root / "OEBPS" / "css" / "main.css", "body { margin: 2em; line-height: 130%; }\n");
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML "
      "1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\n<html "
      "xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<title>Book</title>\n<link "
      "href=\"css/main.css\" rel=\"stylesheet\" type=\"text/css\"/>\n</head>\n<body>\n";
  const std::string tail = "</body>\n</html>\n";
  std::vector<std::string> paragraphs = CorpusParagraphs();
  size_t next = 0;
  staged_files = 3;
  staged_bytes = 20;
  for (size_t page = 1; staged_bytes < target; ++page) {
    size_t budget = 9000 + (page * 397) % 2000;
    std::string text = head;
    while (text.size() < budget) {
      text += "<p>" + paragraphs[next++ % paragraphs.size()] + "</p>\n";
    }
    text += tail;
    WriteText(root / "OEBPS" / ("ch_" + std::to_string(page) + ".html"), text);
    staged_bytes += text.size();
    ++staged_files;
  }
}

struct CallbackState {
  std::chrono::steady_clock::time_point last;
  double max_gap_ms = 0;
};

int32_t MeasureGap(void* caller, ZE_CallbackData*) {
  auto* state = static_cast<CallbackState*>(caller);
  auto now = std::chrono::steady_clock::now();
  state->max_gap_ms = std::max(
      state->max_gap_ms, std::chrono::duration<double, std::milli>(now - state->last).count());
  state->last = now;
  return ZE_CALLBACK_CONTINUE;
}

void BM_QzEngine(benchmark::State& state) {
  void* library = dlopen(QZENGINE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    state.SkipWithError(dlerror());
    return;
  }
  auto zip_exec = reinterpret_cast<ZE_ZipExecFn>(dlsym(library, "ZE_ZipExec"));
  std::string archive = (workspace->out() / "qzengine.epub").string();
  std::string root = workspace->tree().string();
  ZE_SpecEntry spec;
  std::memset(&spec, 0, sizeof(spec));
  spec.spec = "*.*";
  spec.recurse = 0xFFFF;
  CallbackState gaps;
  double max_gap_ms = 0;
  for (auto _ : state) {
    ZE_ZipCommand command;
    std::memset(&command, 0, sizeof(command));
    command.version = command.check = ZE_INTERFACE_VERSION;
    command.endMarker = ZE_END_MARKER;
    command.caller = &gaps;
    command.callback = &MeasureGap;
    command.level = 9;
    command.reserved56 = -1;
    command.recurse = ZE_TRUE;
    command.newArchive = ZE_TRUE;
    command.specCount = 1;
    command.specs = &spec;
    command.archivePath = archive.c_str();
    command.rootDir = root.c_str();
    gaps = CallbackState{std::chrono::steady_clock::now()};
    int32_t result = zip_exec(&command);
    MeasureGap(&gaps, nullptr);  // the time from the last callback to the return counts too
    max_gap_ms = std::max(max_gap_ms, gaps.max_gap_ms);
    if (result != static_cast<int32_t>(staged_files)) {
      state.SkipWithError(("ZE_ZipExec returned " + std::to_string(result)).c_str());
      break;
    }
  }
  dlclose(library);
  state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive));
  state.counters["max_callback_gap_ms"] = max_gap_ms;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * staged_bytes));
}

void BM_InfoZip9(benchmark::State& state) {
  fs::path archive = workspace->out() / "infozip.epub";
  std::string command =
      "cd '" + workspace->tree().string() + "' && zip -q -9 -r '" + archive.string() + "' .";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(archive);
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("zip -9 -r failed");
      break;
    }
  }
  state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * staged_bytes));
}

BENCHMARK(BM_QzEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_InfoZip9)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// The console report, followed by the comparison of the two: the fastest and the median run of
// each, and the speed-up both ways.
class ComparingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      std::string name = run.run_name.function_name;
      milliseconds_[name].push_back(run.GetAdjustedRealTime());
      auto size = run.counters.find("archive_bytes");
      if (size != run.counters.end()) bytes_[name] = size->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Summarise() {
    if (!milliseconds_.count("BM_QzEngine") || !milliseconds_.count("BM_InfoZip9")) return;
    std::printf("\n%zu files, %.1f MB staged; %u hardware threads\n", staged_files,
                staged_bytes / 1e6, std::thread::hardware_concurrency());
    std::printf("%-22s %10s %10s %12s\n", "", "fastest ms", "median ms", "bytes");
    for (const char* name : {"BM_QzEngine", "BM_InfoZip9"}) {
      std::printf("%-22s %10.1f %10.1f %12.0f\n", name, Fastest(name), Median(name), bytes_[name]);
    }
    std::printf("speed-up %.2fx (fastest runs), %.2fx (medians); size %.2f%% of zip's\n",
                Fastest("BM_InfoZip9") / Fastest("BM_QzEngine"),
                Median("BM_InfoZip9") / Median("BM_QzEngine"),
                100.0 * bytes_["BM_QzEngine"] / bytes_["BM_InfoZip9"]);
  }

 private:
  double Fastest(const std::string& name) {
    std::vector<double>& times = milliseconds_[name];
    return *std::min_element(times.begin(), times.end());
  }
  double Median(const std::string& name) {
    std::vector<double> times = milliseconds_[name];
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }

  std::map<std::string, std::vector<double>> milliseconds_;
  std::map<std::string, double> bytes_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const char* megabytes = getenv("ZIP_BENCH_MB");
  Workspace space;
  workspace = &space;
  StageTree(space.tree(), static_cast<uint64_t>(megabytes ? atof(megabytes) : 30.0) * 1000000);
  ComparingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summarise();
  benchmark::Shutdown();
  return 0;
}
