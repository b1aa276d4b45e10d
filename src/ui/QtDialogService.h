// DialogService with Qt's own modal dialogs, parented to the given window (message boxes of
// the archive component and the input box stay centred on the screen). Window thread only.
#ifndef QUIREFORGE_UI_QTDIALOGSERVICE_H_
#define QUIREFORGE_UI_QTDIALOGSERVICE_H_

#include <QPointer>
#include <QWidget>

#include "ui/DialogService.h"

namespace quireforge {

class QtDialogService : public DialogService {
 public:
  QtDialogService() = default;

  // The window file dialogs and message boxes open over; may stay unset.
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& text) override;
  void ShowError(const QString& text) override;
  void ShowArchiveMessage(ArchiveMessageKind kind, const QString& text) override;
  bool AskYesNo(const QString& caption, const QString& text, DefaultAnswer default_answer) override;
  QString InputBox(const QString& caption, const QString& prompt, const QString& text,
                   int max_length) override;
  QStringList RunFileDialog(const FileDialogRequest& request) override;
  bool EditRow(const QString& caption, const QStringList& labels, RowFields* fields) override;
  bool ShowSummary(const QString& caption, const QString& text,
                   const QString& open_folder) override;
  bool OpenFolder(const QString& folder) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_UI_QTDIALOGSERVICE_H_
