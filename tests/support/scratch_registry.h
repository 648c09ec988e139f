// Points the settings registry at a scratch folder for the life of the object.
#pragma once

#include <QFile>
#include <QTemporaryDir>

class ScratchRegistry {
 public:
  ScratchRegistry() { qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(dir_.path())); }
  ~ScratchRegistry() { qunsetenv("VELKO_REGISTRY_DIR"); }
  QString Path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};
