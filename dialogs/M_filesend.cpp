#include "M_filesend.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QTreeView>

#include "C_datas.h"
#include "M_filesave.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "U_dcclink.h"
#include "U_dlgcontrols.h"
#include "U_localpath.h"

namespace {

bool IsEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

// The configured folder, else the download folder, made when missing; home
// only when even that cannot be made.
QString OpeningFolder(const std::string& folder) {
  const QFileInfo info(FromLocalPath(StartFolder(folder, DefaultDownloadFolder())));
  return info.isDir() ? info.absoluteFilePath() : QDir::homePath();
}

}  // namespace

TmSendFile::TmSendFile(QWidget* owner, const std::string& folder)
    : TModalForm(owner, QSize(360, 262)),
      Label1(MakeLabel(pClient, QRect(8, 8, 344, 12), QString::fromUtf8("보낼 파일은 선택하세요"))),
      lbDir(new QTreeView(pClient)),
      lbFile(new QListWidget(pClient)),
      Label2(MakeLabel(pClient, QRect(8, 207, 40, 12), QString::fromUtf8("파일명"))),
      eFileName(MakeFlatEdit(pClient, QRect(52, 204, 300, 18))),
      sbSend(MakeFlatButton(pClient, QRect(206, 234, 70, 20), QString::fromUtf8("보내기"))),
      sbCancel(MakeFlatButton(pClient, QRect(282, 234, 70, 20), QString::fromUtf8("취소"))),
      folders_(new QFileSystemModel(this)) {
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders_->setRootPath(QDir::rootPath());
  lbDir->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) lbDir->hideColumn(column);
  lbDir->header()->hide();
  lbDir->setGeometry(8, 26, 168, 170);
  lbFile->setGeometry(184, 26, 168, 170);
  lbFile->installEventFilter(this);

  const uint32_t fg = DialogTextColor();
  const uint32_t bg = DialogFrameColors()[FrameColorSlot::BodyColor];
  SetTextColor({Label1, Label2, sbSend, sbCancel}, fg);
  SetEditColors(eFileName, fg, bg);
  SetListColors(lbDir, fg, bg);
  SetListColors(lbFile, fg, bg);

  // The tree loads folders after the dialog is built: keep the shown one in view.
  connect(folders_, &QFileSystemModel::directoryLoaded, this, [this] { lbDir->scrollTo(lbDir->currentIndex()); });
  connect(lbFile, &QListWidget::currentRowChanged, this, &TmSendFile::lbFileClick);
  connect(lbDir->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { ShowFolder(folders_->filePath(current)); });
  connect(sbSend, &QToolButton::clicked, this, &TmSendFile::sbSendClick);
  connect(sbCancel, &QToolButton::clicked, this, &TmSendFile::sbCancelClick);
  ShowFolder(OpeningFolder(folder));
}

std::string TmSendFile::Folder() const { return WithSlash(ToLocalPath(folder_)); }

std::string TmSendFile::Path() const { return ToLocalPath(eFileName->text()); }

void TmSendFile::ShowFolder(const QString& folder) {
  if (folder.isEmpty() || folder == folder_) return;
  folder_ = folder;
  const QModelIndex index = folders_->index(folder);
  if (lbDir->currentIndex() != index) lbDir->setCurrentIndex(index);
  lbDir->scrollTo(index);
  lbFile->clear();
  lbFile->addItems(QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
  if (lbFile->count() > 0) lbFile->setCurrentRow(0);
}

void TmSendFile::lbFileClick(int row) {
  if (row < 0) return;
  eFileName->setText(QDir(folder_).filePath(lbFile->item(row)->text()));
}

bool TmSendFile::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbFile && event->type() == QEvent::KeyPress && IsEnter(static_cast<QKeyEvent*>(event))) {
    sbSendClick();
    return true;
  }
  return TModalForm::eventFilter(watched, event);
}

void TmSendFile::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    sbCancelClick();
  else
    TModalForm::keyPressEvent(event);
}

void TmSendFile::sbSendClick() { SetModalResult(mrOk); }

void TmSendFile::sbCancelClick() { SetModalResult(mrCancel); }

std::string AskSendFile(const char* nick, std::string& dccDir) {
  TModalHolder<TmSendFile> dialog(dccDir);
  dialog->setWindowTitle(QString::fromUtf8("%1님께 파일을 보냅니다.").arg(DecodeDisplay(nick ? nick : "")));
  if (dialog->ShowModal() != mrOk) return std::string();
  dccDir = dialog->Folder();
  return dialog->Path();
}

FileHandle OpenFileToSend(const std::string& path) {
  const QFileInfo info(FromLocalPath(path));
  const FileHandle file = info.isFile() ? FileOpen(path.c_str(), true, false) : kNoFile;
  if (file == kNoFile) ShowMessageBox(Cp949Literal("파일을 열 수 없습니다."));
  return file;
}

std::string OfferedFileName(const std::string& path) {
  return OfferName(EncodeText(QFileInfo(FromLocalPath(path)).fileName()));
}
