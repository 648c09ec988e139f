// In-process servers: the class object per class, the four functions a module
// exports, its registration in the HKEY_CLASSES_ROOT registry file, and the
// host's side, creating an object by ProgID from a module loaded with dlopen.
#pragma once

#include <functional>
#include <vector>

#include "com_dispatch.h"

inline constexpr IID IID_IClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IClassFactory : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IClassFactory;
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(bool lock) = 0;
};

// The exports every module offers, under these names.
using DllGetClassObjectFn = HRESULT (*)(const CLSID* clsid, const IID* iid, void** object);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

// What a module says about one of its classes.
struct ClassEntry {
  const ClassDescription* type;
  const char* progId;
  // A new object holding no reference yet, or an exception.
  std::function<IUnknown*()> create;
  // Extra registration of controls: the value of "MiscStatus\1".
  int32_t miscStatus = 0;
};

// The module's own side, called from its four exports.
class ComModule {
 public:
  ComModule(const LibraryDescription& library, std::vector<ClassEntry> classes);

  HRESULT GetClassObject(const CLSID* clsid, const IID* iid, void** object) const;
  HRESULT CanUnloadNow() const;
  // The module's path is that of the shared library holding this code.
  HRESULT Register() const;
  HRESULT Unregister() const;

 private:
  const LibraryDescription& library_;
  std::vector<ClassEntry> classes_;
};

// ---- Host side.

// The class registered under a ProgID; REGDB_E_CLASSNOTREG when there is none.
HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid);
// Loads the module registered for the class (once; modules stay loaded for
// the life of the process) and creates an object. Failures leave a message as
// error information.
HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, void** object);
// Creates by ProgID; when the ProgID is not registered, or its registration
// names another module or one that is no longer there, registers `module` first.
HRESULT CreateByProgID(const char* progId, const char* module, const IID& iid, void** object);
// Loads a module by path and calls its DllRegisterServer or DllUnregisterServer.
HRESULT RegisterModule(const char* path);
HRESULT UnregisterModule(const char* path);
// The module's DllCanUnloadNow, S_OK for a module that is not loaded.
HRESULT ModuleCanUnloadNow(const char* path);

// Defines the four exports of a module over `module`, a function returning
// its ComModule.
#define VELKO_COM_MODULE_EXPORTS(module)                                                                          \
  extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID* clsid, const IID* iid, \
                                                                              void** object) {                    \
    return module().GetClassObject(clsid, iid, object);                                                           \
  }                                                                                                               \
  extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() { return module().CanUnloadNow(); } \
  extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() { return module().Register(); }   \
  extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer() { return module().Unregister(); }
