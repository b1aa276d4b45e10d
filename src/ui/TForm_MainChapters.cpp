// The chapter list editor of TForm_Main. The chapter list box shows the titles of one job,
// the one last clicked in the job list, and every operation edits that job's chapter list in
// the same step as the box, so that line i is always the title of entry i.
#include <QString>

#include "conversion/ConvertFile.h"
#include "ui/ChapterListBox.h"
#include "ui/ChapterSearch.h"
#include "ui/DialogService.h"
#include "ui/FindReplaceDialog.h"
#include "ui/TForm_Main.h"

namespace quireforge {

namespace {

constexpr int kMaxTitleLength = 255;

}  // namespace

void TForm_Main::EmptyChapterList() {
  ListBox_Files->clear();
  drag_source_index_ = -1;
  shown_job_ = nullptr;
}

void TForm_Main::FillChapterList(TConvertFile* job) {
  EmptyChapterList();
  shown_job_ = job;
  for (int32_t i = 0; i < job->ChapterCount(); ++i) {
    ListBox_Files->addItem(QString::fromStdU16String(job->ChapterTitle(i)));
  }
}

QStringList TForm_Main::ChapterLines() const {
  QStringList lines;
  for (int i = 0; i < ListBox_Files->count(); ++i) lines.append(ListBox_Files->item(i)->text());
  return lines;
}

void TForm_Main::ListBox_FilesClick() { CheckStatus(); }

void TForm_Main::Button_FEditClick() {
  Guarded([this] {
    const int line = ListBox_Files->SelectedLine();
    if (line < 0) return;
    const QString title =
        dialogs_.InputBox(texts_->chapter_edit_caption, texts_->chapter_edit_prompt,
                          ListBox_Files->item(line)->text(), kMaxTitleLength);
    // An empty title stays an entry with an empty title, in the box and in the job alike.
    ListBox_Files->item(line)->setText(title);
    if (shown_job_ != nullptr) shown_job_->SetChapterTitle(line, title.toStdU16String());
  });
}

void TForm_Main::Button_FRemoveClick() {
  Guarded([this] {
    const int line = ListBox_Files->SelectedLine();
    if (line >= 0 && shown_job_ != nullptr) {
      shown_job_->DeleteChapter(line);
      delete ListBox_Files->takeItem(line);
      ListBox_Files->clearSelection();
    }
  });
  CheckStatus();
}

void TForm_Main::ListBox_FilesMouseDown(int line) { drag_source_index_ = line; }

// Moves the dragged entry, page file and title together, to the line under the mouse;
// the lines between shift by one. Runs at every move of the drag, so the entry follows.
void TForm_Main::ListBox_FilesDragOver(int line) {
  if (shown_job_ == nullptr) return;
  const int target = line;
  int source = drag_source_index_;
  const int count = ListBox_Files->count();
  if (target < 0 || source < 0 || target >= count || source >= count ||
      count != shown_job_->ChapterCount()) {
    return;
  }
  Guarded([&] {
    const QString dragged_line = ListBox_Files->item(source)->text();
    const std::u16string dragged_entry = shown_job_->ChapterEntry(source);
    while (source > target) {
      ListBox_Files->item(source)->setText(ListBox_Files->item(source - 1)->text());
      shown_job_->SetChapterEntry(source, shown_job_->ChapterEntry(source - 1));
      --source;
    }
    while (source < target) {
      ListBox_Files->item(source)->setText(ListBox_Files->item(source + 1)->text());
      shown_job_->SetChapterEntry(source, shown_job_->ChapterEntry(source + 1));
      ++source;
    }
    ListBox_Files->item(target)->setText(dragged_line);
    shown_job_->SetChapterEntry(target, dragged_entry);
    ListBox_Files->SelectLine(target);
    drag_source_index_ = target;
  });
}

void TForm_Main::Button_FReplaceClick() { ReplaceDialog_Head->Execute(); }

int TForm_Main::SearchChapter(const std::vector<bool>& replaced) const {
  const QString find = ReplaceDialog_Head->FindText();
  if (ReplaceDialog_Head->WholeWord()) return FindWholeEntry(ChapterLines(), find, replaced);
  return FindContaining(ChapterLines(), find, ListBox_Files->SelectedLine() + 1);
}

// Replaces every occurrence of the find text, in exact letter case, in line `line` and in
// the title of the same entry; the line stays selected.
void TForm_Main::ReplaceInLine(int line) {
  const QString find = ReplaceDialog_Head->FindText();
  QString title = ListBox_Files->item(line)->text();
  if (!find.isEmpty()) title.replace(find, ReplaceDialog_Head->ReplaceText(), Qt::CaseSensitive);
  ListBox_Files->item(line)->setText(title);
  if (shown_job_ != nullptr) shown_job_->SetChapterTitle(line, title.toStdU16String());
}

void TForm_Main::ReplaceDialog_HeadFind() {
  const int line = SearchChapter({});
  if (line < 0) {
    dialogs_.ShowMessage(texts_->not_found_message);
    return;
  }
  ListBox_Files->SelectLine(line);
}

void TForm_Main::ReplaceDialog_HeadReplace() {
  if (shown_job_ == nullptr) return;
  Guarded([this] {
    const int line = SearchChapter({});
    if (line < 0) {
      dialogs_.ShowMessage(texts_->not_found_message);
      return;
    }
    ListBox_Files->SelectLine(line);
    ReplaceInLine(line);
  });
}

void TForm_Main::ReplaceDialog_HeadReplaceAll() {
  if (shown_job_ == nullptr) return;
  Guarded([this] {
    ListBox_Files->clearSelection();
    std::vector<bool> replaced(ListBox_Files->count(), false);
    int count = 0;
    // Each line is replaced at most once: whole-entry mode passes over the lines replaced
    // so far, containment mode goes on below the line just replaced.
    for (int line = SearchChapter(replaced); line >= 0; line = SearchChapter(replaced)) {
      ListBox_Files->SelectLine(line);
      ReplaceInLine(line);
      replaced[line] = true;
      ++count;
    }
    if (count == 0) dialogs_.ShowMessage(texts_->not_found_message);
  });
}

}  // namespace quireforge
