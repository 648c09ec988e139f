#include "U_commondata.h"

#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "U_codepage.h"
#include "U_nameindex.h"

namespace {

std::unique_ptr<char[]> Duplicate(const char* text) {
  if (!text) return nullptr;
  const size_t length = strlen(text);
  auto copy = std::make_unique<char[]>(length + 1);
  memcpy(copy.get(), text, length + 1);
  return copy;
}

}  // namespace

ZoString::ZoString(const char* text) : text_(Duplicate(text)) {}

ZoString::ZoString(const ZoString& other) : text_(Duplicate(other.c_str())) {}

ZoString& ZoString::operator=(const ZoString& other) {
  if (this != &other) text_ = Duplicate(other.c_str());
  return *this;
}

ZoString& ZoString::operator=(const char* text) {
  if (text != text_.get()) text_ = Duplicate(text);
  return *this;
}

ZoStringStatic::ZoStringStatic(size_t capacity)
    : buffer_(std::make_unique<char[]>(capacity + 1)), capacity_(capacity) {}

void ZoStringStaticN::reset() { reset(strnlen(buffer(), capacity())); }

void ZoStringStaticN::reset(size_t length) {
  end_ = length < capacity() ? length : capacity();
  buffer()[end_] = 0;
  current_ = 0;
  separator_ = nullptr;
  remainder_ = nullptr;
}

char* ZoStringStaticN::nextLine(size_t* length) {
  finish();
  if (current_ >= end_) return nullptr;
  char* start = buffer() + current_;
  char* lf = static_cast<char*>(memchr(start, '\n', end_ - current_));
  if (!lf) {
    remainder_ = start;
    return nullptr;
  }
  *lf = 0;
  separator_ = lf;
  current_ = static_cast<size_t>(lf - buffer()) + 1;
  if (length) *length = static_cast<size_t>(lf - start);
  return start;
}

const char* ZoStringStaticN::remainder(size_t* length) const {
  if (length) *length = remainder_ ? end_ - static_cast<size_t>(remainder_ - buffer_.buffer()) : 0;
  return remainder_;
}

void ZoStringStaticN::finish() {
  if (separator_) *separator_ = '\n';
  separator_ = nullptr;
}

void ZoStringSpc::setText(const char* text) {
  text_ = text;
  reset();
}

void ZoStringSpc::reset() {
  restoreSeparator();
  current_ = const_cast<char*>(text_.c_str());
}

void ZoStringSpc::restoreSeparator() {
  if (separator_) *separator_ = ' ';
  separator_ = nullptr;
}

char* ZoStringSpc::nextToken() {
  restoreSeparator();
  if (!current_ || *current_ == 0) return nullptr;
  char* token = current_;
  char* space = strchr(current_, ' ');
  if (space) {
    *space = 0;
    separator_ = space;
    current_ = space + 1;
  } else {
    current_ += strlen(current_);
  }
  return token;
}

char* ZoStringSpc::rest() {
  restoreSeparator();
  if (!current_ || *current_ == 0) return nullptr;
  return current_;
}

long ZoStringSpc::nextInt() {
  const char* token = nextToken();
  return token ? strtol(token, nullptr, 10) : -1;
}

void ZoStringSpc::finish() { restoreSeparator(); }

void ZoCopy(char* dst, size_t size, const char* src) {
  ZoCopy(dst, size, src, src ? strlen(src) : 0);
}

void ZoCopy(char* dst, size_t size, const char* src, size_t length) {
  if (size == 0) return;
  if (!src) length = 0;
  if (length > size - 1) length = Cp949CutLength(src, length, size - 1);
  if (length) memcpy(dst, src, length);
  dst[length] = 0;
}

bool ZoSameBytes(const char* a, const char* b) { return a == b || (a && b && strcmp(a, b) == 0); }

bool ZoSameName(const char* a, const char* b) { return ZoFoldEqual()(a ? a : "", b ? b : ""); }

CZoSeqnums::CZoSeqnums() : timer_(std::make_unique<QTimer>()) {
  timer_->setInterval(kSweepMs);
  QObject::connect(timer_.get(), &QTimer::timeout, [this] { Sweep(); });
  timer_->start();
}

CZoSeqnums::~CZoSeqnums() {
  timer_->stop();
  DestroyAll();
}

void CZoSeqnums::DestroyAll() {
  items_.clear();
  retired_.clear();
}

CZoSeqnumItem* CZoSeqnums::Find(int seqnum, int* index) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->Seqnum() != seqnum) continue;
    if (index) *index = static_cast<int>(i);
    return items_[i].get();
  }
  return nullptr;
}

void CZoSeqnums::Add(std::unique_ptr<CZoSeqnumItem> item) { items_.push_back(std::move(item)); }

bool CZoSeqnums::Cancel(int seqnum) {
  int index = 0;
  CZoSeqnumItem* item = Find(seqnum, &index);
  if (!item) return false;
  item->Close();
  Retire(static_cast<size_t>(index));
  return true;
}

void CZoSeqnums::Retire(size_t index) {
  std::unique_ptr<CZoSeqnumItem> item = std::move(items_[index]);
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  if (item->Busy()) retired_.push_back(std::move(item));
}

void CZoSeqnums::Sweep() {
  std::erase_if(retired_, [](const auto& item) { return !item->Busy(); });
  for (size_t i = items_.size(); i-- > 0;) {
    CZoSeqnumItem* item = items_[i].get();
    if (!item->Finished() || item->CloseActiveSocket()) continue;
    item->Close();
    Retire(i);
  }
}
