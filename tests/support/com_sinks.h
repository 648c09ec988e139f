// Sinks a host connects to a control's connection points, recording what
// they were told; one of them may refuse property changes.
#pragma once

#include <vector>

#include "com_connection.h"

class NotifySink : public ComObject<IPropertyNotifySink> {
 public:
  explicit NotifySink(bool refuse) : refuse_(refuse) {}
  HRESULT OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  HRESULT OnRequestEdit(DISPID id) override {
    asked.push_back(id);
    return refuse_ ? S_FALSE : S_OK;
  }
  std::vector<DISPID> changed, asked;

 private:
  void* FindInterface(const IID& iid) override {
    return iid == IID_IUnknown || iid == IID_IPropertyNotifySink ? static_cast<IPropertyNotifySink*>(this) : nullptr;
  }
  bool refuse_;
};

class EventSink : public ComObject<IDispatch> {
 public:
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS*, VARIANT*, EXCEPINFO*, uint32_t*) override {
    fired.push_back(id);
    return S_OK;
  }
  std::vector<DISPID> fired;

 private:
  void* FindInterface(const IID& iid) override {
    return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }
};
