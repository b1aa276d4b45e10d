// Preloaded (LD_PRELOAD) into the real, installed quireforge by the installed-layout check.
// Once the window is up it prints the fields that the program's command line filled, presses
// Add and then Start, closes the window and ends the program: status 0 when the book was
// written, 1 otherwise. The summary that ends Start is printed and closed; any other message
// box that opens on the way is printed and ends it with 1.
#include <sys/stat.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

void Stop(const QString& why) {
  std::printf("window driver: %s\n", qPrintable(why));
  std::fflush(stdout);
  std::_Exit(1);
}

QWidget* MainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->findChild<QLineEdit*>(QStringLiteral("Edit_SourceFile")) != nullptr) return widget;
  }
  return nullptr;
}

template <typename T>
T* Control(QWidget* window, const char* name) {
  T* control = window->findChild<T*>(QString::fromLatin1(name));
  if (control == nullptr) Stop(QStringLiteral("no control %1").arg(QLatin1String(name)));
  return control;
}

// The bytes of a path as the program holds it: a name that is no UTF-8 has a lone surrogate
// U+DC80..U+DCFF for each of its other bytes.
QByteArray NativeBytes(const QString& path) {
  QByteArray bytes;
  for (qsizetype i = 0; i < path.size(); ++i) {
    const char16_t unit = path[i].unicode();
    if (unit >= 0xDC80 && unit <= 0xDCFF) {
      bytes += static_cast<char>(unit & 0xFF);
    } else if (QChar::isHighSurrogate(unit) && i + 1 < path.size()) {
      bytes += path.mid(i++, 2).toUtf8();
    } else {
      bytes += QString(QChar(unit)).toUtf8();
    }
  }
  return bytes;
}

void Drive() {
  QWidget* window = MainWindow();
  if (window == nullptr) Stop(QStringLiteral("no main window"));
  for (const char* name : {"Edit_SourceFile", "Edit_TargetFile", "Edit_Title"}) {
    std::printf("%s=%s\n", name, qPrintable(Control<QLineEdit>(window, name)->text()));
  }
  std::fflush(stdout);
  const QString target = Control<QLineEdit>(window, "Edit_TargetFile")->text();  // Add clears it
  Control<QPushButton>(window, "Button_Add")->click();
  Control<QPushButton>(window, "Button_Start")->click();
  struct stat status;
  const bool written = stat(NativeBytes(target).constData(), &status) == 0 && status.st_size > 0;
  window->close();
  QCoreApplication::exit(written ? 0 : 1);
}

// Runs when the program creates its application object: a message box (a failure) is watched
// for from then on, and the window is driven once the event loop runs.
void Start() {
  auto* watch = new QTimer(QCoreApplication::instance());
  QObject::connect(watch, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (box->objectName() != QStringLiteral("MessageBox_Summary")) {
        Stop(QStringLiteral("message box: ") + box->text());
      }
      std::printf("summary: %s\n", qPrintable(box->text()));
      std::fflush(stdout);
      box->button(QMessageBox::Ok)->click();
    }
  });
  watch->start(100);
  QTimer::singleShot(0, Drive);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Start)
