#include "U_dlgtext.h"

#include <QLineEdit>
#include <QStringDecoder>
#include <QValidator>
#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <string_view>

namespace {

// One iconv conversion; a sequence it cannot convert becomes "?" and is
// skipped by the length `skip` gives.
class TIconv {
 public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~TIconv() {
    if (cd_ != kInvalid) iconv_close(cd_);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  std::string Run(std::string_view in, size_t (*skip)(unsigned char lead)) {
    if (cd_ == kInvalid) return std::string(in);
    std::string out;
    char* inp = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    while (inLeft > 0) {
      char buffer[256];
      char* outp = buffer;
      size_t outLeft = sizeof buffer;
      const size_t done = iconv(cd_, &inp, &inLeft, &outp, &outLeft);
      out.append(buffer, outp - buffer);
      if (done == static_cast<size_t>(-1) && errno != E2BIG) {
        out += '?';
        const size_t n = std::min(skip(static_cast<unsigned char>(*inp)), inLeft);
        inp += n;
        inLeft -= n;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_;
};

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
  return lead >= 0xC0 ? 2 : 1;
}

size_t OneByte(unsigned char) { return 1; }

bool HasHighByte(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

class TCP949Limit : public QValidator {
 public:
  TCP949Limit(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

  State validate(QString& input, int& pos) const override {
    input.remove(QChar('\r')).remove(QChar('\n')).remove(QChar(0));
    if (static_cast<int>(DlgEncode(input).size()) > maxBytes_) input.truncate(FittingLength(input));
    pos = std::min(pos, static_cast<int>(input.size()));
    return Acceptable;
  }

 private:
  // The length of the longest prefix of whole characters that fits.
  qsizetype FittingLength(const QString& text) const {
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
      const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      bytes += static_cast<int>(DlgEncode(text.mid(i, width)).size());
      if (bytes > maxBytes_) break;
      i += width;
    }
    return i;
  }

  int maxBytes_;
};

}  // namespace

QString DlgDecode(const char* text) {
  if (!text) return QString();
  const std::string_view bytes(text);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString asUtf8 = utf8.decode(QByteArrayView(bytes.data(), bytes.size()));
  if (!utf8.hasError() && HasHighByte(bytes)) return asUtf8;
  return QString::fromStdString(TIconv("UTF-8", "CP949").Run(bytes, OneByte));
}

std::string DlgEncode(const QString& text) {
  return TIconv("CP949", "UTF-8").Run(text.toStdString(), Utf8SequenceLength);
}

std::string KoreanText(const char* utf8) { return DlgEncode(QString::fromUtf8(utf8)); }

void LimitCP949(QLineEdit* edit, int maxBytes) { edit->setValidator(new TCP949Limit(maxBytes, edit)); }
