// The chapter list editor of TForm_Main. The chapter list box is a view of the chapter list
// model, which is the chapter list of one job: the one whose row is selected. Every edit
// goes through the model to the job, once, and the box follows; line i is entry i. A
// finished book's list is only shown: its book is written, an edit would change nothing.
// The job row's chapter count follows every removal.
#include <QString>
#include <vector>

#include "conversion/ConvertFile.h"
#include "ui/ChapterListBox.h"
#include "ui/ChapterListModel.h"
#include "ui/ChapterSearch.h"
#include "ui/DialogService.h"
#include "ui/FindReplaceDialog.h"
#include "ui/JobListModel.h"
#include "ui/TForm_Main.h"

namespace quireforge {

namespace {

constexpr int kMaxTitleLength = 255;

}  // namespace

void TForm_Main::EmptyChapterList() { chapter_model_->SetJob(nullptr); }

void TForm_Main::FillChapterList(TConvertFile* job) { chapter_model_->SetJob(job); }

void TForm_Main::ListBox_FilesClick() { CheckStatus(); }

void TForm_Main::Button_FEditClick() {
  Guarded([this] {
    const int line = ListBox_Files->SelectedLine();
    if (line < 0) return;
    if (ChaptersReadOnly()) {
      dialogs_.ShowMessage(texts_.row_finished_message);
      return;
    }
    const QString title = dialogs_.InputBox(texts_.chapter_edit_caption, texts_.chapter_edit_prompt,
                                            chapter_model_->Title(line), kMaxTitleLength);
    // An empty title stays an entry with an empty title.
    chapter_model_->SetTitle(line, title);
  });
}

void TForm_Main::Button_FRemoveClick() {
  Guarded(
      [this] {
        const int line = ListBox_Files->SelectedLine();
        if (line < 0) return;
        if (ChaptersReadOnly()) {
          dialogs_.ShowMessage(texts_.row_finished_message);
          return;
        }
        chapter_model_->RemoveChapter(line);
        ListBox_Files->clearSelection();
        if (const int row = ShownRow(); row >= 0) jobs_->ChaptersChanged(row);
      },
      [this] { CheckStatus(); });
}

// Moves the dragged entry, page file and title together, to the line under the mouse;
// the lines between shift by one. Runs at every move of the drag, so the entry follows.
void TForm_Main::ListBox_FilesDragOver(int from, int to) {
  const int count = chapter_model_->rowCount();
  if (chapter_model_->Job() == nullptr || ChaptersReadOnly() || from < 0 || from >= count ||
      to < 0 || to >= count) {
    return;
  }
  Guarded([this, from, to] {
    chapter_model_->MoveChapter(from, to);
    ListBox_Files->SelectLine(to);
  });
}

void TForm_Main::Button_FReplaceClick() {
  if (ChaptersReadOnly()) return;
  ReplaceDialog_Head->Execute();
}

int TForm_Main::SearchChapter(const std::vector<bool>& replaced) const {
  const QString find = ReplaceDialog_Head->FindText();
  const QStringList titles = chapter_model_->Titles();
  if (ReplaceDialog_Head->WholeWord()) return FindWholeEntry(titles, find, replaced);
  return FindContaining(titles, find, ListBox_Files->SelectedLine() + 1);
}

// Replaces every occurrence of the find text, in exact letter case, in the title of entry
// `line`; the line stays selected.
void TForm_Main::ReplaceInLine(int line) {
  const QString find = ReplaceDialog_Head->FindText();
  QString title = chapter_model_->Title(line);
  if (!find.isEmpty()) title.replace(find, ReplaceDialog_Head->ReplaceText(), Qt::CaseSensitive);
  chapter_model_->SetTitle(line, title);
}

int TForm_Main::FindAndSelectChapter() {
  const int line = SearchChapter({});
  if (line < 0) {
    dialogs_.ShowMessage(texts_.not_found_message);
  } else {
    ListBox_Files->SelectLine(line);
  }
  return line;
}

void TForm_Main::ReplaceDialog_HeadFind() {
  Guarded([this] { FindAndSelectChapter(); });
}

void TForm_Main::ReplaceDialog_HeadReplace() {
  if (chapter_model_->Job() == nullptr || ChaptersReadOnly()) return;
  Guarded([this] {
    const int line = FindAndSelectChapter();
    if (line >= 0) ReplaceInLine(line);
  });
}

void TForm_Main::ReplaceDialog_HeadReplaceAll() {
  if (chapter_model_->Job() == nullptr || ChaptersReadOnly()) return;
  Guarded([this] {
    ListBox_Files->clearSelection();
    std::vector<bool> replaced(static_cast<size_t>(chapter_model_->rowCount()), false);
    int count = 0;
    // Each line is replaced at most once: whole-entry mode passes over the lines replaced
    // so far, containment mode goes on below the line just replaced.
    for (int line = SearchChapter(replaced); line >= 0; line = SearchChapter(replaced)) {
      ListBox_Files->SelectLine(line);
      ReplaceInLine(line);
      replaced[line] = true;
      ++count;
    }
    if (count == 0) dialogs_.ShowMessage(texts_.not_found_message);
  });
}

}  // namespace quireforge
