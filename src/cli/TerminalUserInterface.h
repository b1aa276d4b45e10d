// The command line's side of the core's user-interface seam, for one book. With a terminal
// on stderr it draws a one-line progress bar there: the conversion's position while pages
// are split, a moving mark while the archive engine packs. The archive component's dialogs
// become lines "quireforge-cli: <target>: <text>" on stderr; the wait cursor does nothing.
// While packing, the message pump asks the archiver to stop once a signal was recorded.
// Not copyable; main thread only; never throws.
#ifndef QUIREFORGE_CLI_TERMINALUSERINTERFACE_H_
#define QUIREFORGE_CLI_TERMINALUSERINTERFACE_H_

#include <chrono>
#include <cstdint>
#include <string>

#include "base/UserInterface.h"

namespace quireforge {

class TArchiver;

class TerminalUserInterface : public UserInterface {
 public:
  // `target` names the book in messages. `show_bar`: draw the progress bar (only ever on a
  // terminal).
  TerminalUserInterface(std::string target, bool show_bar);

  // The phase the bar shows, such as "converting" or "packing"; forgets the maximum and
  // redraws at once. Without a maximum the bar shows a moving mark and the time spent.
  void SetPhase(const char* phase);
  // The archiver that ProcessMessages stops after a signal; null: none.
  void AttachArchiver(TArchiver* archiver) { archiver_ = archiver; }
  // Erases the bar and prints "quireforge-cli: <text>" as a line of its own.
  void PrintLine(const std::string& text);
  // Erases the bar, leaving the cursor at the start of an empty line.
  void ClearBar();
  // True once an archive error was shown (or, after an interrupt, left unsaid).
  bool ShownArchiveError() const { return shown_archive_error_; }

  void ShowProgress() override {}
  void CloseProgress() override {}
  void ShowProgressBar() override {}
  void HideProgressBar() override {}
  void SetProgressMaximum(int32_t maximum) override;
  void SetProgressPosition(int32_t position) override;
  void ProcessMessages() override;
  void ShowArchiveError(const std::string& text) override;
  void ShowArchiveInformation(const std::string& text) override;
  void SetWaitCursor(bool) override {}

 private:
  // Redraws the bar when `force` or when the last drawing is old enough.
  void Draw(bool force);
  // The line for an archive message: the engine's own words when it gave some (they name the
  // archive), else the component's after the target's name.
  std::string ArchiveLine(const std::string& text) const;

  const std::string target_;
  const bool show_bar_;
  const char* phase_ = "converting";
  int32_t maximum_ = 0;
  int32_t position_ = 0;
  bool bar_visible_ = false;
  bool shown_archive_error_ = false;
  bool abort_requested_ = false;
  TArchiver* archiver_ = nullptr;
  std::chrono::steady_clock::time_point last_draw_;
  std::chrono::steady_clock::time_point phase_start_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_TERMINALUSERINTERFACE_H_
