// The control a page embeds: it keeps the page's four properties (each one
// line: a value is cut at its first CR, LF or NUL), forwards
// every method to the main window it owns, tells the page when it is created
// and destroyed and what happens in the conversation, and lends its widget to
// the host that places it.
#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "U_clientview.h"
#include "U_pageevents.h"
#include "Velko1_embed.h"
#include "Velko1_tlb.h"
#include "com_connection.h"
#include "com_persist.h"

class CZoHTMLSkin;
class QWidget;
class TMainForm;

class TnVELKO_1 : public ComObject<InVELKO_1, IVelkoEmbed, IConnectionPointContainer, IPersistPropertyBag,
                                   IObjectSafety, ISupportErrorInfo>,
                  public DispatchTarget {
 public:
  TnVELKO_1();
  ~TnVELKO_1() override;

  // The last release raises OnDestroy while the object is still whole.
  uint32_t Release() override;

#define VELKO1_PROPERTY_OVERRIDES(name, id) \
  HRESULT get_##name(BSTR* Value) override; \
  HRESULT put_##name(BSTR Value) override;
#define VELKO1_READER_OVERRIDE(name, id, type) HRESULT get_##name(VARIANT* Value) override;
#define VELKO1_METHOD_OVERRIDE(name, id, button) HRESULT name() override;
#define VELKO1_TEXT_METHOD_OVERRIDE(name, id, param) HRESULT name(BSTR param) override;
#define VELKO1_CALL_OVERRIDE(name, id, ...) HRESULT name(const VARIANT* args, VARIANT* result) override;
  VELKO1_MEMBERS(VELKO1_PROPERTY_OVERRIDES, VELKO1_READER_OVERRIDE, VELKO1_METHOD_OVERRIDE, VELKO1_TEXT_METHOD_OVERRIDE,
                 VELKO1_CALL_OVERRIDE)
#undef VELKO1_PROPERTY_OVERRIDES
#undef VELKO1_READER_OVERRIDE
#undef VELKO1_METHOD_OVERRIDE
#undef VELKO1_TEXT_METHOD_OVERRIDE
#undef VELKO1_CALL_OVERRIDE

  HRESULT GetIDsOfNames(const IID& iid, const char16_t* const* names, uint32_t count, LCID lcid,
                        DISPID* ids) override;
  HRESULT Invoke(DISPID id, const IID& iid, LCID lcid, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, uint32_t* argumentError) override;
  HRESULT InvokeMember(const MemberDescription& member, uint16_t flags, VARIANT* args, VARIANT* result) override;

  QWidget* Widget() override;
  HRESULT Windows(std::vector<VelkoWindowRow>* rows) override;
  HRESULT PaneLines(const QString& caption, int count, QStringList* lines) override;
  HRESULT Members(const QString& channel, QStringList* members) override;
  HRESULT Dialog(QString* caption, QString* text) override;
  HRESULT Answer(const QString& answer) override;
  void ShowInputLine(bool show) override;

  HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) override;

  HRESULT GetClassID(CLSID* clsid) override;
  // The container's first InitNew or Load completes the control: OnCreate.
  HRESULT InitNew() override;
  HRESULT Load(IPropertyBag* bag) override;
  HRESULT Save(IPropertyBag* bag, bool clearDirty, bool saveAll) override;

  HRESULT GetInterfaceSafetyOptions(const IID& iid, uint32_t* supported, uint32_t* enabled) override;
  HRESULT SetInterfaceSafetyOptions(const IID& iid, uint32_t mask, uint32_t enabled) override;
  HRESULT InterfaceSupportsErrorInfo(const IID& iid) override;

 private:
  void* FindInterface(const IID& iid) override;
  HRESULT GetText(const std::string& field, BSTR* value);
  HRESULT PutText(DISPID id, std::string& field, BSTR value);
  // The main window, or a failure when the host has destroyed the widget.
  TMainForm& Main();
  // Runs `body` on the main window inside the error guard.
  template <class Body>
  HRESULT Forward(Body&& body);
  void Initialized();
  // Refuses a call that needs the server while the client is not logged on.
  void RequireLogon();
  // A line of the page's, paced like typed ones; refused while too many wait.
  void QueueLine(const std::string& line);

  ConnectionPoint notify_;
  ConnectionPoint events_;
  TPageEvents pageEvents_;
#define VELKO1_PROPERTY_FIELD(name, id) std::string name;
  VELKO1_MEMBERS(VELKO1_PROPERTY_FIELD, VELKO1_IGNORE, VELKO1_IGNORE, VELKO1_IGNORE, VELKO1_IGNORE)
#undef VELKO1_PROPERTY_FIELD
  std::unique_ptr<CZoHTMLSkin> skin_;
  QPointer<QWidget> form_;
  QPointer<TMainForm> main_;
  TDialogWatch dialogs_;
  bool created_ = false;
  bool destroying_ = false;
};
