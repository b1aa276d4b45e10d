// window_bench: how the window behaves while Start packs a large book, measured on the real
// window with the real zip engine. A novel is added through the fields (a 50 MB one from
// bench/window.sh), then:
//   - Start packs it whole: the longest time the event loop went without running (the
//     window cannot repaint for that long), the progress window's repaints and the longest
//     time between two of them, and the packing time;
//   - the same novel added again to another target that holds an older book, Start, and
//     Cancel pressed once packing is half done: the time from the press until Start has
//     returned, and whether the older book is still there.
// Usage: window_bench NOVEL [WORK_FOLDER]   (QT_QPA_PLATFORM=offscreen or a display)
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "archive/Archiver.h"
#include "ui/DialogService.h"
#include "ui/ProgramValues.h"
#include "ui/QtUserInterface.h"
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

// Counts the progress window's repaints and the event loop's turns while it is shown.
class Watcher : public QObject {
 public:
  explicit Watcher(QWidget* progress) : progress_(progress) {
    progress_->installEventFilter(this);
    for (QWidget* child : progress_->findChildren<QWidget*>()) child->installEventFilter(this);
    tick_.setInterval(5);
    QObject::connect(&tick_, &QTimer::timeout, [this] { Turn(); });
  }
  void Start() {
    clock_.start();
    last_turn_ = last_paint_ = 0;
    longest_turn_ = longest_paint_ = 0;
    paints_ = 0;
    tick_.start();
  }
  void Stop() { tick_.stop(); }
  qint64 LongestTurn() const { return longest_turn_; }
  qint64 LongestBetweenPaints() const { return longest_paint_; }
  int Paints() const { return paints_; }
  qint64 Elapsed() const { return clock_.elapsed(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && tick_.isActive() && progress_->isVisible()) {
      const qint64 now = clock_.elapsed();
      if (paints_ > 0) longest_paint_ = std::max(longest_paint_, now - last_paint_);
      last_paint_ = now;
      ++paints_;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Turn() {
    const qint64 now = clock_.elapsed();
    longest_turn_ = std::max(longest_turn_, now - last_turn_);
    last_turn_ = now;
  }

  QWidget* progress_;
  QTimer tick_;
  QElapsedTimer clock_;
  qint64 last_turn_ = 0, last_paint_ = 0, longest_turn_ = 0, longest_paint_ = 0;
  int paints_ = 0;
};

void Add(TForm_Main& window, const fs::path& source, const fs::path& target) {
  window.findChild<QLineEdit*>("Edit_SourceFile")->setText(QString::fromStdString(source));
  window.findChild<QLineEdit*>("Edit_TargetFile")->setText(QString::fromStdString(target));
  window.findChild<QLineEdit*>("Edit_Title")->setText("Bench");
  QElapsedTimer clock;
  clock.start();
  window.Button_AddClick();
  std::printf("add (conversion):            %lld ms\n", static_cast<long long>(clock.elapsed()));
}

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_bench NOVEL [WORK_FOLDER]\n");
    return 2;
  }
  const fs::path novel = fs::absolute(argv[1]);
  const fs::path work = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
  std::printf("novel: %s, %lld bytes\n", novel.c_str(),
              static_cast<long long>(fs::file_size(novel)));

  SilentDialogs dialogs;
  ProgramValues values;
  QtUserInterface ui(dialogs);
  TForm_Main window(values, dialogs, ui);
  TForm_Waiting waiting(&window);
  ui.AttachProgressWindow(&waiting);
  window.AttachProgressWindow(&waiting);
  window.ShowCentred();
  QApplication::processEvents();
  Watcher watcher(&waiting);

  // A whole packing.
  Add(window, novel, work / "bench.epub");
  watcher.Start();
  window.Button_StartClick();
  watcher.Stop();
  std::printf("start (packing):             %lld ms\n", static_cast<long long>(watcher.Elapsed()));
  std::printf("longest event-loop gap:      %lld ms\n",
              static_cast<long long>(watcher.LongestTurn()));
  std::printf("progress window repaints:    %d, longest between two: %lld ms\n", watcher.Paints(),
              static_cast<long long>(watcher.LongestBetweenPaints()));

  // Cancel half way.
  const fs::path older = work / "older.epub";
  { std::ofstream(older, std::ios::binary) << "older book"; }
  Add(window, novel, older);
  QElapsedTimer since_cancel;
  int64_t pressed_at = 0, total = 0;
  QTimer press;
  press.setInterval(1);
  QObject::connect(&press, &QTimer::timeout, [&] {
    // Half way: the book's bar (the only book being packed) at half its steps.
    const QProgressBar* bar = waiting.Bar();
    if (!waiting.isVisible() || !bar->isVisible() || bar->value() * 2 < bar->maximum() ||
        bar->value() >= bar->maximum()) {
      return;
    }
    press.stop();
    pressed_at = bar->value();
    total = bar->maximum();
    since_cancel.start();
    waiting.findChild<QPushButton*>("Button_Cancel")->click();
  });
  press.start();
  window.Button_StartClick();
  press.stop();
  if (!since_cancel.isValid()) {
    std::printf("cancel: the book was packed before Cancel could be pressed\n");
    return 1;
  }
  std::printf("cancel pressed at:           %lld of %lld steps packed\n",
              static_cast<long long>(pressed_at), static_cast<long long>(total));
  std::printf("cancel to Start's end:       %.1f ms\n", since_cancel.nsecsElapsed() / 1e6);
  std::printf("row after cancel:            %s\n",
              qPrintable(window.findChild<QAbstractItemView*>("ListView_JobList")
                             ->model()
                             ->index(1, 3)
                             .data()
                             .toString()));
  std::printf("older book untouched:        %s\n", Contents(older) == "older book" ? "yes" : "NO");
  return Contents(older) == "older book" ? 0 : 1;
}
