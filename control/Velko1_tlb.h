// The control's type description: library VELKO1, the dual interface
// InVELKO_1, the event interface InVELKO_1Events and the class nVELKO_1, with
// their GUIDs (fixed for good), DISPIDs and persistence map.
#pragma once

#include <vector>

#include "com_dispatch.h"
#include "com_persist.h"

inline constexpr GUID LIBID_VELKO1{0x6F97D09B, 0x83C9, 0x46E7, {0x96, 0x3A, 0x18, 0x7D, 0x5B, 0xB9, 0xF7, 0xF4}};
inline constexpr IID IID_InVELKO_1{0xABD1FA4C, 0xB86B, 0x4D8A, {0xB5, 0x3C, 0x2C, 0xD6, 0xD6, 0x3C, 0x39, 0x5D}};
inline constexpr IID DIID_InVELKO_1Events{0x6AE9913C, 0xFE7B, 0x4D20, {0xAB, 0x42, 0xAB, 0xE1, 0x2B, 0xC8, 0xB0, 0x73}};
inline constexpr CLSID CLSID_nVELKO_1{0x1F8CD809, 0x9D95, 0x4E72, {0x80, 0x09, 0xB3, 0x3E, 0x18, 0x0A, 0xEA, 0x07}};

inline constexpr const char* kVelko1ProgId = "VELKO1.nVELKO_1";
// Recompose on resize, no linking inside, inside-out, active when visible,
// client site first.
inline constexpr int32_t kVelko1MiscStatus = 0x20191;
inline constexpr size_t kVelko1EventSinks = 5;

enum Velko1Dispid : DISPID {
  DISPID_SKIN = 1,
  DISPID_ADDR = 2,
  DISPID_CHAN = 3,
  DISPID_NICK = 4,
  DISPID_SetSkin = 5,
  DISPID_Input = 6,
  DISPID_SelectPrev = 7,
  DISPID_SelectNext = 8,
  DISPID_SendIRCLine = 9,
  DISPID_Connect = 10,
  DISPID_Tile = 11,
  DISPID_Cascade = 12,
  DISPID_ShowNickChange = 13,
  DISPID_ShowChanChange = 14,
};

enum Velko1EventDispid : DISPID { DISPID_OnCreate = 3, DISPID_OnDestroy = 6 };

// The dual interface, in its virtual-table order after IDispatch.
class InVELKO_1 : public IDispatch {
 public:
  static constexpr const IID& kIID = IID_InVELKO_1;
  virtual HRESULT get_SKIN(BSTR* Value) = 0;
  virtual HRESULT put_SKIN(BSTR Value) = 0;
  virtual HRESULT get_ADDR(BSTR* Value) = 0;
  virtual HRESULT put_ADDR(BSTR Value) = 0;
  virtual HRESULT get_CHAN(BSTR* Value) = 0;
  virtual HRESULT put_CHAN(BSTR Value) = 0;
  virtual HRESULT get_NICK(BSTR* Value) = 0;
  virtual HRESULT put_NICK(BSTR Value) = 0;
  virtual HRESULT SetSkin(BSTR URL) = 0;
  virtual HRESULT Input(BSTR TEXT) = 0;
  virtual HRESULT SelectPrev() = 0;
  virtual HRESULT SelectNext() = 0;
  virtual HRESULT SendIRCLine(BSTR TEXT) = 0;
  virtual HRESULT Connect() = 0;
  virtual HRESULT Tile() = 0;
  virtual HRESULT Cascade() = 0;
  virtual HRESULT ShowNickChange() = 0;
  virtual HRESULT ShowChanChange() = 0;
};

const InterfaceDescription& InVELKO_1Type();
const InterfaceDescription& InVELKO_1EventsType();
const ClassDescription& nVELKO_1Class();
// With the three enumerations no member uses.
const LibraryDescription& VELKO1Library();
// Bag names and the DISPIDs they are put by.
const std::vector<PersistEntry>& nVELKO_1PersistMap();
