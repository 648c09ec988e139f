#include "U_htmlskin.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <strings.h>
#include <unistd.h>

#include "U_file.h"
#include "winsock_errors.h"

namespace {

// A skin file is a few hundred bytes and a picture some KiB; a server sending
// more is not trusted to ever stop.
constexpr size_t kSkinFileMax = 64 << 10;
constexpr size_t kPictureMax = 8 << 20;
constexpr int kFetchTimeoutMs = 30000;
constexpr int kFetchDeadlineMs = 120000;

}  // namespace

// The file a fetch writes: "<name>.part" until the whole body is there, so an
// interrupted fetch never leaves a half-written copy under the real name.
class CZoPartFile {
 public:
  explicit CZoPartFile(std::string path)
      : path_(std::move(path)), partPath_(path_ + ".part"), file_(FileOpen(partPath_.c_str(), false, false)) {}
  ~CZoPartFile() {
    if (file_ == kNoFile) return;
    FileClose(file_);
    unlink(partPath_.c_str());
  }
  CZoPartFile(const CZoPartFile&) = delete;
  CZoPartFile& operator=(const CZoPartFile&) = delete;

  bool IsOpen() const { return file_ != kNoFile; }
  const std::string& path() const { return path_; }
  bool Write(const char* data, size_t count) {
    return FileWrite(file_, data, static_cast<uint32_t>(count)) == count;
  }
  // Puts the finished copy under its name, replacing any file there.
  bool Commit() {
    const bool closed = FileTruncate(file_) && FileClose(file_);
    file_ = kNoFile;
    if (closed && rename(partPath_.c_str(), path_.c_str()) == 0) return true;
    unlink(partPath_.c_str());
    return false;
  }

 private:
  std::string path_;
  std::string partPath_;
  FileHandle file_;
};

namespace {

class CZoStepReceiver : public QObject {
 public:
  explicit CZoStepReceiver(CZoHTMLSkin& skin) : skin_(skin) {}
  bool event(QEvent* event) override {
    if (event->type() != static_cast<QEvent::Type>(CZoHTMLSkin::kStepEvent)) return QObject::event(event);
    skin_.NextStep();
    return true;
  }

 private:
  CZoHTMLSkin& skin_;
};

bool ParsePort(std::string_view text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

// Bytes above 127 (Korean file names) are escaped for the request line.
std::string EscapePath(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 15];
    }
  }
  return escaped;
}

}  // namespace

std::string SkinCacheFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/velko/skin";
  QDir().mkpath(folder);
  return QFile::encodeName(folder).toStdString() + '/';
}

CZoHTMLSkin::CZoHTMLSkin()
    : receiver_(std::make_unique<CZoStepReceiver>(*this)),
      silence_(new QTimer(receiver_.get())),
      deadline_(new QTimer(receiver_.get())) {
  // Without them a server that accepts and never answers, or trickles a byte
  // now and then, would hold the connection, and so refuse every later load, for good.
  for (QTimer* timer : {silence_, deadline_}) {
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, [this] {
      if (wire_ != Wire::Idle) Fail(WSAETIMEDOUT);
    });
  }
  silence_->setInterval(kFetchTimeoutMs);
  deadline_->setInterval(kFetchDeadlineMs);
  connection_.OnData = [this](int32_t count, char* data) { Received(data, static_cast<size_t>(count)); };
  connection_.OnConnect = [this](void*) { Connected(); };
  connection_.OnDisconnect = [this](void*) { ConnectionLost(0); };
  connection_.OnError = [this](int* code) {
    ConnectionLost(*code);
    *code = 0;
  };
}

CZoHTMLSkin::~CZoHTMLSkin() {
  connection_.OnData = nullptr;
  connection_.OnConnect = nullptr;
  connection_.OnDisconnect = nullptr;
  connection_.OnError = nullptr;
}

void CZoHTMLSkin::SetFetchTimeout(int milliseconds) { silence_->setInterval(milliseconds); }

void CZoHTMLSkin::SetFetchDeadline(int milliseconds) { deadline_->setInterval(milliseconds); }

bool CZoHTMLSkin::SplitAddress(const std::string& address, TTarget* target) {
  for (char c : address)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;  // would break the request
  std::string_view rest(address);
  if (rest.size() > 7 && strncasecmp(rest.data(), "http://", 7) == 0) rest.remove_prefix(7);
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos || slash == 0) return false;
  std::string_view host = rest.substr(0, slash);
  uint16_t port = 80;
  const size_t colon = host.rfind(':');
  if (colon != std::string_view::npos) {
    if (!ParsePort(host.substr(colon + 1), &port)) return false;
    host = host.substr(0, colon);
  }
  const std::string_view path = rest.substr(slash);
  const std::string_view fileName = path.substr(path.rfind('/') + 1);
  if (host.empty() || fileName.empty() || fileName == "." || fileName == "..") return false;
  *target = TTarget{std::string(host), port, EscapePath(path), std::string(fileName)};
  return true;
}

bool CZoHTMLSkin::Load(const char* downloadFolder, const char* address) {
  if (connection_.IsOpen() || !address) return false;
  std::string folder = downloadFolder && *downloadFolder ? downloadFolder : SkinCacheFolder();
  if (folder.back() != '/') folder += '/';
  TTarget target;
  if (!SplitAddress(address, &target)) return false;
  auto file = std::make_unique<CZoPartFile>(folder + target.fileName);
  if (!file->IsOpen()) return false;

  downloadFolder_ = folder;
  target_ = target;
  file_ = std::move(file);
  state_ = SkinFile;
  StartFetch();
  return true;
}

bool CZoHTMLSkin::OpenFetch(const std::string& address) {
  TTarget target;
  if (address.empty() || !SplitAddress(address, &target)) return false;
  auto file = std::make_unique<CZoPartFile>(downloadFolder_ + target.fileName);
  if (!file->IsOpen()) return false;
  target_ = target;
  file_ = std::move(file);
  return true;
}

void CZoHTMLSkin::NextStep() {
  if (wire_ != Wire::Idle) return;  // a fetch is already under way
  if (state_ == BackImage) {
    if (OpenFetch(BackImageAddress)) return StartFetch();
    state_ = Icon;
  }
  if (state_ == Icon) {
    if (OpenFetch(IconAddress)) return StartFetch();
    connection_.Disconnect();
    state_ = Idle;
  }
}

void CZoHTMLSkin::StartFetch() {
  reader_.Reset();
  retried_ = false;
  bodyBytes_ = 0;
  ++fetchSerial_;
  deadline_->start();
  // Keep-alive serves only the server it is connected to.
  reused_ = connected_ && connectedHost_ == target_.host && connectedPort_ == target_.port;
  if (reused_)
    SendRequest();
  else
    ConnectFresh();
}

void CZoHTMLSkin::ConnectFresh() {
  wire_ = Wire::Idle;
  connection_.Disconnect();
  connected_ = false;
  wire_ = Wire::Connecting;
  silence_->start();
  if (!connection_.Connect(target_.host.c_str(), target_.port)) Fail(0);
}

void CZoHTMLSkin::Connected() {
  connected_ = true;
  connectedHost_ = target_.host;
  connectedPort_ = target_.port;
  if (wire_ == Wire::Connecting) SendRequest();
}

void CZoHTMLSkin::SendRequest() {
  const std::string host = target_.port == 80 ? target_.host : target_.host + ':' + std::to_string(target_.port);
  const std::string request = "GET " + target_.path + " HTTP/1.1\r\nHost: " + host +
                              "\r\nAccept: */*\r\nUser-Agent: VelkoSkin\r\nConnection: Keep-Alive\r\n\r\n";
  wire_ = Wire::Awaiting;
  silence_->start();
  connection_.Send(request.c_str());
}

void CZoHTMLSkin::Received(const char* data, size_t count) {
  if (wire_ != Wire::Awaiting) return;
  silence_->start();
  bool written = true;
  reader_.Feed(data, count, [&](const char* body, size_t length) {
    bodyBytes_ += length;
    if (written && Refusal(true) == 0) written = file_->Write(body, length);
  });
  if (const int refusal = Refusal(written))
    Fail(refusal);
  else if (reader_.Broken())
    Fail(WSAECONNABORTED);
  else if (reader_.Complete())
    Complete();
}

int CZoHTMLSkin::Refusal(bool written) const {
  if (!written) return -1;  // the disk refused; nothing the server did
  if (bodyBytes_ > (state_ == SkinFile ? kSkinFileMax : kPictureMax)) return WSAEMSGSIZE;
  if (!reader_.StatusRead()) return 0;
  const int status = reader_.Status();
  if (status == 0) return WSAECONNABORTED;
  return status >= 200 && status < 300 ? 0 : status;
}

void CZoHTMLSkin::ConnectionLost(int code) {
  connected_ = false;
  if (state_ == Idle || wire_ == Wire::Idle) return;
  const bool awaiting = wire_ == Wire::Awaiting;
  wire_ = Wire::Idle;
  connection_.Disconnect();  // after an error the socket may still be open
  if (awaiting && reader_.EndsAtClose()) return Complete();
  if (awaiting && reused_ && !retried_ && !reader_.Started()) {
    // The server dropped the kept-alive connection before it saw the request.
    retried_ = true;
    const uint64_t serial = fetchSerial_;
    QTimer::singleShot(0, receiver_.get(), [this, serial] {
      if (serial == fetchSerial_ && wire_ == Wire::Idle && state_ != Idle) ConnectFresh();
    });
    return;
  }
  Fail(code != 0 ? code : WSAECONNRESET);
}

void CZoHTMLSkin::Complete() {
  wire_ = Wire::Idle;
  silence_->stop();
  deadline_->stop();
  if (!reader_.KeepAlive()) connection_.Disconnect();
  const std::string path = file_->path();
  const bool stored = file_->Commit();
  file_.reset();
  if (!stored) return Fail(0);
  switch (state_) {
    case SkinFile:
      ParseSkinFile(path);
      state_ = BackImage;
      PostStep();
      Raise(OnSkinParsed);
      break;
    case BackImage:
      BackImagePath = path;
      state_ = Icon;
      PostStep();
      Raise(OnBackImageLoaded);
      break;
    case Icon:
      connection_.Disconnect();
      IconPath = path;
      state_ = Idle;
      Raise(OnIconLoaded);
      break;
    case Idle:
      break;
  }
}

void CZoHTMLSkin::Fail(int code) {
  silence_->stop();
  deadline_->stop();
  file_.reset();
  state_ = Idle;
  wire_ = Wire::Idle;
  connection_.Disconnect();
  connected_ = false;
  if (code <= 0 || !OnError) return;
  const std::string message = "HTML-Error : " + ErrorWithReason(code);
  OnError(this, message.c_str());
}

void CZoHTMLSkin::PostStep() {
  QObject* target = stepTarget_ ? stepTarget_.data() : receiver_.get();
  QCoreApplication::postEvent(target, new QEvent(static_cast<QEvent::Type>(kStepEvent)));
}

void CZoHTMLSkin::ParseSkinFile(const std::string& path) {
  std::string text;
  if (ReadLocalFile(path.c_str(), kSkinFileMax, &text)) ParseSkinText(text, *this);
}

void CZoHTMLSkin::Raise(const std::function<void(CZoHTMLSkin*)>& event) {
  if (event) event(this);
}
