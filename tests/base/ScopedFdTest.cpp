// The one descriptor holder: it closes what it holds on every way out, hands ownership over
// when moved or released, reports a failed close, and never changes errno while cleaning up.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <utility>

#include "base/ScopedFd.h"

namespace quireforge::test {
namespace {

bool IsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

int OpenDevNull() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }

TEST(ScopedFdTest, ClosesWhatItHoldsWhenItGoes) {
  int fd = -1;
  {
    ScopedFd file(OpenDevNull());
    fd = file.get();
    ASSERT_TRUE(file.valid());
    EXPECT_TRUE(IsOpen(fd));
  }
  EXPECT_FALSE(IsOpen(fd));
  EXPECT_FALSE(ScopedFd().valid());
}

TEST(ScopedFdTest, MovingHandsTheDescriptorOverAndClosesTheOneReplaced) {
  ScopedFd first(OpenDevNull());
  ScopedFd second(OpenDevNull());
  const int first_fd = first.get();
  const int second_fd = second.get();
  ScopedFd moved(std::move(first));
  EXPECT_FALSE(first.valid());
  EXPECT_EQ(moved.get(), first_fd);
  moved = std::move(second);
  EXPECT_FALSE(IsOpen(first_fd));
  EXPECT_EQ(moved.get(), second_fd);
  EXPECT_FALSE(second.valid());
}

TEST(ScopedFdTest, ReleaseGivesUpOwnershipWithoutClosing) {
  int fd = -1;
  {
    ScopedFd file(OpenDevNull());
    fd = file.Release();
    EXPECT_FALSE(file.valid());
  }
  EXPECT_TRUE(IsOpen(fd));
  ::close(fd);
}

TEST(ScopedFdTest, CloseReportsTheSystemsReason) {
  ScopedFd file(OpenDevNull());
  EXPECT_EQ(file.Close(), 0);
  EXPECT_FALSE(file.valid());
  EXPECT_EQ(file.Close(), 0);  // holding none
  // A number that names no open file: the close fails, and says why.
  const int unused = OpenDevNull();
  ::close(unused);
  ScopedFd stale(unused);
  EXPECT_EQ(stale.Close(), EBADF);
}

TEST(ScopedFdTest, CleaningUpLeavesErrnoAlone) {
  const int unused = OpenDevNull();
  ::close(unused);
  errno = EACCES;
  { ScopedFd stale(unused); }  // its close fails with EBADF
  EXPECT_EQ(errno, EACCES);
  {
    ScopedFd file(OpenDevNull());
    errno = ENOSPC;
  }
  EXPECT_EQ(errno, ENOSPC);
}

}  // namespace
}  // namespace quireforge::test
