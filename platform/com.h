// The core of the component layer: result codes, GUIDs, reference-counted
// interfaces, automation strings and values, and per-thread error information.
// Only what an in-process module and its host on this platform use.
#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>

using HRESULT = int32_t;
using DISPID = int32_t;
using LCID = uint32_t;
using VARTYPE = uint16_t;

constexpr HRESULT MakeHresult(uint32_t code) { return static_cast<HRESULT>(code); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHresult(0x80020003);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeHresult(0x80020009);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000E);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHresult(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = MakeHresult(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = MakeHresult(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = MakeHresult(0x80040202);
inline constexpr HRESULT SELFREG_E_CLASS = MakeHresult(0x80040201);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeHresult(0x8004018C);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeHresult(0x800401F9);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeHresult(0x800401F3);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];

  friend constexpr bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (a.Data4[i] != b.Data4[i]) return false;
    return true;
  }
};
using IID = GUID;
using CLSID = GUID;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry keeps it.
std::string GuidToString(const GUID& guid);
// Accepts the braced form in either case; empty for anything else.
std::optional<GUID> GuidFromString(std::string_view text);

inline constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Holds one reference; the raw pointer crosses module boundaries, this never does.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(T* p) : p_(p) {  // NOLINT: adopting a pointer AddRefs it, as in COM
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already owns.
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // For out-parameters: releases what is held and hands the slot over.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(U::kIID, result.PutVoid());
    return result;
  }

 private:
  T* p_ = nullptr;
};

// Objects alive in this module plus LockServer locks; the module may unload at 0.
std::atomic<long>& ModuleObjectCount();

// Reference counting for a class implementing one or more interfaces.
// Derived classes answer QueryInterface through FindInterface.
template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() { ++ModuleObjectCount(); }
  virtual ~ComObject() { --ModuleObjectCount(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = FindInterface(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    const uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  // The interface pointer for `iid`, null when it is not offered.
  virtual void* FindInterface(const IID& iid) = 0;

 private:
  uint32_t refs_ = 0;
};

// Creates an object and hands out its first reference.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// ---- Automation strings: UTF-16, length-prefixed, freed by whoever receives them.

using BSTR = char16_t*;

BSTR SysAllocStringLen(const char16_t* text, uint32_t length);
BSTR SysAllocString(const char16_t* text);
void SysFreeString(BSTR text);
uint32_t SysStringLen(BSTR text);

BSTR BstrFromQString(const QString& text);
QString QStringFromBstr(BSTR text);
// The system's 8-bit strings are CP949; a character CP949 lacks becomes "?".
BSTR BstrFromCp949(const char* text);
std::string Cp949FromBstr(BSTR text);

// Owns one automation string.
class ComBstr {
 public:
  ComBstr() = default;
  explicit ComBstr(const QString& text) : s_(BstrFromQString(text)) {}
  ComBstr(ComBstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
  ComBstr& operator=(ComBstr&& other) noexcept {
    std::swap(s_, other.s_);
    return *this;
  }
  ~ComBstr() { SysFreeString(s_); }

  BSTR Get() const { return s_; }
  BSTR* Put() {
    SysFreeString(std::exchange(s_, nullptr));
    return &s_;
  }
  BSTR Detach() { return std::exchange(s_, nullptr); }
  QString ToQString() const { return QStringFromBstr(s_); }

 private:
  BSTR s_ = nullptr;
};

// ---- Automation values for dispatch arguments and results.

enum : VARTYPE { VT_EMPTY = 0, VT_I4 = 3, VT_BSTR = 8, VT_DISPATCH = 9, VT_BOOL = 11, VT_UNKNOWN = 13 };

class IDispatch;

struct VARIANT {
  VARTYPE vt;
  union {
    int32_t lVal;
    int16_t boolVal;  // -1 true, 0 false
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
  };
};

void VariantInit(VARIANT* value);
// Frees what the value owns and leaves it empty.
void VariantClear(VARIANT* value);
HRESULT VariantCopy(VARIANT* target, const VARIANT* source);
// Converts between the scalar kinds and strings; DISP_E_TYPEMISMATCH otherwise.
HRESULT VariantChangeType(VARIANT* target, const VARIANT* source, VARTYPE type);

// Owns one value.
class ComVariant : public VARIANT {
 public:
  ComVariant() { VariantInit(this); }
  explicit ComVariant(const QString& text);
  explicit ComVariant(int32_t number);
  static ComVariant Flag(bool flag);
  ComVariant(const ComVariant& other);
  ComVariant& operator=(const ComVariant& other);
  ~ComVariant() { VariantClear(this); }

  // The value as text; empty when it has no text form.
  QString ToQString() const;
};

// ---- Error information: the message of the last failure on this thread.

inline constexpr IID IID_IErrorInfo{0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xC6, 0xF3}};
inline constexpr IID IID_ISupportErrorInfo{
    0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xC6, 0xF3}};

class IErrorInfo : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IErrorInfo;
  virtual HRESULT GetGUID(GUID* iid) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
};

class ISupportErrorInfo : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_ISupportErrorInfo;
  virtual HRESULT InterfaceSupportsErrorInfo(const IID& iid) = 0;
};

// The store is process-wide (one for the host and all its modules), per thread.
extern "C" void SetErrorInfo(uint32_t reserved, IErrorInfo* info);
// Hands over the stored information and clears the store; S_FALSE when empty.
extern "C" HRESULT GetErrorInfo(uint32_t reserved, IErrorInfo** info);

// Stores `message` as the error information of interface `iid`.
void SetErrorMessage(const IID& iid, const QString& message);
// Takes the stored message; nothing when no information is stored.
std::optional<QString> TakeErrorMessage();

// Runs a member's body; an exception becomes E_FAIL with its message as the
// error information, so nothing is ever thrown out of a member.
template <class Body>
HRESULT GuardedCall(const IID& iid, Body&& body) noexcept;

HRESULT FailWithMessage(const IID& iid, const char* message) noexcept;

template <class Body>
HRESULT GuardedCall(const IID& iid, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& failure) {
    return FailWithMessage(iid, failure.what());
  } catch (...) {
    return FailWithMessage(iid, "");
  }
}
