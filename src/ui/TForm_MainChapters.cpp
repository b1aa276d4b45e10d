// The chapter list editor of TForm_Main: the chapter list box shows the titles of one job
// (the one last clicked in the job list) and every operation edits that job's chapter list
// in step with the box, entry for entry.
#include <QString>

#include "conversion/ConvertFile.h"
#include "ui/ChapterListBox.h"
#include "ui/TForm_Main.h"

namespace quireforge {

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

void TForm_Main::ListBox_FilesClick() { CheckStatus(); }

}  // namespace quireforge
