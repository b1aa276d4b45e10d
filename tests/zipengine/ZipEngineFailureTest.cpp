// Failures, stops and bad records: the engine answers with its result codes, explains failures
// in a message callback, and never leaves a damaged archive or deletes a file.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "EngineHarness.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// An archive made by Info-ZIP's zip, to be left alone by a failing add.
fs::path MakeOldArchive(const TempDir& temp, const fs::path& folder) {
  fs::create_directories(temp / "old");
  WriteFile(temp / "old" / "old.txt", "an entry of the old archive");
  fs::create_directories(folder);
  fs::path archive = folder / "book.epub";
  EXPECT_EQ(RunCommand("cd " + ShellQuote((temp / "old").string()) + " && zip -q " +
                       ShellQuote(archive.string()) + " old.txt"),
            0);
  return archive;
}

void ExpectOneMessage(const AddCommand& command, int32_t code, const std::string& text) {
  std::vector<CallbackCall> messages = command.CallsOfKind(ZE_CB_MESSAGE);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].arg1, code);
  EXPECT_NE(messages[0].msg.find(text), std::string::npos) << messages[0].msg;
}

void ExpectAllFilesStay(const fs::path& root, const std::vector<std::string>& files) {
  for (const std::string& file : files) EXPECT_TRUE(fs::exists(root / file)) << file;
}

TEST(ZipEngineFailureTest, BadRecordsAreAnsweredNotFollowed) {
  TempDir temp;
  MakeBookTree(temp / "book");
  fs::path archive = temp / "book.epub";
  Engine engine;
  EXPECT_EQ(engine.zip_exec(nullptr), ZE_ERR_STRUCTURE);

  // A record of another layout: not even its callback is called.
  struct Damage {
    const char* what;
    void (*apply)(ZE_ZipCommand*);
  };
  for (Damage damage : {Damage{"version", [](ZE_ZipCommand* r) { r->version = 178; }},
                        Damage{"check", [](ZE_ZipCommand* r) { r->check = 0; }},
                        Damage{"end marker", [](ZE_ZipCommand* r) { r->endMarker = 0; }}}) {
    AddCommand command(archive, temp / "book");
    ZE_ZipCommand* record = command.Build();
    damage.apply(record);
    EXPECT_EQ(engine.zip_exec(record), ZE_ERR_STRUCTURE) << damage.what;
    EXPECT_TRUE(command.calls.empty()) << damage.what;
  }

  // Damaged contents: explained in a message with the same code.
  for (Damage damage : {Damage{"spec count", [](ZE_ZipCommand* r) { r->specCount = -1; }},
                        Damage{"spec list", [](ZE_ZipCommand* r) { r->specs = nullptr; }},
                        Damage{"exclusion list", [](ZE_ZipCommand* r) { r->excludeCount = 3; }},
                        Damage{"archive path", [](ZE_ZipCommand* r) { r->archivePath = nullptr; }},
                        Damage{"level", [](ZE_ZipCommand* r) { r->level = 12; }}}) {
    AddCommand command(archive, temp / "book");
    ZE_ZipCommand* record = command.Build();
    damage.apply(record);
    EXPECT_EQ(engine.zip_exec(record), ZE_ERR_STRUCTURE) << damage.what;
    ExpectOneMessage(command, ZE_ERR_STRUCTURE, "Invalid command record");
  }

  AddCommand encrypted(archive, temp / "book");
  ZE_ZipCommand* record = encrypted.Build();
  record->encrypt = ZE_TRUE;
  EXPECT_EQ(engine.zip_exec(record), -6);
  ExpectOneMessage(encrypted, -6, "Encryption is not supported");
  EXPECT_FALSE(fs::exists(archive));

  // No callback at all is allowed.
  AddCommand quiet(archive, temp / "book");
  quiet.with_callback = false;
  EXPECT_EQ(quiet.Run(engine), 11);
}

TEST(ZipEngineFailureTest, NothingMatchedLeavesTheTargetAlone) {
  TempDir temp;
  MakeBookTree(temp / "book");
  Engine engine;
  AddCommand command(temp / "book.epub", temp / "book");
  command.specs = {"*.pdf"};
  EXPECT_EQ(command.Run(engine), 0);
  EXPECT_FALSE(fs::exists(temp / "book.epub"));

  AddCommand missing_root(temp / "book.epub", temp / "no such folder");
  EXPECT_EQ(missing_root.Run(engine), ZE_ERR_READ);
  ExpectOneMessage(missing_root, ZE_ERR_READ, "no such folder");
}

TEST(ZipEngineFailureTest, TargetThatIsNoZipArchiveOrAFolderIsRefused) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  fs::path target = temp / "book.epub";
  WriteFile(target, "this is no zip archive");
  Engine engine;
  AddCommand command(target, temp / "book");
  command.move = true;
  EXPECT_EQ(command.Run(engine), ZE_ERR_READ);
  ExpectOneMessage(command, ZE_ERR_READ, target.string());
  EXPECT_EQ(ReadFile(target), "this is no zip archive");
  ExpectAllFilesStay(temp / "book", files);

  fs::create_directory(temp / "folder.epub");
  AddCommand into_folder(temp / "folder.epub", temp / "book");
  into_folder.new_archive = true;
  EXPECT_EQ(into_folder.Run(engine), ZE_ERR_WRITE);
  ExpectOneMessage(into_folder, ZE_ERR_WRITE, "folder.epub\". Is a directory");
  EXPECT_TRUE(fs::is_empty(temp / "folder.epub"));
}

TEST(ZipEngineFailureTest, ReadOnlyFolderLeavesTheOldArchiveAndTheFiles) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  fs::path archive = MakeOldArchive(temp, temp / "out");
  std::string before = ReadFile(archive);
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote((temp / "out").string())), 0);
  Engine engine;
  for (bool fresh : {false, true}) {
    AddCommand command(archive, temp / "book");
    command.move = true;
    command.new_archive = fresh;
    EXPECT_EQ(command.Run(engine), ZE_ERR_WRITE);
    ExpectOneMessage(command, ZE_ERR_WRITE, "Cannot write archive \"" + archive.string() + "\"");
  }
  RunCommand("chattr -i " + ShellQuote((temp / "out").string()));
  EXPECT_EQ(ReadFile(archive), before);
  EXPECT_EQ(FolderListing(temp / "out"), std::vector<std::string>{"book.epub"});
  ExpectAllFilesStay(temp / "book", files);
}

// Runs the add in a child process as the user "nobody", which cannot read a file that root
// can; returns the result and the first message text. The engine is loaded while still root:
// the build folder may sit in a checkout that nobody cannot enter (a 0700 temporary folder, or
// root's home). Whatever happens in the child, it reports and ends there.
std::pair<int32_t, std::string> RunAsNobody(AddCommand* command) {
  const Engine engine;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return {0, "pipe failed"};
  pid_t child = fork();
  if (child == 0) {
    close(pipe_fds[0]);
    std::string out = "0\ncannot become nobody";
    if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0) {
      try {
        const int32_t result = command->Run(engine);
        std::string message;
        for (const CallbackCall& call : command->CallsOfKind(ZE_CB_MESSAGE)) message = call.msg;
        out = std::to_string(result) + "\n" + message;
      } catch (const std::exception& error) {
        out = std::string("0\n") + error.what();
      }
    }
    (void)!write(pipe_fds[1], out.data(), out.size());
    _exit(0);
  }
  close(pipe_fds[1]);
  std::string text;
  char buffer[512];
  ssize_t n;
  while ((n = read(pipe_fds[0], buffer, sizeof(buffer))) > 0) text.append(buffer, n);
  close(pipe_fds[0]);
  waitpid(child, nullptr, 0);
  size_t newline = text.find('\n');
  if (newline == std::string::npos) return {0, text};
  return {std::stoi(text.substr(0, newline)), text.substr(newline + 1)};
}

TEST(ZipEngineFailureTest, UnreadableFileLeavesTheOldArchiveAndTheFiles) {
  TempDir temp;
  fs::permissions(temp.path(), fs::perms::all);
  std::vector<std::string> files = MakeBookTree(temp / "book");
  fs::path archive = MakeOldArchive(temp, temp / "out");
  std::string before = ReadFile(archive);
  fs::path secret = temp / "book" / "OEBPS" / "ch_2.html";
  ASSERT_EQ(RunCommand("chmod -R a+rwX " + ShellQuote(temp.path().string())), 0);
  fs::permissions(secret, fs::perms::none);

  AddCommand command(archive, temp / "book");
  command.move = true;
  auto [result, message] = RunAsNobody(&command);
  EXPECT_EQ(result, ZE_ERR_READ);
  EXPECT_NE(message.find("Cannot read file \"" + secret.string() + "\""), std::string::npos)
      << message;
  EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
  EXPECT_EQ(ReadFile(archive), before);
  EXPECT_EQ(FolderListing(temp / "out"), std::vector<std::string>{"book.epub"});
  ExpectAllFilesStay(temp / "book", files);
}

// A 64 KiB file system, mounted for the life of the object.
class TinyDisk {
 public:
  explicit TinyDisk(const fs::path& dir) : dir_(dir) {
    fs::create_directories(dir);
    mounted_ = mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~TinyDisk() {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
  }
  TinyDisk(const TinyDisk&) = delete;
  TinyDisk& operator=(const TinyDisk&) = delete;
  bool mounted() const { return mounted_; }

 private:
  fs::path dir_;
  bool mounted_;
};

TEST(ZipEngineFailureTest, FullDiskLeavesTheOldArchiveAndNoTemporaryFile) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  TinyDisk disk(temp / "disk");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  fs::path archive = MakeOldArchive(temp, temp / "disk");
  std::string before = ReadFile(archive);
  WriteFile(temp / "book" / "OEBPS" / "more.png", std::string(50000, 'x'));  // stored
  Engine engine;
  AddCommand command(archive, temp / "book");
  command.move = true;
  EXPECT_EQ(command.Run(engine), ZE_ERR_WRITE);
  ExpectOneMessage(command, ZE_ERR_WRITE, archive.string());
  EXPECT_EQ(ReadFile(archive), before);
  EXPECT_EQ(FolderListing(temp / "disk"), std::vector<std::string>{"book.epub"});
  ExpectAllFilesStay(temp / "book", files);
}

TEST(ZipEngineFailureTest, StopAnswersAndAbortLeaveEverythingAsItWas) {
  TempDir temp;
  std::vector<std::string> files = MakeBookTree(temp / "book");
  fs::path archive = MakeOldArchive(temp, temp / "out");
  std::string before = ReadFile(archive);
  Engine engine;

  struct Case {
    const char* what;
    int32_t expected;
  };
  for (Case c : {Case{"stop answer", ZE_ERR_CANCELLED}, Case{"ZE_Abort", ZE_ERR_CANCELLED},
                 Case{"ZE_Abort from another thread", ZE_ERR_CANCELLED},
                 Case{"handler exception", ZE_ERR_HANDLER}}) {
    AddCommand command(archive, temp / "book");
    command.move = true;
    int32_t key = 0;
    int new_files = 0;
    std::string what = c.what;
    command.answer = [&](const ZE_CallbackData& data) -> int32_t {
      int kind = data.actionCode & 0x3F;
      if (kind == ZE_CB_OPERATION_KEY) key = data.arg1;
      if (kind != ZE_CB_NEW_FILE || ++new_files < 3) return ZE_CALLBACK_CONTINUE;
      if (what == "ZE_Abort") {
        EXPECT_EQ(engine.abort(key), 1);
        return ZE_CALLBACK_CONTINUE;
      }
      if (what == "ZE_Abort from another thread") {
        int32_t found = 0;
        std::thread([&] { found = engine.abort(key); }).join();
        EXPECT_EQ(found, 1);
        return ZE_CALLBACK_CONTINUE;
      }
      return what == "stop answer" ? ZE_CALLBACK_STOP : ZE_CALLBACK_HANDLER_EXCEPTION;
    };
    EXPECT_EQ(command.Run(engine), c.expected) << c.what;
    EXPECT_EQ(new_files, 3) << c.what << ": no file is reported after the stop";
    EXPECT_TRUE(command.CallsOfKind(ZE_CB_END_OF_BATCH).empty()) << c.what;
    EXPECT_EQ(ReadFile(archive), before) << c.what;
    EXPECT_EQ(FolderListing(temp / "out"), std::vector<std::string>{"book.epub"}) << c.what;
    ExpectAllFilesStay(temp / "book", files);
    EXPECT_EQ(engine.abort(key), 0) << "the key ends with its operation";
  }
}

}  // namespace
}  // namespace quireforge::test
