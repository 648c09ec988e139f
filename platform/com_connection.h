// Connection points: the way an object calls back the sinks its container
// connected, for property notifications (a sink may refuse a change) and for
// events sent through a sink's IDispatch.
#pragma once

#include <functional>
#include <vector>

#include "com_dispatch.h"

inline constexpr IID IID_IConnectionPointContainer{
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPoint{0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IPropertyNotifySink{
    0x9BFBBC02, 0xEFF1, 0x101A, {0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

class IConnectionPointContainer;

class IConnectionPoint : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IConnectionPoint;
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  // CONNECT_E_ADVISELIMIT when the point is full, CONNECT_E_CANNOTCONNECT when
  // the sink lacks the interface.
  virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
  virtual HRESULT Unadvise(uint32_t cookie) = 0;
};

class IConnectionPointContainer : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IConnectionPointContainer;
  virtual HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) = 0;
};

class IPropertyNotifySink : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IPropertyNotifySink;
  virtual HRESULT OnChanged(DISPID id) = 0;
  // S_FALSE refuses the change.
  virtual HRESULT OnRequestEdit(DISPID id) = 0;
};

// One connection point, a part of its container: it lives and counts
// references with the container.
class ConnectionPoint final : public IConnectionPoint {
 public:
  // `limit` 0 means no limit. A dispatch-only event interface also takes
  // sinks that offer only IDispatch.
  ConnectionPoint(IConnectionPointContainer& owner, const IID& iid, size_t limit, bool dispatchSinks);
  ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return owner_.AddRef(); }
  uint32_t Release() override { return owner_.Release(); }
  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  HRESULT Advise(IUnknown* sink, uint32_t* cookie) override;
  HRESULT Unadvise(uint32_t cookie) override;

  const IID& iid() const { return iid_; }
  size_t size() const { return sinks_.size(); }
  // Calls every sink connected now, in connection order; a sink may
  // disconnect itself or others meanwhile.
  void ForEachSink(const std::function<void(IUnknown*)>& call) const;
  // Drops every sink (the object is going away).
  void DisconnectAll();

 private:
  struct Connection {
    uint32_t cookie;
    ComPtr<IUnknown> sink;
  };

  IConnectionPointContainer& owner_;
  IID iid_;
  size_t limit_;
  bool dispatchSinks_;
  uint32_t nextCookie_ = 1;
  std::vector<Connection> sinks_;
};

// Asks every property-notification sink; S_FALSE as soon as one refuses.
HRESULT RequestEdit(const ConnectionPoint& point, DISPID id);
// A property setter's course: ask the sinks, change, tell the sinks. S_FALSE
// and nothing changed when a sink refuses.
HRESULT EditProperty(const ConnectionPoint& point, DISPID id, const std::function<void()>& change);
void NotifyChanged(const ConnectionPoint& point, DISPID id);
// Sends an event to every event sink; arguments in natural order.
void FireEvent(const ConnectionPoint& point, DISPID id, std::vector<ComVariant> args = {});
