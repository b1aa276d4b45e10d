#include "cli/TerminalUserInterface.h"

#include <stdio.h>

#include <algorithm>
#include <string>

#include "archive/Archiver.h"
#include "cli/EscapedText.h"
#include "cli/InterruptHandling.h"
#include "cli/MessageOutput.h"

namespace quireforge {

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// Erases the current terminal line.
constexpr const char* kEraseLine = "\r\033[K";

// The last `limit` bytes at most of a file name, cut at a character boundary.
std::string ShortName(const std::string& path, size_t limit) {
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() <= limit) return name;
  size_t cut = limit - 3;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut) + "...";
}

}  // namespace

TerminalUserInterface::TerminalUserInterface(std::string target, bool show_bar)
    : target_(std::move(target)),
      show_bar_(show_bar && StderrIsTerminal()),
      phase_start_(std::chrono::steady_clock::now()) {}

void TerminalUserInterface::SetPhase(const char* phase) {
  phase_ = phase;
  maximum_ = 0;
  position_ = 0;
  phase_start_ = std::chrono::steady_clock::now();
  Draw(true);
}

void TerminalUserInterface::SetProgressMaximum(int32_t maximum) {
  maximum_ = maximum;
  Draw(false);
}

void TerminalUserInterface::SetProgressPosition(int32_t position) {
  position_ = position;
  Draw(false);
}

void TerminalUserInterface::ProcessMessages() {
  if (PendingInterrupt() != 0 && archiver_ != nullptr && !abort_requested_) {
    abort_requested_ = true;
    archiver_->Abort();
  }
  Draw(false);
}

void TerminalUserInterface::ShowArchiveError(const std::string& text) {
  shown_archive_error_ = true;
  // After an interrupt the caller says what became of the book; the engine's "cancelled"
  // says nothing more.
  if (abort_requested_) return;
  PrintLine(ArchiveLine(text));
}

void TerminalUserInterface::ShowArchiveInformation(const std::string& text) {
  PrintLine(ArchiveLine(text));
}

std::string TerminalUserInterface::ArchiveLine(const std::string& text) const {
  // The component's words ("critical DLL Error -8"), then on a line of its own the engine's
  // message, which names the archive itself: that one alone says what went wrong.
  const size_t line_break = text.find('\n');
  if (line_break != std::string::npos && line_break + 1 < text.size()) {
    std::string engine = text.substr(line_break + 1);
    std::replace(engine.begin(), engine.end(), '\n', ' ');
    return engine;
  }
  return target_ + ": " + text.substr(0, line_break);
}

void TerminalUserInterface::PrintLine(const std::string& text) {
  bar_visible_ = false;  // the message erases it
  PrintMessage(text);
}

void TerminalUserInterface::ClearBar() {
  if (!bar_visible_) return;
  fputs(kEraseLine, stderr);
  fflush(stderr);
  bar_visible_ = false;
}

void TerminalUserInterface::Draw(bool force) {
  if (!show_bar_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && bar_visible_ && now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;

  std::string bar(kBarWidth, ' ');
  std::string figure;
  if (maximum_ > 0) {
    const double share = std::clamp(static_cast<double>(position_) / maximum_, 0.0, 1.0);
    const int filled = static_cast<int>(share * kBarWidth);
    std::fill(bar.begin(), bar.begin() + filled, '#');
    figure = std::to_string(static_cast<int>(share * 100)) + "%";
  } else {
    // No measure of the work left: a mark moves to show that work goes on.
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - phase_start_);
    const int step = static_cast<int>(elapsed.count() / 100);
    const int period = 2 * (kBarWidth - 3);
    const int offset = step % period < kBarWidth - 3 ? step % period : period - step % period;
    bar.replace(static_cast<size_t>(offset), 3, "###");
    figure = std::to_string(elapsed.count() / 1000) + "." +
             std::to_string(elapsed.count() / 100 % 10) + " s";
  }
  // The target's file name keeps the line short.
  const std::string name = EscapedForTerminal(ShortName(target_, 30));
  fprintf(stderr, "%s%s %-10s [%s] %s", kEraseLine, name.c_str(), phase_, bar.c_str(),
          figure.c_str());
  fflush(stderr);
  bar_visible_ = true;
}

}  // namespace quireforge
