// The POSIX I/O seam on real files, folders, pipes, devices and a full disk, with real signals
// interrupting its reads, writes and waits: every call must go on after an interruption, refuse
// what is no regular file without waiting, and report failures as errno values.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "base/PosixIo.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::atomic<int> g_signals{0};

void CountSignal(int) { g_signals.fetch_add(1, std::memory_order_relaxed); }

// While it lives, SIGUSR1 is counted by a handler installed without SA_RESTART, so that a
// blocked read, write or wait it meets fails with EINTR (or returns what it had so far) instead
// of being restarted by the system.
class InterruptingSignal {
 public:
  InterruptingSignal() {
    g_signals = 0;
    struct sigaction action = {};
    action.sa_handler = CountSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGUSR1, &action, &old_);
  }
  ~InterruptingSignal() { sigaction(SIGUSR1, &old_, nullptr); }
  InterruptingSignal(const InterruptingSignal&) = delete;
  InterruptingSignal& operator=(const InterruptingSignal&) = delete;

  int count() const { return g_signals.load(); }

 private:
  struct sigaction old_;
};

// `count` signals to `thread`, one every `pause`.
void Interrupt(pthread_t thread, int count, milliseconds pause) {
  for (int i = 0; i < count; ++i) {
    std::this_thread::sleep_for(pause);
    pthread_kill(thread, SIGUSR1);
  }
}

// Bytes that show where each of them belongs.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

struct Pipe {
  Pipe() {
    int fds[2];
    EXPECT_EQ(pipe2(fds, O_CLOEXEC), 0);
    read_end = ScopedFd(fds[0]);
    write_end = ScopedFd(fds[1]);
  }
  ScopedFd read_end;
  ScopedFd write_end;
};

class PosixIoTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (temp_ / name).string(); }

  TempDir temp_;
};

TEST_F(PosixIoTest, OpenRegularFileOpensFilesAndLinksToThemWithTheirSize) {
  WriteFile(temp_ / "book.txt", "twelve bytes");
  fs::create_symlink(temp_ / "book.txt", temp_ / "link.txt");
  for (const char* name : {"book.txt", "link.txt"}) {
    ScopedFd file;
    uint64_t size = 0;
    ASSERT_EQ(OpenRegularFile(Path(name), &file, &size), 0) << name;
    EXPECT_TRUE(file.valid());
    EXPECT_EQ(size, 12u);
    char head[6] = {};
    size_t done = 0;
    EXPECT_EQ(ReadFully(file.get(), head, 6, &done), 0);
    EXPECT_EQ(std::string(head, done), "twelve");
  }
}

TEST_F(PosixIoTest, OpenRegularFileRefusesWhatIsNoRegularFileAndHoldsNothing) {
  fs::create_directory(temp_ / "folder");
  WriteFile(temp_ / "a", "the file a path cut at its NUL byte would name");
  fs::create_symlink(temp_ / "gone", temp_ / "dangling");
  const std::string cut_at_nul = Path("a") + std::string("\0b", 2);
  const struct {
    std::string path;
    int expected;
  } cases[] = {
      {Path("folder"), EISDIR},   {"/dev/null", kNotRegularFile}, {Path("missing"), ENOENT},
      {Path("dangling"), ENOENT}, {Path("a/below"), ENOTDIR},     {cut_at_nul, ENOENT},
  };
  for (const auto& entry : cases) {
    ScopedFd file(::open("/dev/null", O_RDONLY | O_CLOEXEC));  // replaced by the call
    uint64_t size = 77;
    EXPECT_EQ(OpenRegularFile(entry.path, &file, &size), entry.expected) << entry.path;
    EXPECT_FALSE(file.valid()) << entry.path;
    EXPECT_EQ(size, 77u) << entry.path;
  }
}

TEST_F(PosixIoTest, OpenRegularFileNeverWaitsForAPipeWriter) {
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const std::string fifo = Path("fifo");
  // In a child, so that an open that waits for a writer ends as a failure, not a hang.
  const int status = RunInChildWithin(20, [&] {
    ScopedFd file;
    return OpenRegularFile(fifo, &file) == kNotRegularFile && !file.valid() ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

TEST_F(PosixIoTest, OpeningGivesTheSystemsReasonForAFileItMayNotReadOrWrite) {
  WriteFile(temp_ / "secret.txt", "root's");
  ASSERT_EQ(chmod(Path("secret.txt").c_str(), 0600), 0);
  const std::string path = Path("secret.txt");
  const int status = RunInChildWithin(20, [&] {
    if (setgid(65534) != 0 || setuid(65534) != 0) return 2;
    ScopedFd read, written;
    return OpenRegularFile(path, &read) == EACCES && !read.valid() &&
                   OpenRegularFileForWriting(path, &written) == EACCES && !written.valid()
               ? 0
               : 1;
  });
  EXPECT_EQ(status, 0);
}

TEST_F(PosixIoTest, OpenFolderNeverGoesThroughALink) {
  fs::create_directory(temp_ / "folder");
  fs::create_directory_symlink(temp_ / "folder", temp_ / "link");
  WriteFile(temp_ / "file", "");
  ScopedFd folder;
  EXPECT_EQ(OpenFolder(Path("folder"), &folder), 0);
  EXPECT_TRUE(folder.valid());

  ScopedFd parent;
  ASSERT_EQ(OpenFolder(temp_.path().string(), &parent), 0);
  ScopedFd entry;
  EXPECT_EQ(OpenFolderAt(parent.get(), "folder", &entry), 0);
  EXPECT_TRUE(entry.valid());

  for (const char* name : {"link", "file", "missing"}) {
    ScopedFd refused;
    EXPECT_NE(OpenFolder(Path(name), &refused), 0) << name;
    EXPECT_FALSE(refused.valid()) << name;
    EXPECT_NE(OpenFolderAt(parent.get(), name, &refused), 0) << name;
    EXPECT_FALSE(refused.valid()) << name;
  }
  ScopedFd file;
  EXPECT_EQ(OpenFolder(Path("file"), &file), ENOTDIR);
  EXPECT_EQ(OpenFolder(Path("missing"), &file), ENOENT);

  // AT_FDCWD: the name is a path of its own, as for the signal handler's cleanup.
  ScopedFd whole;
  EXPECT_EQ(OpenFolderAt(AT_FDCWD, Path("folder").c_str(), &whole), 0);
  EXPECT_TRUE(whole.valid());
  EXPECT_EQ(OpenFolderAt(AT_FDCWD, Path("link").c_str(), &whole), ENOTDIR);
  EXPECT_FALSE(whole.valid());
}

TEST_F(PosixIoTest, ReadFullyStopsOnlyAtTheEndOfTheFile) {
  const std::string bytes = Pattern(300000);
  WriteFile(temp_ / "data", bytes);
  ScopedFd file;
  ASSERT_EQ(OpenRegularFile(Path("data"), &file), 0);
  std::string got(bytes.size() + 100, '\0');
  size_t done = 0;
  EXPECT_EQ(ReadFully(file.get(), got.data(), 1000, &done), 0);
  EXPECT_EQ(done, 1000u);
  size_t rest = 0;
  EXPECT_EQ(ReadFully(file.get(), got.data() + done, got.size() - done, &rest), 0);
  EXPECT_EQ(done + rest, bytes.size());
  got.resize(done + rest);
  EXPECT_TRUE(got == bytes);
  EXPECT_EQ(ReadFully(file.get(), got.data(), 10, &done), 0);
  EXPECT_EQ(done, 0u);
}

TEST_F(PosixIoTest, ReadFullyAtLeavesTheFilePositionAlone) {
  WriteFile(temp_ / "data", "0123456789");
  ScopedFd file;
  ASSERT_EQ(OpenRegularFile(Path("data"), &file), 0);
  char buffer[16] = {};
  size_t done = 0;
  EXPECT_EQ(ReadFullyAt(file.get(), 4, buffer, sizeof buffer, &done), 0);
  EXPECT_EQ(std::string(buffer, done), "456789");
  EXPECT_EQ(ReadFullyAt(file.get(), 20, buffer, sizeof buffer, &done), 0);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(lseek(file.get(), 0, SEEK_CUR), 0);
}

TEST_F(PosixIoTest, ReadsAndWritesOnTheWrongDescriptorGiveTheSystemsReason) {
  ScopedFd write_only(::open(Path("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
  ASSERT_TRUE(write_only.valid());
  char buffer[4];
  size_t done = 99;
  EXPECT_EQ(ReadFully(write_only.get(), buffer, sizeof buffer, &done), EBADF);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(ReadFullyAt(write_only.get(), 0, buffer, sizeof buffer, &done), EBADF);
  ScopedFd read_only(::open(Path("out").c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_EQ(WriteFully(read_only.get(), "abc", 3), EBADF);
  EXPECT_EQ(SyncFile(-1), EBADF);
}

TEST_F(PosixIoTest, ReadFullyGoesOnAfterSignalsAndPartReads) {
  const std::string bytes = Pattern(200000);  // more than a pipe holds: it arrives in parts
  Pipe pipe;
  InterruptingSignal signal;
  const pthread_t reader = pthread_self();
  std::jthread writer([&] {
    // The reader waits for the first bytes meanwhile.
    Interrupt(reader, 5, milliseconds(10));
    for (size_t at = 0; at < bytes.size(); at += 20000) {
      EXPECT_EQ(WriteFully(pipe.write_end.get(), bytes.data() + at, 20000), 0);
      Interrupt(reader, 1, milliseconds(2));
    }
    pipe.write_end.Close();
  });
  std::string got(bytes.size() + 1, '\0');
  size_t done = 0;
  EXPECT_EQ(ReadFully(pipe.read_end.get(), got.data(), got.size(), &done), 0);
  writer.join();
  EXPECT_EQ(done, bytes.size());
  got.resize(done);
  EXPECT_TRUE(got == bytes);
  EXPECT_GT(signal.count(), 0);
}

TEST_F(PosixIoTest, WriteFullyGoesOnAfterSignalsAndPartWrites) {
  const std::string bytes = Pattern(1 << 20);
  Pipe pipe;
  InterruptingSignal signal;
  const pthread_t writer = pthread_self();
  std::string got;
  std::jthread reader([&] {
    // The writer fills the pipe and waits for room meanwhile.
    char buffer[30000];
    for (;;) {
      Interrupt(writer, 1, milliseconds(1));
      size_t done = 0;
      EXPECT_EQ(ReadFully(pipe.read_end.get(), buffer, sizeof buffer, &done), 0);
      got.append(buffer, done);
      if (done < sizeof buffer) return;
    }
  });
  EXPECT_EQ(WriteFully(pipe.write_end.get(), bytes.data(), bytes.size()), 0);
  pipe.write_end.Close();
  reader.join();
  EXPECT_EQ(got.size(), bytes.size());
  EXPECT_TRUE(got == bytes);
  EXPECT_GT(signal.count(), 0);
}

TEST_F(PosixIoTest, WriteFullyReportsAFullDisk) {
  const fs::path disk = temp_ / "disk";
  fs::create_directory(disk);
  ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k"), 0) << strerror(errno);
  {
    ScopedFd file;
    ASSERT_EQ(OpenForWriting((disk / "page.html").string(), 0644, &file), 0);
    const std::string bytes = Pattern(200000);
    EXPECT_EQ(WriteFully(file.get(), bytes.data(), bytes.size()), ENOSPC);
  }
  umount(disk.c_str());
}

TEST_F(PosixIoTest, OpenForWritingCreatesOrEmptiesAFile) {
  const mode_t mask = umask(022);
  ScopedFd file;
  ASSERT_EQ(OpenForWriting(Path("new.css"), 0666, &file), 0);
  EXPECT_EQ(WriteFully(file.get(), "body {}", 7), 0);
  EXPECT_EQ(SyncFile(file.get()), 0);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(temp_ / "new.css"), "body {}");
  struct stat status;
  ASSERT_EQ(stat(Path("new.css").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);

  ASSERT_EQ(OpenForWriting(Path("new.css"), 0600, &file), 0);
  EXPECT_EQ(WriteFully(file.get(), "p", 1), 0);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(temp_ / "new.css"), "p");
  umask(mask);

  EXPECT_EQ(OpenForWriting(Path("missing/new.css"), 0644, &file), ENOENT);
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(OpenForWriting(Path("cut") + std::string("\0.css", 5), 0644, &file), ENOENT);
  EXPECT_FALSE(fs::exists(temp_ / "cut"));
}

TEST_F(PosixIoTest, CreateNewFileNeverOpensWhatIsThere) {
  const mode_t mask = umask(022);
  ScopedFd file;
  ASSERT_EQ(CreateNewFile(Path("probe"), 0666, &file), 0);
  EXPECT_EQ(WriteFully(file.get(), "new", 3), 0);
  EXPECT_EQ(file.Close(), 0);
  EXPECT_EQ(ReadFile(temp_ / "probe"), "new");
  struct stat status;
  ASSERT_EQ(stat(Path("probe").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
  umask(mask);

  // A taken name fails, whatever holds it, and what holds it stays as it was: a link is not
  // followed, not even to a file that does not exist yet.
  fs::create_directory(temp_ / "folder");
  fs::create_symlink(temp_ / "target", temp_ / "dangling");
  for (const char* name : {"probe", "folder", "dangling"}) {
    EXPECT_EQ(CreateNewFile(Path(name), 0666, &file), EEXIST) << name;
    EXPECT_FALSE(file.valid()) << name;
  }
  EXPECT_EQ(ReadFile(temp_ / "probe"), "new");
  EXPECT_FALSE(fs::exists(temp_ / "target"));
  EXPECT_EQ(CreateNewFile(Path("missing/probe"), 0666, &file), ENOENT);
  EXPECT_EQ(CreateNewFile(Path("cut") + std::string("\0probe", 6), 0666, &file), ENOENT);
  EXPECT_FALSE(fs::exists(temp_ / "cut"));
}

TEST_F(PosixIoTest, OpenRegularFileForWritingKeepsTheFileAndRefusesTheRest) {
  WriteFile(temp_ / "book.epub", "old book");
  fs::create_symlink(temp_ / "book.epub", temp_ / "link.epub");
  for (const char* name : {"book.epub", "link.epub"}) {
    ScopedFd file;
    ASSERT_EQ(OpenRegularFileForWriting(Path(name), &file), 0) << name;
    EXPECT_TRUE(file.valid());
  }
  EXPECT_EQ(ReadFile(temp_ / "book.epub"), "old book");  // opened, never emptied

  fs::create_directory(temp_ / "folder");
  const struct {
    std::string path;
    int expected;
  } cases[] = {
      {Path("folder"), EISDIR},
      {"/dev/null", kNotRegularFile},
      {Path("missing"), ENOENT},
      {Path("book.epub") + std::string("\0x", 2), ENOENT},
  };
  for (const auto& entry : cases) {
    ScopedFd file(::open("/dev/null", O_RDONLY | O_CLOEXEC));  // replaced by the call
    EXPECT_EQ(OpenRegularFileForWriting(entry.path, &file), entry.expected) << entry.path;
    EXPECT_FALSE(file.valid()) << entry.path;
  }

  // A pipe in the target's place, with nobody reading it: refused at once (ENXIO), never
  // waited on.
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
  const std::string fifo = Path("fifo");
  const int status = RunInChildWithin(20, [&] {
    ScopedFd file;
    return OpenRegularFileForWriting(fifo, &file) == ENXIO && !file.valid() ? 0 : 1;
  });
  EXPECT_EQ(status, 0);
}

TEST_F(PosixIoTest, SyncFolderFlushesAFolderAndNamesWhatIsNone) {
  WriteFile(temp_ / "file", "");
  EXPECT_EQ(SyncFolder(temp_.path().string()), 0);
  EXPECT_EQ(SyncFolder(Path("missing")), ENOENT);
  EXPECT_EQ(SyncFolder(Path("file")), ENOTDIR);
}

TEST_F(PosixIoTest, WaitForChildGoesOnAfterSignals) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    usleep(300000);
    _exit(7);
  }
  InterruptingSignal signal;
  const pthread_t waiter = pthread_self();
  std::jthread interrupter([&] { Interrupt(waiter, 10, milliseconds(10)); });
  int status = 0;
  EXPECT_EQ(WaitForChild(child, &status), child);
  interrupter.join();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_GT(signal.count(), 0);
  errno = 0;
  EXPECT_EQ(WaitForChild(child, &status), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
}  // namespace quireforge::test
