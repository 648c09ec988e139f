// The interface of the test module's one class: two properties, six methods
// and one event, enough to drive every path of the component layer and a
// script played against it.
#pragma once

#include "com_dispatch.h"

inline constexpr const char* kGadgetProgId = "VELKOTEST.Gadget";
inline constexpr CLSID CLSID_Gadget{0x5A0C31E2, 0x7F4B, 0x4C1D, {0x9E, 0x21, 0x33, 0x8A, 0x10, 0x6B, 0xC4, 0x01}};
inline constexpr IID IID_IGadget{0x5A0C31E2, 0x7F4B, 0x4C1D, {0x9E, 0x21, 0x33, 0x8A, 0x10, 0x6B, 0xC4, 0x02}};
inline constexpr IID IID_IGadgetEvents{0x5A0C31E2, 0x7F4B, 0x4C1D, {0x9E, 0x21, 0x33, 0x8A, 0x10, 0x6B, 0xC4, 0x03}};
inline constexpr GUID LIBID_Gadget{0x5A0C31E2, 0x7F4B, 0x4C1D, {0x9E, 0x21, 0x33, 0x8A, 0x10, 0x6B, 0xC4, 0x04}};

enum GadgetDispid : DISPID {
  kName = 1,
  kCount = 2,
  kGreet = 3,
  kJoin = 4,
  kPing = 5,
  kBreak = 6,
  kInput = 8,
  kWait = 9
};
inline constexpr DISPID kOnPing = 7;
inline constexpr int kGadgetEventSinks = 5;

class IGadget : public IDispatch {
 public:
  static constexpr const IID& kIID = IID_IGadget;
  virtual HRESULT get_Name(BSTR* value) = 0;
  virtual HRESULT put_Name(BSTR value) = 0;
  virtual HRESULT get_Count(int32_t* value) = 0;
  virtual HRESULT put_Count(int32_t value) = 0;
  // "안녕 " and the name, through the 8-bit code page.
  virtual HRESULT Greet(BSTR who, BSTR* reply) = 0;
  // "first+second": shows the arguments arrive in order.
  virtual HRESULT Join(BSTR first, BSTR second, BSTR* joined) = 0;
  // Raises OnPing.
  virtual HRESULT Ping() = 0;
  // Fails inside with the message "gadget broke".
  virtual HRESULT Break() = 0;
  // Sets Name to the text, as a control takes a typed line.
  virtual HRESULT Input(BSTR text) = 0;
  // Waits in a nested event loop, as a modal dialog does, until Name is "done".
  virtual HRESULT ShowNickChange() = 0;
};
