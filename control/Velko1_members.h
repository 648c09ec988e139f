// The control's scriptable members, declared once. The DISPIDs, the dual
// interface, the type description, the persistence map, the dispatch switch,
// the host's script verbs, its page buttons and the page's event handlers all
// come from these lists.
#pragma once

// PROPERTY(name, dispid): a text property, read and written.
// READER(name, dispid, type): a property the page only reads, of that
// automation type.
// METHOD(name, dispid, button): a method without arguments; `button` is the
// label of the page button that calls it, or nullptr.
// TEXT_METHOD(name, dispid, param): a method taking one text.
// CALL(name, dispid, result, first, second, required): a method of up to two
// texts (nullptr: none), the first `required` of them needed; its result is
// Velko1Result's none, text or list (a JSON array).
// In this order: the dual interface's virtual table follows it.
#define VELKO1_MEMBERS(PROPERTY, READER, METHOD, TEXT_METHOD, CALL) \
  PROPERTY(SKIN, 1)                                                 \
  PROPERTY(ADDR, 2)                                                 \
  PROPERTY(CHAN, 3)                                                 \
  PROPERTY(NICK, 4)                                                 \
  TEXT_METHOD(SetSkin, 5, URL)                                      \
  TEXT_METHOD(Input, 6, TEXT)                                       \
  METHOD(SelectPrev, 7, "◀")                                        \
  METHOD(SelectNext, 8, "▶")                                        \
  TEXT_METHOD(SendIRCLine, 9, TEXT)                                 \
  METHOD(Connect, 10, nullptr)                                      \
  METHOD(Tile, 11, "바둑판")                                        \
  METHOD(Cascade, 12, "계단식")                                     \
  METHOD(ShowNickChange, 13, "닉변경")                              \
  METHOD(ShowChanChange, 14, "채널정보")                            \
  CALL(Join, 15, none, "channel", "key", 1)                         \
  CALL(Part, 16, none, "channel", "reason", 1)                      \
  CALL(Query, 17, none, "nick", nullptr, 1)                         \
  CALL(Say, 18, none, "window", "text", 2)                          \
  CALL(Windows, 19, list, nullptr, nullptr, 0)                      \
  CALL(Members, 20, list, "channel", nullptr, 1)                    \
  READER(Connected, 21, VT_BOOL)                                    \
  READER(CurrentNick, 22, VT_BSTR)                                  \
  METHOD(ShowSettings, 23, "설정")

// Event parameters: a text, a number or a flag.
#define VELKO1_TEXT(name) ParamDescription{#name, VT_BSTR}
#define VELKO1_NUMBER(name) ParamDescription{#name, VT_I4}
#define VELKO1_FLAG(name) ParamDescription{#name, VT_BOOL}

// The events: EVENT(name, dispid, parameters...).
#define VELKO1_EVENTS(EVENT)                                                                         \
  EVENT(OnCreate, 3)                                                                                 \
  EVENT(OnDestroy, 6)                                                                                \
  EVENT(OnConnected, 20)                                                                             \
  EVENT(OnDisconnected, 21, VELKO1_TEXT(reason))                                                     \
  EVENT(OnMessage, 22, VELKO1_TEXT(window), VELKO1_TEXT(nick), VELKO1_TEXT(text), VELKO1_TEXT(kind)) \
  EVENT(OnJoin, 23, VELKO1_TEXT(channel), VELKO1_TEXT(nick))                                         \
  EVENT(OnPart, 24, VELKO1_TEXT(channel), VELKO1_TEXT(nick), VELKO1_TEXT(reason), VELKO1_TEXT(how))  \
  EVENT(OnNick, 25, VELKO1_TEXT(oldNick), VELKO1_TEXT(newNick))                                      \
  EVENT(OnTopic, 26, VELKO1_TEXT(channel), VELKO1_TEXT(topic))                                       \
  EVENT(OnUnread, 27, VELKO1_TEXT(window), VELKO1_NUMBER(count), VELKO1_FLAG(mention))               \
  EVENT(OnError, 28, VELKO1_TEXT(code), VELKO1_TEXT(text))

// For a list user that skips one kind of member.
#define VELKO1_IGNORE(...)
