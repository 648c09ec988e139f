#include "reconnector.h"

#include "C_socket.h"
#include "Zoengine.h"

namespace {

constexpr int kSettledMs = 60000;

bool TlsRefusal(int code) { return code >= kZoTlsUntrusted && code <= kZoTlsPinChanged; }

}  // namespace

Reconnector::Reconnector(TZoEngine& engine, std::function<void(int delayMs)> announce)
    : engine_(engine), announce_(std::move(announce)) {
  retry_.setSingleShot(true);
  settled_.setSingleShot(true);
  settled_.setInterval(kSettledMs);
  // Also at once the attempt waits for the running handler to return.
  connect(&retry_, &QTimer::timeout, this, [this] {
    if (!stopped_) engine_.Connect();
  });
  connect(&settled_, &QTimer::timeout, this, [this] { backoff_.Reset(); });
}

void Reconnector::LoggedOn() { settled_.start(); }

void Reconnector::Disconnected() {
  settled_.stop();
  Schedule();
}

bool Reconnector::Failed(int code) {
  if (TlsRefusal(code)) Stop();
  if (engine_.state == TZoEngine::Connecting) Schedule();
  return !stopped_;
}

void Reconnector::Stop() {
  stopped_ = true;
  retry_.stop();
  settled_.stop();
}

void Reconnector::Schedule() {
  if (stopped_ || retry_.isActive()) return;
  const int delay = backoff_.NextDelayMs();
  announce_(delay);
  retry_.start(delay);
}
