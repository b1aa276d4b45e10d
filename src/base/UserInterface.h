// The core's one seam to the user interface: the progress window, the message pump,
// the archive component's dialogs and the wait cursor. The window implements it with Qt,
// the command line with a terminal bar and stderr, tests with a recorder.
// All calls come from the thread that runs the conversion; implementations must not throw.
#ifndef QUIREFORGE_BASE_USERINTERFACE_H_
#define QUIREFORGE_BASE_USERINTERFACE_H_

#include <cstdint>
#include <string>

namespace quireforge {

class UserInterface {
 public:
  UserInterface() = default;
  UserInterface(const UserInterface&) = delete;
  UserInterface& operator=(const UserInterface&) = delete;
  virtual ~UserInterface() = default;

  // Progress window: shown over the main window without disabling anything.
  virtual void ShowProgress() = 0;
  virtual void CloseProgress() = 0;
  // Its bar: hidden until shown; the range is 0..maximum.
  virtual void ShowProgressBar() = 0;
  virtual void HideProgressBar() = 0;
  virtual void SetProgressMaximum(int32_t maximum) = 0;
  virtual void SetProgressPosition(int32_t position) = 0;

  // Processes the pending window messages once, then returns.
  virtual void ProcessMessages() = 0;

  // The archive component's modal dialogs (caption: the application title, one OK button).
  // `text` is UTF-8.
  virtual void ShowArchiveError(const std::string& text) = 0;
  virtual void ShowArchiveInformation(const std::string& text) = 0;

  // Wait cursor: true shows it, false restores the normal one. Nesting is counted by the caller.
  virtual void SetWaitCursor(bool waiting) = 0;
};

// Does nothing at all: for callers without a window (benchmarks, batch conversion).
class SilentUserInterface : public UserInterface {
 public:
  void ShowProgress() override {}
  void CloseProgress() override {}
  void ShowProgressBar() override {}
  void HideProgressBar() override {}
  void SetProgressMaximum(int32_t) override {}
  void SetProgressPosition(int32_t) override {}
  void ProcessMessages() override {}
  void ShowArchiveError(const std::string&) override {}
  void ShowArchiveInformation(const std::string&) override {}
  void SetWaitCursor(bool) override {}
};

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_USERINTERFACE_H_
