// Quireforge, the desktop program: sets the program-wide values, creates the main window
// and the hidden progress window, and runs the event loop until the main window closes.
// Files named on the command line ("Open with") fill the window's fields as a drop does;
// --help and --version answer without a window, and an unknown option ends with status 2
// before any window is tried. Where no window can open (no graphical session), it says so,
// points to quireforge-cli and ends with status 1. The file-size limit
// signal is ignored, as in quireforge-cli.
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "ui/DialogService.h"
#include "ui/LocalPaths.h"
#include "ui/ProgramArguments.h"
#include "ui/ProgramValues.h"
#include "ui/QtDialogService.h"
#include "ui/QtUserInterface.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

namespace {

// The program's exit status when no window can be opened, and after a wrong command line.
constexpr int kNoGraphicalSession = 1;
constexpr int kUsageError = 2;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The command-line converter beside this program.
std::string CommandLineConverter() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "quireforge-cli";
  return (self.parent_path() / "quireforge-cli").string();
}

void TellNoGraphicalSession(const std::string& why) {
  std::cerr << "quireforge: The window needs a graphical session, but " << why
            << ". To convert books without one, use the command-line converter: "
            << CommandLineConverter() << " --help\n";
}

// Why no window can open when the platform needs a display server and none is named;
// empty when one is named, or when QT_QPA_PLATFORM names a platform without one
// (offscreen, vnc, linuxfb, ...).
std::string MissingDisplay() {
  const std::string platform = Environment("QT_QPA_PLATFORM");
  const bool needs_display =
      platform.empty() || platform.rfind("xcb", 0) == 0 || platform.rfind("wayland", 0) == 0;
  if (!needs_display) return std::string();
  if (!Environment("DISPLAY").empty() || !Environment("WAYLAND_DISPLAY").empty()) {
    return std::string();
  }
  return "none was found (DISPLAY and WAYLAND_DISPLAY are not set)";
}

// Qt ends with a fatal message (and an abort) when its platform cannot start, for
// instance when the display named cannot be opened. Until the application object exists
// such a message is turned into the program's own, and the program ends with status 1.
QtMessageHandler qt_handler = nullptr;
bool starting_up = true;

void StartUpMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (starting_up && type == QtFatalMsg) {
    const std::string display = Environment("WAYLAND_DISPLAY").empty()
                                    ? Environment("DISPLAY")
                                    : Environment("WAYLAND_DISPLAY");
    TellNoGraphicalSession("the display \"" + display + "\" could not be opened");
    std::cerr.flush();
    std::fflush(stderr);
    _exit(kNoGraphicalSession);
  }
  if (qt_handler != nullptr) qt_handler(type, context, message);
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace quireforge;
  // A book that outgrows the file-size limit becomes the ordinary write error, which
  // removes the half-written archive and the staging folder, instead of ending the window.
  std::signal(SIGXFSZ, SIG_IGN);
  // --help and --version need no window. The other options are read once Qt has taken its own.
  QStringList raw_arguments;
  for (int i = 1; i < argc; ++i) raw_arguments.append(PathFromNative(QByteArray(argv[i])));
  // A wrong command line is a usage error (status 2) even where no window could open.
  const ProgramArguments early =
      ParseProgramArguments(WithoutToolkitOptions(raw_arguments), QString());
  switch (early.action) {
    case ProgramArguments::Action::kHelp:
      std::cout << ProgramUsage().toStdString();
      return 0;
    case ProgramArguments::Action::kVersion:
      std::cout << "quireforge " QUIREFORGE_VERSION "\n";
      return 0;
    case ProgramArguments::Action::kUsageError:
      std::cerr << "quireforge: " << early.error.toStdString() << "\n";
      return kUsageError;
    default:
      break;
  }
  const std::string missing_display = MissingDisplay();
  if (!missing_display.empty()) {
    TellNoGraphicalSession(missing_display);
    return kNoGraphicalSession;
  }

  std::unique_ptr<ProgramValues> values;
  try {
    values = std::make_unique<ProgramValues>();
  } catch (const std::exception& e) {
    std::cerr << "quireforge: " << e.what() << "\n";
    return 1;
  }

  qt_handler = qInstallMessageHandler(StartUpMessageHandler);
  QApplication application(argc, argv);
  starting_up = false;
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  // The installed desktop entry and icon carry the application's id: desktops match the
  // window to its menu entry by it, and the icon comes from the icon theme (none in a build
  // folder).
  QGuiApplication::setDesktopFileName(QString::fromUtf8(QUIREFORGE_APP_ID));
  QApplication::setWindowIcon(QIcon::fromTheme(QString::fromUtf8(QUIREFORGE_APP_ID)));
  // QApplication has taken its own options out of argv. The names are read from their bytes:
  // QApplication::arguments() would have lost those that are no UTF-8.
  QStringList file_arguments;
  for (int i = 1; i < argc; ++i) file_arguments.append(PathFromNative(QByteArray(argv[i])));
  const ProgramArguments arguments = ParseProgramArguments(file_arguments, CurrentFolderPath());
  if (arguments.action == ProgramArguments::Action::kUsageError) {
    std::cerr << "quireforge: " << arguments.error.toStdString() << "\n";
    return kUsageError;
  }

  QtDialogService dialogs;
  QtUserInterface ui(dialogs);
  TForm_Main main_window(*values, dialogs, ui);
  dialogs.SetParentWindow(&main_window);
  TForm_Waiting waiting(&main_window);
  ui.AttachProgressWindow(&waiting);
  main_window.AttachProgressWindow(&waiting);

  main_window.ShowCentred();
  if (!arguments.files.isEmpty()) main_window.OpenFiles(arguments.files);
  return application.exec();
}
