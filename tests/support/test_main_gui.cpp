#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Widget suites draw off screen, whoever starts them.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Tests never reach the desktop's session bus (its keyring, its
  // notifications); a test that needs one starts a bus of its own.
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/velko-tests");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
