#include "com_server.h"

#include <dlfcn.h>

#include <QFileInfo>
#include <map>
#include <string>

#include "registry.h"

namespace {

class ClassObject : public ComObject<IClassFactory> {
 public:
  explicit ClassObject(const ClassEntry& entry) : entry_(entry) {}

  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return GuardedCall(IID_IClassFactory, [&] {
      const ComPtr<IUnknown> created(entry_.create());
      return created ? created->QueryInterface(iid, object) : E_OUTOFMEMORY;
    });
  }
  HRESULT LockServer(bool lock) override {
    lock ? ++ModuleObjectCount() : --ModuleObjectCount();
    return S_OK;
  }

 private:
  void* FindInterface(const IID& iid) override {
    return iid == IID_IUnknown || iid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
  }

  const ClassEntry& entry_;
};

struct RegEntry {
  const char* name;  // empty: the key's default value
  std::string value;
};

bool WriteKey(const std::string& path, const std::vector<RegEntry>& values) {
  const std::unique_ptr<RegKey> key = RegKey::Create(HKEY_CLASSES_ROOT, path.c_str());
  if (!key) return false;
  for (const RegEntry& entry : values)
    key->SetValue(entry.name, REG_SZ, QByteArrayView(entry.value.data(), qsizetype(entry.value.size())));
  return key->Flush();
}

bool DeleteKey(const std::string& path) {
  const std::unique_ptr<RegKey> key = RegKey::Create(HKEY_CLASSES_ROOT, path.c_str());
  if (!key) return false;
  key->DeleteTree();
  return key->Flush();
}

std::optional<std::string> ReadDefault(const std::string& path) {
  const std::unique_ptr<RegKey> key = RegKey::Create(HKEY_CLASSES_ROOT, path.c_str());
  if (!key) return std::nullopt;
  const std::optional<RegValue> value = key->QueryValue("");
  if (!value || value->type != REG_SZ) return std::nullopt;
  std::string text = value->data.toStdString();
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

// dlopen searches the library path for a name without "/": modules are always
// named by absolute path.
std::string AbsolutePath(const char* path) {
  if (!path || !*path) return {};
  return QFileInfo(QString::fromLocal8Bit(path)).absoluteFilePath().toLocal8Bit().toStdString();
}

std::optional<std::string> RegisteredModule(const CLSID& clsid) {
  return ReadDefault("CLSID\\" + GuidToString(clsid) + "\\InprocServer32");
}

// Builds of different configurations share one registry folder: a host takes
// the module it was built with, not whichever build registered last.
bool RegisteredAs(const std::optional<std::string>& registered, const char* module) {
  return registered && *registered == AbsolutePath(module) && QFileInfo::exists(QString::fromLocal8Bit(registered->c_str()));
}

std::string OwnModulePath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnModulePath), &info)) return {};
  return AbsolutePath(info.dli_fname);
}

std::string VersionText(const LibraryDescription& library) {
  return std::to_string(library.major) + "." + std::to_string(library.minor);
}

bool RegisterLibrary(const LibraryDescription& library, const std::string& modulePath) {
  const std::string libid = GuidToString(library.libid);
  const std::string base = "TypeLib\\" + libid + "\\" + VersionText(library);
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "%x", library.lcid);
  bool ok = WriteKey(base, {{"", library.help}}) && WriteKey(base + "\\FLAGS", {{"", std::to_string(library.flags)}}) &&
            WriteKey(base + "\\" + lcid + "\\linux", {{"", modulePath}});
  for (const InterfaceDescription* type : library.interfaces)
    ok = ok && WriteKey("Interface\\" + GuidToString(type->iid),
                        {{"", type->name}, {"TypeLib", libid}, {"Version", VersionText(library)}});
  return ok;
}

bool RegisterClass(const LibraryDescription& library, const ClassEntry& entry, const std::string& modulePath) {
  const std::string clsid = GuidToString(entry.type->clsid);
  const std::string base = "CLSID\\" + clsid;
  bool ok = WriteKey(base, {{"", entry.type->help}}) &&
            WriteKey(base + "\\InprocServer32", {{"", modulePath}, {"ThreadingModel", "Apartment"}}) &&
            WriteKey(base + "\\ProgID", {{"", entry.progId}}) &&
            WriteKey(base + "\\TypeLib", {{"", GuidToString(library.libid)}}) &&
            WriteKey(base + "\\Version", {{"", VersionText(library)}}) &&
            WriteKey(entry.progId, {{"", entry.type->help}}) &&
            WriteKey(std::string(entry.progId) + "\\CLSID", {{"", clsid}});
  if (ok && (entry.type->flags & kControl)) {
    ok = WriteKey(base + "\\Control", {{"", ""}}) && WriteKey(base + "\\MiscStatus", {{"", "0"}}) &&
         WriteKey(base + "\\MiscStatus\\1", {{"", std::to_string(entry.miscStatus)}}) &&
         WriteKey(base + "\\ToolboxBitmap32", {{"", modulePath + ",1"}}) &&
         WriteKey(base + "\\Verb\\0", {{"", "Properties,0,2"}});
  }
  return ok;
}

struct LoadedModule {
  void* handle = nullptr;
};

std::map<std::string, LoadedModule>& LoadedModules() {
  static std::map<std::string, LoadedModule> modules;
  return modules;
}

HRESULT Fail(HRESULT hr, const QString& message) {
  SetErrorMessage(IID_IClassFactory, message);
  return hr;
}

// Loads a module once; null with error information when it cannot be loaded.
void* LoadModule(const std::string& path) {
  LoadedModule& module = LoadedModules()[path];
  if (module.handle) return module.handle;
  module.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module.handle) {
    const char* reason = dlerror();
    Fail(CO_E_DLLNOTFOUND,
         QStringLiteral("cannot load module %1: %2")
             .arg(QString::fromLocal8Bit(path.c_str()), QString::fromLocal8Bit(reason ? reason : "")));
    LoadedModules().erase(path);
    return nullptr;
  }
  return module.handle;
}

template <class Fn>
HRESULT ModuleExport(const std::string& path, const char* name, Fn* fn) {
  void* handle = LoadModule(path);
  if (!handle) return CO_E_DLLNOTFOUND;
  *fn = reinterpret_cast<Fn>(dlsym(handle, name));
  if (!*fn)
    return Fail(CO_E_ERRORINDLL,
                QStringLiteral("module %1 does not export %2").arg(QString::fromLocal8Bit(path.c_str()), name));
  return S_OK;
}

}  // namespace

ComModule::ComModule(const LibraryDescription& library, std::vector<ClassEntry> classes)
    : library_(library), classes_(std::move(classes)) {}

HRESULT ComModule::GetClassObject(const CLSID* clsid, const IID* iid, void** object) const {
  if (!clsid || !iid || !object) return E_POINTER;
  *object = nullptr;
  for (const ClassEntry& entry : classes_) {
    if (!(entry.type->clsid == *clsid)) continue;
    return GuardedCall(IID_IClassFactory, [&] {
      const ComPtr<IClassFactory> factory(new ClassObject(entry));
      return factory->QueryInterface(*iid, object);
    });
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ComModule::CanUnloadNow() const { return ModuleObjectCount() == 0 ? S_OK : S_FALSE; }

HRESULT ComModule::Register() const {
  return GuardedCall(IID_IClassFactory, [&] {
    const std::string path = OwnModulePath();
    bool ok = !path.empty() && RegisterLibrary(library_, path);
    for (const ClassEntry& entry : classes_) ok = ok && RegisterClass(library_, entry, path);
    return ok ? S_OK : SELFREG_E_CLASS;
  });
}

HRESULT ComModule::Unregister() const {
  return GuardedCall(IID_IClassFactory, [&] {
    bool ok = DeleteKey("TypeLib\\" + GuidToString(library_.libid));
    for (const InterfaceDescription* type : library_.interfaces)
      ok = DeleteKey("Interface\\" + GuidToString(type->iid)) && ok;
    for (const ClassEntry& entry : classes_)
      ok = DeleteKey("CLSID\\" + GuidToString(entry.type->clsid)) && DeleteKey(entry.progId) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
  });
}

HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid) {
  if (!progId || !clsid) return E_POINTER;
  const std::optional<std::string> text = ReadDefault(std::string(progId) + "\\CLSID");
  if (!text) return REGDB_E_CLASSNOTREG;
  const std::optional<GUID> parsed = GuidFromString(*text);
  if (!parsed) return CO_E_CLASSSTRING;
  *clsid = *parsed;
  return S_OK;
}

HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const std::optional<std::string> path = RegisteredModule(clsid);
  if (!path || path->empty())
    return Fail(REGDB_E_CLASSNOTREG,
                QStringLiteral("class %1 is not registered").arg(QString::fromStdString(GuidToString(clsid))));
  DllGetClassObjectFn getClassObject = nullptr;
  HRESULT hr = ModuleExport(*path, "DllGetClassObject", &getClassObject);
  if (FAILED(hr)) return hr;
  ComPtr<IClassFactory> factory;
  hr = getClassObject(&clsid, &IID_IClassFactory, factory.PutVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, iid, object);
}

HRESULT CreateByProgID(const char* progId, const char* module, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(progId, &clsid)) || !RegisteredAs(RegisteredModule(clsid), module)) {
    const HRESULT hr = RegisterModule(module);
    if (FAILED(hr)) return hr;
    const HRESULT found = CLSIDFromProgID(progId, &clsid);
    if (FAILED(found))
      return Fail(found, QStringLiteral("module %1 does not register %2").arg(QString::fromLocal8Bit(module), progId));
  }
  return CoCreateInstance(clsid, iid, object);
}

HRESULT RegisterModule(const char* path) {
  DllRegisterServerFn fn = nullptr;
  const HRESULT hr = ModuleExport(AbsolutePath(path), "DllRegisterServer", &fn);
  return FAILED(hr) ? hr : fn();
}

HRESULT UnregisterModule(const char* path) {
  DllUnregisterServerFn fn = nullptr;
  const HRESULT hr = ModuleExport(AbsolutePath(path), "DllUnregisterServer", &fn);
  return FAILED(hr) ? hr : fn();
}

HRESULT ModuleCanUnloadNow(const char* path) {
  const auto it = LoadedModules().find(AbsolutePath(path));
  if (it == LoadedModules().end()) return S_OK;
  DllCanUnloadNowFn fn = nullptr;
  const HRESULT hr = ModuleExport(it->first, "DllCanUnloadNow", &fn);
  return FAILED(hr) ? hr : fn();
}
