// Stores ever new generations of a large value in the registry folder given
// as the argument until it is killed; says "ready" after the first.
#include <QByteArray>
#include <cstdio>
#include <cstdlib>

#include "registry.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  setenv("VELKO_REGISTRY_DIR", argv[1], 1);
  auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Writer");
  for (int generation = 0; key; ++generation) {
    const QByteArray blob(400000 + generation % 997, char('a' + generation % 26));
    key->SetValue("Blob", REG_BINARY, blob);
    key->SetValue("Size", REG_SZ, QByteArray::number(blob.size()));
    if (!key->Flush()) return 1;
    if (generation == 0) {
      puts("ready");
      fflush(stdout);
    }
  }
  return 1;
}
