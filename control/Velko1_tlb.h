// The control's type description: library VELKO1, the dual interface
// InVELKO_1, the event interface InVELKO_1Events and the class nVELKO_1, with
// their GUIDs (fixed for good), DISPIDs and persistence map, all drawn from
// the one member list in Velko1_members.h.
#pragma once

#include <vector>

#include "com_dispatch.h"
#include "com_persist.h"
#include "Velko1_members.h"

inline constexpr GUID LIBID_VELKO1{0x6F97D09B, 0x83C9, 0x46E7, {0x96, 0x3A, 0x18, 0x7D, 0x5B, 0xB9, 0xF7, 0xF4}};
inline constexpr IID IID_InVELKO_1{0xABD1FA4C, 0xB86B, 0x4D8A, {0xB5, 0x3C, 0x2C, 0xD6, 0xD6, 0x3C, 0x39, 0x5D}};
inline constexpr IID DIID_InVELKO_1Events{0x6AE9913C, 0xFE7B, 0x4D20, {0xAB, 0x42, 0xAB, 0xE1, 0x2B, 0xC8, 0xB0, 0x73}};
inline constexpr CLSID CLSID_nVELKO_1{0x1F8CD809, 0x9D95, 0x4E72, {0x80, 0x09, 0xB3, 0x3E, 0x18, 0x0A, 0xEA, 0x07}};

inline constexpr const char* kVelko1ProgId = "VELKO1.nVELKO_1";
// Recompose on resize, no linking inside, inside-out, active when visible,
// client site first.
inline constexpr int32_t kVelko1MiscStatus = 0x20191;
inline constexpr size_t kVelko1EventSinks = 5;

#define VELKO1_DISPID(name, id, ...) DISPID_##name = id,
enum Velko1Dispid : DISPID {
  VELKO1_MEMBERS(VELKO1_DISPID, VELKO1_DISPID, VELKO1_DISPID, VELKO1_DISPID, VELKO1_DISPID)
};
enum Velko1EventDispid : DISPID { VELKO1_EVENTS(VELKO1_DISPID) };
#undef VELKO1_DISPID

// What a method gives back: nothing, a text, or a list as a JSON array text.
enum class Velko1Result { none, text, list };

// One scriptable member as hosts see it.
struct Velko1Member {
  const char* name;
  DISPID id;
  MemberKind kind;
  const char* param;   // a method's first text parameter, else nullptr
  const char* button;  // the label of the page button calling it, else nullptr
  const char* second = nullptr;  // a method's second text parameter
  int required = 0;              // how many of the texts a call must give
  VARTYPE type = VT_BSTR;        // a property's type
  bool readOnly = false;
  Velko1Result result = Velko1Result::none;
};

#define VELKO1_PROPERTY_ROW(name, id) {#name, id, MemberKind::Property, nullptr, nullptr},
#define VELKO1_READER_ROW(name, id, type) {#name, id, MemberKind::Property, nullptr, nullptr, nullptr, 0, type, true},
#define VELKO1_METHOD_ROW(name, id, button) {#name, id, MemberKind::Method, nullptr, button},
#define VELKO1_TEXT_METHOD_ROW(name, id, param) {#name, id, MemberKind::Method, #param, nullptr, nullptr, 1},
#define VELKO1_CALL_ROW(name, id, result, first, second, required) \
  {#name, id, MemberKind::Method, first, nullptr, second, required, VT_EMPTY, false, Velko1Result::result},
inline constexpr Velko1Member kVelko1Members[] = {VELKO1_MEMBERS(
    VELKO1_PROPERTY_ROW, VELKO1_READER_ROW, VELKO1_METHOD_ROW, VELKO1_TEXT_METHOD_ROW, VELKO1_CALL_ROW)};
#undef VELKO1_PROPERTY_ROW
#undef VELKO1_READER_ROW
#undef VELKO1_METHOD_ROW
#undef VELKO1_TEXT_METHOD_ROW
#undef VELKO1_CALL_ROW

// The dual interface, in its virtual-table order after IDispatch. A reader
// and a call take and give automation values; their arguments come in
// declaration order, left-off ones empty.
#define VELKO1_PROPERTY_SLOTS(name, id)        \
  virtual HRESULT get_##name(BSTR* Value) = 0; \
  virtual HRESULT put_##name(BSTR Value) = 0;
#define VELKO1_READER_SLOT(name, id, type) virtual HRESULT get_##name(VARIANT* Value) = 0;
#define VELKO1_METHOD_SLOT(name, id, button) virtual HRESULT name() = 0;
#define VELKO1_TEXT_METHOD_SLOT(name, id, param) virtual HRESULT name(BSTR param) = 0;
#define VELKO1_CALL_SLOT(name, id, ...) virtual HRESULT name(const VARIANT* args, VARIANT* result) = 0;
class InVELKO_1 : public IDispatch {
 public:
  static constexpr const IID& kIID = IID_InVELKO_1;
  VELKO1_MEMBERS(VELKO1_PROPERTY_SLOTS, VELKO1_READER_SLOT, VELKO1_METHOD_SLOT, VELKO1_TEXT_METHOD_SLOT,
                 VELKO1_CALL_SLOT)
};
#undef VELKO1_PROPERTY_SLOTS
#undef VELKO1_READER_SLOT
#undef VELKO1_METHOD_SLOT
#undef VELKO1_TEXT_METHOD_SLOT
#undef VELKO1_CALL_SLOT

const InterfaceDescription& InVELKO_1Type();
const InterfaceDescription& InVELKO_1EventsType();
const ClassDescription& nVELKO_1Class();
// With the three enumerations no member uses.
const LibraryDescription& VELKO1Library();
// Bag names and the DISPIDs they are put by.
const std::vector<PersistEntry>& nVELKO_1PersistMap();
