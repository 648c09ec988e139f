// The chat client's one top-level window: the sub-window area, the input
// line, the nick and menu boxes and the window-select menu. The chat client
// it owns runs the connection; its view shows what the client says and runs
// the dialogs.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "U_chatclient.h"
#include "U_windowview.h"

class CZoHTMLSkin;
class QLabel;
class QMenu;
class QToolButton;
class TInputLine;
class TShape;
class TUserMenu;

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  // Owns a skin loader of its own.
  explicit TMainForm(QWidget* parent = nullptr);
  // Uses the control's skin loader, which outlives the window.
  explicit TMainForm(CZoHTMLSkin& skin, QWidget* parent = nullptr);
  ~TMainForm() override;

  // False, and nothing started, for an address the loader cannot fetch (or while it fetches another).
  bool SetSkin(const char* url);
  // Told a skin that failed to load; true when it was told on (a page listens), so no message box opens.
  std::function<bool(const char* message)> TellSkinFailure;
  // A line as the user typed it. False, and nothing done, while
  // TChatClient::kMaxWaitingInput lines already wait to go out.
  bool Input(const QString& text);
  // Shows the control's own input line (its host asked, or the setting
  // does); typing while a pane or member list has the focus lands there.
  void ShowInputLine(bool show);

  TChatClient& Client() { return client_; }
  // What the client shows goes through the view, which owns the sub-windows.
  TWindowView& View() { return *view_; }
  CSubforms& Subforms() { return view_->Subforms(); }
  CZoHTMLSkin& Skin() { return skin_; }

  QWidget* pMDIClient;
  QLabel* iBack;
  TInputLine* eInput;
  TShape* shNick;
  QLabel* lbNick;
  TShape* shMenu;
  QToolButton* sbWinSelect;
  QLabel* lbAd;
  QMenu* pmVMDI;
  TUserMenu* pmUser;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Keys no window inside took: the settings key opens the dialog.
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TMainForm(std::unique_ptr<CZoHTMLSkin> ownSkin, CZoHTMLSkin* skin, QWidget* parent);
  void CreateControls();
  void LayoutControls();
  void BindSkin();
  void SkinColorsParsed();
  void SkinPictureLoaded(bool icon);
  void sbWinSelectClick();
  // The button tells that a window behind has new lines or names the user.
  void ShowUnread();

  std::unique_ptr<CZoHTMLSkin> ownSkin_;
  CZoHTMLSkin& skin_;
  TChatClient client_;
  std::unique_ptr<TWindowView> view_;
};
