// A module built only for tests: one control-like class exposed through the
// same exports and layer a real control uses.
#include <QEventLoop>
#include <stdexcept>
#include <string>

#include "U_codepage.h"
#include "com_connection.h"
#include "com_persist.h"
#include "com_server.h"
#include "gadget.h"

namespace {

const InterfaceDescription kGadgetType{
    IID_IGadget,
    "IGadget",
    "Gadget interface",
    kDualInterface | kAutomation,
    {
        {kName, "Name", MemberKind::Property, VT_BSTR, {}},
        {kCount, "Count", MemberKind::Property, VT_I4, {}},
        {kGreet, "Greet", MemberKind::Method, VT_BSTR, {{"who", VT_BSTR}}},
        {kJoin, "Join", MemberKind::Method, VT_BSTR, {{"first", VT_BSTR}, {"second", VT_BSTR}}},
        {kPing, "Ping", MemberKind::Method, VT_EMPTY, {}},
        {kBreak, "Break", MemberKind::Method, VT_EMPTY, {}},
        {kInput, "Input", MemberKind::Method, VT_EMPTY, {{"TEXT", VT_BSTR}}},
        {kWait, "ShowNickChange", MemberKind::Method, VT_EMPTY, {}},
    }};

const InterfaceDescription kGadgetEvents{IID_IGadgetEvents,
                                         "IGadgetEvents",
                                         "Gadget events",
                                         kDispatchOnly,
                                         {{kOnPing, "OnPing", MemberKind::Method, VT_EMPTY, {}}}};

const ClassDescription kGadgetClass{CLSID_Gadget,          "Gadget",     "Gadget Control",
                                    kCreatable | kControl, &kGadgetType, &kGadgetEvents};

const LibraryDescription kGadgetLibrary{
    LIBID_Gadget,    "GADGET", "Gadget Library", 1, 0, 0x409, kControlLibrary, {&kGadgetType, &kGadgetEvents},
    {&kGadgetClass}, {}};

const std::vector<PersistEntry> kPersistMap{{"Name", kName}, {"Count", kCount}, {"Ping", kPing}};

class Gadget
    : public ComObject<IGadget, IConnectionPointContainer, IPersistPropertyBag, IObjectSafety, ISupportErrorInfo>,
      public DispatchTarget {
 public:
  Gadget()
      : notify_(*this, IID_IPropertyNotifySink, 0, false), events_(*this, IID_IGadgetEvents, kGadgetEventSinks, true) {}
  ~Gadget() override {
    events_.DisconnectAll();
    notify_.DisconnectAll();
  }

  HRESULT get_Name(BSTR* value) override {
    if (!value) return E_POINTER;
    *value = BstrFromCp949(name_.c_str());
    return S_OK;
  }
  HRESULT put_Name(BSTR value) override {
    return GuardedCall(IID_IGadget, [&] {
      return EditProperty(notify_, kName, [&] {
        name_ = Cp949FromBstr(value);
        if (name_ == "done") waiting_.quit();
      });
    });
  }
  HRESULT get_Count(int32_t* value) override {
    if (!value) return E_POINTER;
    *value = count_;
    return S_OK;
  }
  HRESULT put_Count(int32_t value) override {
    return EditProperty(notify_, kCount, [&] { count_ = value; });
  }
  HRESULT Greet(BSTR who, BSTR* reply) override {
    if (!reply) return E_POINTER;
    *reply = BstrFromCp949((Cp949Literal("안녕 ") + Cp949FromBstr(who)).c_str());
    return S_OK;
  }
  HRESULT Join(BSTR first, BSTR second, BSTR* joined) override {
    if (!joined) return E_POINTER;
    *joined = BstrFromQString(QStringFromBstr(first) + QLatin1Char('+') + QStringFromBstr(second));
    return S_OK;
  }
  HRESULT Ping() override {
    FireEvent(events_, kOnPing);
    return S_OK;
  }
  HRESULT Break() override {
    return GuardedCall(IID_IGadget, []() -> HRESULT { throw std::runtime_error("gadget broke"); });
  }
  HRESULT Input(BSTR text) override { return put_Name(text); }
  HRESULT ShowNickChange() override {
    waiting_.exec();
    return S_OK;
  }

  HRESULT GetIDsOfNames(const IID&, const char16_t* const* names, uint32_t count, LCID, DISPID* ids) override {
    return DispatchGetIDsOfNames(kGadgetType, names, count, ids);
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                 uint32_t* argumentError) override {
    return DispatchInvoke(kGadgetType, *this, id, flags, params, result, exception, argumentError);
  }
  HRESULT InvokeMember(const MemberDescription& member, uint16_t flags, VARIANT* args, VARIANT* result) override {
    const bool put = flags == DISPATCH_PROPERTYPUT;
    switch (member.id) {
      case kName:
        return put ? put_Name(args[0].bstrVal) : get_Name(&result->bstrVal);
      case kCount:
        return put ? put_Count(args[0].lVal) : get_Count(&result->lVal);
      case kGreet:
        return Greet(args[0].bstrVal, &result->bstrVal);
      case kJoin:
        return Join(args[0].bstrVal, args[1].bstrVal, &result->bstrVal);
      case kPing:
        return Ping();
      case kInput:
        return Input(args[0].bstrVal);
      case kWait:
        return ShowNickChange();
      default:
        return Break();
    }
  }

  HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) override {
    if (!point) return E_POINTER;
    *point = iid == IID_IPropertyNotifySink ? &notify_ : iid == IID_IGadgetEvents ? &events_ : nullptr;
    if (!*point) return CONNECT_E_NOCONNECTION;
    AddRef();
    return S_OK;
  }

  HRESULT GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Gadget;
    return S_OK;
  }
  HRESULT InitNew() override { return S_OK; }
  HRESULT Load(IPropertyBag* bag) override { return LoadFromPropertyBag(this, kGadgetType, kPersistMap, bag); }
  HRESULT Save(IPropertyBag* bag, bool, bool) override {
    return SaveToPropertyBag(this, kGadgetType, kPersistMap, bag);
  }

  HRESULT GetInterfaceSafetyOptions(const IID&, uint32_t* supported, uint32_t* enabled) override {
    return SafeForScriptingOptions(supported, enabled);
  }
  HRESULT SetInterfaceSafetyOptions(const IID&, uint32_t mask, uint32_t enabled) override {
    return SetSafeForScriptingOptions(mask, enabled);
  }
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override { return iid == IID_IGadget ? S_OK : S_FALSE; }

 private:
  void* FindInterface(const IID& iid) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IGadget) return static_cast<IGadget*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (iid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
    if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
    if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }

  ConnectionPoint notify_;
  ConnectionPoint events_;
  std::string name_;
  int32_t count_ = 0;
  QEventLoop waiting_;
};

const ComModule& Module() {
  static const ComModule module(
      kGadgetLibrary, {{&kGadgetClass, kGadgetProgId, [] { return static_cast<IGadget*>(new Gadget); }, 131473}});
  return module;
}

}  // namespace

VELKO_COM_MODULE_EXPORTS(Module)
