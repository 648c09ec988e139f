// The host's side of a page's script: one control per <object> of the
// control's class, created through the component layer, loaded from the
// object's params (the host's options laid over them), reached only by its
// members' names, and placed over the object's box in the view. Exposed to
// the page through a web channel; the page side is page_bridge.js.
#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "U_namedvalues.h"
#include "Velko1_embed.h"
#include "Velko1_tlb.h"

class QWidget;

class TPageBridge : public QObject {
  Q_OBJECT

 public:
  // Each control is a whole client; a page gets no more than this.
  static constexpr size_t kMaxControls = 8;

  using Factory = std::function<ComPtr<InVELKO_1>(QString* error)>;
  // Events after a control's creation: `key` is the page's object, `event`
  // {name, args}.
  using EventRoute = std::function<void(int key, const QVariantMap& event)>;

  // The controls' widgets become children of `surface`.
  TPageBridge(QWidget& surface, Factory factory, NamedValues options, EventRoute route);
  ~TPageBridge() override;

  // The page's script calls these (through the channel).
  // {ok, error, values: {property: text}, events: [{name, args} fired while created]}
  Q_INVOKABLE QVariantMap attach(int key, const QString& label, const QVariantList& params);
  // `kind` is get, put or call; {ok, value, error}.
  Q_INVOKABLE QVariantMap invoke(int key, const QString& name, const QString& kind, const QVariantList& args);
  // The page has handlers for these events (the others are not sent to it).
  Q_INVOKABLE void listen(int key, const QStringList& events);
  // The object's box in the view (the host does not zoom pages) and the part
  // of the view the page's scroll bars leave; numbers, as a page may send any,
  // held inside what a widget can take.
  Q_INVOKABLE void place(int key, double x, double y, double width, double height, bool shown, double viewWidth,
                         double viewHeight);
  // The page has sent all its objects: `controls` of them are the control.
  Q_INVOKABLE void started(int controls) { emit pageStarted(controls); }

  // The first control created, for the host's script; null before.
  IDispatch* FirstControl() const;
  IVelkoEmbed* FirstEmbed() const;
  // Releases every control (each tells its page OnDestroy); how many there were.
  size_t ReleaseAll();

 signals:
  void controlAttached(int key);
  void pageStarted(int controls);

 private:
  struct Embedded {
    ComPtr<InVELKO_1> control;
    ComPtr<IVelkoEmbed> embed;
    ComPtr<IDispatch> sink;
    std::shared_ptr<std::set<QString>> listened;
    QPointer<QWidget> widget;
  };
  void Release(Embedded& embedded);

  QWidget& surface_;
  Factory factory_;
  NamedValues options_;
  EventRoute route_;
  std::map<int, Embedded> controls_;
};
