#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // Tests never reach the desktop's session bus (its keyring, its
  // notifications); a test that needs one starts a bus of its own.
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/velko-tests");
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
