#include "M_settings.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "C_datas.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "U_dlgcontrols.h"
#include "U_localpath.h"
#include "U_settingrules.h"

namespace {

constexpr int kTop = 10;
constexpr int kRow = 24;
constexpr int kLabelX = 10;
constexpr int kFieldX = 112;
constexpr int kFieldWidth = 170;
constexpr int kNoteX = 290;
constexpr int kWidth = 520;
constexpr int kFieldRows = 8;
constexpr int kBoxTop = kTop + kFieldRows * kRow + 2;
constexpr int kBoxRow = 20;
constexpr int kNoteTop = kBoxTop + 3 * kBoxRow + 6;
constexpr int kButtonTop = kNoteTop + 22;
constexpr int kHeight = kButtonTop + 32;
constexpr uint32_t kFaultColor = 0xD00000;
constexpr int kNickBytes = 30;
constexpr int kTextBytes = 511;

constexpr const char* kPlainPort = "6667";
constexpr const char* kTlsPort = "6697";

QRect FieldRect(int row, int width = kFieldWidth) { return QRect(kFieldX, kTop + row * kRow, width, 18); }

QString ChooseFolder(QWidget* parent, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, QString::fromUtf8("받은 파일 폴더"), start);
}

bool IsPath(const char* name) {
  const TSettingInfo* info = FindSetting(name);
  return info && info->kind == TSettingKind::Path;
}

}  // namespace

TmSettings::TmSettings(QWidget* owner, const CDatas& datas, const TSettingValues& inUse)
    : TModalForm(owner, QSize(kWidth, kHeight)),
      eAddress(MakeFlatEdit(pClient, FieldRect(0))),
      ePort(MakeFlatEdit(pClient, FieldRect(1, 60))),
      cbTls(new QCheckBox(QString::fromUtf8("TLS 암호화"), pClient)),
      eNick(MakeFlatEdit(pClient, FieldRect(2))),
      eSaslAccount(MakeFlatEdit(pClient, FieldRect(3))),
      eSaslPassword(MakeFlatEdit(pClient, FieldRect(4))),
      cbEncoding(new QComboBox(pClient)),
      eDCCDir(MakeFlatEdit(pClient, FieldRect(6, kFieldWidth - 24))),
      sbDCCDir(MakeFlatButton(pClient, QRect(kFieldX + kFieldWidth - 20, kTop + 6 * kRow, 20, 18), "...")),
      ePaneLines(MakeFlatEdit(pClient, FieldRect(7, 60))),
      cbTimestamps(MakeBox(0, 0, "시각 표시")),
      cbNickColors(MakeBox(1, 0, "대화명마다 다른 색")),
      cbChatLogs(MakeBox(0, 1, "대화 기록 파일 남기기")),
      cbInputLine(MakeBox(1, 1, "입력줄 보이기")),
      cbDCCChatAutoAccept(MakeBox(0, 2, "DCC 대화 바로 받기")),
      cbNotifications(MakeBox(1, 2, "바탕화면 알림")),
      lReconnect(MakeLabel(pClient, QRect(kLabelX, kNoteTop, kWidth - 2 * kLabelX, 16),
                           QString::fromUtf8("서버, 로그인, 문자셋은 다시 접속하면 적용됩니다."))),
      sbOk(MakeFlatButton(pClient, QRect(kWidth - 164, kButtonTop, 72, 22), QString::fromUtf8("확인"))),
      sbCancel(MakeFlatButton(pClient, QRect(kWidth - 84, kButtonTop, 72, 22), QString::fromUtf8("취소"))),
      SD(ChooseFolder) {
  setWindowTitle(QString::fromUtf8("설정"));
  cbTls->setGeometry(kFieldX + 72, kTop + kRow, 96, 18);
  cbEncoding->setGeometry(FieldRect(5, 120));
  cbEncoding->addItem(QString::fromUtf8("자동 (서버를 따름)"), QStringLiteral("auto"));
  cbEncoding->addItem(QStringLiteral("CP949"), QStringLiteral("cp949"));
  cbEncoding->addItem(QStringLiteral("UTF-8"), QStringLiteral("utf-8"));
  eSaslPassword->setEchoMode(QLineEdit::Password);
  LimitCP949(eNick, kNickBytes);
  for (QLineEdit* edit : {eAddress, eSaslAccount, eSaslPassword}) LimitCP949(edit, kTextBytes);

  static const char* const kCaptions[] = {"서버 주소", "포트", "대화명", "SASL 계정", "SASL 암호",
                                          "문자셋", "받은 파일 폴더", "창에 남길 줄 수"};
  const uint32_t fg = DialogTextColor();
  const uint32_t bg = DialogFrameColors()[FrameColorSlot::BodyColor];
  for (int row = 0; row < kFieldRows; ++row)
    SetTextColor(MakeLabel(pClient, QRect(kLabelX, kTop + row * kRow + 3, kFieldX - kLabelX - 4, 14),
                           QString::fromUtf8(kCaptions[row])),
                 fg);
  const auto add = [&](const char* name, QWidget* control, int row, bool reconnect) {
    const auto found = std::find_if(inUse.begin(), inUse.end(), [name](const auto& value) { return value.first == name; });
    AddField(name, control, row, reconnect, found != inUse.end() ? found->second : SettingValue(datas, name));
  };
  add("Address", eAddress, 0, true);
  add("Port", ePort, 1, true);
  add("Tls", cbTls, -1, true);
  add("Nick", eNick, 2, false);
  add("SaslAccount", eSaslAccount, 3, true);
  add("SaslPassword", eSaslPassword, 4, true);
  add("Encoding", cbEncoding, 5, true);
  add("DCCDir", eDCCDir, 6, false);
  add("PaneLines", ePaneLines, 7, false);
  const std::pair<const char*, QCheckBox*> boxes[] = {
      {"Timestamps", cbTimestamps}, {"NickColors", cbNickColors},         {"ChatLogs", cbChatLogs},
      {"InputLine", cbInputLine},   {"DCCChatAutoAccept", cbDCCChatAutoAccept}, {"Notifications", cbNotifications}};
  for (const auto& [name, box] : boxes) add(name, box, -1, false);

  for (const TField& field : fields_) {
    if (auto* edit = qobject_cast<QLineEdit*>(field.control)) SetEditColors(edit, fg, bg);
    SetTextColor(field.control, fg);
  }
  cbEncoding->setStyleSheet(QString("QComboBox, QComboBox QAbstractItemView { color: %1; background: %2; }")
                                .arg(QColor::fromRgb(fg & 0xFFFFFF).name(), QColor::fromRgb(bg & 0xFFFFFF).name()));
  SetTextColor({lReconnect, sbDCCDir, sbOk, sbCancel}, fg);
  connect(cbTls, &QCheckBox::toggled, this, &TmSettings::TlsToggled);
  connect(sbDCCDir, &QToolButton::clicked, this, &TmSettings::sbDCCDirClick);
  connect(sbOk, &QToolButton::clicked, this, &TmSettings::sbOkClick);
  connect(sbCancel, &QToolButton::clicked, this, &TModalForm::close);
  Recheck();
  eAddress->setFocus();
}

QCheckBox* TmSettings::MakeBox(int column, int row, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), pClient);
  box->setGeometry(kLabelX + column * 250, kBoxTop + row * kBoxRow, 240, 18);
  return box;
}

void TmSettings::AddField(const char* name, QWidget* control, int row, bool reconnect, const std::string& initial) {
  QLabel* note = nullptr;
  if (row >= 0) {
    note = MakeLabel(pClient, QRect(kNoteX, kTop + row * kRow + 3, kWidth - kNoteX - 6, 14), QString());
    note->setObjectName(QString::fromLatin1(name));
  }
  fields_.push_back({name, control, note, reconnect, initial});
  ShowValue(fields_.back(), fields_.back().initial);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) connect(edit, &QLineEdit::textChanged, this, &TmSettings::Recheck);
  if (auto* box = qobject_cast<QCheckBox*>(control)) connect(box, &QCheckBox::toggled, this, &TmSettings::Recheck);
  if (auto* combo = qobject_cast<QComboBox*>(control))
    connect(combo, &QComboBox::currentIndexChanged, this, &TmSettings::Recheck);
}

std::string TmSettings::ValueOf(const TField& field) const {
  if (auto* edit = qobject_cast<QLineEdit*>(field.control))
    return IsPath(field.name) ? ToLocalPath(edit->text()) : EncodeText(edit->text());
  if (auto* box = qobject_cast<QCheckBox*>(field.control)) return box->isChecked() ? "1" : "0";
  return static_cast<QComboBox*>(field.control)->currentData().toString().toStdString();
}

void TmSettings::ShowValue(const TField& field, const std::string& value) {
  if (auto* edit = qobject_cast<QLineEdit*>(field.control))
    edit->setText(IsPath(field.name) ? FromLocalPath(value) : DecodeDisplay(value.c_str()));
  else if (auto* box = qobject_cast<QCheckBox*>(field.control))
    box->setChecked(value != "0");
  else if (auto* combo = qobject_cast<QComboBox*>(field.control))
    combo->setCurrentIndex(std::max(0, combo->findData(QString::fromStdString(value == "utf8" ? "utf-8" : value).toLower())));
}

TSettingValues TmSettings::Values() const {
  TSettingValues values;
  for (const TField& field : fields_) values.emplace_back(field.name, ValueOf(field));
  return values;
}

QString TmSettings::NoteOf(const char* name) const {
  const auto field = std::ranges::find_if(fields_, [&](const TField& f) { return std::string_view(f.name) == name; });
  return field != fields_.end() && field->note ? field->note->text() : QString();
}

bool TmSettings::CheckField(const TField& field) {
  const std::string value = ValueOf(field);
  const std::optional<TSettingFault> fault = CheckSetting(field.name, value);
  if (!field.note) return !fault;
  QString text;
  if (fault)
    text = QString::fromStdString(fault->korean);
  else if (IsPath(field.name) && FolderMissing(value))
    text = QString::fromUtf8("없는 폴더: 확인하면 만듭니다");
  field.note->setText(text);
  SetTextColor(field.note, fault ? kFaultColor : DialogTextColor());
  return !fault;
}

void TmSettings::Recheck() {
  bool good = true;
  bool reconnect = false;
  for (const TField& field : fields_) {
    good = CheckField(field) && good;
    reconnect = reconnect || (field.reconnect && ValueOf(field) != field.initial);
  }
  sbOk->setEnabled(good);
  lReconnect->setVisible(reconnect);
}

// The port follows TLS while it holds the other one's usual number.
void TmSettings::TlsToggled(bool on) {
  if (ePort->text() == QLatin1String(on ? kPlainPort : kTlsPort))
    ePort->setText(QLatin1String(on ? kTlsPort : kPlainPort));
}

void TmSettings::sbDCCDirClick() {
  const QString chosen = SD(this, eDCCDir->text());
  if (!chosen.isEmpty()) eDCCDir->setText(FromLocalPath(WithSlash(ToLocalPath(chosen))));
}

bool TmSettings::FolderReady() {
  const std::string folder = ToLocalPath(eDCCDir->text());
  if (!FolderMissing(folder)) return true;
  if (!ShowConfirmBox(Cp949Literal("받은 파일 폴더가 없습니다. 새로 만들까요?"))) return false;
  if (QDir().mkpath(eDCCDir->text())) return true;
  ShowMessageBox(Cp949Literal("받은 파일 폴더를 만들 수 없습니다."));
  return false;
}

void TmSettings::sbOkClick() {
  for (const TField& field : fields_)
    if (!CheckField(field)) {
      field.control->setFocus();
      return;
    }
  if (FolderReady()) SetModalResult(mrOk);
}

void TmSettings::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    close();
  else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    sbOkClick();
  else
    TModalForm::keyPressEvent(event);
}
