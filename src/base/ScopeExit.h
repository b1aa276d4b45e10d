// Runs a cleanup when a scope ends, whether by a return or by a throw, so that the cleanup is
// written once. The cleanup must not throw. Header-only; not copyable, not movable; the
// thread of the scope.
#ifndef QUIREFORGE_BASE_SCOPEEXIT_H_
#define QUIREFORGE_BASE_SCOPEEXIT_H_

#include <utility>

namespace quireforge {

template <typename Cleanup>
class ScopeExit {
 public:
  explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
  ~ScopeExit() { cleanup_(); }

  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Cleanup cleanup_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_SCOPEEXIT_H_
