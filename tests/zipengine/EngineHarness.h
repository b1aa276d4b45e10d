// Test helpers for the zip engine: the real libqzengine.so opened with dlopen, a command record
// built like the archive component builds it (with every field a test may change), a callback
// that records every call, and independent readers (unzip, 7z, Python's zipfile) for archives.
#ifndef QUIREFORGE_TESTS_ZIPENGINE_ENGINEHARNESS_H_
#define QUIREFORGE_TESTS_ZIPENGINE_ENGINEHARNESS_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "zipengine/ZipEngineApi.h"

namespace quireforge::test {

// The library, loaded for the life of the object. Throws std::runtime_error when it cannot be
// loaded or lacks an entry point.
class Engine {
 public:
  Engine();
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  static std::string LibraryPath();

  ZE_ZipExecFn zip_exec;
  ZE_UnzExecFn unz_exec;
  ZE_VersionFn version;
  ZE_PrivVersionFn priv_version;
  ZE_AbortFn abort;
  ZE_PathFn path;
  ZE_StreamOpenFn stream_open;
  ZE_StreamPutFn stream_put;
  ZE_StreamCloseFn stream_close;

 private:
  void* handle_;
};

struct CallbackCall {
  int kind;
  int32_t arg1;
  std::string msg;
  int64_t file_size;
  int64_t written;
  std::thread::id thread;
};

// An add request with the component's values: spec "*.*" recursive, directory entries, names
// with their directory part, level 9, the component's store list, no move, no new archive.
class AddCommand {
 public:
  AddCommand(std::filesystem::path archive, std::filesystem::path root);
  AddCommand(const AddCommand&) = delete;
  AddCommand& operator=(const AddCommand&) = delete;

  // Runs ZE_ZipExec and returns its result; `calls` then holds every callback.
  int32_t Run(const Engine& engine);

  // The record as the last Run built it (or builds it now), for tests that damage it.
  ZE_ZipCommand* Build();

  // A streamed add of the archive (the specs, root and move are not used): ZE_StreamOpen's
  // result, with the stream in `stream`. Clears `calls` as Run does.
  int32_t Open(const Engine& engine, void** stream);

  std::string archive;
  std::string root;
  std::vector<std::string> specs{"*.*"};
  int32_t recurse = 0xFFFF;
  std::vector<std::string> excludes;
  std::string store_suffixes =
      ".gif:.png:.z:.zip:.zoo:.arc:.lzh:.arj:.taz:.tgz:.lha:.rar:.ace:.cab:.gz:.gzip:.jar:.exe:"
      ".jpg:.jpeg:.7zp:.mp3:.wmv:.wma:.dvr-ms:.avi";
  int32_t level = 9;
  bool move = false;
  bool new_archive = false;
  bool separate_dirs = true;
  bool dir_names = true;
  bool hidden_files = false;
  bool with_callback = true;
  // Answers each callback; the default goes on.
  std::function<int32_t(const ZE_CallbackData&)> answer;

  std::vector<CallbackCall> calls;

  std::vector<CallbackCall> CallsOfKind(int kind) const;

 private:
  static int32_t Callback(void* caller, ZE_CallbackData* data);

  ZE_ZipCommand record_;
  std::vector<ZE_SpecEntry> spec_entries_;
  std::vector<const char*> exclude_texts_;
};

// One entry as Python's zipfile reads it from the central directory.
struct ArchiveEntry {
  std::string name;
  int method;        // 0 stored, 8 deflated
  int extra_length;  // central directory extra field
  int flag_bits;
  uint64_t size;
};

// The entries of `archive` in order; fails the test unless zipfile's testzip() finds every CRC
// right.
std::vector<ArchiveEntry> ReadEntries(const std::filesystem::path& archive);

// The entry names of `archive`, in order.
std::vector<std::string> EntryNames(const std::filesystem::path& archive);

// The data of entry `name`, read by Python's zipfile.
std::string EntryData(const std::filesystem::path& archive, const std::string& name);

// Extracts every entry of `archive` into `dir` with Python's zipfile.
void ExtractAll(const std::filesystem::path& archive, const std::filesystem::path& dir);

// Expects `unzip -t`, `7z t` and Python's zipfile to accept `archive`.
void ExpectReadersAccept(const std::filesystem::path& archive);

// A staging tree like a book's: mimetype, META-INF/container.xml, OEBPS with package files,
// pages cut from the corpus (one with a Chinese name), a style sheet, a ".png" (store list)
// and a file of random bytes that Deflate cannot shrink. Returns the files' entry names.
std::vector<std::string> MakeBookTree(const std::filesystem::path& root);

// Names of the files in the folder `dir` (not recursive), sorted.
std::vector<std::string> FolderListing(const std::filesystem::path& dir);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_ZIPENGINE_ENGINEHARNESS_H_
