#include "U_linkwatch.h"

CZoLinkWatch::CZoLinkWatch(std::function<void(Late)> onLate) : onLate_(std::move(onLate)) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Expired(); });
}

void CZoLinkWatch::Connecting() { Arm(Stage::Connecting, deadlines_.connectMs); }

void CZoLinkWatch::Registering() { Arm(Stage::Registering, deadlines_.registerMs); }

void CZoLinkWatch::LoggedOn() {
  heard_.start();
  Arm(Stage::Listening, deadlines_.silenceMs);
}

// Called for every line, so it only notes the time; the timer looks at it when it runs out.
void CZoLinkWatch::Heard() {
  heard_.start();
  if (stage_ == Stage::Probing) Arm(Stage::Listening, deadlines_.silenceMs);
}

void CZoLinkWatch::Stop() {
  stage_ = Stage::Off;
  timer_.stop();
}

void CZoLinkWatch::Arm(Stage stage, int ms) {
  stage_ = stage;
  timer_.start(ms);
}

void CZoLinkWatch::Expired() {
  const Stage stage = stage_;
  if (stage == Stage::Listening) {
    const qint64 quiet = heard_.elapsed();
    if (quiet < deadlines_.silenceMs) return Arm(Stage::Listening, static_cast<int>(deadlines_.silenceMs - quiet));
    Arm(Stage::Probing, deadlines_.answerMs);
    return onLate_(Late::Ping);
  }
  stage_ = Stage::Off;
  if (stage == Stage::Connecting) onLate_(Late::Connect);
  if (stage == Stage::Registering) onLate_(Late::Register);
  if (stage == Stage::Probing) onLate_(Late::Lost);
}
