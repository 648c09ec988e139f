#include "U_pagebridge.h"

#include <QWidget>
#include <memory>
#include <optional>
#include <set>
#include <string_view>

#include "com_connection.h"
#include "com_persist.h"
#include "U_pagerequest.h"

namespace {

QVariant ScriptValue(const VARIANT& value) {
  if (value.vt == VT_BOOL) return value.boolVal != 0;
  if (value.vt == VT_I4) return value.lVal;
  ComVariant copy;
  VariantCopy(&copy, &value);
  return copy.ToQString();
}

// Hears the control's events and hands them on by name, with their arguments.
class EventRelay : public ComObject<IDispatch> {
 public:
  EventRelay(std::function<bool(const char*)> wanted, std::function<void(QVariantMap)> heard)
      : wanted_(std::move(wanted)), heard_(std::move(heard)) {}
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 uint32_t*) override {
    const MemberDescription* event = InVELKO_1EventsType().Find(id);
    if (!event || !heard_ || !wanted_(event->name)) return S_OK;
    QVariantList args;
    // Sent in reverse, as dispatch arguments are.
    for (uint32_t i = params ? params->cArgs : 0; i > 0; --i) args.append(ScriptValue(params->rgvarg[i - 1]));
    heard_({{QStringLiteral("name"), QString::fromLatin1(event->name)}, {QStringLiteral("args"), args}});
    return S_OK;
  }

 private:
  void* FindInterface(const IID& iid) override {
    return iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_InVELKO_1Events ? static_cast<IDispatch*>(this)
                                                                                        : nullptr;
  }
  std::function<bool(const char*)> wanted_;
  std::function<void(QVariantMap)> heard_;
};

QVariantMap Failure(const QString& error) { return {{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}}; }

// The properties' values; `readOnly`: only those the control keeps itself.
QVariantMap PropertyValues(IDispatch* control, bool readOnly = false) {
  QVariantMap values;
  for (const Velko1Member& member : kVelko1Members)
    if (member.kind == MemberKind::Property && (member.readOnly || !readOnly))
      values.insert(QString::fromLatin1(member.name),
                    ScriptValue(DispatchCall(control, member.id, DISPATCH_PROPERTYGET).value));
  return values;
}

// A param of the page's, not a property of the control: never stored with them.
bool AsksForInputLine(const NamedValues& params) {
  for (const auto& [name, value] : params)
    if (name.compare(QLatin1String("INPUTLINE"), Qt::CaseInsensitive) == 0) return value.trimmed() == QLatin1String("1");
  return false;
}

bool ChangesState(const QString& event) {
  return event == QLatin1String("OnConnected") || event == QLatin1String("OnDisconnected") ||
         event == QLatin1String("OnNick") || event == QLatin1String("OnCreate");
}

uint16_t DispatchFlags(const QString& kind) {
  if (kind == QLatin1String("get")) return DISPATCH_PROPERTYGET;
  if (kind == QLatin1String("put")) return DISPATCH_PROPERTYPUT;
  return kind == QLatin1String("call") ? DISPATCH_METHOD : 0;
}

}  // namespace

TPageBridge::TPageBridge(QWidget& surface, Factory factory, NamedValues options, EventRoute route)
    : surface_(surface), factory_(std::move(factory)), options_(std::move(options)), route_(std::move(route)) {}

TPageBridge::~TPageBridge() { ReleaseAll(); }

QVariantMap TPageBridge::attach(int key, const QString& label, const QVariantList& params) {
  if (controls_.count(key)) return Failure(QStringLiteral("already created"));
  if (controls_.size() >= kMaxControls)
    return Failure(QStringLiteral("a page holds at most %1 controls").arg(kMaxControls));
  QString error;
  Embedded embedded;
  embedded.control = factory_(&error);
  if (!embedded.control) return Failure(error);
  embedded.embed = embedded.control.As<IVelkoEmbed>();
  if (!embedded.embed) return Failure(QStringLiteral("the control offers no widget to embed"));

  // Events while the control is created go back with the answer, after the
  // page has its values; later ones take the route.
  auto early = std::make_shared<std::optional<QVariantList>>(QVariantList());
  // Only what the page listens to crosses to it. An event that changes what
  // the page reads of the control's own state carries it. The control holds
  // the relay, not the reverse.
  IDispatch* control = embedded.control.Get();
  auto listened = std::make_shared<std::set<QString>>();
  embedded.listened = listened;
  const auto wanted = [listened](const char* name) {
    return std::string_view(name) == "OnCreate" || std::string_view(name) == "OnDestroy" ||
           listened->count(QLatin1String(name));
  };
  embedded.sink = MakeCom<EventRelay>(wanted, [this, key, early, control](QVariantMap event) {
                    if (ChangesState(event.value(QStringLiteral("name")).toString()))
                      event.insert(QStringLiteral("values"), PropertyValues(control, true));
                    if (*early) (*early)->append(event);
                    else if (route_) route_(key, event);
                  }).Get();
  ComPtr<IConnectionPoint> point;
  const auto container = embedded.control.As<IConnectionPointContainer>();
  uint32_t cookie = 0;
  if (container && SUCCEEDED(container->FindConnectionPoint(DIID_InVELKO_1Events, point.Put())))
    point->Advise(embedded.sink.Get(), &cookie);

  const NamedValues pageParams = PageRequest::Params(params);
  const ComPtr<PropertyBag> bag = MakeCom<PropertyBag>(MergeProperties(pageParams, options_));
  const ComPtr<IPersistPropertyBag> persist = embedded.control.As<IPersistPropertyBag>();
  const HRESULT hr = persist ? persist->Load(bag.Get()) : E_NOINTERFACE;
  const QVariantList created = std::exchange(*early, std::nullopt).value();
  if (FAILED(hr)) {
    Release(embedded);
    return Failure(TakeErrorMessage().value_or(QStringLiteral("the properties cannot be loaded")));
  }
  if (AsksForInputLine(pageParams)) embedded.embed->ShowInputLine(true);
  embedded.widget = embedded.embed->Widget();
  if (embedded.widget) {
    embedded.widget->setParent(&surface_);
    embedded.widget->setAccessibleName(label);
    embedded.widget->hide();
  }
  const QVariantMap values = PropertyValues(embedded.control.Get());
  controls_.emplace(key, std::move(embedded));
  emit controlAttached(key);
  return {{QStringLiteral("ok"), true}, {QStringLiteral("values"), values}, {QStringLiteral("events"), created}};
}

QVariantMap TPageBridge::invoke(int key, const QString& name, const QString& kind, const QVariantList& args) {
  const auto found = controls_.find(key);
  if (found == controls_.end()) return Failure(QStringLiteral("the control was not created"));
  const uint16_t flags = DispatchFlags(kind);
  if (!flags) return Failure(QStringLiteral("no such kind of call: ") + kind);
  const PageRequest::TArgs texts = PageRequest::Args(args);
  if (!texts.refused.isEmpty()) return Failure(texts.refused);
  std::vector<ComVariant> values;
  for (const QString& text : texts.texts) values.emplace_back(text);
  // A property or method of the control's type only: the name dispatch knows no other.
  const DispatchOutcome outcome = DispatchCall(found->second.control.Get(), name, flags, std::move(values));
  if (!outcome.ok()) return Failure(DescribeFailure(outcome));
  return {{QStringLiteral("ok"), true}, {QStringLiteral("value"), ScriptValue(outcome.value)}};
}

void TPageBridge::listen(int key, const QStringList& events) {
  const auto found = controls_.find(key);
  if (found == controls_.end()) return;
  for (const QString& event : events.mid(0, 64)) {
    const QByteArray name = event.toLatin1();
    if (InVELKO_1EventsType().Find(std::string_view(name.constData(), name.size())))
      found->second.listened->insert(event);
  }
}

void TPageBridge::place(int key, double x, double y, double width, double height, bool shown, double viewWidth,
                        double viewHeight) {
  const auto found = controls_.find(key);
  if (found == controls_.end() || !found->second.widget) return;
  QWidget& widget = *found->second.widget;
  const QRect box = PageRequest::Box(x, y, width, height);
  widget.setGeometry(box);
  // Never over the page's scroll bars.
  const QRect seen = PageRequest::Box(0, 0, viewWidth, viewHeight).intersected(box);
  if (seen == box)
    widget.clearMask();
  else if (!seen.isEmpty())
    widget.setMask(seen.translated(-box.topLeft()));
  widget.setVisible(shown && !seen.isEmpty());
  if (shown) widget.raise();
}

IDispatch* TPageBridge::FirstControl() const {
  return controls_.empty() ? nullptr : controls_.begin()->second.control.Get();
}

IVelkoEmbed* TPageBridge::FirstEmbed() const {
  return controls_.empty() ? nullptr : controls_.begin()->second.embed.Get();
}

size_t TPageBridge::ReleaseAll() {
  auto controls = std::exchange(controls_, {});
  for (auto& [key, embedded] : controls) Release(embedded);
  return controls.size();
}

// The widget leaves the view first: the control deletes it when it goes,
// telling the page OnDestroy through the still advised sink.
void TPageBridge::Release(Embedded& embedded) {
  if (embedded.widget) embedded.widget->setParent(nullptr);
  embedded.embed = {};
  embedded.control = {};
}
