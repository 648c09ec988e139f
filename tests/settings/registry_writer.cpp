// Stores ever new generations of a large value in the registry folder given
// as the first argument until it is killed; says "ready" after the first.
#include <QByteArray>
#include <cstdio>
#include <cstdlib>

#include "registry.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  setenv("VELKO_REGISTRY_DIR", argv[1], 1);
  const int seed = atoi(argv[2]);
  for (int generation = 0;; ++generation) {
    auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Writer");
    if (!key) return 1;
    const uint32_t size = 400000 + uint32_t(seed * 31 + generation) % 997;
    const QByteArray blob(int(size), char('a' + generation % 26));
    key->SetValue("Blob", REG_BINARY, blob);
    key->SetValue("Size", REG_DWORD, QByteArrayView(reinterpret_cast<const char*>(&size), 4));
    if (!key->Flush()) return 1;
    if (generation == 0) {
      puts("ready");
      fflush(stdout);
    }
  }
}
