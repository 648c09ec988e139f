#include <gtest/gtest.h>

#include "U_questions.h"

namespace {

using std::chrono::milliseconds;
using Clock = TQuestions::Clock;

TQuestion Reply(TQuestionKind kind, const char* channel = "") {
  TQuestion question;
  question.kind = kind;
  question.channel = channel;
  return question;
}

TQuestion Offer(TQuestionKind kind, int seqnum) {
  return kind == TQuestionKind::FileOffer ? TQuestion::FileOffer(seqnum, "peer", "a.bin", 1)
                                          : TQuestion::ChatOffer(seqnum, "peer", "127.0.0.1", 1);
}

}  // namespace

// What may join the queue: the same reply question is held once (channel
// names without regard to case, the one being asked included); offers are
// never duplicates; nothing joins beyond the bound.
TEST(Questions, WhatJoinsTheQueue) {
  using K = TQuestionKind;
  using A = TQuestions::TAdded;
  const struct {
    TQuestion question;
    A added;
  } cases[] = {
      {Reply(K::ChannelKey, "#a"), A::Queued},    {Reply(K::ChannelKey, "#A"), A::Duplicate},
      {Reply(K::ChannelKey, "#b"), A::Queued},    {Reply(K::NickInUse), A::Queued},
      {Reply(K::NickInUse), A::Duplicate},        {Reply(K::FullRoom), A::Queued},
      {Offer(K::FileOffer, 0), A::Queued},        {Offer(K::FileOffer, 0), A::Queued},
      {Offer(K::ChatOffer, 0), A::Queued},
  };
  TQuestions questions;
  const Clock::time_point now = Clock::now();
  ASSERT_TRUE(questions.Next() == std::nullopt);
  for (const auto& one : cases) EXPECT_EQ(questions.Add(one.question, now), one.added) << one.question.channel;
  ASSERT_TRUE(questions.Next().has_value());  // "#a" is being asked, and still a duplicate
  EXPECT_EQ(questions.Add(Reply(K::ChannelKey, "#a"), now), A::Duplicate);

  while (questions.Count() < TQuestions::kMaxHeld) questions.Add(Offer(K::FileOffer, 9), now);
  EXPECT_EQ(questions.Add(Offer(K::ChatOffer, 10), now), A::Full);
  EXPECT_EQ(questions.Add(Reply(K::ChannelKey, "#new"), now), A::Full);
  EXPECT_EQ(questions.Count(), TQuestions::kMaxHeld);
}

// Offers expire at their deadline, the one being asked too (it stays the
// asked one until its dialog closes); reply questions never expire.
TEST(Questions, OffersExpire) {
  TQuestions questions;
  questions.SetOfferLifetime(milliseconds(100));
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(questions.NextDeadline().has_value());
  questions.Add(Offer(TQuestionKind::FileOffer, 1), start);
  questions.Add(Reply(TQuestionKind::NickInUse), start);
  questions.Add(Offer(TQuestionKind::ChatOffer, 2), start + milliseconds(50));
  const auto asked = questions.Next();
  ASSERT_EQ(asked->question.seqnum, 1);
  EXPECT_EQ(questions.NextDeadline(), start + milliseconds(100));

  EXPECT_TRUE(questions.Expire(start + milliseconds(99)).empty());
  const std::vector<TQuestion> first = questions.Expire(start + milliseconds(100));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].seqnum, 1);
  EXPECT_FALSE(questions.Open(asked->id));
  EXPECT_EQ(questions.AskingId(), asked->id);
  EXPECT_FALSE(questions.Next().has_value());
  EXPECT_EQ(questions.NextDeadline(), start + milliseconds(150));

  questions.Answered(asked->id);
  const std::vector<TQuestion> second = questions.Expire(start + milliseconds(1000));
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].kind, TQuestionKind::ChatOffer);
  EXPECT_EQ(questions.Next()->question.kind, TQuestionKind::NickInUse);
  EXPECT_FALSE(questions.NextDeadline().has_value());
}
