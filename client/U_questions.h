// The questions the window puts to the person, waiting their turn: server
// refusals that need an answer and the files and chats peers offer. One is
// asked at a time, a bounded number wait, and an offer nobody answers expires.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

enum class TQuestionKind { FullRoom, ChannelKey, NickInUse, FileOffer, ChatOffer, Certificate };

// Texts are CP949.
struct TQuestion {
  TQuestionKind kind = TQuestionKind::FullRoom;
  // The channel a key is asked for.
  std::string channel;
  // An offer: its number in the engine's table and the peer.
  int seqnum = -1;
  std::string nick;
  // A file offer's name and size; a chat offer's address and port.
  std::string fileName;
  uint64_t size = 0;
  std::string address;
  int port = 0;
  // A refused certificate's SHA-256; its server is in `address`.
  std::string fingerprint;

  // Offers as their events carry them; a null text is empty.
  static TQuestion FileOffer(int seqnum, const char* nick, const char* fileName, uint64_t size);
  static TQuestion ChatOffer(int seqnum, const char* nick, const char* address, int port);
};

class TQuestions {
 public:
  using Clock = std::chrono::steady_clock;
  // Questions held at one time, the one being asked included.
  static constexpr size_t kMaxHeld = 20;
  static constexpr std::chrono::milliseconds kOfferLifetime = std::chrono::minutes(5);

  enum class TAdded { Queued, Duplicate, Full };
  // A question like one held (the same kind and channel) is a duplicate;
  // offers never are. An offer must be answered within the lifetime from `now`.
  TAdded Add(TQuestion question, Clock::time_point now);

  struct TAsking {
    uint64_t id;
    TQuestion question;
  };
  // The next question to ask, which becomes the one being asked; none while
  // one is being asked or none waits.
  std::optional<TAsking> Next();
  // The asked question's dialog has closed: the next one may be asked.
  void Answered(uint64_t id);
  // Still held: neither answered nor expired.
  bool Open(uint64_t id) const;
  // The question being asked, held or expired meanwhile.
  std::optional<uint64_t> AskingId() const { return asking_; }
  size_t Count() const { return held_.size(); }

  // Takes out the offers whose time is up, the one being asked included.
  std::vector<TQuestion> Expire(Clock::time_point now);
  // When the next offer expires; none when no offer is held.
  std::optional<Clock::time_point> NextDeadline() const;
  void SetOfferLifetime(std::chrono::milliseconds lifetime) { lifetime_ = lifetime; }

 private:
  struct THeld {
    uint64_t id;
    TQuestion question;
    std::optional<Clock::time_point> deadline;
  };

  std::deque<THeld> held_;  // in order of arrival
  std::optional<uint64_t> asking_;
  uint64_t nextId_ = 1;
  std::chrono::milliseconds lifetime_ = kOfferLifetime;
};
