// Quireforge, the desktop program: sets the program-wide values, creates the main window
// and the hidden progress window, and runs the event loop until the main window closes.
#include <QApplication>
#include <exception>
#include <iostream>

#include "ui/DialogService.h"
#include "ui/ProgramValues.h"
#include "ui/QtDialogService.h"
#include "ui/QtUserInterface.h"
#include "ui/TForm_Main.h"
#include "ui/TForm_Waiting.h"

int main(int argc, char* argv[]) {
  using namespace quireforge;
  std::unique_ptr<ProgramValues> values;
  try {
    values = std::make_unique<ProgramValues>();
  } catch (const std::exception& e) {
    std::cerr << "quireforge: " << e.what() << "\n";
    return 1;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));

  QtDialogService dialogs;
  QtUserInterface ui(dialogs);
  TForm_Main main_window(*values, dialogs, ui);
  dialogs.SetParentWindow(&main_window);
  TForm_Waiting waiting(&main_window);
  ui.AttachProgressWindow(&waiting);
  main_window.AttachProgressWindow(&waiting);

  main_window.ShowCentred();
  return application.exec();
}
