// TArchiveCore is the reporting base of the archive worker: it keeps the last error code
// and message, shows errors and information through the UserInterface, and counts the
// nesting of the wait cursor. Owned by the worker; one thread; not copyable.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVECORE_H_
#define QUIREFORGE_ARCHIVE_ARCHIVECORE_H_

#include <cstdint>
#include <string>

namespace quireforge {

class EArchiver;
class UserInterface;

class TArchiveCore {
 public:
  // `ui` must outlive the core.
  explicit TArchiveCore(UserInterface& ui);
  virtual ~TArchiveCore();

  TArchiveCore(const TArchiveCore&) = delete;
  TArchiveCore& operator=(const TArchiveCore&) = delete;

  // The last error code, the engine's full code beside it (equal to the code except for
  // engine messages, whose code keeps only its low 8 bits) and the last message (UTF-8).
  int32_t ErrCode() const { return err_code_; }
  int32_t FullErrCode() const { return full_err_code_; }
  const std::string& Message() const { return message_; }

  void ClearErrCode();
  void ClearLastError();
  // Sets the last error code (and the full code beside it) without showing anything.
  void SetErrCode(int32_t code);

  // Errors are not shown while unattended; they still set the code and message.
  bool Unattended() const { return unattended_; }
  void SetUnattended(bool unattended) { unattended_ = unattended; }

  // Sets the code and message from `error` and, when it is to be displayed and the
  // component is not unattended, shows the error dialog.
  void ReportError(const EArchiver& error);

  // Sets the code and message and shows the information dialog (unless unattended).
  void ShowInformation(int32_t code, const std::string& text);
  void ShowInformation(int32_t code);

  // An engine message: the code's low 8 bits read as a signed byte become the last error
  // code, the full code is kept beside it, the text becomes the last message.
  void SetEngineMessage(int32_t code, const std::string& text);

  // Wait cursor with a nesting counter: the first Start shows it, the matching last Stop
  // restores the normal cursor; Restore ends every level at once.
  void StartWaitCursor();
  void StopWaitCursor();
  void RestoreCursor();

 protected:
  UserInterface& ui() { return ui_; }

 private:
  UserInterface& ui_;
  int32_t err_code_ = 0;
  int32_t full_err_code_ = 0;
  std::string message_;
  bool unattended_ = false;
  int cursor_depth_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVECORE_H_
