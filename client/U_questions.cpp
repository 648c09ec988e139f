#include "U_questions.h"

#include <algorithm>

#include "U_commondata.h"

namespace {

bool IsOffer(TQuestionKind kind) { return kind == TQuestionKind::FileOffer || kind == TQuestionKind::ChatOffer; }

TQuestion Offer(TQuestionKind kind, int seqnum, const char* nick) {
  TQuestion offer;
  offer.kind = kind;
  offer.seqnum = seqnum;
  offer.nick = nick ? nick : "";
  return offer;
}

}  // namespace

TQuestion TQuestion::FileOffer(int seqnum, const char* nick, const char* fileName, uint64_t size) {
  TQuestion offer = Offer(TQuestionKind::FileOffer, seqnum, nick);
  offer.fileName = fileName ? fileName : "";
  offer.size = size;
  return offer;
}

TQuestion TQuestion::ChatOffer(int seqnum, const char* nick, const char* address, int port) {
  TQuestion offer = Offer(TQuestionKind::ChatOffer, seqnum, nick);
  offer.address = address ? address : "";
  offer.port = port;
  return offer;
}

TQuestions::TAdded TQuestions::Add(TQuestion question, Clock::time_point now) {
  const bool offer = IsOffer(question.kind);
  const auto same = [&](const THeld& held) {
    return held.question.kind == question.kind && ZoSameName(held.question.channel.c_str(), question.channel.c_str());
  };
  if (!offer && std::any_of(held_.begin(), held_.end(), same)) return TAdded::Duplicate;
  if (held_.size() >= kMaxHeld) return TAdded::Full;
  std::optional<Clock::time_point> deadline;
  if (offer) deadline = now + lifetime_;
  held_.push_back({nextId_++, std::move(question), deadline});
  return TAdded::Queued;
}

std::optional<TQuestions::TAsking> TQuestions::Next() {
  if (asking_) return std::nullopt;
  // Held in order of arrival, and the asked one leaves when answered: the
  // first held is the next.
  if (held_.empty()) return std::nullopt;
  asking_ = held_.front().id;
  return TAsking{held_.front().id, held_.front().question};
}

void TQuestions::Answered(uint64_t id) {
  std::erase_if(held_, [id](const THeld& held) { return held.id == id; });
  if (asking_ == id) asking_.reset();
}

bool TQuestions::Open(uint64_t id) const {
  return std::any_of(held_.begin(), held_.end(), [id](const THeld& held) { return held.id == id; });
}

std::vector<TQuestion> TQuestions::Expire(Clock::time_point now) {
  std::vector<TQuestion> expired;
  std::erase_if(held_, [&](THeld& held) {
    if (!held.deadline || *held.deadline > now) return false;
    expired.push_back(std::move(held.question));
    return true;
  });
  return expired;
}

std::optional<TQuestions::Clock::time_point> TQuestions::NextDeadline() const {
  std::optional<Clock::time_point> next;
  for (const THeld& held : held_)
    if (held.deadline && (!next || *held.deadline < *next)) next = held.deadline;
  return next;
}
