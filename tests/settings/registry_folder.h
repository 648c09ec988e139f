// Points the registry at a fresh temporary folder for each test.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "registry.h"

class RegistryFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    hadFolder_ = qEnvironmentVariableIsSet("VELKO_REGISTRY_DIR");
    savedFolder_ = qgetenv("VELKO_REGISTRY_DIR");
    UseFreshFolder();
  }

  void TearDown() override {
    if (hadFolder_)
      qputenv("VELKO_REGISTRY_DIR", savedFolder_);
    else
      qunsetenv("VELKO_REGISTRY_DIR");
  }

  // Not created yet: creating it is the registry's job.
  QString Folder() const { return folders_.back()->path() + "/registry"; }
  QString MachineFile() const { return Folder() + "/HKEY_LOCAL_MACHINE.ini"; }

  void UseFreshFolder() {
    folders_.push_back(std::make_unique<QTemporaryDir>());
    ASSERT_TRUE(folders_.back()->isValid());
    qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(Folder()));
  }

  // Later reads come from the bytes on disk, not from what this process still holds.
  void ReopenFromDisk() {
    const QString old = Folder();
    UseFreshFolder();
    ASSERT_TRUE(QDir().mkpath(Folder()));
    for (const QString& name : QDir(old).entryList({"*.ini"}, QDir::Files))
      ASSERT_TRUE(QFile::copy(old + "/" + name, Folder() + "/" + name));
  }

  void WriteMachineFile(const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(Folder()));
    QFile file(MachineFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

 private:
  std::vector<std::unique_ptr<QTemporaryDir>> folders_;
  bool hadFolder_ = false;
  QByteArray savedFolder_;
};
