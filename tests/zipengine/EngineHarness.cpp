#include "EngineHarness.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>
#include <stdexcept>

#include "TestSupport.h"

namespace quireforge::test {

namespace {

template <typename Fn>
Fn Resolve(void* handle, const char* name) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) throw std::runtime_error(std::string("missing entry point ") + name);
  return reinterpret_cast<Fn>(symbol);
}

// Lists an archive through Python's zipfile: "CRC OK" or "CRC BAD name", then one line per entry.
constexpr char kListScript[] = R"PY(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
bad = z.testzip()
print("CRC OK" if bad is None else "CRC BAD " + bad)
for i in z.infolist():
    print("ENTRY %d %d %d %d %s" % (i.compress_type, len(i.extra), i.flag_bits, i.file_size, i.filename))
)PY";

constexpr char kExtractScript[] = R"PY(
import sys, zipfile
zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])
)PY";

constexpr char kReadScript[] = R"PY(
import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))
)PY";

std::string Python(const char* script, const std::vector<std::string>& args, int* status) {
  std::string command = "python3 -c " + ShellQuote(script);
  // Appended piece by piece: GCC 12 at -O3 takes `" " + string` for an overlapping copy
  // (-Wrestrict).
  for (const std::string& arg : args) {
    command += ' ';
    command += ShellQuote(arg);
  }
  std::string output;
  *status = RunCommand(command, &output);
  return output;
}

}  // namespace

std::string Engine::LibraryPath() { return QZENGINE_PATH; }

Engine::Engine() {
  handle_ = dlopen(QZENGINE_PATH, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) throw std::runtime_error(std::string("dlopen: ") + dlerror());
  zip_exec = Resolve<ZE_ZipExecFn>(handle_, "ZE_ZipExec");
  unz_exec = Resolve<ZE_UnzExecFn>(handle_, "ZE_UnzExec");
  version = Resolve<ZE_VersionFn>(handle_, "ZE_Version");
  priv_version = Resolve<ZE_PrivVersionFn>(handle_, "ZE_PrivVersion");
  abort = Resolve<ZE_AbortFn>(handle_, "ZE_Abort");
  path = Resolve<ZE_PathFn>(handle_, "ZE_Path");
  stream_open = Resolve<ZE_StreamOpenFn>(handle_, "ZE_StreamOpen");
  stream_put = Resolve<ZE_StreamPutFn>(handle_, "ZE_StreamPut");
  stream_close = Resolve<ZE_StreamCloseFn>(handle_, "ZE_StreamClose");
}

Engine::~Engine() { dlclose(handle_); }

AddCommand::AddCommand(std::filesystem::path archive_path, std::filesystem::path root_dir)
    : archive(archive_path.string()), root(root_dir.string()) {
  std::memset(&record_, 0, sizeof(record_));
}

ZE_ZipCommand* AddCommand::Build() {
  spec_entries_.assign(specs.size(), ZE_SpecEntry{});
  for (size_t i = 0; i < specs.size(); ++i) {
    std::memset(&spec_entries_[i], 0, sizeof(ZE_SpecEntry));
    spec_entries_[i].spec = specs[i].c_str();
    spec_entries_[i].recurse = recurse;
  }
  exclude_texts_.clear();
  for (const std::string& exclude : excludes) exclude_texts_.push_back(exclude.c_str());

  std::memset(&record_, 0, sizeof(record_));
  record_.caller = this;
  record_.version = ZE_INTERFACE_VERSION;
  record_.callback = with_callback ? &AddCommand::Callback : nullptr;
  record_.storeSuffixes = store_suffixes.empty() ? nullptr : store_suffixes.c_str();
  record_.hiddenFiles = hidden_files ? ZE_TRUE : ZE_FALSE;
  record_.noSeparateDirs = separate_dirs ? ZE_FALSE : ZE_TRUE;
  record_.reserved56 = -1;
  record_.level = level;
  record_.newArchive = new_archive ? ZE_TRUE : ZE_FALSE;
  record_.noDirNames = dir_names ? ZE_FALSE : ZE_TRUE;
  record_.recurse = recurse != 0 ? ZE_TRUE : ZE_FALSE;
  record_.notSafe = ZE_TRUE;
  record_.move = move ? ZE_TRUE : ZE_FALSE;
  record_.specCount = static_cast<int32_t>(spec_entries_.size());
  record_.archivePath = archive.c_str();
  record_.specs = spec_entries_.data();
  record_.excludeCount = static_cast<int32_t>(exclude_texts_.size());
  record_.excludes = exclude_texts_.empty() ? nullptr : exclude_texts_.data();
  record_.allowUndo = ZE_TRUE;
  record_.check = ZE_INTERFACE_VERSION;
  record_.rootDir = root.c_str();
  record_.endMarker = ZE_END_MARKER;
  return &record_;
}

int32_t AddCommand::Run(const Engine& engine) {
  calls.clear();
  return engine.zip_exec(Build());
}

int32_t AddCommand::Open(const Engine& engine, void** stream) {
  calls.clear();
  specs.clear();
  move = false;
  return engine.stream_open(Build(), stream);
}

int32_t AddCommand::Callback(void* caller, ZE_CallbackData* data) {
  auto* self = static_cast<AddCommand*>(caller);
  self->calls.push_back(CallbackCall{data->actionCode & 0x3F, data->arg1,
                                     data->msg ? data->msg : "", data->fileSize, data->written,
                                     std::this_thread::get_id()});
  return self->answer ? self->answer(*data) : ZE_CALLBACK_CONTINUE;
}

std::vector<CallbackCall> AddCommand::CallsOfKind(int kind) const {
  std::vector<CallbackCall> result;
  for (const CallbackCall& call : calls) {
    if (call.kind == kind) result.push_back(call);
  }
  return result;
}

std::vector<ArchiveEntry> ReadEntries(const std::filesystem::path& archive) {
  int status = 0;
  std::istringstream lines(Python(kListScript, {archive.string()}, &status));
  EXPECT_EQ(status, 0) << "zipfile cannot read " << archive;
  std::vector<ArchiveEntry> entries;
  std::string line;
  bool crc_checked = false;
  while (std::getline(lines, line)) {
    if (line == "CRC OK") {
      crc_checked = true;
    } else if (line.rfind("ENTRY ", 0) == 0) {
      std::istringstream fields(line.substr(6));
      ArchiveEntry entry;
      fields >> entry.method >> entry.extra_length >> entry.flag_bits >> entry.size;
      fields.get();
      std::getline(fields, entry.name);
      entries.push_back(entry);
    } else {
      ADD_FAILURE() << archive << ": " << line;
    }
  }
  EXPECT_TRUE(crc_checked) << "zipfile found a bad entry in " << archive;
  return entries;
}

std::vector<std::string> EntryNames(const std::filesystem::path& archive) {
  std::vector<std::string> names;
  for (const ArchiveEntry& entry : ReadEntries(archive)) names.push_back(entry.name);
  return names;
}

std::string EntryData(const std::filesystem::path& archive, const std::string& name) {
  int status = 0;
  std::string data = Python(kReadScript, {archive.string(), name}, &status);
  EXPECT_EQ(status, 0) << "zipfile cannot read " << name << " from " << archive << ": " << data;
  return data;
}

void ExtractAll(const std::filesystem::path& archive, const std::filesystem::path& dir) {
  int status = 0;
  std::string output = Python(kExtractScript, {archive.string(), dir.string()}, &status);
  EXPECT_EQ(status, 0) << "zipfile cannot extract " << archive << ": " << output;
}

void ExpectReadersAccept(const std::filesystem::path& archive) {
  std::string output;
  EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(archive.string()), &output), 0) << output;
  EXPECT_EQ(RunCommand("7z t " + ShellQuote(archive.string()), &output), 0) << output;
  EXPECT_NE(output.find("Everything is Ok"), std::string::npos) << output;
  ReadEntries(archive);
}

std::vector<std::string> MakeBookTree(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  fs::create_directories(root / "META-INF");
  fs::create_directories(root / "OEBPS" / "css");
  std::string novel = ReadFile(fs::path(QF_CORPUS_DIR) / "西游记.txt");
  auto page = [&](size_t number) {
    std::string text = novel.substr(number * 9000, 9000);
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html><body><p>" + text +
           "</p></body></html>\n";
  };
  std::mt19937 random(42);
  std::string noise(40000, '\0');
  for (char& c : noise) c = static_cast<char>(random());

  std::vector<std::pair<std::string, std::string>> files = {
      {"mimetype", "application/epub+zip"},
      {"META-INF/container.xml", "<?xml version=\"1.0\"?>\n<container/>\n"},
      {"OEBPS/book.opf", "<?xml version=\"1.0\"?>\n<package/>\n"},
      {"OEBPS/toc.ncx", "<?xml version=\"1.0\"?>\n<ncx/>\n"},
      {"OEBPS/css/main.css", "body { margin: 2em; }\n"},
      {"OEBPS/ch_1.html", page(1)},
      {"OEBPS/ch_2.html", page(2)},
      {"OEBPS/ch_3.html", page(3)},
      {"OEBPS/第一回.html", page(4)},
      {"OEBPS/cover.png", noise.substr(0, 3000) + std::string(3000, 'a')},
      {"OEBPS/noise.bin", noise},
  };
  std::vector<std::string> names;
  for (const auto& [name, data] : files) {
    WriteFile(root / name, data);
    names.push_back(name);
  }
  return names;
}

std::vector<std::string> FolderListing(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(dir)) {
    names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace quireforge::test
