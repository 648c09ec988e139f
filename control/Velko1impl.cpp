#include "Velko1impl.h"

#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "F_mainform.h"
#include "F_mdiabstract.h"
#include "U_codepage.h"
#include "U_htmlskin.h"
#include "U_serveraddress.h"
#include "U_subforms.h"
#include "U_windowview.h"
#include "U_windowkinds.h"

namespace {

// The design size of the control form.
constexpr int kFormWidth = 497;
constexpr int kFormHeight = 203;

QWidget* MakeControlForm() {
  auto* form = new QWidget;
  form->setWindowTitle(QStringLiteral("VELKO1"));
  form->resize(kFormWidth, kFormHeight);
  form->setAutoFillBackground(true);
  QPalette palette = form->palette();
  palette.setColor(QPalette::Window, Qt::white);
  form->setPalette(palette);
  form->setFont(FaceFont("굴림체"));
  auto* layout = new QVBoxLayout(form);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return form;
}

}  // namespace

TnVELKO_1::TnVELKO_1()
    : notify_(*this, IID_IPropertyNotifySink, 0, false),
      events_(*this, DIID_InVELKO_1Events, kVelko1EventSinks, true),
      pageEvents_(events_),
      skin_(std::make_unique<CZoHTMLSkin>()),
      form_(MakeControlForm()),
      main_(new TMainForm(*skin_, form_)) {
  form_->layout()->addWidget(main_);
  main_->move(0, 0);
  main_->show();
  main_->Client().Feed().SetListener(&pageEvents_);
  // A page that listens is told instead of a message box it cannot see behind.
  main_->TellSkinFailure = [this](const char* message) {
    if (!events_.size()) return false;
    pageEvents_.Error(QStringLiteral("skin-load"), DecodeDisplay(message));
    return true;
  };
}

TnVELKO_1::~TnVELKO_1() {
  if (main_) main_->Client().Feed().SetListener(nullptr);
  delete main_.data();
  skin_.reset();
#define VELKO1_CLEAR_FIELD(name, id) name.clear();
  VELKO1_MEMBERS(VELKO1_CLEAR_FIELD, VELKO1_IGNORE, VELKO1_IGNORE, VELKO1_IGNORE, VELKO1_IGNORE)
#undef VELKO1_CLEAR_FIELD
  delete form_.data();
  events_.DisconnectAll();
  notify_.DisconnectAll();
}

uint32_t TnVELKO_1::Release() {
  if (destroying_) return ComObject::Release();
  if (AddRef() == 2) {
    // The last reference is going: sinks may still take and drop references
    // while they hear the event, so the one taken here keeps the object whole.
    destroying_ = true;
    FireEvent(events_, DISPID_OnDestroy);
  }
  ComObject::Release();
  return ComObject::Release();
}

// ---- properties

HRESULT TnVELKO_1::GetText(const std::string& field, BSTR* value) {
  return GuardedCall(IID_InVELKO_1, [&] {
    if (!value) return E_POINTER;
    *value = BstrFromCp949(field.c_str());
    return S_OK;
  });
}

// Every property reaches the wire inside a command line (NICK, JOIN, the
// connection, the skin's HTTP request): one line it stays.
HRESULT TnVELKO_1::PutText(DISPID id, std::string& field, BSTR value) {
  return GuardedCall(IID_InVELKO_1, [&] {
    return EditProperty(notify_, id, [&] {
      std::string text = Cp949FromBstr(value);
      text.resize(std::min(text.size(), text.find_first_of(std::string_view("\r\n\0", 3))));
      field = std::move(text);
    });
  });
}

#define VELKO1_PROPERTY_ACCESSORS(name, id)                                          \
  HRESULT TnVELKO_1::get_##name(BSTR* Value) { return GetText(name, Value); } \
  HRESULT TnVELKO_1::put_##name(BSTR Value) { return PutText(DISPID_##name, name, Value); }
VELKO1_MEMBERS(VELKO1_PROPERTY_ACCESSORS, VELKO1_IGNORE, VELKO1_IGNORE, VELKO1_IGNORE, VELKO1_IGNORE)
#undef VELKO1_PROPERTY_ACCESSORS

// ---- methods

namespace {

// A host the resolver can be asked for (a port that is no port means the
// standard one, as it always has).
bool IsServerAddress(const std::string& text) {
  const std::optional<ZoServerAddress> address = ParseServerAddress(text);
  if (!address || address->host.empty()) return false;
  return std::none_of(address->host.begin(), address->host.end(), [](char c) { return uchar(c) <= ' '; });
}

}  // namespace

TMainForm& TnVELKO_1::Main() {
  if (!main_) throw std::runtime_error("the control's window has been destroyed by its host");
  return *main_;
}

template <class Body>
HRESULT TnVELKO_1::Forward(Body&& body) {
  return GuardedCall(IID_InVELKO_1, [&] {
    body(Main());
    return S_OK;
  });
}

HRESULT TnVELKO_1::SetSkin(BSTR URL) {
  return Forward([&](TMainForm& main) {
    if (!main.SetSkin(Cp949FromBstr(URL).c_str()))
      throw std::runtime_error("skin-address: 스킨 주소를 불러올 수 없습니다: " + QStringFromBstr(URL).toStdString());
  });
}
HRESULT TnVELKO_1::Input(BSTR TEXT) {
  return Forward([&](TMainForm& main) {
    if (!main.Input(QStringFromBstr(TEXT))) throw std::runtime_error("too many lines are waiting to be sent");
  });
}
HRESULT TnVELKO_1::SelectPrev() {
  return Forward([](TMainForm& main) { main.Subforms().SelectPrev(); });
}
HRESULT TnVELKO_1::SelectNext() {
  return Forward([](TMainForm& main) { main.Subforms().SelectNext(); });
}
HRESULT TnVELKO_1::SendIRCLine(BSTR TEXT) {
  return Forward([&](TMainForm& main) { main.Client().SendRaw(Cp949FromBstr(TEXT).c_str()); });
}
HRESULT TnVELKO_1::Connect() {
  return Forward([&](TMainForm& main) {
    if (!ADDR.empty() && !IsServerAddress(ADDR))
      throw std::runtime_error("bad-address: 서버 주소가 올바르지 않습니다: " + DecodeDisplay(ADDR.c_str()).toStdString());
    main.Client().ApplyNick(NICK);
    main.SetSkin(SKIN.c_str());
    main.Client().SetAutoJoinChannels(CHAN.c_str());
    main.Client().ConnectTo(ADDR.c_str());
  });
}
HRESULT TnVELKO_1::Tile() {
  return Forward([](TMainForm& main) { main.Subforms().Tile(); });
}
HRESULT TnVELKO_1::Cascade() {
  return Forward([](TMainForm& main) { main.Subforms().Cascade(); });
}
HRESULT TnVELKO_1::ShowNickChange() {
  return Forward([](TMainForm& main) { main.View().ShowNickChange(); });
}
HRESULT TnVELKO_1::ShowChanChange() {
  return Forward([](TMainForm& main) {
    const TMDIABS* front = main.Subforms().FrontForm();
    if (!front || front->Kind != wkChannel) throw std::runtime_error("no-channel-window: 앞에 채널 창이 없습니다.");
    main.View().ShowChanChange();
  });
}
HRESULT TnVELKO_1::ShowSettings() {
  return Forward([](TMainForm& main) { main.View().ShowSettings(); });
}

// ---- dispatch

HRESULT TnVELKO_1::GetIDsOfNames(const IID&, const char16_t* const* names, uint32_t count, LCID, DISPID* ids) {
  return DispatchGetIDsOfNames(InVELKO_1Type(), names, count, ids);
}

HRESULT TnVELKO_1::Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, uint32_t* argumentError) {
  return DispatchInvoke(InVELKO_1Type(), *this, id, flags, params, result, exception, argumentError);
}

HRESULT TnVELKO_1::InvokeMember(const MemberDescription& member, uint16_t flags, VARIANT* args, VARIANT* result) {
  const bool put = flags == DISPATCH_PROPERTYPUT;
  BSTR* out = result ? &result->bstrVal : nullptr;
  switch (member.id) {
#define VELKO1_PROPERTY_CASE(name, id) \
  case id: return put ? put_##name(args[0].bstrVal) : get_##name(out);
#define VELKO1_METHOD_CASE(name, id, button) \
  case id: return name();
#define VELKO1_TEXT_METHOD_CASE(name, id, param) \
  case id: return name(args[0].bstrVal);
#define VELKO1_READER_CASE(name, id, type) \
  case id: return get_##name(result);
#define VELKO1_CALL_CASE(name, id, ...) \
  case id: return name(args, result);
    VELKO1_MEMBERS(VELKO1_PROPERTY_CASE, VELKO1_READER_CASE, VELKO1_METHOD_CASE, VELKO1_TEXT_METHOD_CASE,
                   VELKO1_CALL_CASE)
#undef VELKO1_PROPERTY_CASE
#undef VELKO1_READER_CASE
#undef VELKO1_METHOD_CASE
#undef VELKO1_TEXT_METHOD_CASE
#undef VELKO1_CALL_CASE
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

// ---- the host's view

QWidget* TnVELKO_1::Widget() { return form_.data(); }

HRESULT TnVELKO_1::Windows(std::vector<VelkoWindowRow>* rows) {
  return GuardedCall(IID_IVelkoEmbed, [&] {
    *rows = WindowRows(Main().Subforms());
    return S_OK;
  });
}

HRESULT TnVELKO_1::PaneLines(const QString& caption, int count, QStringList* lines) {
  return GuardedCall(IID_IVelkoEmbed, [&] {
    return PaneTail(FindByCaption(Main().Subforms(), caption), count, lines) ? S_OK : E_INVALIDARG;
  });
}

HRESULT TnVELKO_1::Members(const QString& channel, QStringList* members) {
  return GuardedCall(IID_IVelkoEmbed,
                     [&] { return MemberEntries(Main().Subforms(), channel, members) ? S_OK : E_INVALIDARG; });
}

HRESULT TnVELKO_1::Dialog(QString* caption, QString* text) {
  return GuardedCall(IID_IVelkoEmbed, [&] {
    TModalForm* dialog = dialogs_.Front();
    if (!dialog) return S_FALSE;
    TDialogWatch::Describe(*dialog, caption, text);
    return S_OK;
  });
}

HRESULT TnVELKO_1::Answer(const QString& answer) {
  return GuardedCall(IID_IVelkoEmbed, [&] {
    TModalForm* dialog = dialogs_.Front();
    if (!dialog) return S_FALSE;
    TDialogWatch::Answer(*dialog, answer);
    return S_OK;
  });
}

void TnVELKO_1::ShowInputLine(bool show) { Main().ShowInputLine(show); }

// ---- connection points, persistence, safety

HRESULT TnVELKO_1::FindConnectionPoint(const IID& iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = iid == IID_IPropertyNotifySink ? &notify_ : iid == DIID_InVELKO_1Events ? &events_ : nullptr;
  if (!*point) return CONNECT_E_NOCONNECTION;
  AddRef();
  return S_OK;
}

HRESULT TnVELKO_1::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_nVELKO_1;
  return S_OK;
}

void TnVELKO_1::Initialized() {
  if (created_) return;
  created_ = true;
  FireEvent(events_, DISPID_OnCreate);
}

HRESULT TnVELKO_1::InitNew() {
  Initialized();
  return S_OK;
}

HRESULT TnVELKO_1::Load(IPropertyBag* bag) {
  const HRESULT hr = LoadFromPropertyBag(this, InVELKO_1Type(), nVELKO_1PersistMap(), bag);
  Initialized();
  return hr;
}

HRESULT TnVELKO_1::Save(IPropertyBag* bag, bool, bool) {
  return SaveToPropertyBag(this, InVELKO_1Type(), nVELKO_1PersistMap(), bag);
}

HRESULT TnVELKO_1::GetInterfaceSafetyOptions(const IID&, uint32_t* supported, uint32_t* enabled) {
  return SafeForScriptingOptions(supported, enabled);
}

HRESULT TnVELKO_1::SetInterfaceSafetyOptions(const IID&, uint32_t mask, uint32_t enabled) {
  return SetSafeForScriptingOptions(mask, enabled);
}

HRESULT TnVELKO_1::InterfaceSupportsErrorInfo(const IID& iid) { return iid == IID_InVELKO_1 ? S_OK : S_FALSE; }

void* TnVELKO_1::FindInterface(const IID& iid) {
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_InVELKO_1) return static_cast<InVELKO_1*>(this);
  if (iid == IID_IVelkoEmbed) return static_cast<IVelkoEmbed*>(this);
  if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
  if (iid == IID_IPersistPropertyBag) return static_cast<IPersistPropertyBag*>(this);
  if (iid == IID_IObjectSafety) return static_cast<IObjectSafety*>(this);
  if (iid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
  return nullptr;
}
