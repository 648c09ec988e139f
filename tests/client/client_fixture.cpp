#include "client_fixture.h"

#include <QListView>

#include "F_mchannel.h"
#include "U_paneview.h"
#include "U_subforms.h"
#include "wait_until.h"

WiredForm::WiredForm() : form(std::make_unique<TMainForm>()) {
  form->Client().ApplyNick("me");
  form->Client().ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  server.WaitForClient();
  server.WaitForText("NICK me\r\n");
}

bool WiredForm::Sent(const std::string& line, int timeoutMs) {
  return server.WaitForText(QByteArray::fromStdString(line), timeoutMs);
}

void SelectMemberRow(TmChannel* channel, int row) {
  channel->lbUsers->setCurrentIndex(channel->lbUsers->model()->index(row, 0));
}

bool HasMember(TMainForm& form, const char* channel, const char* entry) {
  TmChannel* window = form.Subforms().FindChannel(channel);
  if (!window) return false;
  const auto& users = window->Users();
  return std::find(users.begin(), users.end(), entry) != users.end();
}

QString PaneText(TmABSRich* pane) {
  pane->ShowPendingLines();
  QStringList lines;
  const TPaneLines& shown = pane->rView->Lines();
  for (int64_t line = shown.First(); line < shown.End(); ++line) lines << shown.LineText(line);
  return lines.join(QLatin1Char('\n'));
}
