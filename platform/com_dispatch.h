// Type descriptions (library, interfaces, classes, enumerations) as data, and
// late-bound calls over them: IDispatch with names found without regard to
// letter case, arguments checked and converted before a member runs.
#pragma once

#include <QString>
#include <string_view>
#include <vector>

#include "com.h"

inline constexpr IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

enum : uint16_t { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

// Arguments in reverse order, as callers of IDispatch pass them.
struct DISPPARAMS {
  VARIANT* rgvarg;
  DISPID* rgdispidNamedArgs;
  uint32_t cArgs;
  uint32_t cNamedArgs;
};

struct EXCEPINFO {
  uint16_t wCode;
  BSTR bstrSource;
  BSTR bstrDescription;
  HRESULT scode;
};

class IDispatch : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IDispatch;
  virtual HRESULT GetIDsOfNames(const IID& reserved, const char16_t* const* names, uint32_t count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, const IID& reserved, LCID lcid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, uint32_t* argumentError) = 0;
};

enum class MemberKind { Method, Property };

struct ParamDescription {
  const char* name;
  VARTYPE type;
  bool optional = false;  // a caller may leave it off (it arrives empty)
};

struct MemberDescription {
  DISPID id;
  const char* name;
  MemberKind kind;
  VARTYPE type;  // a property's type, a method's result (VT_EMPTY: none)
  std::vector<ParamDescription> params;
  bool readOnly = false;  // a property without a put
};

enum InterfaceFlags : uint32_t { kDualInterface = 1, kDispatchOnly = 2, kAutomation = 4 };

struct InterfaceDescription {
  IID iid;
  const char* name;
  const char* help;
  uint32_t flags;
  std::vector<MemberDescription> members;

  // Null when the interface has no such member.
  const MemberDescription* Find(DISPID id) const;
  const MemberDescription* Find(std::string_view name) const;
};

struct EnumDescription {
  const char* name;
  std::vector<std::pair<const char*, int32_t>> values;
};

enum ClassFlags : uint32_t { kCreatable = 1, kControl = 2 };

struct ClassDescription {
  CLSID clsid;
  const char* name;
  const char* help;
  uint32_t flags;
  const InterfaceDescription* defaultInterface;
  const InterfaceDescription* defaultSource;
};

enum LibraryFlags : uint32_t { kControlLibrary = 2 };

struct LibraryDescription {
  GUID libid;
  const char* name;
  const char* help;
  uint16_t major;
  uint16_t minor;
  LCID lcid;
  uint32_t flags;
  std::vector<const InterfaceDescription*> interfaces;
  std::vector<const ClassDescription*> classes;
  std::vector<EnumDescription> enums;
};

// The object side of a dispatch call: runs one member with its arguments in
// declaration order, already converted to the declared types. `result`
// arrives typed as the member declares; the member fills in its value.
class DispatchTarget {
 public:
  virtual HRESULT InvokeMember(const MemberDescription& member, uint16_t flags, VARIANT* args, VARIANT* result) = 0;

 protected:
  ~DispatchTarget() = default;
};

HRESULT DispatchGetIDsOfNames(const InterfaceDescription& type, const char16_t* const* names, uint32_t count,
                              DISPID* ids);
// Checks kind and argument count, converts the arguments, runs the member. A
// failure with error information, or an exception, comes back as
// DISP_E_EXCEPTION with its message in `exception`.
HRESULT DispatchInvoke(const InterfaceDescription& type, DispatchTarget& target, DISPID id, uint16_t flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, uint32_t* argumentError);

void ClearExcepInfo(EXCEPINFO* exception);

// ---- Caller side: what a host or a page script does.

struct DispatchOutcome {
  HRESULT hr = S_OK;
  ComVariant value;
  QString error;  // the callee's message on failure

  bool ok() const { return SUCCEEDED(hr); }
};

HRESULT DispatchIdOf(IDispatch* object, const QString& name, DISPID* id);
// Arguments in natural order; `flags` as for Invoke.
DispatchOutcome DispatchCall(IDispatch* object, DISPID id, uint16_t flags, std::vector<ComVariant> args = {});
DispatchOutcome DispatchCall(IDispatch* object, const QString& name, uint16_t flags, std::vector<ComVariant> args = {});
// A readable text for a failed call: the callee's message, else the result code.
QString DescribeFailure(const DispatchOutcome& outcome);
