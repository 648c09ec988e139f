#include "Velko1_tlb.h"

namespace {

MemberDescription StringProperty(DISPID id, const char* name) { return {id, name, MemberKind::Property, VT_BSTR, {}}; }

MemberDescription Method(DISPID id, const char* name) { return {id, name, MemberKind::Method, VT_EMPTY, {}}; }

MemberDescription Method(DISPID id, const char* name, const char* param) {
  return {id, name, MemberKind::Method, VT_EMPTY, {{param, VT_BSTR}}};
}

}  // namespace

const InterfaceDescription& InVELKO_1Type() {
  static const InterfaceDescription type{IID_InVELKO_1,
                                         "InVELKO_1",
                                         "Dispatch interface for nVELKO_1 Control",
                                         kDualInterface | kAutomation,
                                         {
                                             StringProperty(DISPID_SKIN, "SKIN"),
                                             StringProperty(DISPID_ADDR, "ADDR"),
                                             StringProperty(DISPID_CHAN, "CHAN"),
                                             StringProperty(DISPID_NICK, "NICK"),
                                             Method(DISPID_SetSkin, "SetSkin", "URL"),
                                             Method(DISPID_Input, "Input", "TEXT"),
                                             Method(DISPID_SelectPrev, "SelectPrev"),
                                             Method(DISPID_SelectNext, "SelectNext"),
                                             Method(DISPID_SendIRCLine, "SendIRCLine", "TEXT"),
                                             Method(DISPID_Connect, "Connect"),
                                             Method(DISPID_Tile, "Tile"),
                                             Method(DISPID_Cascade, "Cascade"),
                                             Method(DISPID_ShowNickChange, "ShowNickChange"),
                                             Method(DISPID_ShowChanChange, "ShowChanChange"),
                                         }};
  return type;
}

const InterfaceDescription& InVELKO_1EventsType() {
  static const InterfaceDescription type{DIID_InVELKO_1Events,
                                         "InVELKO_1Events",
                                         "Events interface for nVELKO_1 Control",
                                         kDispatchOnly,
                                         {Method(DISPID_OnCreate, "OnCreate"), Method(DISPID_OnDestroy, "OnDestroy")}};
  return type;
}

const ClassDescription& nVELKO_1Class() {
  static const ClassDescription type{CLSID_nVELKO_1,        "nVELKO_1",       "nVELKO_1 Control",
                                     kCreatable | kControl, &InVELKO_1Type(), &InVELKO_1EventsType()};
  return type;
}

const LibraryDescription& VELKO1Library() {
  static const LibraryDescription library{
      LIBID_VELKO1,
      "VELKO1",
      "VELKO1 Library",
      1,
      0,
      0x409,
      kControlLibrary,
      {&InVELKO_1Type(), &InVELKO_1EventsType()},
      {&nVELKO_1Class()},
      {
          {"TxActiveFormBorderStyle", {{"afbNone", 0}, {"afbSingle", 1}, {"afbSunken", 2}, {"afbRaised", 3}}},
          {"TxPrintScale", {{"poNone", 0}, {"poProportional", 1}, {"poPrintToFit", 2}}},
          {"TxMouseButton", {{"mbLeft", 0}, {"mbRight", 1}, {"mbMiddle", 2}}},
      }};
  return library;
}

const std::vector<PersistEntry>& nVELKO_1PersistMap() {
  static const std::vector<PersistEntry> map{
      {"SKIN", DISPID_SKIN},
      {"ADDR", DISPID_ADDR},
      {"CHAN", DISPID_CHAN},
      {"NICK", DISPID_NICK},
      {"SetSkin", DISPID_SetSkin},
      {"Input", DISPID_Input},
      {"SelectPrev", DISPID_SelectPrev},
      {"SelectNext", DISPID_SelectNext},
      {"SendIRCLine", DISPID_SendIRCLine},
      {"Connect", DISPID_Connect},
      {"Tile", DISPID_Tile},
      {"Cascade", DISPID_Cascade},
      {"ShowNickChange", DISPID_ShowNickChange},
      {"ShowChanChange", DISPID_ShowChanChange},
  };
  return map;
}
