#include "com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "U_codepage.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` hex digits at `text[at]`; false on anything else.
bool ReadHex(std::string_view text, size_t at, int digits, uint64_t* value) {
  *value = 0;
  for (int i = 0; i < digits; ++i) {
    const int digit = HexValue(text[at + i]);
    if (digit < 0) return false;
    *value = *value * 16 + uint64_t(digit);
  }
  return true;
}

// The length prefix sits just before the characters, as in the platform this mirrors.
uint32_t* LengthSlot(BSTR text) { return reinterpret_cast<uint32_t*>(text) - 1; }

class MessageErrorInfo : public ComObject<IErrorInfo> {
 public:
  MessageErrorInfo(const IID& iid, const QString& message) : iid_(iid), message_(message) {}
  HRESULT GetGUID(GUID* iid) override {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
  }
  HRESULT GetDescription(BSTR* description) override {
    if (!description) return E_POINTER;
    *description = BstrFromQString(message_);
    return S_OK;
  }

 private:
  void* FindInterface(const IID& iid) override {
    if (iid == IID_IUnknown || iid == IID_IErrorInfo) return static_cast<IErrorInfo*>(this);
    return nullptr;
  }

  IID iid_;
  QString message_;
};

}  // namespace

std::string GuidToString(const GUID& g) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

std::optional<GUID> GuidFromString(std::string_view text) {
  if (text.size() != 38 || text[0] != '{' || text[37] != '}') return std::nullopt;
  for (size_t dash : {9u, 14u, 19u, 24u})
    if (text[dash] != '-') return std::nullopt;
  GUID g{};
  uint64_t v;
  if (!ReadHex(text, 1, 8, &v)) return std::nullopt;
  g.Data1 = uint32_t(v);
  if (!ReadHex(text, 10, 4, &v)) return std::nullopt;
  g.Data2 = uint16_t(v);
  if (!ReadHex(text, 15, 4, &v)) return std::nullopt;
  g.Data3 = uint16_t(v);
  constexpr size_t kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, kByteAt[i], 2, &v)) return std::nullopt;
    g.Data4[i] = uint8_t(v);
  }
  return g;
}

std::atomic<long>& ModuleObjectCount() {
  static std::atomic<long> count{0};
  return count;
}

BSTR SysAllocStringLen(const char16_t* text, uint32_t length) {
  // The prefix counts bytes in 32 bits.
  if (length > UINT32_MAX / sizeof(char16_t) - 1) return nullptr;
  auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (size_t(length) + 1) * sizeof(char16_t)));
  if (!block) return nullptr;
  *block = length * sizeof(char16_t);
  BSTR result = reinterpret_cast<BSTR>(block + 1);
  if (text)
    std::memcpy(result, text, length * sizeof(char16_t));
  else
    std::memset(result, 0, length * sizeof(char16_t));
  result[length] = 0;
  return result;
}

BSTR SysAllocString(const char16_t* text) {
  if (!text) return nullptr;
  uint32_t length = 0;
  while (text[length]) ++length;
  return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
  if (text) std::free(LengthSlot(text));
}

uint32_t SysStringLen(BSTR text) { return text ? *LengthSlot(text) / sizeof(char16_t) : 0; }

BSTR BstrFromQString(const QString& text) {
  return SysAllocStringLen(reinterpret_cast<const char16_t*>(text.utf16()), uint32_t(text.size()));
}

QString QStringFromBstr(BSTR text) { return QString::fromUtf16(text, qsizetype(SysStringLen(text))); }

BSTR BstrFromCp949(const char* text) {
  return BstrFromQString(DecodeText(text ? text : "", text ? std::strlen(text) : 0, TextCoding::Cp949));
}

std::string Cp949FromBstr(BSTR text) { return EncodeText(QStringFromBstr(text)); }

void VariantInit(VARIANT* value) {
  value->vt = VT_EMPTY;
  value->punkVal = nullptr;
}

void VariantClear(VARIANT* value) {
  if (value->vt == VT_BSTR) SysFreeString(value->bstrVal);
  if ((value->vt == VT_UNKNOWN || value->vt == VT_DISPATCH) && value->punkVal) value->punkVal->Release();
  VariantInit(value);
}

HRESULT VariantCopy(VARIANT* target, const VARIANT* source) {
  if (target == source) return S_OK;
  VariantClear(target);
  *target = *source;
  if (source->vt == VT_BSTR && source->bstrVal) {
    target->bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (!target->bstrVal) {
      VariantInit(target);
      return E_OUTOFMEMORY;
    }
  }
  if ((source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) && source->punkVal) source->punkVal->AddRef();
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, VARTYPE type) {
  VARIANT result;
  VariantInit(&result);
  result.vt = type;
  if (source->vt == type) return VariantCopy(target, source);
  if (type == VT_BSTR && source->vt == VT_I4) {
    result.bstrVal = BstrFromQString(QString::number(source->lVal));
  } else if (type == VT_BSTR && source->vt == VT_BOOL) {
    result.bstrVal = BstrFromQString(source->boolVal ? QStringLiteral("True") : QStringLiteral("False"));
  } else if (type == VT_BSTR && source->vt == VT_EMPTY) {
    result.bstrVal = SysAllocStringLen(nullptr, 0);
  } else if (type == VT_I4 && source->vt == VT_BSTR) {
    bool ok = false;
    result.lVal = QStringFromBstr(source->bstrVal).trimmed().toInt(&ok);
    if (!ok) return DISP_E_TYPEMISMATCH;
  } else if (type == VT_I4 && source->vt == VT_BOOL) {
    result.lVal = source->boolVal ? -1 : 0;
  } else if (type == VT_BOOL && source->vt == VT_I4) {
    result.boolVal = source->lVal ? -1 : 0;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  if (type == VT_BSTR && !result.bstrVal) return E_OUTOFMEMORY;
  VariantClear(target);
  *target = result;
  return S_OK;
}

ComVariant::ComVariant(const QString& text) {
  vt = VT_BSTR;
  bstrVal = BstrFromQString(text);
}

ComVariant::ComVariant(int32_t number) {
  vt = VT_I4;
  lVal = number;
}

ComVariant ComVariant::Flag(bool flag) {
  ComVariant value;
  value.vt = VT_BOOL;
  value.boolVal = flag ? -1 : 0;
  return value;
}

ComVariant::ComVariant(const ComVariant& other) : ComVariant() { VariantCopy(this, &other); }

ComVariant& ComVariant::operator=(const ComVariant& other) {
  VariantCopy(this, &other);
  return *this;
}

QString ComVariant::ToQString() const {
  ComVariant text;
  if (FAILED(VariantChangeType(&text, this, VT_BSTR))) return QString();
  return QStringFromBstr(text.bstrVal);
}

void SetErrorMessage(const IID& iid, const QString& message) {
  const ComPtr<IErrorInfo> info(new MessageErrorInfo(iid, message));
  SetErrorInfo(0, info.Get());
}

std::optional<QString> TakeErrorMessage() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Put()) != S_OK || !info) return std::nullopt;
  ComBstr description;
  info->GetDescription(description.Put());
  return description.ToQString();
}

HRESULT FailWithMessage(const IID& iid, const char* message) noexcept {
  try {
    SetErrorMessage(iid, QString::fromUtf8(message));
  } catch (...) {
    // Out of memory while recording: the failure result still stands.
  }
  return E_FAIL;
}
