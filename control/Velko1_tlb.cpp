#include "Velko1_tlb.h"

namespace {

MemberDescription Describe(const Velko1Member& member) {
  if (member.kind == MemberKind::Property)
    return {member.id, member.name, MemberKind::Property, member.type, {}, member.readOnly};
  std::vector<ParamDescription> params;
  for (const char* param : {member.param, member.second})
    if (param) params.push_back({param, VT_BSTR, int(params.size()) >= member.required});
  const VARTYPE result = member.result == Velko1Result::none ? VT_EMPTY : VT_BSTR;
  return {member.id, member.name, MemberKind::Method, result, std::move(params)};
}

std::vector<MemberDescription> Members() {
  std::vector<MemberDescription> members;
  for (const Velko1Member& member : kVelko1Members) members.push_back(Describe(member));
  return members;
}

#define VELKO1_EVENT_ROW(name, id, ...) MemberDescription{id, #name, MemberKind::Method, VT_EMPTY, {__VA_ARGS__}},

}  // namespace

const InterfaceDescription& InVELKO_1Type() {
  static const InterfaceDescription type{IID_InVELKO_1, "InVELKO_1", "Dispatch interface for nVELKO_1 Control",
                                         kDualInterface | kAutomation, Members()};
  return type;
}

const InterfaceDescription& InVELKO_1EventsType() {
  static const InterfaceDescription type{DIID_InVELKO_1Events,
                                         "InVELKO_1Events",
                                         "Events interface for nVELKO_1 Control",
                                         kDispatchOnly,
                                         {VELKO1_EVENTS(VELKO1_EVENT_ROW)}};
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

// Every member is named, as the class declares it; the load skips the methods.
const std::vector<PersistEntry>& nVELKO_1PersistMap() {
  static const std::vector<PersistEntry> map = [] {
    std::vector<PersistEntry> entries;
    for (const Velko1Member& member : kVelko1Members) entries.push_back({member.name, member.id});
    return entries;
  }();
  return map;
}
