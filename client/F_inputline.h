// The control's own input line: typed lines to the chat client, history,
// nick completion, formatting codes, window keys and pastes that ask first.
#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <string>

#include "U_complete.h"
#include "U_input.h"
#include "U_keys.h"

class CSubforms;
class QMenu;
class TChatClient;

class TInputLine : public QLineEdit {
  Q_OBJECT

 public:
  TInputLine(CSubforms& subforms, TChatClient& client, QWidget* parent);

  // While shown, a click in a pane or a member list gives the focus back here.
  void KeepFocus(bool keep);
  // The edit's menu, whose paste asks about several lines as Ctrl+V does.
  QMenu* ContextMenu();

  THistory History;

 protected:
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // A middle click pastes the selection the way Ctrl+V pastes the clipboard.
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // True when the key was consumed.
  bool RunKey(TInputKey key);
  void Enter();
  // Several lines are asked about and sent; false, with nothing done, for
  // one line, which is the edit's own paste.
  bool PasteSeveral(QClipboard::Mode mode);
  void ShowHistoryEntry(const std::string& entry);
  void CompleteNick();
  // The front channel's members' nicks, as the completion offers them.
  QStringList FrontChannelNicks() const;
  void FocusChanged(QWidget* now);

  CSubforms& subforms_;
  TChatClient& client_;
  TNickCompleter completer_;
};
