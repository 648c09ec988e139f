#include "com_dispatch.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(uchar(x)) == std::tolower(uchar(y));
         });
}

bool KindAllows(const MemberDescription& member, uint16_t flags) {
  if (member.kind == MemberKind::Method) return flags & DISPATCH_METHOD;
  if (member.readOnly) return flags & DISPATCH_PROPERTYGET;
  return flags & (DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT);
}

// A property call is a put when asked for one; a combined get/method call on a
// property (as scripts make) is a get.
uint16_t EffectiveFlags(const MemberDescription& member, uint16_t flags) {
  if (member.kind == MemberKind::Method) return DISPATCH_METHOD;
  return (flags & DISPATCH_PROPERTYPUT) ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET;
}

bool ArgumentCountFits(const MemberDescription& member, uint16_t flags, size_t count) {
  if (member.kind == MemberKind::Property) return count == (flags == DISPATCH_PROPERTYPUT ? 1u : 0u);
  const auto required = std::count_if(member.params.begin(), member.params.end(),
                                      [](const ParamDescription& param) { return !param.optional; });
  return count >= size_t(required) && count <= member.params.size();
}

VARTYPE ArgumentType(const MemberDescription& member, size_t index) {
  return member.kind == MemberKind::Property ? member.type : member.params[index].type;
}

// An out-parameter: whatever the caller left in it is not ours to free.
void FillException(EXCEPINFO* exception, const QString& message, HRESULT hr) {
  if (exception) *exception = EXCEPINFO{0, nullptr, BstrFromQString(message), hr};
}

// Converts the caller's reversed arguments into declaration order.
HRESULT ConvertArguments(const MemberDescription& member, const DISPPARAMS& params, std::vector<ComVariant>* args,
                         uint32_t* argumentError) {
  const size_t count = params.cArgs;
  // Optional arguments left off arrive as empty values of their type.
  args->resize(member.kind == MemberKind::Method ? member.params.size() : count);
  for (size_t i = count; i < args->size(); ++i) (*args)[i].vt = member.params[i].type;
  for (size_t i = 0; i < count; ++i) {
    const VARIANT& given = params.rgvarg[count - 1 - i];
    const HRESULT hr = VariantChangeType(&(*args)[i], &given, ArgumentType(member, i));
    if (FAILED(hr)) {
      if (argumentError) *argumentError = uint32_t(count - 1 - i);
      return hr;
    }
  }
  return S_OK;
}

}  // namespace

const MemberDescription* InterfaceDescription::Find(DISPID id) const {
  for (const MemberDescription& member : members)
    if (member.id == id) return &member;
  return nullptr;
}

const MemberDescription* InterfaceDescription::Find(std::string_view name) const {
  for (const MemberDescription& member : members)
    if (SameNameIgnoringCase(member.name, name)) return &member;
  return nullptr;
}

HRESULT DispatchGetIDsOfNames(const InterfaceDescription& type, const char16_t* const* names, uint32_t count,
                              DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (uint32_t i = 0; i < count; ++i) {
    const QByteArray name = names[i] ? QString::fromUtf16(names[i]).toUtf8() : QByteArray();
    // Only the member name is looked up; named arguments are not supported.
    const MemberDescription* member = i == 0 ? type.Find(std::string_view(name.constData(), name.size())) : nullptr;
    ids[i] = member ? member->id : DISPID_UNKNOWN;
    if (!member) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT DispatchInvoke(const InterfaceDescription& type, DispatchTarget& target, DISPID id, uint16_t flags,
                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, uint32_t* argumentError) {
  const MemberDescription* member = type.Find(id);
  if (!member || !KindAllows(*member, flags)) return DISP_E_MEMBERNOTFOUND;
  const DISPPARAMS none{nullptr, nullptr, 0, 0};
  const DISPPARAMS& given = params ? *params : none;
  const uint16_t effective = EffectiveFlags(*member, flags);
  const uint32_t positional = given.cArgs;
  if (!ArgumentCountFits(*member, effective, positional)) return DISP_E_BADPARAMCOUNT;
  if (positional && !given.rgvarg) return E_POINTER;
  std::vector<ComVariant> args;
  HRESULT hr = ConvertArguments(*member, given, &args, argumentError);
  if (FAILED(hr)) return hr;
  ComVariant scratch;
  VARIANT* out = result ? result : &scratch;
  if (result) VariantClear(result);
  // The member fills the value of the declared type; a put has none.
  if (effective != DISPATCH_PROPERTYPUT) out->vt = member->type;
  SetErrorInfo(0, nullptr);
  hr = GuardedCall(type.iid, [&] { return target.InvokeMember(*member, effective, args.data(), out); });
  if (SUCCEEDED(hr)) return hr;
  VariantClear(out);
  const std::optional<QString> message = TakeErrorMessage();
  if (!message) return hr;
  FillException(exception, *message, hr);
  return DISP_E_EXCEPTION;
}

void ClearExcepInfo(EXCEPINFO* exception) {
  SysFreeString(exception->bstrSource);
  SysFreeString(exception->bstrDescription);
  *exception = EXCEPINFO{0, nullptr, nullptr, S_OK};
}

HRESULT DispatchIdOf(IDispatch* object, const QString& name, DISPID* id) {
  if (!object) return E_POINTER;
  const char16_t* names[] = {reinterpret_cast<const char16_t*>(name.utf16())};
  return object->GetIDsOfNames(IID{}, names, 1, 0x409, id);
}

DispatchOutcome DispatchCall(IDispatch* object, DISPID id, uint16_t flags, std::vector<ComVariant> args) {
  DispatchOutcome outcome;
  if (!object) {
    outcome.hr = E_POINTER;
    return outcome;
  }
  std::reverse(args.begin(), args.end());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{args.data(), nullptr, uint32_t(args.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception{0, nullptr, nullptr, S_OK};
  uint32_t argumentError = 0;
  outcome.hr = object->Invoke(id, IID{}, 0x409, flags, &params, &outcome.value, &exception, &argumentError);
  if (exception.bstrDescription) outcome.error = QStringFromBstr(exception.bstrDescription);
  ClearExcepInfo(&exception);
  return outcome;
}

DispatchOutcome DispatchCall(IDispatch* object, const QString& name, uint16_t flags, std::vector<ComVariant> args) {
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = DispatchIdOf(object, name, &id);
  if (FAILED(hr)) {
    DispatchOutcome outcome;
    outcome.hr = hr;
    outcome.error = QStringLiteral("unknown member %1").arg(name);
    return outcome;
  }
  return DispatchCall(object, id, flags, std::move(args));
}

QString DescribeFailure(const DispatchOutcome& outcome) {
  if (!outcome.error.isEmpty()) return outcome.error;
  static const std::pair<HRESULT, const char*> kKnown[] = {
      {DISP_E_TYPEMISMATCH, "a value of the wrong type"},
      {DISP_E_BADPARAMCOUNT, "a wrong number of arguments"},
      {DISP_E_MEMBERNOTFOUND, "no such member of that kind"},
      {E_POINTER, "no object"},
  };
  const char* what = "call failed";
  for (const auto& known : kKnown)
    if (known.first == outcome.hr) what = known.second;
  return QStringLiteral("%1 (0x%2)").arg(QLatin1String(what)).arg(uint32_t(outcome.hr), 8, 16, QLatin1Char('0'));
}
