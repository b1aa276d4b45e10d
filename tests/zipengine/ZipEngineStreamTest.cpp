// Streamed adds of the real libqzengine.so: files handed over from memory give the archive an
// add of the same files from disk gives, byte for byte; a stream that fails, is aborted or is
// closed without commit leaves the archive path as it was and nothing beside it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <thread>

#include "EngineHarness.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

constexpr int64_t kTime = 1700000000;  // every file and folder of the trees below

// Adds names whose order by parts differs from their order as plain strings ("a-b" sorts before
// "a/…" as a string, after "a" as a part), and page numbers past 9, to a book tree; dates every
// file and folder kTime.
void MakeAwkwardTree(const fs::path& root) {
  MakeBookTree(root);
  for (const char* name : {"OEBPS/ch_10.html", "OEBPS/ch_100.html", "a-b", "a/b", "a/c/d", "a.b",
                           "A", "OEBPS/css/z.css"}) {
    fs::create_directories((root / name).parent_path());
    WriteFile(root / name, std::string("data of ") + name);
  }
  chmod((root / "a-b").c_str(), 0600);
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    const struct timespec times[2] = {{kTime, 0}, {kTime, 0}};
    utimensat(AT_FDCWD, item.path().c_str(), times, 0);
  }
}

struct Item {
  std::string name;  // a folder's ends in "/"
  std::string data;
  int64_t mtime;
  int32_t mode;
};

// What an add from `root` stores, as stream entries.
std::vector<Item> ItemsOf(const fs::path& root) {
  std::vector<Item> items;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    struct stat status;
    stat(item.path().c_str(), &status);
    std::string name = item.path().lexically_relative(root).string();
    const bool folder = item.is_directory();
    items.push_back(Item{folder ? name + "/" : name, folder ? "" : ReadFile(item.path()),
                         status.st_mtim.tv_sec, static_cast<int32_t>(status.st_mode & 07777)});
  }
  return items;
}

int32_t Put(const Engine& engine, void* stream, const Item& item) {
  ZE_StreamEntry entry{};
  entry.name = item.name.c_str();
  entry.data = item.name.back() == '/' ? nullptr : item.data.data();
  entry.size = static_cast<int64_t>(item.data.size());
  entry.mtime = item.mtime;
  entry.mode = item.mode;
  return engine.stream_put(stream, &entry);
}

// Streams `items` in the order given into `archive`; returns the close's result.
int32_t Stream(const Engine& engine, AddCommand& command, const std::vector<Item>& items) {
  void* stream = nullptr;
  EXPECT_EQ(command.Open(engine, &stream), 0);
  if (stream == nullptr) return -999;
  for (const Item& item : items) EXPECT_EQ(Put(engine, stream, item), 0) << item.name;
  return engine.stream_close(stream, 1);
}

TEST(ZipEngineStreamTest, AStreamInAnyOrderGivesTheBytesOfAnAddFromDisk) {
  TempDir temp;
  MakeAwkwardTree(temp / "book");
  Engine engine;
  std::vector<Item> items = ItemsOf(temp / "book");
  std::mt19937 random(7);
  for (const int level : {9, 0}) {
    AddCommand from_disk(temp / "disk.epub", temp / "book");
    from_disk.new_archive = true;
    from_disk.level = level;
    const int32_t stored = from_disk.Run(engine);
    ASSERT_GT(stored, 0);

    std::shuffle(items.begin(), items.end(), random);
    AddCommand streamed(temp / "stream.epub", temp / "book");
    streamed.new_archive = true;
    streamed.level = level;
    EXPECT_EQ(Stream(engine, streamed, items), stored);
    EXPECT_EQ(EntryNames(temp / "stream.epub"), EntryNames(temp / "disk.epub"));
    EXPECT_TRUE(ReadFile(temp / "stream.epub") == ReadFile(temp / "disk.epub"))
        << "level " << level;
    ExpectReadersAccept(temp / "stream.epub");
    for (const CallbackCall& call : streamed.calls) {
      EXPECT_EQ(call.thread, std::this_thread::get_id()) << "kind " << call.kind;
    }
    EXPECT_TRUE(streamed.CallsOfKind(ZE_CB_MESSAGE).empty());
    EXPECT_EQ(streamed.CallsOfKind(ZE_CB_NEW_FILE).size(), static_cast<size_t>(stored));
  }
}

TEST(ZipEngineStreamTest, AFilePutAgainReplacesTheFirstWhereItStands) {
  TempDir temp;
  Engine engine;
  AddCommand command(temp / "book.epub", temp.path());
  command.new_archive = true;
  const std::vector<Item> items = {{"mimetype", "application/epub+zip", kTime, 0644},
                                   {"OEBPS/", "", kTime, 0755},
                                   {"OEBPS/toc.ncx", "first", kTime, 0644},
                                   {"OEBPS/book.opf", "package", kTime, 0644},
                                   {"OEBPS/toc.ncx", "second, longer", kTime, 0644}};
  EXPECT_EQ(Stream(engine, command, items), 3);
  EXPECT_EQ(EntryNames(temp / "book.epub"),
            (std::vector<std::string>{"mimetype", "OEBPS/", "OEBPS/book.opf", "OEBPS/toc.ncx"}));
  EXPECT_EQ(EntryData(temp / "book.epub", "OEBPS/toc.ncx"), "second, longer");
}

// How a stream ends, and what it must leave at the archive path: the older archive.
struct Ending {
  const char* what;
  std::function<int32_t(const Engine&, AddCommand&, void*)> end;  // returns the close's result
  int32_t expected;
};

TEST(ZipEngineStreamTest, AStreamThatDoesNotCommitLeavesTheOlderArchive) {
  const Item page{"OEBPS/ch_1.html", std::string(300000, 'x'), kTime, 0644};
  const std::vector<Ending> endings = {
      {"closed without commit",
       [&](const Engine& engine, AddCommand&, void* stream) {
         EXPECT_EQ(Put(engine, stream, page), 0);
         return engine.stream_close(stream, 0);
       },
       0},
      {"aborted with its key",
       [&](const Engine& engine, AddCommand& command, void* stream) {
         EXPECT_EQ(Put(engine, stream, page), 0);
         const auto keys = command.CallsOfKind(ZE_CB_OPERATION_KEY);
         EXPECT_EQ(keys.size(), 1u);
         EXPECT_EQ(engine.abort(keys.empty() ? 0 : keys[0].arg1), 1);
         EXPECT_EQ(Put(engine, stream, page), ZE_ERR_CANCELLED);
         return engine.stream_close(stream, 1);
       },
       ZE_ERR_CANCELLED},
      {"stopped by the callback",
       [&](const Engine& engine, AddCommand& command, void* stream) {
         command.answer = [](const ZE_CallbackData&) { return ZE_CALLBACK_STOP; };
         for (int i = 0; i < 200 && Put(engine, stream, page) == 0; ++i) {
         }
         return engine.stream_close(stream, 1);
       },
       ZE_ERR_CANCELLED},
      {"given a nameless entry",
       [&](const Engine& engine, AddCommand&, void* stream) {
         ZE_StreamEntry entry{};
         EXPECT_EQ(engine.stream_put(stream, &entry), ZE_ERR_STRUCTURE);
         // Nothing is done after a failure, and the failure stays.
         EXPECT_EQ(Put(engine, stream, page), ZE_ERR_STRUCTURE);
         return engine.stream_close(stream, 1);
       },
       ZE_ERR_STRUCTURE},
  };
  Engine engine;
  for (const Ending& ending : endings) {
    TempDir temp;
    WriteFile(temp / "book.epub", "older book");
    AddCommand command(temp / "book.epub", temp.path());
    command.new_archive = true;
    void* stream = nullptr;
    ASSERT_EQ(command.Open(engine, &stream), 0) << ending.what;
    EXPECT_EQ(ending.end(engine, command, stream), ending.expected) << ending.what;
    EXPECT_EQ(ReadFile(temp / "book.epub"), "older book") << ending.what;
    EXPECT_EQ(FolderListing(temp.path()), std::vector<std::string>{"book.epub"}) << ending.what;
  }
}

TEST(ZipEngineStreamTest, AnArchivePathThatCannotBeWrittenFailsTheOpenWithItsName) {
  TempDir temp;
  fs::create_directory(temp / "folder.epub");
  Engine engine;
  AddCommand command(temp / "folder.epub", temp.path());
  command.new_archive = true;
  void* stream = reinterpret_cast<void*>(1);
  EXPECT_EQ(command.Open(engine, &stream), ZE_ERR_WRITE);
  EXPECT_EQ(stream, nullptr);
  const auto messages = command.CallsOfKind(ZE_CB_MESSAGE);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].arg1, ZE_ERR_WRITE);
  EXPECT_NE(messages[0].msg.find((temp / "folder.epub").string()), std::string::npos);
}

TEST(ZipEngineStreamTest, AStreamWithoutFilesWritesNothing) {
  TempDir temp;
  Engine engine;
  AddCommand command(temp / "book.epub", temp.path());
  command.new_archive = true;
  EXPECT_EQ(Stream(engine, command, {}), 0);
  EXPECT_TRUE(FolderListing(temp.path()).empty());
}

}  // namespace
}  // namespace quireforge::test
