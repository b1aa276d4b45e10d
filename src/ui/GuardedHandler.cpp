#include "ui/GuardedHandler.h"

#include <exception>

namespace quireforge {

namespace {

// Runs `step`; the text of what it raised, or nullopt.
std::optional<QString> Failure(const std::function<void()>& step) {
  try {
    step();
    return std::nullopt;
  } catch (const std::exception& e) {
    const QString text = QString::fromUtf8(e.what());
    return text.isEmpty() ? QString::fromUtf8(kUnexpectedFailure) : text;
  } catch (...) {
    return QString::fromUtf8(kUnexpectedFailure);
  }
}

}  // namespace

std::optional<QString> RunGuarded(const std::function<void()>& work,
                                  const std::function<void()>& restore) {
  std::optional<QString> failure = Failure(work);
  if (restore) {
    std::optional<QString> restore_failure = Failure(restore);
    if (!failure.has_value()) failure = std::move(restore_failure);
  }
  return failure;
}

}  // namespace quireforge
