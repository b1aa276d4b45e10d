// GoogleTest main for the widget tests: one QApplication for the whole program (the
// platform comes from QT_QPA_PLATFORM, offscreen under ctest).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
