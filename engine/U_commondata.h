// Small value types the engine and DCC code share: an owned C string, a
// fixed-capacity buffer, in-place tokenizers, and bounded copies into record fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Owned NUL-terminated byte string; null stays distinguishable from empty.
class ZoString {
 public:
  ZoString() = default;
  ZoString(const char* text);  // NOLINT: converting on purpose, like the text it holds
  ZoString(const ZoString& other);
  ZoString& operator=(const ZoString& other);
  ZoString& operator=(const char* text);
  ZoString(ZoString&&) noexcept = default;
  ZoString& operator=(ZoString&&) noexcept = default;

  const char* c_str() const { return text_.get(); }
  // Readers treat null as empty.
  const char* str() const { return text_ ? text_.get() : ""; }
  bool empty() const { return !text_ || text_[0] == 0; }

 private:
  std::unique_ptr<char[]> text_;
};

// Heap buffer whose capacity is fixed at construction.
class ZoStringStatic {
 public:
  explicit ZoStringStatic(size_t capacity);
  char* buffer() { return buffer_.get(); }
  const char* buffer() const { return buffer_.get(); }
  size_t capacity() const { return capacity_; }

 private:
  std::unique_ptr<char[]> buffer_;
  size_t capacity_;
};

// Splits a buffer at line feeds in place; the bytes it sees are counted, so a
// NUL inside the text cuts only the line that holds it.
class ZoStringStaticN {
 public:
  explicit ZoStringStaticN(size_t capacity) : buffer_(capacity) {}
  char* buffer() { return buffer_.buffer(); }
  size_t capacity() const { return buffer_.capacity(); }

  // Starts over the first `length` bytes of the buffer (strlen when omitted).
  void reset();
  void reset(size_t length);
  // The next line without its line feed (a CR before it stays), or null when
  // no complete line is left; `length` receives the line's byte count.
  char* nextLine(size_t* length = nullptr);
  // The unterminated tail after the last line feed, or null when none.
  const char* remainder(size_t* length = nullptr) const;
  // Puts the last replaced line feed back.
  void finish();

 private:
  ZoStringStatic buffer_;
  size_t end_ = 0;
  size_t current_ = 0;
  char* separator_ = nullptr;
  const char* remainder_ = nullptr;
};

// Splits a private copy of a text at single spaces, in place.
class ZoStringSpc {
 public:
  void setText(const char* text);
  void reset();
  // The next token, or null when the text is exhausted; two spaces give an empty token.
  char* nextToken();
  // Everything from the current position on, spaces kept; null when empty.
  char* rest();
  // The next token as a decimal number; -1 when no token is left.
  long nextInt();
  void finish();

 private:
  void restoreSeparator();

  ZoString text_;
  char* current_ = nullptr;
  char* separator_ = nullptr;
};

// Copies text into a fixed field, cutting it to at most size - 1 bytes and
// never inside a double-byte character; null copies as empty.
void ZoCopy(char* dst, size_t size, const char* src);
void ZoCopy(char* dst, size_t size, const char* src, size_t length);
template <size_t N>
void ZoCopy(char (&dst)[N], const char* src) { ZoCopy(dst, N, src); }
template <size_t N>
void ZoCopy(char (&dst)[N], const char* src, size_t length) { ZoCopy(dst, N, src, length); }

// Byte-exact comparison; null equals only null.
bool ZoSameBytes(const char* a, const char* b);
// Name comparison without regard to ASCII letter case; the name indexes fold alike.
bool ZoSameName(const char* a, const char* b);

class QTimer;

// Takes the offer numbered `seqnum` out of a table's offers that wait for
// their answer; false when none waits under that number.
template <typename Offer>
bool ZoTakeAsked(std::vector<Offer>& asked, int seqnum, Offer* taken) {
  for (auto it = asked.begin(); it != asked.end(); ++it) {
    if (it->seqnum != seqnum) continue;
    if (taken) *taken = std::move(*it);
    asked.erase(it);
    return true;
  }
  return false;
}

// Base of every DCC chat and transfer: a sequence number fixed at creation and
// a flag the item sets once its connection has ended or failed.
class CZoSeqnumItem {
 public:
  explicit CZoSeqnumItem(int seqnum) : seqnum_(seqnum) {}
  virtual ~CZoSeqnumItem() = default;
  CZoSeqnumItem(const CZoSeqnumItem&) = delete;
  CZoSeqnumItem& operator=(const CZoSeqnumItem&) = delete;

  int Seqnum() const { return seqnum_; }
  bool Finished() const { return finished_; }
  // True while a socket event of this item is being handled; the item is then
  // kept alive, since a receiver may cancel it from inside its own event.
  bool Busy() const { return busy_ > 0; }
  // Closes what is still open (sockets, file) without raising events.
  virtual void Close() = 0;
  // Closes an open socket and answers true; false when none was open.
  virtual bool CloseActiveSocket() = 0;

  // Marks the item busy for the length of one socket event.
  class BusyScope {
   public:
    explicit BusyScope(CZoSeqnumItem* item) : item_(item) { ++item_->busy_; }
    ~BusyScope() { --item_->busy_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    CZoSeqnumItem* item_;
  };

 protected:
  void SetFinished() { finished_ = true; }

 private:
  const int seqnum_;
  bool finished_ = false;
  int busy_ = 0;
};

// A table of DCC items keyed by per-table sequence numbers, with a 1500 ms
// sweep that retires finished items.
class CZoSeqnums {
 public:
  static constexpr int kSweepMs = 1500;

  CZoSeqnums();
  virtual ~CZoSeqnums();
  CZoSeqnums(const CZoSeqnums&) = delete;
  CZoSeqnums& operator=(const CZoSeqnums&) = delete;

  // The first item with that number, or null; `index` receives its position.
  CZoSeqnumItem* Find(int seqnum, int* index = nullptr) const;
  int Count() const { return static_cast<int>(items_.size()); }
  // From the last item to the first: a finished item with an open socket has
  // it closed; one without is destroyed.
  virtual void Sweep();

 protected:
  int NextSeqnum() { return next_++; }
  void Add(std::unique_ptr<CZoSeqnumItem> item);
  // Closes and removes the item; false when no item has that number.
  bool Cancel(int seqnum);
  CZoSeqnumItem* At(int index) const { return items_[static_cast<size_t>(index)].get(); }
  // Destroys every item; derived destructors call it while their parts still exist.
  void DestroyAll();

 private:
  void Retire(size_t index);

  int next_ = 0;
  std::vector<std::unique_ptr<CZoSeqnumItem>> items_;
  // Removed items still busy in their own event, freed by a later sweep.
  std::vector<std::unique_ptr<CZoSeqnumItem>> retired_;
  std::unique_ptr<QTimer> timer_;
};
