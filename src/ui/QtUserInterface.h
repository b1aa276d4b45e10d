// The core's UserInterface seam implemented with Qt: the progress window TForm_Waiting,
// one pass of the Qt event loop as the message pump, the archive component's dialogs
// through the DialogService, and the wait cursor. Owned by main; window thread only.
#ifndef QUIREFORGE_UI_QTUSERINTERFACE_H_
#define QUIREFORGE_UI_QTUSERINTERFACE_H_

#include <QPointer>

#include "base/UserInterface.h"
#include "ui/TForm_Waiting.h"

namespace quireforge {

class DialogService;

class QtUserInterface : public UserInterface {
 public:
  // `dialogs` must outlive this object.
  explicit QtUserInterface(DialogService& dialogs);
  ~QtUserInterface() override;

  // The progress window to drive; until set (or once it is gone) progress calls do nothing.
  void AttachProgressWindow(TForm_Waiting* waiting) { waiting_ = waiting; }

  void ShowProgress() override;
  void CloseProgress() override;
  void ShowProgressBar() override;
  void HideProgressBar() override;
  void SetProgressMaximum(int32_t maximum) override;
  void SetProgressPosition(int32_t position) override;
  void ProcessMessages() override;
  void ShowArchiveError(const std::string& text) override;
  void ShowArchiveInformation(const std::string& text) override;
  void SetWaitCursor(bool waiting) override;

 private:
  DialogService& dialogs_;
  QPointer<TForm_Waiting> waiting_;
  bool wait_cursor_ = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_QTUSERINTERFACE_H_
