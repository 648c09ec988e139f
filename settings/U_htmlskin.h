// The skin loader: fetches the skin file over HTTP, applies it, then fetches
// the background picture and the icon it names, telling the owner after each
// step. It also holds every skin colour the windows read.
#pragma once

#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "U_connection.h"
#include "U_httpreader.h"
#include "U_skinfile.h"

class QObject;
class QTimer;
class CZoPartFile;

// The per-user folder for skin downloads (with its trailing "/"), created
// when missing.
std::string SkinCacheFolder();

class CZoHTMLSkin : public TSkinValues {
 public:
  // The step message: posted after each fetch, handed back to NextStep.
  static constexpr int kStepEvent = 2442;

  enum State { Idle = 0, SkinFile = 1, BackImage = 2, Icon = 3 };

  CZoHTMLSkin();
  ~CZoHTMLSkin();
  CZoHTMLSkin(const CZoHTMLSkin&) = delete;
  CZoHTMLSkin& operator=(const CZoHTMLSkin&) = delete;

  // Address: [http://]host[:port]/path. False while a connection is open,
  // for an address it cannot use, or when the local file cannot be created.
  bool Load(const char* downloadFolder, const char* address);
  // Fetches the next picture the skin names, or ends the load.
  void NextStep();
  // Where the step message is posted; without one the loader answers it itself.
  void SetStepTarget(QObject* target) { stepTarget_ = target; }
  // A fetch that hears nothing from its server for this long fails (10060).
  void SetFetchTimeout(int milliseconds);
  // A fetch not done this long after it began fails too (10060), however
  // slowly its server goes on sending.
  void SetFetchDeadline(int milliseconds);
  State state() const { return state_; }

  // Local copies of the pictures, set when each has arrived.
  std::string BackImagePath;
  std::string IconPath;

  std::function<void(CZoHTMLSkin*)> OnSkinParsed;
  std::function<void(CZoHTMLSkin*)> OnBackImageLoaded;
  std::function<void(CZoHTMLSkin*)> OnIconLoaded;
  // "HTML-Error : <code> (<reason>)" when a fetch fails; the load is over then. The code
  // is the HTTP status for an answer other than 2xx, 10040 for a body over
  // its cap (skin file 64 KiB, picture 8 MiB), else a WinSock code.
  std::function<void(CZoHTMLSkin*, const char* message)> OnError;

 private:
  struct TTarget {
    std::string host;
    uint16_t port = 80;
    std::string path;  // as sent: bytes above 127 escaped
    std::string fileName;
  };
  enum class Wire { Idle, Connecting, Awaiting };

  static bool SplitAddress(const std::string& address, TTarget* target);
  bool OpenFetch(const std::string& address);
  void StartFetch();
  void ConnectFresh();
  void SendRequest();
  void Connected();
  void Received(const char* data, size_t count);
  // Why the answer so far cannot be stored: -1 for a failed write, else the
  // error code to report; 0 while all is well.
  int Refusal(bool written) const;
  void ConnectionLost(int code);
  void Complete();
  void Fail(int code);
  void PostStep();
  void ParseSkinFile(const std::string& path);
  void Raise(const std::function<void(CZoHTMLSkin*)>& event);

  std::string downloadFolder_;
  TTarget target_;
  State state_ = Idle;
  std::unique_ptr<CZoPartFile> file_;
  CZoHttpReader reader_;
  bool connected_ = false;
  std::string connectedHost_;
  uint16_t connectedPort_ = 0;
  Wire wire_ = Wire::Idle;
  bool reused_ = false;   // the request went out on a kept-alive connection
  bool retried_ = false;
  uint64_t fetchSerial_ = 0;
  uint64_t bodyBytes_ = 0;
  CZoConnection connection_;
  std::unique_ptr<QObject> receiver_;  // answers the step message when no target is set
  QTimer* silence_;                    // owned by receiver_
  QTimer* deadline_;                   // owned by receiver_
  QPointer<QObject> stepTarget_;
};
