#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <cstring>

#include "registry.h"
#include "registry_folder.h"

namespace {

using RegistryTest = RegistryFolderTest;

struct Stored {
  const char* name;
  RegValueType type;
  QByteArray data;
};

void ExpectValue(const RegKey& key, const Stored& expected) {
  const std::optional<RegValue> value = key.QueryValue(expected.name);
  ASSERT_TRUE(value) << expected.name;
  EXPECT_EQ(value->type, expected.type) << expected.name;
  EXPECT_EQ(value->data, expected.data) << expected.name;
}

TEST_F(RegistryTest, ValuesKeepBytesAndTypeOnDiskPerKeyAndRoot) {
  // Names an INI file would otherwise take for paths, markers or escapes.
  const std::vector<Stored> values = {
      {"Bin", REG_BINARY, QByteArray("a\0\xff", 3)}, {"Text", REG_SZ, "\xB1\xBC\xB8\xB2"},
      {"", REG_DWORD, QByteArray("\x0b\x1a\0\0", 4)}, {"Empty", REG_BINARY, ""},
      {"a/b", REG_SZ, "slash"}, {"a\\b", REG_SZ, "backslash"}, {"a%2Fb", REG_SZ, "percent"},
      {"@", REG_SZ, "at"}};
  {
    auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Q\\V");
    ASSERT_TRUE(key);
    for (const Stored& value : values) key->SetValue(value.name, value.type, value.data);
    RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Q\\V\\Sub")->SetValue("Bin", REG_SZ, "below");
    RegKey::Create(HKEY_CLASSES_ROOT, "Software\\Q\\V")->SetValue("Bin", REG_SZ, "classes");
    auto gone = RegKey::Create(HKEY_CLASSES_ROOT, "CLSID\\{1}");
    gone->SetValue("", REG_SZ, "one");
    RegKey::Create(HKEY_CLASSES_ROOT, "CLSID\\{1}\\Sub")->SetValue("", REG_SZ, "module");
    RegKey::Create(HKEY_CLASSES_ROOT, "CLSID\\{12}")->SetValue("", REG_SZ, "twelve");
    gone->DeleteTree();
    EXPECT_TRUE(key->Flush());
  }
  ReopenFromDisk();

  auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Q\\V");
  ASSERT_TRUE(key);
  for (const Stored& value : values) ExpectValue(*key, value);
  EXPECT_FALSE(key->QueryValue("Missing"));
  ExpectValue(*RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Q\\V\\Sub"), {"Bin", REG_SZ, "below"});
  ExpectValue(*RegKey::Create(HKEY_CLASSES_ROOT, "Software\\Q\\V"), {"Bin", REG_SZ, "classes"});
  EXPECT_FALSE(RegKey::Create(HKEY_CLASSES_ROOT, "CLSID\\{1}")->QueryValue(""));
  EXPECT_FALSE(RegKey::Create(HKEY_CLASSES_ROOT, "CLSID\\{1}\\Sub")->QueryValue(""));
  ExpectValue(*RegKey::Create(HKEY_CLASSES_ROOT, "CLSID\\{12}"), {"", REG_SZ, "twelve"});
}

TEST_F(RegistryTest, DamagedEntriesReadAsMissingAndTheNextWriteRepairsTheFile) {
  WriteMachineFile(
      "[Software]\nGood=binary:4142\nOddHex=binary:414\nNotHex=binary:zz\nNoTag=4142\n"
      "UnknownTag=qword:4142\nList=binary:41,42\nBlob=@ByteArray(AB)\n"
      "[unterminated\n\xff\xfe\x00garbage=\n==\n[]\n");
  {
    auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software");
    ASSERT_TRUE(key);
    ExpectValue(*key, {"Good", REG_BINARY, "AB"});
    for (const char* name : {"OddHex", "NotHex", "NoTag", "UnknownTag", "List", "Blob"})
      EXPECT_FALSE(key->QueryValue(name)) << name;
    key->SetValue("New", REG_SZ, "written");
    EXPECT_TRUE(key->Flush());
  }
  ReopenFromDisk();
  auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software");
  ExpectValue(*key, {"New", REG_SZ, "written"});
  ExpectValue(*key, {"Good", REG_BINARY, "AB"});
}

TEST_F(RegistryTest, KilledWriterNeverLeavesAHalfWrittenFile) {
  const QString folder = Folder();
  for (int round = 0; round < 8; ++round) {
    QProcess writer;
    writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    writer.start(REGISTRY_WRITER, {folder, QString::number(round)});
    ASSERT_TRUE(writer.waitForReadyRead(30000)) << "the writer never stored a value";
    QThread::msleep(5 + round * 11);
    writer.kill();
    writer.waitForFinished();
    // Killed while creating Qt's lock file, a writer leaves it empty, and Qt
    // then waits 30 s before it takes the lock as stale: not what is tested here.
    QFile::remove(folder + "/HKEY_LOCAL_MACHINE.ini.lock");

    ReopenFromDisk();
    auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Writer");
    ASSERT_TRUE(key);
    const std::optional<RegValue> size = key->QueryValue("Size");
    const std::optional<RegValue> blob = key->QueryValue("Blob");
    ASSERT_TRUE(size && blob && size->data.size() == 4) << "round " << round;
    uint32_t expected = 0;
    memcpy(&expected, size->data.constData(), 4);
    ASSERT_EQ(uint32_t(blob->data.size()), expected) << "round " << round;
    EXPECT_EQ(blob->data.count(blob->data.front()), blob->data.size());
  }
}

}  // namespace
