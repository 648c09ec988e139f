// The members a page builds its own interface with: joining, leaving, talking
// to a window by name, and reading the windows, members and connection.
// A call that cannot be done fails with "code: text", a stable English code
// and the Korean words a person reads.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <stdexcept>

#include "F_mainform.h"
#include "F_mdiabstract.h"
#include "U_codepage.h"
#include "U_ircline.h"
#include "U_subforms.h"
#include "U_windowkinds.h"
#include "Velko1impl.h"

namespace {

[[noreturn]] void Refuse(const char* code, const char* text) {
  throw std::runtime_error(std::string(code) + ": " + text);
}

// A name the wire takes as one word: no blank, comma or control character.
bool IsOneWord(const QString& name) {
  if (name.isEmpty()) return false;
  for (const QChar c : name)
    if (c.isSpace() || c == QLatin1Char(',') || c.unicode() < 0x20) return false;
  return true;
}

QString Channel(const VARIANT& arg) {
  QString name = QStringFromBstr(arg.bstrVal);
  if (!name.startsWith(QLatin1Char('#')) && !name.startsWith(QLatin1Char('&'))) name.prepend(QLatin1Char('#'));
  if (!IsOneWord(name) || name.size() < 2) Refuse("bad-channel", "채널 이름이 올바르지 않습니다.");
  return name;
}

// The rest of a line: cut at its first line end, as a property is.
QString OneLine(const VARIANT& arg) {
  const QString text = QStringFromBstr(arg.bstrVal);
  return text.left(text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n\\x00]"))));
}

void SetText(VARIANT* result, const QString& text) {
  if (!result) return;
  result->vt = VT_BSTR;
  result->bstrVal = BstrFromQString(text);
}

QString JsonText(const QJsonArray& array) {
  return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString WindowName(const TMDIABS& form) {
  const std::string name = form.InputTarget().name;
  return name.empty() ? form.windowTitle() : DecodeDisplay(name.c_str());
}

}  // namespace

void TnVELKO_1::RequireLogon() {
  if (Main().Client().Engine().state != TZoEngine::LoggedOn) Refuse("not-connected", "서버에 접속되어 있지 않습니다.");
}

void TnVELKO_1::QueueLine(const std::string& line) {
  TChatClient& client = Main().Client();
  if (client.Waiting() >= TChatClient::kMaxWaitingInput) throw std::runtime_error("too many lines are waiting to be sent");
  client.Queue(line);
}

HRESULT TnVELKO_1::Join(const VARIANT* args, VARIANT*) {
  return GuardedCall(IID_InVELKO_1, [&] {
    const QString channel = Channel(args[0]);
    const QString key = OneLine(args[1]).trimmed();
    RequireLogon();
    const TChatClient& client = Main().Client();
    QueueLine(Irc::Join(client.WireText(channel), client.WireText(key)));
    return S_OK;
  });
}

HRESULT TnVELKO_1::Part(const VARIANT* args, VARIANT*) {
  return GuardedCall(IID_InVELKO_1, [&] {
    const QString channel = Channel(args[0]);
    RequireLogon();
    const TChatClient& client = Main().Client();
    QueueLine(Irc::Part(client.WireText(channel), client.WireText(OneLine(args[1]))));
    return S_OK;
  });
}

HRESULT TnVELKO_1::Query(const VARIANT* args, VARIANT*) {
  return GuardedCall(IID_InVELKO_1, [&] {
    const QString nick = QStringFromBstr(args[0].bstrVal);
    if (!IsOneWord(nick) || nick.startsWith(QLatin1Char('#'))) Refuse("bad-nick", "닉네임이 올바르지 않습니다.");
    Main().Client().ShowQuery(Main().Client().WireText(nick));
    return S_OK;
  });
}

HRESULT TnVELKO_1::Say(const VARIANT* args, VARIANT*) {
  return GuardedCall(IID_InVELKO_1, [&] {
    const QString window = QStringFromBstr(args[0].bstrVal);
    if (!IsOneWord(window)) Refuse("bad-window", "창 이름이 올바르지 않습니다.");
    const QString text = OneLine(args[1]);
    if (text.isEmpty()) Refuse("empty-text", "보낼 말이 없습니다.");
    RequireLogon();
    TChatClient& client = Main().Client();
    if (client.Waiting() >= TChatClient::kMaxWaitingInput)
      throw std::runtime_error("too many lines are waiting to be sent");
    const bool channel = window.startsWith(QLatin1Char('#')) || window.startsWith(QLatin1Char('&'));
    client.Say({channel ? TFrontKind::Channel : TFrontKind::Query, client.WireText(window)}, client.WireText(text));
    return S_OK;
  });
}

HRESULT TnVELKO_1::Windows(const VARIANT*, VARIANT* result) {
  return GuardedCall(IID_InVELKO_1, [&] {
    const CSubforms& manager = Main().Subforms();
    QJsonArray rows;
    for (int i = 0; i < manager.Count(); ++i) {
      const TMDIABS& form = *manager.Form(i);
      const QString name = WindowName(form);
      rows.append(QJsonObject{{QStringLiteral("kind"), QString::fromLatin1(WindowKindLabel(form.Kind)).toLower()},
                              {QStringLiteral("name"), name},
                              {QStringLiteral("unread"), Main().Client().Feed().UnreadOf(name)}});
    }
    SetText(result, JsonText(rows));
    return S_OK;
  });
}

HRESULT TnVELKO_1::Members(const VARIANT* args, VARIANT* result) {
  return GuardedCall(IID_InVELKO_1, [&] {
    QStringList members;
    if (!MemberEntries(Main().Subforms(), Channel(args[0]), &members))
      Refuse("no-channel", "그 채널 창이 없습니다.");
    SetText(result, JsonText(QJsonArray::fromStringList(members)));
    return S_OK;
  });
}

HRESULT TnVELKO_1::get_Connected(VARIANT* Value) {
  return GuardedCall(IID_InVELKO_1, [&] {
    if (!Value) return E_POINTER;
    Value->vt = VT_BOOL;
    Value->boolVal = Main().Client().Engine().state == TZoEngine::LoggedOn ? -1 : 0;
    return S_OK;
  });
}

HRESULT TnVELKO_1::get_CurrentNick(VARIANT* Value) {
  return GuardedCall(IID_InVELKO_1, [&] {
    if (!Value) return E_POINTER;
    SetText(Value, DecodeDisplay(Main().Client().Engine().Nick().c_str()));
    return S_OK;
  });
}
