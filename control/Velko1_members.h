// The control's scriptable members, declared once. The DISPIDs, the dual
// interface, the type description, the persistence map, the dispatch switch,
// the host's script verbs and its page buttons all come from this list.
#pragma once

// PROPERTY(name, dispid): a text property, read and written.
// METHOD(name, dispid, button): a method without arguments; `button` is the
// label of the page button that calls it, or nullptr.
// TEXT_METHOD(name, dispid, param): a method taking one text.
// In this order: the dual interface's virtual table follows it.
#define VELKO1_MEMBERS(PROPERTY, METHOD, TEXT_METHOD) \
  PROPERTY(SKIN, 1)                                   \
  PROPERTY(ADDR, 2)                                   \
  PROPERTY(CHAN, 3)                                   \
  PROPERTY(NICK, 4)                                   \
  TEXT_METHOD(SetSkin, 5, URL)                        \
  TEXT_METHOD(Input, 6, TEXT)                         \
  METHOD(SelectPrev, 7, "◀")                          \
  METHOD(SelectNext, 8, "▶")                          \
  TEXT_METHOD(SendIRCLine, 9, TEXT)                   \
  METHOD(Connect, 10, nullptr)                        \
  METHOD(Tile, 11, "바둑판")                          \
  METHOD(Cascade, 12, "계단식")                       \
  METHOD(ShowNickChange, 13, "닉변경")                \
  METHOD(ShowChanChange, 14, "채널정보")

// The events: EVENT(name, dispid).
#define VELKO1_EVENTS(EVENT) \
  EVENT(OnCreate, 3)         \
  EVENT(OnDestroy, 6)

// For a list user that skips one kind of member.
#define VELKO1_IGNORE(...)
