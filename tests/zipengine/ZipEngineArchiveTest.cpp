// Archives written by the real libqzengine.so, read back by unzip, 7z and Python's zipfile.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

#include "EngineHarness.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

const ArchiveEntry* Find(const std::vector<ArchiveEntry>& entries, const std::string& name) {
  for (const ArchiveEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

// The first local header must be `mimetype`, stored, without extra field, followed directly
// by its 20 bytes: what EPUB readers look for at offset 30 and 38.
void ExpectMimetypeFirst(const fs::path& archive) {
  std::string bytes = ReadFile(archive);
  ASSERT_GE(bytes.size(), 58u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_EQ(bytes.substr(8, 2), std::string("\0\0", 2)) << "method must be 'stored'";
  EXPECT_EQ(bytes.substr(26, 4), std::string("\x08\0\0\0", 4)) << "name length 8, no extra";
  EXPECT_EQ(bytes.substr(30, 28), "mimetypeapplication/epub+zip");
}

TEST(ZipEngineEntryPointsTest, ExportsItsEntriesAndUnloadsCleanly) {
  std::string output;
  ASSERT_EQ(RunCommand("nm -D --defined-only " + ShellQuote(Engine::LibraryPath()), &output), 0);
  std::set<std::string> exported;
  std::istringstream lines(output);
  std::string address, type, name;
  while (lines >> address >> type >> name) exported.insert(name);
  EXPECT_EQ(exported, (std::set<std::string>{"ZE_Abort", "ZE_Path", "ZE_PrivVersion", "ZE_UnzExec",
                                             "ZE_Version", "ZE_ZipExec", "ZE_StreamOpen",
                                             "ZE_StreamPut", "ZE_StreamClose"}));
  {
    Engine engine;
    EXPECT_GE(engine.version(), 179);
    EXPECT_LE(engine.version(), 300);
    EXPECT_GT(engine.priv_version(), 0);
    EXPECT_EQ(fs::path(engine.path()), fs::canonical(Engine::LibraryPath()));
    EXPECT_LT(engine.unz_exec(nullptr), 0);
    EXPECT_EQ(engine.abort(12345), 0) << "no operation runs under that key";

    TempDir temp;
    MakeBookTree(temp / "book");
    AddCommand command(temp / "book.epub", temp / "book");
    EXPECT_GT(command.Run(engine), 0);
  }
  // After an add and dlclose nothing of the library stays mapped.
  EXPECT_EQ(dlopen(Engine::LibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
}

// The engine stands alone: it loads only libzip, libdeflate and the C and C++ runtimes, never
// ICU, Qt or a library of the program that loads it.
TEST(ZipEngineEntryPointsTest, NeedsNothingOfTheProgramThatLoadsIt) {
  std::string output;
  ASSERT_EQ(RunCommand("readelf -d " + ShellQuote(Engine::LibraryPath()), &output), 0);
  std::set<std::string> needed;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const size_t open = line.find("(NEEDED)");
    if (open == std::string::npos) continue;
    const size_t from = line.find('[', open);
    needed.insert(line.substr(from + 1, line.find(']', from) - from - 1));
  }
  EXPECT_TRUE(needed.count("libzip.so.4")) << output;
  for (const std::string& library : needed) {
    EXPECT_TRUE(library.starts_with("libzip.") || library.starts_with("libdeflate.") ||
                library.starts_with("libstdc++.") || library.starts_with("libgcc_s.") ||
                library.starts_with("libc.") || library.starts_with("libm.") ||
                library.starts_with("libasan.") || library.starts_with("libubsan.") ||
                library.starts_with("libtsan."))
        << library;
  }
}

TEST(ZipEngineArchiveTest, NewArchiveOfABookTree) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  fs::path archive = temp / "book.epub";
  Engine engine;
  AddCommand command(archive, temp / "book");
  ASSERT_EQ(command.Run(engine), static_cast<int32_t>(files.size()));

  ExpectReadersAccept(archive);
  ExpectMimetypeFirst(archive);
  std::vector<ArchiveEntry> entries = ReadEntries(archive);
  EXPECT_EQ(entries.front().name, "mimetype");
  std::vector<std::string> names;
  for (const ArchiveEntry& entry : entries) names.push_back(entry.name);
  std::vector<std::string> expected = files;
  expected.insert(expected.end(), {"META-INF/", "OEBPS/", "OEBPS/css/"});
  std::sort(expected.begin(), expected.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);

  ExtractAll(archive, temp / "extracted");
  for (const ArchiveEntry& entry : entries) {
    EXPECT_EQ(entry.extra_length, 0) << entry.name;
    if (entry.name.back() == '/') continue;
    EXPECT_EQ(ReadFile(temp / "extracted" / entry.name), ReadFile(temp / "book" / entry.name))
        << entry.name;
  }
  EXPECT_EQ(Find(entries, "OEBPS/ch_1.html")->method, 8);
  EXPECT_EQ(Find(entries, "OEBPS/第一回.html")->method, 8);
  EXPECT_NE(Find(entries, "OEBPS/第一回.html")->flag_bits & 0x800, 0) << "UTF-8 name flag";
  EXPECT_EQ(Find(entries, "OEBPS/cover.png")->method, 0) << "store list";
  EXPECT_EQ(Find(entries, "OEBPS/noise.bin")->method, 0) << "does not shrink";
  std::string listing;
  RunCommand("7z l " + ShellQuote(archive.string()), &listing);
  EXPECT_NE(listing.find("OEBPS/第一回.html"), std::string::npos) << listing;

  // Nothing was moved, and the archive was made in place without leftovers.
  for (const std::string& file : files) EXPECT_TRUE(fs::exists(temp / "book" / file)) << file;
  EXPECT_EQ(FolderListing(temp.path()),
            (std::vector<std::string>{"book", "book.epub", "extracted"}));
}

TEST(ZipEngineArchiveTest, CallbacksReportEveryFileOnTheCallingThread) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  Engine engine;
  AddCommand command(temp / "book.epub", temp / "book");
  ASSERT_EQ(command.Run(engine), static_cast<int32_t>(files.size()));

  ASSERT_FALSE(command.calls.empty());
  EXPECT_EQ(command.calls.front().kind, ZE_CB_OPERATION_KEY);
  EXPECT_GT(command.calls.front().arg1, 0);
  EXPECT_EQ(command.calls.back().kind, ZE_CB_END_OF_BATCH);
  for (const CallbackCall& call : command.calls) {
    EXPECT_EQ(call.thread, std::this_thread::get_id()) << "kind " << call.kind;
  }
  ASSERT_EQ(command.CallsOfKind(ZE_CB_TOTAL_FILES).size(), 1u);
  EXPECT_EQ(command.CallsOfKind(ZE_CB_TOTAL_FILES)[0].arg1, static_cast<int32_t>(files.size()));
  int64_t total = 0;
  for (const std::string& file : files) total += fs::file_size(temp / "book" / file);
  ASSERT_EQ(command.CallsOfKind(ZE_CB_TOTAL_SIZE).size(), 1u);
  EXPECT_EQ(command.CallsOfKind(ZE_CB_TOTAL_SIZE)[0].file_size, total);

  std::multiset<std::string> reported;
  for (const CallbackCall& call : command.CallsOfKind(ZE_CB_NEW_FILE)) reported.insert(call.msg);
  EXPECT_EQ(reported, std::multiset<std::string>(files.begin(), files.end()));
  int64_t progressed = 0;
  for (const CallbackCall& call : command.CallsOfKind(ZE_CB_PROGRESS)) progressed += call.file_size;
  EXPECT_EQ(progressed, total);
  EXPECT_TRUE(command.CallsOfKind(ZE_CB_MESSAGE).empty());
}

TEST(ZipEngineArchiveTest, RecursionDirectoryEntriesAndNames) {
  TempDir temp;
  MakeBookTree(temp / "book");
  WriteFile(temp / "book" / "OEBPS" / "css" / "ch_1.html", "same base name, deeper");
  Engine engine;

  AddCommand flat(temp / "flat.zip", temp / "book");
  flat.recurse = 0;
  EXPECT_EQ(flat.Run(engine), 1);
  EXPECT_EQ(EntryNames(temp / "flat.zip"), std::vector<std::string>{"mimetype"});

  AddCommand no_dirs(temp / "nodirs.zip", temp / "book");
  no_dirs.separate_dirs = false;
  EXPECT_EQ(no_dirs.Run(engine), 12);
  for (const std::string& name : EntryNames(temp / "nodirs.zip")) EXPECT_NE(name.back(), '/');

  // Without directory parts the first of two equal names wins; no entry is doubled.
  AddCommand bare(temp / "bare.zip", temp / "book");
  bare.dir_names = false;
  EXPECT_EQ(bare.Run(engine), 11);
  std::vector<std::string> bare_names = EntryNames(temp / "bare.zip");
  EXPECT_EQ(bare_names.size(), 11u);
  EXPECT_TRUE(Contains(bare_names, "ch_1.html"));
  EXPECT_TRUE(Contains(bare_names, "container.xml"));
  EXPECT_EQ(EntryData(temp / "bare.zip", "ch_1.html"), ReadFile(temp / "book/OEBPS/ch_1.html"));
  ExpectReadersAccept(temp / "bare.zip");

  AddCommand pages(temp / "pages.zip", temp / "book");
  pages.specs = {"OEBPS/ch_?.html"};
  EXPECT_EQ(pages.Run(engine), 4);
  EXPECT_EQ(EntryNames(temp / "pages.zip"),
            (std::vector<std::string>{"OEBPS/ch_1.html", "OEBPS/ch_2.html", "OEBPS/ch_3.html",
                                      "OEBPS/css/ch_1.html"}));
}

TEST(ZipEngineArchiveTest, LinksToFilesAreStoredLinksToFoldersAndPipesAreNot) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  fs::create_symlink("ch_1.html", temp / "book" / "OEBPS" / "link.html");
  fs::create_directory_symlink("..", temp / "book" / "OEBPS" / "loop");
  ASSERT_EQ(mkfifo((temp / "book" / "OEBPS" / "pipe").c_str(), 0644), 0);
  Engine engine;
  AddCommand command(temp / "book.epub", temp / "book");
  command.move = true;
  ASSERT_EQ(command.Run(engine), static_cast<int32_t>(files.size()) + 1);
  std::vector<std::string> names = EntryNames(temp / "book.epub");
  EXPECT_TRUE(Contains(names, "OEBPS/link.html"));
  EXPECT_FALSE(Contains(names, "OEBPS/loop/"));
  EXPECT_FALSE(Contains(names, "OEBPS/pipe"));
  EXPECT_EQ(EntryData(temp / "book.epub", "OEBPS/link.html"),
            EntryData(temp / "book.epub", "OEBPS/ch_1.html"));
  // The move takes the link away, not a second time its target; what was not stored stays.
  EXPECT_FALSE(fs::exists(fs::symlink_status(temp / "book" / "OEBPS" / "link.html")));
  EXPECT_TRUE(fs::is_symlink(temp / "book" / "OEBPS" / "loop"));
  EXPECT_TRUE(fs::exists(temp / "book" / "OEBPS" / "pipe"));
}

TEST(ZipEngineArchiveTest, DuplicateSpecsHiddenFilesExclusionsAndLevelZero) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  WriteFile(temp / "book" / ".hidden", "dot file");
  fs::create_directories(temp / "book" / ".git");
  WriteFile(temp / "book" / ".git" / "HEAD", "ref");
  Engine engine;

  AddCommand twice(temp / "twice.zip", temp / "book");
  twice.specs = {"*.*", "*.*"};
  EXPECT_EQ(twice.Run(engine), static_cast<int32_t>(files.size()));
  std::vector<std::string> names = EntryNames(temp / "twice.zip");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_FALSE(Contains(names, ".hidden"));
  EXPECT_FALSE(Contains(names, ".git/HEAD"));
  // The same request once more adds into the archive: still no doubled entry.
  EXPECT_EQ(twice.Run(engine), static_cast<int32_t>(files.size()));
  EXPECT_EQ(EntryNames(temp / "twice.zip"), names);

  AddCommand hidden(temp / "hidden.zip", temp / "book");
  hidden.hidden_files = true;
  hidden.excludes = {"*.css", "OEBPS/ch_2.html"};
  EXPECT_EQ(hidden.Run(engine), static_cast<int32_t>(files.size()) + 2 - 2);
  names = EntryNames(temp / "hidden.zip");
  EXPECT_TRUE(Contains(names, ".hidden"));
  EXPECT_TRUE(Contains(names, ".git/HEAD"));
  EXPECT_FALSE(Contains(names, "OEBPS/css/main.css"));
  EXPECT_FALSE(Contains(names, "OEBPS/ch_2.html"));

  AddCommand stored(temp / "stored.zip", temp / "book");
  stored.level = 0;
  EXPECT_EQ(stored.Run(engine), static_cast<int32_t>(files.size()));
  for (const ArchiveEntry& entry : ReadEntries(temp / "stored.zip")) {
    EXPECT_EQ(entry.method, 0) << entry.name;
  }
  ExpectReadersAccept(temp / "stored.zip");
}

TEST(ZipEngineArchiveTest, AddingIntoAnArchiveReplacesSameNamesAndKeepsTheRest) {
  TempDir temp;
  fs::path old_tree = temp / "old";
  fs::create_directories(old_tree / "OEBPS");
  WriteFile(old_tree / "mimetype", "application/epub+zip");
  WriteFile(old_tree / "OEBPS" / "ch_1.html", "old first page");
  WriteFile(old_tree / "OEBPS" / "ch_9.html", "a page the new book lacks");
  fs::path archive = temp / "book.epub";
  // Info-ZIP's zip gives every entry time-stamp extra fields.
  ASSERT_EQ(RunCommand("cd " + ShellQuote(old_tree.string()) + " && zip -q -X0 " +
                       ShellQuote(archive.string()) + " mimetype && zip -q -r " +
                       ShellQuote(archive.string()) + " OEBPS"),
            0);
  std::string kept_before = EntryData(archive, "OEBPS/ch_9.html");

  std::vector<std::string> files = MakeBookTree(temp / "book");
  Engine engine;
  AddCommand command(archive, temp / "book");
  ASSERT_EQ(command.Run(engine), static_cast<int32_t>(files.size()));

  ExpectReadersAccept(archive);
  ExpectMimetypeFirst(archive);
  std::vector<ArchiveEntry> entries = ReadEntries(archive);
  std::set<std::string> names;
  for (const ArchiveEntry& entry : entries) EXPECT_TRUE(names.insert(entry.name).second);
  EXPECT_EQ(EntryData(archive, "OEBPS/ch_9.html"), kept_before);
  EXPECT_NE(Find(entries, "OEBPS/ch_9.html")->extra_length, 0) << "kept as it was";
  EXPECT_EQ(EntryData(archive, "OEBPS/ch_1.html"), ReadFile(temp / "book/OEBPS/ch_1.html"));
  EXPECT_EQ(Find(entries, "OEBPS/ch_1.html")->extra_length, 0) << "old time stamps dropped";
  EXPECT_EQ(names.size(), files.size() + 4);  // + ch_9.html and three directories
}

TEST(ZipEngineArchiveTest, MimetypeMovesToTheFrontOfAnArchiveThatLacksIt) {
  TempDir temp;
  fs::path archive = temp / "book.epub";
  fs::create_directories(temp / "old");
  WriteFile(temp / "old" / "a.txt", std::string(5000, 'a'));
  WriteFile(temp / "old" / "mimetype", "text/plain");
  WriteFile(temp / "old" / "b.txt", "bee");
  ASSERT_EQ(RunCommand("cd " + ShellQuote((temp / "old").string()) + " && zip -q " +
                       ShellQuote(archive.string()) + " a.txt b.txt mimetype"),
            0);

  fs::create_directories(temp / "book");
  WriteFile(temp / "book" / "mimetype", "application/epub+zip");
  WriteFile(temp / "book" / "b.txt", "new bee");
  Engine engine;
  AddCommand command(archive, temp / "book");
  ASSERT_EQ(command.Run(engine), 2);

  ExpectReadersAccept(archive);
  ExpectMimetypeFirst(archive);
  std::vector<std::string> names = EntryNames(archive);
  EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()),
            (std::multiset<std::string>{"mimetype", "a.txt", "b.txt"}));
  EXPECT_EQ(EntryData(archive, "a.txt"), std::string(5000, 'a'));
  EXPECT_EQ(EntryData(archive, "b.txt"), "new bee");
}

TEST(ZipEngineArchiveTest, NewArchiveRequestReplacesEveryOldEntry) {
  TempDir temp;
  fs::path archive = temp / "book.epub";
  fs::create_directories(temp / "old");
  WriteFile(temp / "old" / "ch_9.html", "old");
  ASSERT_EQ(RunCommand("cd " + ShellQuote((temp / "old").string()) + " && zip -q " +
                       ShellQuote(archive.string()) + " ch_9.html"),
            0);
  WriteFile(temp / "not-a-zip.epub", "plain text, no archive at all");

  std::vector<std::string> files = MakeBookTree(temp / "book");
  Engine engine;
  for (fs::path target : {archive, temp / "not-a-zip.epub"}) {
    AddCommand command(target, temp / "book");
    command.new_archive = true;
    ASSERT_EQ(command.Run(engine), static_cast<int32_t>(files.size())) << target;
    ExpectReadersAccept(target);
    ExpectMimetypeFirst(target);
    std::vector<std::string> names = EntryNames(target);
    EXPECT_FALSE(Contains(names, "ch_9.html"));
    EXPECT_EQ(names.size(), files.size() + 3);
  }
}

TEST(ZipEngineArchiveTest, TheArchiveKeepsTheModeOfTheFileItReplaces) {
  TempDir temp;
  MakeBookTree(temp / "book");
  Engine engine;
  const fs::path archive = temp / "book.epub";
  for (bool fresh : {true, false}) {
    AddCommand first(archive, temp / "book");
    first.new_archive = true;
    ASSERT_GT(first.Run(engine), 0);
    fs::permissions(archive,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    AddCommand second(archive, temp / "book");
    second.new_archive = fresh;
    ASSERT_GT(second.Run(engine), 0);
    EXPECT_EQ(fs::status(archive).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::remove(archive);
  }
}

TEST(ZipEngineArchiveTest, MoveDeletesStoredFilesAndTheFoldersItEmptied) {
  TempDir temp;
  fs::path root = temp / "book";
  std::vector<std::string> files = MakeBookTree(root);
  WriteFile(root / "OEBPS" / ".keep", "hidden, so not stored");
  WriteFile(root / "notes.txt", "excluded");
  fs::path archive = root / "book.epub";  // the archive lies inside the tree it packs
  Engine engine;
  AddCommand command(archive, root);
  command.move = true;
  command.excludes = {"notes.txt"};
  ASSERT_EQ(command.Run(engine), static_cast<int32_t>(files.size()));

  ExpectReadersAccept(archive);
  std::vector<std::string> names = EntryNames(archive);
  EXPECT_FALSE(Contains(names, "book.epub"));
  EXPECT_FALSE(Contains(names, "notes.txt"));
  for (const std::string& file : files) EXPECT_FALSE(fs::exists(root / file)) << file;
  EXPECT_FALSE(fs::exists(root / "META-INF"));
  EXPECT_FALSE(fs::exists(root / "OEBPS" / "css"));
  EXPECT_TRUE(fs::exists(root / "OEBPS" / ".keep"));
  EXPECT_EQ(FolderListing(root), (std::vector<std::string>{"OEBPS", "book.epub", "notes.txt"}));
}

TEST(ZipEngineArchiveTest, FileTooBigForMemoryIsStreamed) {
  TempDir temp;
  fs::create_directories(temp / "big");
  std::string line = "0123456789 streamed through libzip\n";
  std::string data;
  data.reserve((size_t{66} << 20) + line.size());
  while (data.size() < (size_t{66} << 20)) data += line;
  WriteFile(temp / "big" / "big.txt", data);
  WriteFile(temp / "big" / "small.txt", "small");
  Engine engine;
  AddCommand command(temp / "big.zip", temp / "big");
  command.move = true;
  ASSERT_EQ(command.Run(engine), 2);

  ExpectReadersAccept(temp / "big.zip");
  std::vector<ArchiveEntry> entries = ReadEntries(temp / "big.zip");
  ASSERT_EQ(entries.size(), 2u);
  const ArchiveEntry* big = Find(entries, "big.txt");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->method, 8);
  EXPECT_EQ(big->size, data.size());
  EXPECT_LT(fs::file_size(temp / "big.zip"), data.size() / 20);
  EXPECT_FALSE(fs::exists(temp / "big" / "big.txt"));
  std::multiset<std::string> reported;
  for (const CallbackCall& call : command.CallsOfKind(ZE_CB_NEW_FILE)) reported.insert(call.msg);
  EXPECT_EQ(reported, (std::multiset<std::string>{"big.txt", "small.txt"}));
}

}  // namespace
}  // namespace quireforge::test
