#include "com_connection.h"

#include <algorithm>

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& owner, const IID& iid, size_t limit, bool dispatchSinks)
    : owner_(owner), iid_(iid), limit_(limit), dispatchSinks_(dispatchSinks) {}

ConnectionPoint::~ConnectionPoint() = default;

HRESULT ConnectionPoint::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = &owner_;
  owner_.AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  if (limit_ && sinks_.size() >= limit_) return CONNECT_E_ADVISELIMIT;
  ComPtr<IUnknown> held;
  if (FAILED(sink->QueryInterface(iid_, held.PutVoid())) &&
      (!dispatchSinks_ || FAILED(sink->QueryInterface(IID_IDispatch, held.PutVoid()))))
    return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  sinks_.push_back({*cookie, std::move(held)});
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(uint32_t cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->cookie != cookie) continue;
    // Released after leaving the list: the sink may call back in its destructor.
    const ComPtr<IUnknown> leaving = std::move(it->sink);
    sinks_.erase(it);
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

void ConnectionPoint::ForEachSink(const std::function<void(IUnknown*)>& call) const {
  std::vector<ComPtr<IUnknown>> now;
  for (const Connection& connection : sinks_) now.push_back(connection.sink);
  for (const ComPtr<IUnknown>& sink : now) call(sink.Get());
}

void ConnectionPoint::DisconnectAll() {
  const std::vector<Connection> leaving = std::move(sinks_);
  sinks_.clear();
}

HRESULT RequestEdit(const ConnectionPoint& point, DISPID id) {
  HRESULT answer = S_OK;
  point.ForEachSink([&](IUnknown* sink) {
    if (answer == S_OK && static_cast<IPropertyNotifySink*>(sink)->OnRequestEdit(id) == S_FALSE) answer = S_FALSE;
  });
  return answer;
}

HRESULT EditProperty(const ConnectionPoint& point, DISPID id, const std::function<void()>& change) {
  if (RequestEdit(point, id) == S_FALSE) return S_FALSE;
  change();
  NotifyChanged(point, id);
  return S_OK;
}

void NotifyChanged(const ConnectionPoint& point, DISPID id) {
  point.ForEachSink([&](IUnknown* sink) { static_cast<IPropertyNotifySink*>(sink)->OnChanged(id); });
}

void FireEvent(const ConnectionPoint& point, DISPID id, std::vector<ComVariant> args) {
  std::reverse(args.begin(), args.end());
  point.ForEachSink([&](IUnknown* sink) {
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, uint32_t(args.size()), 0};
    static_cast<IDispatch*>(sink)->Invoke(id, IID{}, 0x409, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  });
}
