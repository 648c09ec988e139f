// The programs as a user gets them: installed into a scratch root, and the
// Debian package unpacked, the host started from there, far from the build.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "ngircd_server.h"
#include "scripted_host.h"

namespace {

struct Outcome {
  int code = -1;
  QByteArray output;  // standard output and error together
};

Outcome RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env = {}) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  if (!env.isEmpty()) process.setProcessEnvironment(env);
  process.start(program, args);
  if (!process.waitForFinished(240000)) return {-1, "did not end: " + process.readAll()};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// Every part a user and the host need, under `prefix`.
QStringList MissingParts(const QString& prefix) {
  const QString parts[] = {
      "bin/velko", "bin/velkocli", "bin/velkobot", VELKO_LIBEXEC_DIR "/velko-page", VELKO_MODULE_DIR "/velko1.so",
      "share/velko/page/velko.html", "share/velko/skin/velko.skin", "share/applications/org.velko.Velko.desktop",
      "share/icons/hicolor/scalable/apps/org.velko.Velko.svg", "share/metainfo/org.velko.Velko.metainfo.xml",
      "share/man/man1/velko.1.gz", "share/man/man1/velkocli.1.gz", "share/man/man1/velkobot.1.gz"};
  QStringList missing;
  for (const QString& part : parts)
    if (!QFileInfo::exists(prefix + "/" + part)) missing << part;
  return missing;
}

// What a file could lead a program to: for a program or library its dynamic section (search paths), since
// its other strings may name sources for diagnostics (the sanitizers keep absolute source names); else all of it.
QByteArray WhereItLooks(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray content = file.readAll();
  return content.startsWith("\x7f" "ELF") ? RunTool("readelf", {"-d", path}).output : content;
}

// The files under `root` that lead to the build folder: an installed program must never look there.
QStringList NamingTheBuild(const QString& root) {
  QStringList naming;
  for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
    if (WhereItLooks(it.next()).contains(VELKO_BUILD_DIR)) naming << it.filePath();
  return naming;
}

}  // namespace

TEST(Installed, TheTreeHoldsEveryPartAndValidMetadata) {
  QTemporaryDir root;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DESTDIR", root.path());
  const Outcome install = RunTool(CMAKE_COMMAND_PATH, {"--install", VELKO_BUILD_DIR, "--prefix", "/usr"}, env);
  ASSERT_EQ(install.code, 0) << install.output.toStdString();
  EXPECT_EQ(MissingParts(root.filePath("usr")), QStringList{});
  const Outcome valid =
      RunTool("appstreamcli", {"validate", "--no-net", root.filePath("usr/share/metainfo/org.velko.Velko.metainfo.xml")});
  EXPECT_EQ(valid.code, 0) << valid.output.toStdString();
}

TEST(Installed, ThePackageUnpackedStartsAndJoinsWithoutTheBrowserEngine) {
  QTemporaryDir work;
  const Outcome pack = RunTool(CPACK_COMMAND_PATH, {"-G", "DEB", "--config", VELKO_BUILD_DIR "/CPackConfig.cmake", "-B",
                                                work.filePath("pack")});
  ASSERT_EQ(pack.code, 0) << pack.output.toStdString();
  const QStringList debs = QDir(work.filePath("pack")).entryList({"*.deb"});
  ASSERT_EQ(debs.size(), 1);
  const QString deb = work.filePath("pack/" + debs[0]);
  // The libraries' packages were worked out; what no link names was added.
  const QByteArray depends = RunTool("dpkg-deb", {"-f", deb, "Depends"}).output;
  for (const char* package : {"libqt6widgets6", "libqt6webenginecore6-bin", "qt6-qpa-plugins"})
    EXPECT_TRUE(depends.contains(package)) << package << " not in " << depends.data();
  ASSERT_EQ(RunTool("dpkg-deb", {"-x", deb, work.filePath("root")}).code, 0);
  EXPECT_EQ(MissingParts(work.filePath("root/usr")), QStringList{});
  EXPECT_EQ(NamingTheBuild(work.filePath("root")), QStringList{});

  NgircdServer server;
  ASSERT_TRUE(server.Start());
  qunsetenv("VELKO1_MODULE");
  ScriptedHost host(work.filePath("root/usr/bin/velko"));
  ASSERT_TRUE(host.Start(work.filePath("registry"), {"--addr", QString("127.0.0.1:%1").arg(server.Port()), "--nick",
                                                      "installed", "--chan", "#inst", "--script", "-"}));
  EXPECT_TRUE(host.AskUntil(".members #inst", "@installed"));
  QFile maps(QString("/proc/%1/maps").arg(host.process_.processId()));
  ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
  // The module it found is the installed one.
  EXPECT_TRUE(maps.readAll().contains(QFile::encodeName(work.filePath("root/usr/" VELKO_MODULE_DIR "/velko1.so"))));
  EXPECT_FALSE(host.MapsBrowserEngine());
}
