// GoogleTest main for the widget tests: one QApplication for the whole program (the
// platform comes from QT_QPA_PLATFORM, offscreen under ctest).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

int main(int argc, char** argv) {
  // The window keeps its settings under XDG_CONFIG_HOME: never the tester's own.
  char folder[] = "/tmp/quireforge-ui-settings-XXXXXX";
  if (mkdtemp(folder) != nullptr) setenv("XDG_CONFIG_HOME", folder, 1);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  std::filesystem::remove_all(folder);
  return status;
}
