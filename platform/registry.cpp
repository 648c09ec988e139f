#include "registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>
#include <array>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TypeTag {
  RegValueType type;
  const char* tag;
};

constexpr std::array<TypeTag, 3> kTypeTags{{
    {REG_SZ, "sz"},
    {REG_BINARY, "binary"},
    {REG_DWORD, "dword"},
}};

QString RootFileName(HKEY_ROOT root) {
  return root == HKEY_CLASSES_ROOT ? QStringLiteral("HKEY_CLASSES_ROOT.ini")
                                   : QStringLiteral("HKEY_LOCAL_MACHINE.ini");
}

// QSettings takes "/" and "\" as group separators; escaping them (and "%", to
// stay unambiguous, and "@", which marks the default value) keeps any byte
// name a single entry. Latin-1 carries every byte through unchanged.
QString EscapedName(const QByteArray& name) {
  QString escaped;
  for (char c : name) {
    if (c == '%' || c == '/' || c == '\\' || c == '@')
      escaped += QStringLiteral("%%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
    else
      escaped += QLatin1Char(c);
  }
  return escaped;
}

QString ValueEntry(const char* name) {
  return name && *name ? EscapedName(name) : QStringLiteral("@");
}

QString GroupFor(const char* path) {
  QStringList parts;
  for (const QByteArray& part : QByteArray(path ? path : "").split('\\'))
    if (!part.isEmpty()) parts << EscapedName(part);
  return parts.join(QLatin1Char('/'));
}

bool IsHex(QByteArrayView text) {
  if (text.size() % 2) return false;
  for (char c : text)
    if (!std::isxdigit(uchar(c))) return false;
  return true;
}

std::optional<RegValue> ParseStored(const QVariant& stored) {
  if (stored.typeId() != QMetaType::QString) return std::nullopt;
  const QByteArray text = stored.toString().toLatin1();
  const qsizetype colon = text.indexOf(':');
  if (colon < 0) return std::nullopt;
  const QByteArrayView tag(text.constData(), colon);
  const QByteArrayView hex = QByteArrayView(text).sliced(colon + 1);
  if (!IsHex(hex)) return std::nullopt;
  for (const TypeTag& known : kTypeTags)
    if (tag == known.tag) return RegValue{known.type, QByteArray::fromHex(hex.toByteArray())};
  return std::nullopt;
}

const char* TagFor(RegValueType type) {
  for (const TypeTag& known : kTypeTags)
    if (known.type == type) return known.tag;
  return "binary";
}

bool FolderWritable(const QString& folder) {
  QTemporaryFile probe(folder + QStringLiteral("/.probe"));
  return probe.open();
}

// Reading a FIFO or a device would wait for a writer that never comes.
bool RegularOrMissing(const QString& file) {
  struct stat info {};
  return stat(QFile::encodeName(file).constData(), &info) != 0 ? errno == ENOENT : S_ISREG(info.st_mode);
}

// Settings hold passwords: only the user may read them. A folder or file
// found wider, from an older version or a copy, is narrowed.
void KeepPrivate(int fd) {
  struct stat info {};
  if (fstat(fd, &info) == 0 && (info.st_mode & 077)) fchmod(fd, info.st_mode & 0700);
}

bool MakePrivateFolder(const QString& folder) {
  const QByteArray path = QFile::encodeName(folder);
  if (!QDir().mkpath(QFileInfo(folder).absolutePath())) return false;
  if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) return false;
  const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  KeepPrivate(fd);
  close(fd);
  return true;
}

// The atomic write gives its temporary file the modes of the file it
// replaces, so the file must be private before the first write.
void MakePrivateFile(const QString& file) {
  const int fd = open(QFile::encodeName(file).constData(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return;
  KeepPrivate(fd);
  close(fd);
}

}  // namespace

QString RegistryFolder() {
  const QString own = qEnvironmentVariable("VELKO_REGISTRY_DIR");
  if (!own.isEmpty()) return own;
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/velko");
}

std::unique_ptr<RegKey> RegKey::Create(HKEY_ROOT root, const char* path) {
  const QString folder = RegistryFolder();
  if (!MakePrivateFolder(folder) || !FolderWritable(folder)) return nullptr;
  const QString file = folder + QLatin1Char('/') + RootFileName(root);
  if (!RegularOrMissing(file)) return nullptr;
  MakePrivateFile(file);
  std::unique_ptr<RegKey> key(new RegKey(file, GroupFor(path)));
  if (key->settings_.status() == QSettings::AccessError || !key->settings_.isWritable()) return nullptr;
  return key;
}

std::unique_ptr<RegKey> RegKey::OpenExisting(HKEY_ROOT root, const char* path) {
  const QString file = RegistryFolder() + QLatin1Char('/') + RootFileName(root);
  if (!QFileInfo(file).isFile()) return nullptr;
  return std::unique_ptr<RegKey>(new RegKey(file, GroupFor(path)));
}

RegKey::RegKey(const QString& file, const QString& group) : settings_(file, QSettings::IniFormat) {
  settings_.setAtomicSyncRequired(true);
  if (!group.isEmpty()) settings_.beginGroup(group);
}

void RegKey::SetValue(const char* name, RegValueType type, QByteArrayView data) {
  const QString stored = QLatin1String(TagFor(type)) + QLatin1Char(':') +
                         QLatin1String(data.toByteArray().toHex());
  const QString entry = ValueEntry(name);
  // Setting what is already there would still make the next flush rewrite the file.
  const QVariant current = settings_.value(entry);
  if (current.typeId() == QMetaType::QString && current.toString() == stored) return;
  settings_.setValue(entry, stored);
}

std::optional<RegValue> RegKey::QueryValue(const char* name) const {
  return ParseStored(settings_.value(ValueEntry(name)));
}

void RegKey::DeleteValue(const char* name) {
  const QString entry = ValueEntry(name);
  // Removing what is not there would still make the next flush rewrite the file.
  if (settings_.contains(entry)) settings_.remove(entry);
}

void RegKey::DeleteTree() { settings_.remove(QString()); }

bool RegKey::Flush() {
  settings_.sync();
  // A damaged file read earlier is a format error; only access errors lose writes.
  return settings_.status() != QSettings::AccessError;
}
