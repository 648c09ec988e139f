// The settings dialog: the server, the login, the charset, the panes, the
// logs, the input line, DCC and notifications. Each field is checked as it is
// typed and what is wrong is said beside it; OK is refused while one is.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "U_modalman.h"

class CDatas;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

using TSettingValues = std::vector<std::pair<std::string, std::string>>;
// Asks for a folder, starting at `start`; empty when the person declines.
using TFolderChooser = std::function<QString(QWidget* parent, const QString& start)>;

class TmSettings : public TModalForm {
  Q_OBJECT

 public:
  // `inUse` shows in place of what is stored: the server the session uses.
  TmSettings(QWidget* owner, const CDatas& datas, const TSettingValues& inUse = {});

  // Every field's value by setting name, as the settings keep it.
  TSettingValues Values() const;
  // What the dialog says beside the setting's field; empty when it is fine.
  QString NoteOf(const char* name) const;

  QLineEdit* eAddress;
  QLineEdit* ePort;
  QCheckBox* cbTls;
  QLineEdit* eNick;
  QLineEdit* eSaslAccount;
  QLineEdit* eSaslPassword;
  QComboBox* cbEncoding;
  QLineEdit* eDCCDir;
  QToolButton* sbDCCDir;
  QLineEdit* ePaneLines;
  QCheckBox* cbTimestamps;
  QCheckBox* cbNickColors;
  QCheckBox* cbChatLogs;
  QCheckBox* cbInputLine;
  QCheckBox* cbDCCChatAutoAccept;
  QCheckBox* cbNotifications;
  QLabel* lReconnect;
  QToolButton* sbOk;
  QToolButton* sbCancel;
  // The folder picker; a file dialog unless replaced.
  TFolderChooser SD;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TField {
    const char* name;
    QWidget* control;
    QLabel* note;  // beside the field; none for a box
    bool reconnect;
    std::string initial;
  };

  void AddField(const char* name, QWidget* control, int row, bool reconnect, const std::string& initial);
  QCheckBox* MakeBox(int column, int row, const char* caption);
  std::string ValueOf(const TField& field) const;
  void ShowValue(const TField& field, const std::string& value);
  // Checks the field, says why it is wrong, and decides whether OK may be pressed.
  void Recheck();
  bool CheckField(const TField& field);
  void TlsToggled(bool on);
  void sbDCCDirClick();
  void sbOkClick();
  // A missing folder is made when the person agrees; false leaves the dialog open.
  bool FolderReady();

  std::vector<TField> fields_;
};
