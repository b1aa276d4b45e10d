// The scope guard runs its cleanup once when its scope ends, by a return or by a throw.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "base/ScopeExit.h"

namespace quireforge::test {
namespace {

// Records "work", then "cleanup" when it leaves; throws after the work when asked.
void Work(std::vector<const char*>* steps, bool fail) {
  const ScopeExit cleanup([steps] { steps->push_back("cleanup"); });
  steps->push_back("work");
  if (fail) throw std::runtime_error("failed");
  steps->push_back("done");
}

TEST(ScopeExitTest, CleansUpOnceWhenTheScopeEndsByAReturnOrAThrow) {
  std::vector<const char*> steps;
  Work(&steps, false);
  EXPECT_EQ(steps, (std::vector<const char*>{"work", "done", "cleanup"}));

  steps.clear();
  EXPECT_THROW(Work(&steps, true), std::runtime_error);
  EXPECT_EQ(steps, (std::vector<const char*>{"work", "cleanup"}));
}

}  // namespace
}  // namespace quireforge::test
