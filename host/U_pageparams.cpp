#include "U_pageparams.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <QFile>
#include <memory>

#include "U_codepage.h"

namespace {

struct DocumentFree {
  void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

struct XmlFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

// Bytes the page's coding cannot take are reported by libxml2 outside the
// parser's own error switch; the page reader reports its own errors instead.
class QuietLibxml {
 public:
  QuietLibxml() : handler_(xmlGenericError), context_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(nullptr, Ignore);
  }
  ~QuietLibxml() { xmlSetGenericErrorFunc(context_, handler_); }
  QuietLibxml(const QuietLibxml&) = delete;
  QuietLibxml& operator=(const QuietLibxml&) = delete;

 private:
  static void Ignore(void*, const char*, ...) {}

  xmlGenericErrorFunc handler_;
  void* context_;
};

bool IsElement(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE && xmlStrcasecmp(node->name, BAD_CAST name) == 0;
}

// The next node of a depth-first walk below `top`, not entering `node`'s
// children when `enter` is false. Iterative: broken pages can nest deeply.
const xmlNode* NextNode(const xmlNode* node, const xmlNode* top, bool enter) {
  if (enter && node->children) return node->children;
  while (node && node != top) {
    if (node->next) return node->next;
    node = node->parent;
  }
  return nullptr;
}

QString Attribute(const xmlNode* node, const char* name) {
  const std::unique_ptr<xmlChar, XmlFree> value(xmlGetProp(node, BAD_CAST name));
  return value ? QString::fromUtf8(reinterpret_cast<const char*>(value.get())) : QString();
}

QString BareClassId(QString text) {
  text = text.trimmed();
  if (text.startsWith(QLatin1String("clsid:"), Qt::CaseInsensitive)) text.remove(0, 6);
  text.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
  return text.toUpper();
}

// The object whose class is `classId`, else the first object of the page.
const xmlNode* FindObject(const xmlDoc* document, const QString& classId) {
  const QString wanted = BareClassId(classId);
  const xmlNode* first = nullptr;
  for (const xmlNode* top = document->children; top; top = top->next) {
    for (const xmlNode* node = top; node; node = NextNode(node, top, true)) {
      if (!IsElement(node, "object")) continue;
      if (!wanted.isEmpty() && BareClassId(Attribute(node, "classid")) == wanted) return node;
      if (!first) first = node;
    }
  }
  return first;
}

// The object's own params; those of an object nested inside belong to it.
NamedValues ParamsOf(const xmlNode* object) {
  NamedValues values;
  for (const xmlNode* node = NextNode(object, object, true); node;) {
    const bool nested = IsElement(node, "object");
    if (IsElement(node, "param")) {
      const QString name = Attribute(node, "name");
      if (!name.isEmpty()) values.emplace_back(name, Attribute(node, "value"));
    }
    node = NextNode(node, object, !nested);
  }
  return values;
}

PageParams Failure(const QString& message) {
  PageParams result;
  result.error = message;
  return result;
}

}  // namespace

PageParams ParsePageParams(const QByteArray& html, const QString& classId) {
  if (html.size() > kMaxPageBytes)
    return Failure(QStringLiteral("the page is larger than %1 bytes").arg(kMaxPageBytes));
  if (html.isEmpty()) return Failure(QStringLiteral("the page is empty"));
  const bool utf8 = DisplayCoding(html.constData(), size_t(html.size())) == TextCoding::Utf8;
  const QuietLibxml quiet;
  const std::unique_ptr<xmlDoc, DocumentFree> document(
      htmlReadMemory(html.constData(), int(html.size()), "page.html", utf8 ? "UTF-8" : "CP949",
                     HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET));
  if (!document) return Failure(QStringLiteral("the page is not readable as HTML"));
  const xmlNode* object = FindObject(document.get(), classId);
  if (!object) return Failure(QStringLiteral("the page has no <object> element"));
  PageParams result;
  result.values = ParamsOf(object);
  return result;
}

PageParams ReadPageParams(const QString& path, const QString& classId) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return Failure(QStringLiteral("cannot read the page %1: %2").arg(path, file.errorString()));
  if (file.size() > kMaxPageBytes)
    return Failure(QStringLiteral("the page %1 is larger than %2 bytes").arg(path).arg(kMaxPageBytes));
  PageParams result = ParsePageParams(file.read(kMaxPageBytes + 1), classId);
  if (!result.ok()) result.error = path + QStringLiteral(": ") + result.error;
  return result;
}
