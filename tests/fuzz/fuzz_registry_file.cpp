// Loads the settings from a registry file of arbitrary bytes, then saves them
// back over it.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "C_datas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir root;
  static int round = 0;
  // A new folder each time: a file rewritten within the same millisecond at
  // the same size would be taken from the parse cache.
  const QString folder = root.path() + QStringLiteral("/%1").arg(round++);
  QDir().mkpath(folder);
  QFile file(folder + QStringLiteral("/HKEY_LOCAL_MACHINE.ini"));
  if (!file.open(QIODevice::WriteOnly)) return 0;
  file.write(reinterpret_cast<const char*>(data), qint64(size));
  file.close();
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(folder));
  { CDatas datas; }
  QDir(folder).removeRecursively();
  return 0;
}
