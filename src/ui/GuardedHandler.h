// The one guard of the window's event handlers: no exception may cross the Qt event loop.
// RunGuarded runs a handler's work, then its restore step whatever the work did, and hands
// back the text of the failure, if any, for the handler to show once its window state is
// restored. Free function; window thread (it touches nothing itself).
#ifndef QUIREFORGE_UI_GUARDEDHANDLER_H_
#define QUIREFORGE_UI_GUARDEDHANDLER_H_

#include <QString>
#include <functional>
#include <optional>

namespace quireforge {

// The text shown for a failure that carries none of its own.
inline constexpr char kUnexpectedFailure[] = "Unexpected failure.";

// Runs `work`, then `restore` (may be empty), and catches everything either raises. Returns
// the failure's text: the what() of a std::exception, kUnexpectedFailure for anything else
// or for an empty what(); nullopt when both ran through. When both fail, the work's failure
// is the one returned: it happened first, and the restore step may have failed because of it.
std::optional<QString> RunGuarded(const std::function<void()>& work,
                                  const std::function<void()>& restore = {});

}  // namespace quireforge

#endif  // QUIREFORGE_UI_GUARDEDHANDLER_H_
