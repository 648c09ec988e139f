// The per-thread error information store, in its own shared library so that
// the host and every module it loads see the same one.
#include "com.h"

namespace {

struct Slot {
  IErrorInfo* info = nullptr;
  ~Slot() {
    if (info) info->Release();
  }
};

thread_local Slot slot;

}  // namespace

extern "C" __attribute__((visibility("default"))) void SetErrorInfo(uint32_t, IErrorInfo* info) {
  if (info) info->AddRef();
  if (slot.info) slot.info->Release();
  slot.info = info;
}

extern "C" __attribute__((visibility("default"))) HRESULT GetErrorInfo(uint32_t, IErrorInfo** info) {
  if (!info) return E_POINTER;
  *info = slot.info;
  slot.info = nullptr;
  return *info ? S_OK : S_FALSE;
}
