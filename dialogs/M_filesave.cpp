#include "M_filesave.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "C_datas.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "U_dlgcontrols.h"
#include "U_localpath.h"
#include "U_transferstats.h"

namespace {

constexpr size_t kMaxNameBytes = 255;

// CP949 names become file names in the file system's encoding, where a
// Hangul syllable takes three bytes instead of two: cut to whole characters.
std::string LocalFileName(const char* offered) {
  QString name = DecodeDisplay(SafeFileName(offered).c_str());
  std::string bytes = ToLocalPath(name);
  while (bytes.size() > kMaxNameBytes) {
    name.chop(name.size() > 1 && name.back().isLowSurrogate() ? 2 : 1);
    bytes = ToLocalPath(name);
  }
  return bytes;
}

QString OpenSaveDialog(QWidget* parent, const QString& proposed) {
  return QFileDialog::getSaveFileName(parent, QString(), proposed, QString(), nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

}  // namespace

TSaveAction DecideSave(const TSaveTarget& target, uint64_t offered) {
  if (target.folderMissing) return TSaveAction::AskFolder;
  if (!target.folderWritable) return TSaveAction::RefuseFolder;
  if (!target.hasName) return TSaveAction::RefuseTarget;
  if (!target.exists) return TSaveAction::Create;
  if (!target.regularFile || !target.writable) return TSaveAction::RefuseTarget;
  if (target.size == 0) return TSaveAction::Create;
  if (target.size < offered) return TSaveAction::Resume;
  return TSaveAction::AskOverwrite;
}

TSaveTarget InspectSaveTarget(const std::string& path) {
  TSaveTarget target;
  const std::string folder = FolderOf(path);
  struct stat info {};
  const bool found = !folder.empty() && stat(folder.c_str(), &info) == 0;
  target.folderMissing = !folder.empty() && !found && errno == ENOENT;
  target.folderWritable = found && S_ISDIR(info.st_mode) && access(folder.c_str(), W_OK | X_OK) == 0;
  target.hasName = folder.size() < path.size();
  if (!target.hasName || stat(path.c_str(), &info) != 0) return target;
  target.exists = true;
  target.regularFile = S_ISREG(info.st_mode);
  target.writable = access(path.c_str(), W_OK) == 0;
  target.size = static_cast<uint64_t>(info.st_size);
  return target;
}

std::string SavePathFor(const std::string& folder, const char* offered) {
  return WithSlash(folder) + LocalFileName(offered);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string StartFolder(const std::string& dccDir, const std::string& fallback) {
  if (!dccDir.empty() && QFileInfo(FromLocalPath(dccDir)).isDir()) return WithSlash(dccDir);
  QDir().mkpath(FromLocalPath(fallback));
  return WithSlash(fallback);
}

TmSaveFile::TmSaveFile(QWidget* owner, uint64_t offeredSize)
    : TModalForm(owner, QSize(360, 84)),
      Label1(MakeLabel(pClient, QRect(8, 8, 344, 12), QString::fromUtf8("파일이름과 저장할 위치를 선택하세요"))),
      eFileName(MakeFlatEdit(pClient, QRect(8, 26, 344, 18))),
      sbDown(MakeFlatButton(pClient, QRect(132, 56, 70, 20), QString::fromUtf8("받기"))),
      sbNo(MakeFlatButton(pClient, QRect(207, 56, 70, 20), QString::fromUtf8("받지않기"))),
      sbSetDir(MakeFlatButton(pClient, QRect(282, 56, 70, 20), QString::fromUtf8("위치지정"))),
      SD(OpenSaveDialog),
      offeredSize_(offeredSize) {
  const uint32_t fg = DialogTextColor();
  SetTextColor({Label1, sbDown, sbNo, sbSetDir}, fg);
  SetEditColors(eFileName, fg, DialogFrameColors()[FrameColorSlot::BodyColor]);
  connect(eFileName, &QLineEdit::returnPressed, this, &TmSaveFile::sbDownClick);
  connect(sbDown, &QToolButton::clicked, this, &TmSaveFile::sbDownClick);
  connect(sbNo, &QToolButton::clicked, this, &TmSaveFile::sbNoClick);
  connect(sbSetDir, &QToolButton::clicked, this, &TmSaveFile::sbSetDirClick);
}

std::string TmSaveFile::Path() const { return ToLocalPath(eFileName->text()); }

bool TmSaveFile::TargetAccepted() {
  overwrite_ = false;
  switch (DecideSave(InspectSaveTarget(Path()), offeredSize_)) {
    case TSaveAction::Create:
    case TSaveAction::Resume:
      return true;
    case TSaveAction::AskOverwrite:
      overwrite_ = ShowConfirmBox(Cp949Literal("같은 이름의 파일이 이미 있습니다. 덮어쓸까요?"));
      return overwrite_;
    case TSaveAction::AskFolder:
      return ShowConfirmBox(Cp949Literal("저장할 폴더가 없습니다. 새로 만들까요?")) && MadeFolder();
    case TSaveAction::RefuseFolder:
      ShowMessageBox(Cp949Literal("그 폴더에는 저장할 수 없습니다. 위치를 다시 지정하세요."));
      return false;
    case TSaveAction::RefuseTarget:
      break;
  }
  ShowMessageBox(Cp949Literal("그 이름으로는 저장할 수 없습니다. 위치를 다시 지정하세요."));
  return false;
}

bool TmSaveFile::MadeFolder() {
  if (QDir().mkpath(FromLocalPath(FolderOf(Path())))) return TargetAccepted();
  ShowMessageBox(Cp949Literal("폴더를 만들 수 없습니다. 위치를 다시 지정하세요."));
  return false;
}

void TmSaveFile::sbDownClick() {
  if (TargetAccepted()) SetModalResult(mrOk);
}

void TmSaveFile::sbNoClick() { SetModalResult(mrCancel); }

void TmSaveFile::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    sbNoClick();
  else
    TModalForm::keyPressEvent(event);
}

void TmSaveFile::sbSetDirClick() {
  const QString chosen = SD ? SD(this, eFileName->text()) : QString();
  if (!chosen.isEmpty()) eFileName->setText(chosen);
}

FileHandle AskSaveFile(const char* nick, const char* fileName, uint64_t size, std::string& dccDir,
                       const std::function<bool()>& wanted) {
  TModalHolder<TmSaveFile> dialog(size);
  const std::string proposed = SavePathFor(StartFolder(dccDir, DefaultDownloadFolder()), fileName);
  dialog->eFileName->setText(FromLocalPath(proposed));
  dialog->setWindowTitle(QString::fromUtf8("%1님의 파일(%2)을 받습니다. (%3)")
                             .arg(DecodeDisplay(nick ? nick : ""), DecodeDisplay(fileName ? fileName : ""),
                                  DecodeDisplay(SizeText(size).c_str())));
  if (dialog->ShowModal() != mrOk || (wanted && !wanted())) return kNoFile;
  const std::string path = dialog->Path();
  const FileHandle file = FileOpenReceived(path, !dialog->Overwrite());
  if (file == kNoFile) {
    ShowMessageBox(Cp949Literal("파일을 열수 없습니다. 취소합니다."));
    return kNoFile;
  }
  dccDir = FolderOf(path);
  return file;
}
