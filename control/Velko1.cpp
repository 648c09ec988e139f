// The control's module: its one class behind the four exports.
#include "Velko1impl.h"
#include "com_server.h"

namespace {

const ComModule& Module() {
  static const ComModule module(VELKO1Library(), {{&nVELKO_1Class(), kVelko1ProgId,
                                                   [] { return static_cast<InVELKO_1*>(new TnVELKO_1); },
                                                   kVelko1MiscStatus}});
  return module;
}

}  // namespace

VELKO_COM_MODULE_EXPORTS(Module)
