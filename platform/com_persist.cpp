#include "com_persist.h"

namespace {

const MemberDescription* PersistedProperty(const InterfaceDescription& type, const PersistEntry& entry) {
  const MemberDescription* member = type.Find(entry.id);
  return member && member->kind == MemberKind::Property && !member->readOnly ? member : nullptr;
}

QString NameOf(const char16_t* name) { return name ? QString::fromUtf16(name) : QString(); }

}  // namespace

HRESULT LoadFromPropertyBag(IDispatch* object, const InterfaceDescription& type, const std::vector<PersistEntry>& map,
                            IPropertyBag* bag) {
  if (!object || !bag) return E_POINTER;
  for (const PersistEntry& entry : map) {
    if (!PersistedProperty(type, entry)) continue;
    const QString name = QString::fromLatin1(entry.name);
    ComVariant value;
    if (FAILED(bag->Read(reinterpret_cast<const char16_t*>(name.utf16()), &value))) continue;
    const DispatchOutcome put = DispatchCall(object, entry.id, DISPATCH_PROPERTYPUT, {value});
    if (FAILED(put.hr)) {
      if (!put.error.isEmpty()) SetErrorMessage(type.iid, put.error);
      return put.hr;
    }
  }
  return S_OK;
}

HRESULT SaveToPropertyBag(IDispatch* object, const InterfaceDescription& type, const std::vector<PersistEntry>& map,
                          IPropertyBag* bag) {
  if (!object || !bag) return E_POINTER;
  for (const PersistEntry& entry : map) {
    if (!PersistedProperty(type, entry)) continue;
    const DispatchOutcome got = DispatchCall(object, entry.id, DISPATCH_PROPERTYGET);
    if (FAILED(got.hr)) return got.hr;
    const QString name = QString::fromLatin1(entry.name);
    const HRESULT hr = bag->Write(reinterpret_cast<const char16_t*>(name.utf16()), &got.value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT SafeForScriptingOptions(uint32_t* supported, uint32_t* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = *enabled = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  return S_OK;
}

HRESULT SetSafeForScriptingOptions(uint32_t mask, uint32_t enabled) {
  constexpr uint32_t kSafe = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  // Both options are always on: asking to turn one off cannot be honoured.
  return (mask & ~kSafe) || (enabled & mask) != mask ? E_FAIL : S_OK;
}

PropertyBag::PropertyBag(std::vector<std::pair<QString, QString>> values) : values_(std::move(values)) {}

std::pair<QString, QString>* PropertyBag::Find(const QString& name) {
  for (auto& value : values_)
    if (value.first.compare(name, Qt::CaseInsensitive) == 0) return &value;
  return nullptr;
}

HRESULT PropertyBag::Read(const char16_t* name, VARIANT* value) {
  if (!value) return E_POINTER;
  const auto* found = Find(NameOf(name));
  if (!found) return E_INVALIDARG;
  VariantClear(value);
  value->vt = VT_BSTR;
  value->bstrVal = BstrFromQString(found->second);
  return S_OK;
}

HRESULT PropertyBag::Write(const char16_t* name, const VARIANT* value) {
  if (!value) return E_POINTER;
  ComVariant text;
  const HRESULT hr = VariantChangeType(&text, value, VT_BSTR);
  if (FAILED(hr)) return hr;
  auto* found = Find(NameOf(name));
  if (found)
    found->second = text.ToQString();
  else
    values_.emplace_back(NameOf(name), text.ToQString());
  return S_OK;
}

void* PropertyBag::FindInterface(const IID& iid) {
  return iid == IID_IUnknown || iid == IID_IPropertyBag ? static_cast<IPropertyBag*>(this) : nullptr;
}
