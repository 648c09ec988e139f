// The skin file format and the skin loader against scripted and real HTTP servers.
#include <QBuffer>
#include <QDir>
#include <QtEndian>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "C_socket.h"

#include <string>
#include <string_view>
#include <vector>

#include "U_codepage.h"
#include "U_htmlskin.h"
#include "U_httpreader.h"
#include "U_skinimage.h"
#include "http_folder_server.h"
#include "scripted_server.h"
#include "wait_until.h"

using Events = std::vector<std::string>;

TEST(SkinFile, OnlyWellFormedLinesCount) {
  TSkinValues values;
  ParseSkinText("// nickbox-fg=clRed\r\nnickbox-ln =clRed\r\nmenubox-ln= clRed\r\n\r\nNICKBOX-BG=#300,257,0\r\n", values);
  TSkinValues expected;
  expected.NickBoxBg = 0x2C0100;  // each number modulo 256
  EXPECT_EQ(values, expected);
}

// However a response is cut into reads, the reader sees the same one: the
// body by its length, or up to the close when no length is given.
TEST(HttpReader, HeadersAndBodySplitAcrossReads) {
  const auto read = [](std::initializer_list<std::string_view> pieces, CZoHttpReader& reader) {
    std::string body;
    for (const std::string_view piece : pieces)
      reader.Feed(piece.data(), piece.size(), [&](const char* data, size_t count) { body.append(data, count); });
    return body;
  };
  CZoHttpReader sized;
  EXPECT_EQ(read({"HTTP/1.1 200 OK\r\nServer: x\r\nConte", "nt-Length: 10\r", "\n\r\n01234"}, sized), "01234");
  EXPECT_FALSE(sized.Complete());
  EXPECT_EQ(read({"56789 after the end"}, sized), "56789");
  EXPECT_TRUE(sized.Complete());
  EXPECT_EQ(sized.Status(), 200);

  CZoHttpReader unsized;
  EXPECT_EQ(read({"HTTP/1.1 200 OK\r\n\r\nnickbox-fg=cl", "Blue\n"}, unsized), "nickbox-fg=clBlue\n");
  EXPECT_TRUE(unsized.EndsAtClose());
  EXPECT_FALSE(unsized.Complete());
}

namespace {

QByteArray Response(const QByteArray& body, const QByteArray& status = "200 OK") {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

std::string At(const ScriptedServer& server, const char* path) {
  return "127.0.0.1:" + std::to_string(server.Port()) + path;
}

class SkinFetch : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString() + "/";
    skin_.OnSkinParsed = [this](CZoHTMLSkin*) { events_.push_back("parsed"); };
    skin_.OnBackImageLoaded = [this](CZoHTMLSkin* skin) { events_.push_back("back " + skin->BackImagePath); };
    skin_.OnIconLoaded = [this](CZoHTMLSkin* skin) { events_.push_back("icon " + skin->IconPath); };
    skin_.OnError = [this](CZoHTMLSkin*, const char* message) { events_.push_back(DecodeDisplay(message).toStdString()); };
  }

  // Loads from `server` and waits for the request.
  void Request(ScriptedServer& server) {
    ASSERT_TRUE(Load(At(server, "/skin.txt")));
    ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  }
  bool Load(const std::string& address) { return skin_.Load(folder_.c_str(), address.c_str()); }
  bool WaitIdle() {
    return WaitUntil([this] { return skin_.state() == CZoHTMLSkin::Idle; });
  }
  QByteArray Local(const char* name) const {
    QFile file(dir_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }

  QTemporaryDir dir_;
  std::string folder_;
  CZoHTMLSkin skin_;
  Events events_;
};

}  // namespace

TEST_F(SkinFetch, SkinFileIsFetchedAppliedAndKept) {
  ScriptedServer server;
  ASSERT_TRUE(Load("http://" + At(server, "/skins/skin.txt")));
  EXPECT_FALSE(Load(At(server, "/skins/other.txt")));  // one load at a time
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  EXPECT_EQ(server.Received().toStdString(),
            "GET /skins/skin.txt HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                "\r\nAccept: */*\r\nUser-Agent: VelkoSkin\r\nConnection: Keep-Alive\r\n\r\n");

  const QByteArray body = "nickbox-bg=clRed\r\nmodal-bg=#1,2,3\r\n";
  server.Write(Response(body));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"parsed"});
  EXPECT_EQ(skin_.NickBoxBg, 0xFF0000u);
  EXPECT_EQ(skin_.ModalFrame[BodyColor], 0x010203u);
  EXPECT_EQ(Local("skin.txt"), body);
  // No picture named: the connection goes with the skin file.
  EXPECT_TRUE(WaitUntil([&] { return server.ClientClosed(); }));
}

TEST_F(SkinFetch, WithoutContentLengthTheBodyRunsToTheClose) {
  ScriptedServer server;
  Request(server);
  server.Write("HTTP/1.1 200 OK\r\n\r\nnickbox-fg=clBlue\n");
  server.CloseClient();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"parsed"});
  EXPECT_EQ(skin_.NickBoxFg, 0x0000FFu);
}

// An error page is no skin, and a server that never stops sending (in one
// rush or a byte at a time) is cut off; the previous copy stays either way.
TEST_F(SkinFetch, ErrorStatusOverlongAndEndlessAnswersFail) {
  struct Case {
    QByteArray head;
    int bodyBytes, gapMs;
    const char* error;
  };
  const Case cases[] = {
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 17\r\n\r\n", 17, 0, "HTML-Error : 404 (파일을 찾을 수 없습니다)"},
      {"NONSENSE\r\n\r\n", 17, 0, "HTML-Error : 10053 (연결이 중단되었습니다)"},
      {"HTTP/1.1 200 OK\r\n\r\n", 70 << 10, 0, "HTML-Error : 10040 (받은 데이터가 너무 큽니다)"},
      {"HTTP/1.1 200 OK\r\n\r\n", 40, 60, "HTML-Error : 10060 (응답이 없어 연결을 끊었습니다)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    QFile previous(dir_.filePath("skin.txt"));
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly) && previous.write("mainwin-bg=clRed\n") > 0);
    previous.close();
    events_.clear();
    skin_.SetFetchDeadline(400);
    ScriptedServer server;
    Request(server);
    server.Write(c.head);
    const QByteArray body = QByteArray("nickbox-fg=clRed\n").repeated(c.bodyBytes / 17 + 1).left(c.bodyBytes);
    const int piece = c.gapMs ? 1 : body.size();
    int at = 0;
    QTimer writer;  // the body at once, or a byte at a time until the loader gives up
    QObject::connect(&writer, &QTimer::timeout, [&] {
      server.Write(body.mid(at, piece));
      at += piece;
    });
    writer.start(c.gapMs);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(events_, Events{c.error});
    EXPECT_EQ(Local("skin.txt"), "mainwin-bg=clRed\n");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"skin.txt"});
    EXPECT_EQ(skin_.NickBoxFg, TSkinValues().NickBoxFg);
  }
}

TEST_F(SkinFetch, EarlyCloseReportsAnErrorAndKeepsThePreviousCopy) {
  QFile previous(dir_.filePath("skin.txt"));
  ASSERT_TRUE(previous.open(QIODevice::WriteOnly) && previous.write("mainwin-bg=clRed\n") > 0);
  previous.close();
  ScriptedServer server;
  Request(server);
  server.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nnickbox-bg=clBlue\n");
  server.CloseClient();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"HTML-Error : 10054 (상대가 연결을 끊었습니다)"});
  EXPECT_EQ(Local("skin.txt"), "mainwin-bg=clRed\n");
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"skin.txt"});
  EXPECT_EQ(static_cast<TSkinValues&>(skin_), TSkinValues());
}

TEST_F(SkinFetch, SilentServerTimesOutAndFreesTheLoader) {
  skin_.SetFetchTimeout(200);
  ScriptedServer server;
  Request(server);
  server.Write("HTTP/1.1 200 OK\r\n");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"HTML-Error : 10060 (응답이 없어 연결을 끊었습니다)"});
  EXPECT_TRUE(Load(At(server, "/skin.txt")));
}

TEST_F(SkinFetch, AddressesThatCannotBeUsedAreRefused) {
  for (const char* address : {"no-slash", "host/a b.txt", "host/x\r\nEvil: 1", "host:65536/x.txt", "host/.."})
    EXPECT_FALSE(Load(address)) << address;
  EXPECT_EQ(skin_.state(), CZoHTMLSkin::Idle);
}

TEST_F(SkinFetch, KeptAliveConnectionDroppedByTheServerIsRetriedOnce) {
  ScriptedServer server;
  Request(server);
  server.Write(Response(QByteArray("mainwin-backimg=") + At(server, "/bg.png").c_str() + "\n"));
  ASSERT_TRUE(server.WaitForText("GET /bg.png"));
  server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return !server.ClientClosed() && server.Received().contains("GET /bg.png"); }));
  server.Write(Response("background"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, (Events{"parsed", "back " + folder_ + "bg.png"}));
}

TEST_F(SkinFetch, PictureOnAnotherServerIsFetchedFromThere) {
  ScriptedServer skinServer, pictureServer;
  Request(skinServer);
  skinServer.Write(Response(QByteArray("mainwin-backimg=") + At(pictureServer, "/bg.png").c_str() +
                            "\nmenubox-icon=" + At(skinServer, "/icon.png").c_str() + "\n"));
  ASSERT_TRUE(pictureServer.WaitForText("GET /bg.png HTTP/1.1\r\nHost: 127.0.0.1:" +
                                        QByteArray::number(pictureServer.Port())));
  EXPECT_FALSE(skinServer.Received().contains("bg.png"));
  pictureServer.Write(Response("background"));
  ASSERT_TRUE(skinServer.WaitForText("GET /icon.png"));
  skinServer.Write(Response("icon"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, (Events{"parsed", "back " + folder_ + "bg.png", "icon " + folder_ + "icon.png"}));
  EXPECT_EQ(Local("bg.png"), "background");
  EXPECT_EQ(Local("icon.png"), "icon");
}

TEST_F(SkinFetch, RealHttpServerAndJpegPicture) {
  QTemporaryDir served;
  HttpFolderServer http;
  ASSERT_TRUE(http.Start(served.path()));
  const std::string base = "127.0.0.1:" + std::to_string(http.Port());
  QImage picture(40, 20, QImage::Format_RGB32);
  picture.fill(qRgb(0, 0, 255));
  ASSERT_TRUE(picture.save(served.filePath("back.jpg"), "JPG", 95));
  ASSERT_TRUE(picture.scaled(16, 16).save(served.filePath("icon.png"), "PNG"));
  QFile skinFile(served.filePath("skin.txt"));
  ASSERT_TRUE(skinFile.open(QIODevice::WriteOnly));
  skinFile.write(("menubox-bg=clYellow\r\nsubwin-caption-bg=#10,20,30\r\nmainwin-backimg=http://" + base +
                  "/back.jpg\r\nmenubox-icon=" + base + "/icon.png\r\n")
                     .c_str());
  skinFile.close();

  ASSERT_TRUE(Load(base + "/skin.txt"));
  ASSERT_TRUE(WaitUntil([&] { return events_.size() == 3; }, 10000));
  EXPECT_EQ(events_, (Events{"parsed", "back " + folder_ + "back.jpg", "icon " + folder_ + "icon.png"}));
  EXPECT_EQ(skin_.MenuBoxBg, 0xFFFF00u);
  EXPECT_EQ(skin_.SubWinFrame[CaptionBack], 0x0A141Eu);
  for (const char* name : {"back.jpg", "icon.png"}) {
    QFile original(served.filePath(name));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(Local(name), original.readAll()) << name;
  }
}

namespace {

quint32 Crc32(const char* data, int length) {
  quint32 crc = 0xFFFFFFFF;
  for (int i = 0; i < length; ++i) {
    crc ^= static_cast<unsigned char>(data[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

// A real picture whose header is made to declare `width` x `height`, cut
// after the header: a few bytes that would decode to a huge image.
QByteArray DeclaringHugeSize(const char* format, quint16 width, quint16 height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImage(8, 8, QImage::Format_RGB32).save(&buffer, format);
  if (qstrcmp(format, "JPG") == 0) {
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    qToBigEndian(height, bytes.data() + frame + 5);
    qToBigEndian(width, bytes.data() + frame + 7);
    return bytes.left(bytes.indexOf("\xFF\xDA") + 20);
  }
  qToBigEndian(quint32(width), bytes.data() + 16);
  qToBigEndian(quint32(height), bytes.data() + 20);
  qToBigEndian(Crc32(bytes.data() + 12, 17), bytes.data() + 29);
  return bytes.left(33);
}

}  // namespace

// Pictures declaring more than 16 megapixels are refused before a pixel is
// decoded, whatever their format; one just within the bound still loads.
TEST(SkinPicture, DeclaredSizeIsBoundedBeforeDecoding) {
  QTemporaryDir dir;
  const struct {
    const char* format;
    quint16 width, height;
  } refused[] = {{"JPG", 16384, 4096}, {"PNG", 5700, 5700}, {"JPG", 4097, 4097}};
  for (const auto& r : refused) {
    QFile file(dir.filePath("huge"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DeclaringHugeSize(r.format, r.width, r.height));
    file.close();
    EXPECT_TRUE(LoadSkinPicture(file.fileName().toUtf8().constData()).isNull()) << r.format << " " << r.width;
  }
  QImage wide(4096, 64, QImage::Format_RGB32);
  wide.fill(Qt::red);
  ASSERT_TRUE(wide.save(dir.filePath("wide.jpg"), "JPG"));
  const QImage loaded = LoadSkinPicture(dir.filePath("wide.jpg").toUtf8().constData());
  ASSERT_EQ(loaded.size(), QSize(4096, 64));
  EXPECT_GT(qRed(loaded.pixel(100, 10)), 240);
}
