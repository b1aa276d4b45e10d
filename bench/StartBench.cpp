// start_bench: how long the window's Start takes to pack several books one at a time and as
// many at once as the machine has cores, measured on the real window with the real zip engine.
// Every source given is added through the fields (each to a target of its own), then Start
// packs them all; the same again for each round, alternating one at a time and all cores at
// once, so that both see the same machine. Prints each Start's time, the medians and their
// ratio (the goal: at once in under half the time of one at a time).
// Usage: start_bench WORK_FOLDER ROUNDS SOURCE...   (QT_QPA_PLATFORM=offscreen or a display)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/DialogService.h"
#include "ui/JobListModel.h"
#include "ui/ProgramValues.h"
#include "ui/QtUserInterface.h"
#include "ui/StartRun.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

namespace fs = std::filesystem;
using namespace quireforge;

namespace {

// Answers every dialog without a window: questions No, the summary closed.
class SilentDialogs : public DialogService {
 public:
  void ShowMessage(const QString& text) override { Print("message", text); }
  void ShowError(const QString& text) override { Print("error", text); }
  void ShowArchiveMessage(ArchiveMessageKind, const QString& text) override {
    Print("archive", text);
  }
  bool AskYesNo(const QString&, const QString&, DefaultAnswer) override { return false; }
  QString InputBox(const QString&, const QString&, const QString& text, int) override {
    return text;
  }
  QStringList RunFileDialog(const FileDialogRequest&) override { return {}; }
  bool EditRow(const QString&, const QStringList&, RowFields*) override { return false; }
  bool ShowSummary(const QString&, const QString&, const QString&) override { return false; }
  void OpenFolder(const QString&) override {}

 private:
  static void Print(const char* kind, const QString& text) {
    std::printf("  (%s: %s)\n", kind, qPrintable(text));
  }
};

void Add(TForm_Main& window, const fs::path& source, const fs::path& target) {
  window.findChild<QLineEdit*>("Edit_SourceFile")->setText(QString::fromStdString(source));
  window.findChild<QLineEdit*>("Edit_TargetFile")->setText(QString::fromStdString(target));
  window.findChild<QLineEdit*>("Edit_Title")->setText(QString::fromStdString(source.stem()));
  window.Button_AddClick();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: start_bench WORK_FOLDER ROUNDS SOURCE...\n");
    return 2;
  }
  const fs::path work = fs::absolute(argv[1]);
  const int rounds = std::max(1, std::atoi(argv[2]));
  std::vector<fs::path> sources;
  for (int i = 3; i < argc; ++i) sources.push_back(fs::absolute(argv[i]));

  SilentDialogs dialogs;
  ProgramValues values;
  QtUserInterface ui(dialogs);
  TForm_Main window(values, dialogs, ui);
  TForm_Waiting waiting(&window);
  ui.AttachProgressWindow(&waiting);
  window.AttachProgressWindow(&waiting);
  window.ShowCentred();
  QApplication::processEvents();

  window.StartRunner().SetBooksAtOnce(0);
  const int cores = window.StartRunner().BooksAtOnce();
  std::printf("%zu books, %d cores\n", sources.size(), cores);
  std::vector<double> one_at_a_time, at_once;
  for (int round = 0; round < rounds; ++round) {
    for (const int books : {1, cores}) {
      window.Button_ClearClick();
      for (const fs::path& source : sources) {
        fs::path target = work / (source.stem().string() + "-" + std::to_string(books) + ".epub");
        fs::remove(target);
        Add(window, source, target);
      }
      window.StartRunner().SetBooksAtOnce(books);
      QElapsedTimer clock;
      clock.start();
      window.Button_StartClick();
      const double seconds = clock.nsecsElapsed() / 1e9;
      for (int row = 0; row < window.Jobs().RowCount(); ++row) {
        if (window.Jobs().StateOf(row) != JobListModel::State::kDone) {
          std::printf("  book %d was not written\n", row + 1);
          return 1;
        }
      }
      std::printf("round %d, %d at once: %.3f s\n", round + 1, books, seconds);
      (books == 1 ? one_at_a_time : at_once).push_back(seconds);
    }
  }
  const double one = Median(one_at_a_time), many = Median(at_once);
  std::printf("median: one at a time %.3f s, %d at once %.3f s; ratio %.2f (goal < 0.5)\n", one,
              cores, many, many / one);
  return 0;
}
