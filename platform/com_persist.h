// Persistence through a property bag (named values put by DISPID, as a page's
// object parameters reach a control) and object safety for scripted callers.
#pragma once

#include <utility>
#include <vector>

#include "com_dispatch.h"

inline constexpr IID IID_IPropertyBag{0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr IID IID_IPersistPropertyBag{
    0x37D84F60, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr IID IID_IObjectSafety{0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};

class IPropertyBag : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IPropertyBag;
  // E_INVALIDARG when the bag has no value of that name.
  virtual HRESULT Read(const char16_t* name, VARIANT* value) = 0;
  virtual HRESULT Write(const char16_t* name, const VARIANT* value) = 0;
};

class IPersistPropertyBag : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IPersistPropertyBag;
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
  virtual HRESULT InitNew() = 0;
  virtual HRESULT Load(IPropertyBag* bag) = 0;
  virtual HRESULT Save(IPropertyBag* bag, bool clearDirty, bool saveAll) = 0;
};

enum : uint32_t { INTERFACESAFE_FOR_UNTRUSTED_CALLER = 1, INTERFACESAFE_FOR_UNTRUSTED_DATA = 2 };

class IObjectSafety : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IObjectSafety;
  virtual HRESULT GetInterfaceSafetyOptions(const IID& iid, uint32_t* supported, uint32_t* enabled) = 0;
  virtual HRESULT SetInterfaceSafetyOptions(const IID& iid, uint32_t mask, uint32_t enabled) = 0;
};

// One entry of a class's persistence map.
struct PersistEntry {
  const char* name;
  DISPID id;
};

// Puts every bag value named in `map` through `object` by its DISPID. Names
// the bag lacks and entries that are not properties are skipped; a put that
// fails ends the load with its result.
HRESULT LoadFromPropertyBag(IDispatch* object, const InterfaceDescription& type, const std::vector<PersistEntry>& map,
                            IPropertyBag* bag);
// Writes the value of every property entry of `map` into the bag.
HRESULT SaveToPropertyBag(IDispatch* object, const InterfaceDescription& type, const std::vector<PersistEntry>& map,
                          IPropertyBag* bag);

// The answers of an object safe for untrusted callers and data on every interface.
HRESULT SafeForScriptingOptions(uint32_t* supported, uint32_t* enabled);
HRESULT SetSafeForScriptingOptions(uint32_t mask, uint32_t enabled);

// A property bag over named strings, as a host builds one from a page.
// Names are found without regard to letter case; the first of equal names wins.
class PropertyBag : public ComObject<IPropertyBag> {
 public:
  explicit PropertyBag(std::vector<std::pair<QString, QString>> values = {});
  HRESULT Read(const char16_t* name, VARIANT* value) override;
  HRESULT Write(const char16_t* name, const VARIANT* value) override;
  const std::vector<std::pair<QString, QString>>& values() const { return values_; }

 private:
  void* FindInterface(const IID& iid) override;
  std::pair<QString, QString>* Find(const QString& name);

  std::vector<std::pair<QString, QString>> values_;
};
