// Offering a file to a peer: the dialog that picks it from a folder tree and
// a file list, and the checks before the engine is given the file.
#pragma once

#include <QString>
#include <string>

#include "U_file.h"
#include "U_modalman.h"

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;
class QTreeView;

class TmSendFile : public TModalForm {
  Q_OBJECT

 public:
  // Opens at `folder` (file system encoding).
  TmSendFile(QWidget* owner, const std::string& folder);

  // The folder shown, with its trailing "/", in the file system's encoding.
  std::string Folder() const;
  std::string Path() const;

  QLabel* Label1;
  QTreeView* lbDir;
  QListWidget* lbFile;
  QLabel* Label2;
  QLineEdit* eFileName;
  QToolButton* sbSend;
  QToolButton* sbCancel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ShowFolder(const QString& folder);
  void lbFileClick(int row);
  void sbSendClick();
  void sbCancelClick();

  QFileSystemModel* folders_;
  QString folder_;
};

// Runs the dialog for offering a file to `nick` (CP949), starting in
// `dccDir` or the download folder: the chosen path, empty when cancelled.
// On OK `dccDir` becomes the folder shown.
std::string AskSendFile(const char* nick, std::string& dccDir);
// Opens an existing plain file for offering; otherwise says why in a message
// box and gives kNoFile. Never creates a file.
FileHandle OpenFileToSend(const std::string& path);
// The name a file is offered under: its base name in CP949, blanks as "_".
std::string OfferedFileName(const std::string& path);
