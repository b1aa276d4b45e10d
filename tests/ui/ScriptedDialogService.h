// A DialogService for tests: records every dialog the window opens, in order, and answers
// from scripts the test fills in beforehand. With an empty script a question gets "No",
// an input box is cancelled and a file dialog is cancelled.
#ifndef QUIREFORGE_TESTS_UI_SCRIPTEDDIALOGSERVICE_H_
#define QUIREFORGE_TESTS_UI_SCRIPTEDDIALOGSERVICE_H_

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "ui/DialogService.h"

namespace quireforge::test {

class ScriptedDialogService : public DialogService {
 public:
  struct Shown {
    QString kind;  // "message", "error", "archive-error", "archive-info", "question", "input",
                   // "file", "edit-row", "summary"
    QString caption;
    QString text;
  };

  void ShowMessage(const QString& text) override { shown.push_back({"message", "", text}); }
  void ShowError(const QString& text) override { shown.push_back({"error", "", text}); }
  void ShowArchiveMessage(ArchiveMessageKind kind, const QString& text) override {
    shown.push_back(
        {kind == ArchiveMessageKind::kError ? "archive-error" : "archive-info", "", text});
  }
  bool AskYesNo(const QString& caption, const QString& text,
                DefaultAnswer default_answer) override {
    shown.push_back({"question", caption, text});
    question_defaults.push_back(default_answer);
    if (yes_no_answers.empty()) return false;
    const bool answer = yes_no_answers.front();
    yes_no_answers.pop_front();
    return answer;
  }
  QString InputBox(const QString& caption, const QString& prompt, const QString& text,
                   int max_length) override {
    shown.push_back({"input", caption, prompt});
    input_initial_texts.push_back(text);
    input_max_lengths.push_back(max_length);
    if (input_answers.empty()) return text;
    std::optional<QString> answer = input_answers.front();
    input_answers.pop_front();
    return answer.has_value() ? *answer : text;  // nullopt: Cancel
  }
  QStringList RunFileDialog(const FileDialogRequest& request) override {
    shown.push_back({"file", request.title, request.name});
    file_requests.push_back(request);
    if (file_answers.empty()) return {};
    QStringList answer = file_answers.front();
    file_answers.pop_front();
    return answer;
  }

  bool EditRow(const QString& caption, const QStringList& labels, RowFields* fields) override {
    shown.push_back({"edit-row", caption, labels.join(QLatin1Char('|'))});
    edit_row_initial.push_back(*fields);
    if (edit_row_answers.empty()) return false;
    std::optional<RowFields> answer = edit_row_answers.front();
    edit_row_answers.pop_front();
    if (!answer.has_value()) return false;  // Cancel
    *fields = *answer;
    return true;
  }
  bool ShowSummary(const QString& caption, const QString& text,
                   const QString& open_folder) override {
    shown.push_back({"summary", caption, text});
    summary_open_folder_offered.push_back(!open_folder.isEmpty());
    return !open_folder.isEmpty() && press_open_folder;
  }
  bool OpenFolder(const QString& folder) override {
    opened_folders.append(folder);
    return open_folder_works;
  }

  // The texts of the dialogs of one kind, in order.
  QStringList TextsOf(const QString& kind) const {
    QStringList texts;
    for (const Shown& s : shown) {
      if (s.kind == kind) texts.append(s.text);
    }
    return texts;
  }

  std::vector<Shown> shown;
  std::deque<bool> yes_no_answers;
  std::vector<DefaultAnswer> question_defaults;
  std::deque<std::optional<RowFields>> edit_row_answers;  // nullopt: Cancel
  std::vector<RowFields> edit_row_initial;
  std::vector<bool> summary_open_folder_offered;
  bool open_folder_works = true;  // whether OpenFolder finds a program that opens folders
  bool press_open_folder = false;
  QStringList opened_folders;
  std::deque<std::optional<QString>> input_answers;
  QStringList input_initial_texts;
  std::vector<int> input_max_lengths;
  std::deque<QStringList> file_answers;
  std::vector<FileDialogRequest> file_requests;
};

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_UI_SCRIPTEDDIALOGSERVICE_H_
