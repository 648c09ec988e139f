#include <QDir>
#include <QEvent>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "U_htmlskin.h"
#include "U_httpreader.h"
#include "U_skinfile.h"
#include "U_skinimage.h"
#include "http_folder_server.h"
#include "ngircd_server.h"
#include "scripted_server.h"
#include "wait_until.h"

using Events = std::vector<std::string>;

// --- the skin file format ---------------------------------------------------

TEST(SkinFile, OnlyWellFormedLinesCount) {
  TSkinValues values;
  ParseSkinText("// comment nickbox-bg=#0,0,255\r\nnickbox-bg = #0,0,255\r\n\r\nNICKBOX-BG=#255,0,0\r\n", values);
  TSkinValues expected;
  expected.NickBoxBg = 0xFF0000;
  EXPECT_EQ(values, expected);
}

TEST(SkinFile, ColourValues) {
  uint32_t colour = 0x123456;
  EXPECT_TRUE(ParseSkinColor("#300,0,0", &colour));
  EXPECT_EQ(colour, 0x2C0000u);
  EXPECT_TRUE(ParseSkinColor("#256,257,99999999999999999999", &colour));
  EXPECT_EQ(colour, 0x0001FFu);  // each number modulo 256, however long
  EXPECT_TRUE(ParseSkinColor("CLTEAL", &colour));
  EXPECT_EQ(colour, 0x008080u);
  EXPECT_TRUE(ParseSkinColor("clDkGray", &colour));
  EXPECT_EQ(colour, 0x808080u);
  for (const char* bad : {"#1,2", "#1,2,3,4", "#1,,3", "#a,b,c", "#", "", "red", "#1,2,3x", "clRedd"}) {
    colour = 0x123456;
    EXPECT_FALSE(ParseSkinColor(bad, &colour)) << bad;
    EXPECT_EQ(colour, 0x123456u) << bad;
  }
}

TEST(SkinFile, KeysReachTheirSlotsAndLaterLinesWin) {
  TSkinValues values;
  ParseSkinText(
      "modal-caption-fg=clRed\rsubwin-asys-bg=clLime\nmainwin-bg=clNavy\nmainwin-bg=clTeal\n"
      "modal-fg=#1,2,3=4\nunknown-key=clRed\n=clRed\nchlistwin-index-bg=clSilver",
      values);
  EXPECT_EQ(values.ModalFrame[ActiveCaptionText], 0xFF0000u);
  EXPECT_EQ(values.SubWinFrame[ButtonHotFace], 0x00FF00u);
  EXPECT_EQ(values.MainWinBg, 0x008080u);
  EXPECT_EQ(values.ModalFg, 0x000000u);  // the value does not parse
  EXPECT_EQ(values.ChListWinIndexBg, 0xC0C0C0u);
  EXPECT_EQ(values.SubWinFrame[CaptionHeightSlot], 18u);
  EXPECT_EQ(values.ModalFrame[ButtonSizeSlot], 14u);
  EXPECT_EQ(values.FixedFrame[CaptionHeightSlot], 24u);
}

TEST(SkinFile, ImageAddressesBelongToTheirSkin) {
  TSkinValues values;
  const std::string longLine = "mainwin-backimg=host/" + std::string(600, 'x') + ".jpg\n";
  ParseSkinText("mainwin-backimg=host/bg.jpg\nmenubox-icon=host/icon.png\n" + longLine, values);
  EXPECT_EQ(values.BackImageAddress, "host/bg.jpg");
  EXPECT_EQ(values.IconAddress, "host/icon.png");
  ParseSkinText("nickbox-fg=clRed\n", values);
  EXPECT_EQ(values.BackImageAddress, "");
  EXPECT_EQ(values.IconAddress, "");
}

// --- the HTTP response reader -----------------------------------------------

namespace {

struct ReadResult {
  std::string body;
  bool complete, keepAlive, endsAtClose, broken;
};

ReadResult ReadResponse(const std::string& response, size_t piece) {
  CZoHttpReader reader;
  ReadResult result{};
  for (size_t at = 0; at < response.size(); at += piece)
    reader.Feed(response.data() + at, std::min(piece, response.size() - at),
                [&](const char* data, size_t count) { result.body.append(data, count); });
  result.complete = reader.Complete();
  result.keepAlive = reader.KeepAlive();
  result.endsAtClose = reader.EndsAtClose();
  result.broken = reader.Broken();
  return result;
}

}  // namespace

TEST(HttpReader, BodyFramingHoldsForAnySplit) {
  const std::string longHeader = "X-Long: " + std::string(2000, 'y') + "\r\n";
  const std::string lengthed = "HTTP/1.1 200 OK\r\n" + longHeader + "content-length:  5 \r\n\r\nhelloEXTRA";
  const std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;ext=1\r\nhel\r\nA\r\nlo, world!\r\n0\r\nT: x\r\n\r\nafter";
  for (size_t piece : {1ul, 2ul, 7ul, 4096ul}) {
    const ReadResult plain = ReadResponse(lengthed, piece);
    EXPECT_TRUE(plain.complete) << piece;
    EXPECT_EQ(plain.body, "hello") << piece;
    const ReadResult chunks = ReadResponse(chunked, piece);
    EXPECT_TRUE(chunks.complete) << piece;
    EXPECT_EQ(chunks.body, "hello, world!") << piece;
  }
}

TEST(HttpReader, LengthKeepAliveAndBrokenResponses) {
  EXPECT_TRUE(ReadResponse("HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n", 100).complete);
  const ReadResult untold = ReadResponse("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabc", 100);
  EXPECT_TRUE(untold.endsAtClose);
  EXPECT_FALSE(untold.keepAlive);
  EXPECT_EQ(untold.body, "abc");
  EXPECT_FALSE(ReadResponse("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", 100).keepAlive);
  EXPECT_TRUE(ReadResponse("HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 0\r\n\r\n", 100).keepAlive);
  EXPECT_FALSE(ReadResponse("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 0\r\n\r\n", 100).keepAlive);
  EXPECT_TRUE(ReadResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", 100).broken);
  EXPECT_TRUE(ReadResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFF\r\n", 100).broken);
  EXPECT_TRUE(ReadResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nab\r\n", 100).broken);
}

// --- pictures ---------------------------------------------------------------

// Good pictures are decoded in the real server fetch below.
TEST(SkinPicture, BrokenOrMissingPicturesGiveNoImage) {
  QTemporaryDir dir;
  QFile broken(dir.filePath("broken.jpg"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("\xFF\xD8\xFF\xE0 this is no picture at all");
  broken.close();
  EXPECT_TRUE(LoadSkinPicture(QFile::encodeName(broken.fileName()).constData()).isNull());
  EXPECT_TRUE(LoadSkinPicture(QFile::encodeName(dir.filePath("missing.jpg")).constData()).isNull());
}

// --- fetching ---------------------------------------------------------------

namespace {

QByteArray Response(const QByteArray& body, const QByteArray& status = "200 OK") {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

class SkinFetch : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString() + "/";
    skin_.OnSkinParsed = [this](CZoHTMLSkin*) { events_.push_back("parsed"); };
    skin_.OnBackImageLoaded = [this](CZoHTMLSkin* skin) { events_.push_back("back " + skin->BackImagePath); };
    skin_.OnIconLoaded = [this](CZoHTMLSkin* skin) { events_.push_back("icon " + skin->IconPath); };
    skin_.OnError = [this](CZoHTMLSkin*, const char* message) { events_.push_back(message); };
  }

  static std::string At(const ScriptedServer& server, const char* path) {
    return "127.0.0.1:" + std::to_string(server.Port()) + path;
  }
  bool Load(const std::string& address) { return skin_.Load(folder_.c_str(), address.c_str()); }
  bool WaitIdle() {
    return WaitUntil([this] { return skin_.state() == CZoHTMLSkin::Idle; });
  }
  QByteArray Local(const char* name) const {
    QFile file(dir_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  QStringList Files() const { return QDir(dir_.path()).entryList(QDir::Files); }

  QTemporaryDir dir_;
  std::string folder_;
  CZoHTMLSkin skin_;
  Events events_;
};

}  // namespace

TEST_F(SkinFetch, HeadersSplitAcrossChunks) {
  ScriptedServer server;
  ASSERT_TRUE(Load("http://" + At(server, "/skins/skin.txt")));
  EXPECT_FALSE(Load(At(server, "/skins/other.txt")));  // one load at a time
  ASSERT_TRUE(server.WaitForClient());
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  EXPECT_EQ(server.Received().toStdString(),
            "GET /skins/skin.txt HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                "\r\nAccept: */*\r\nUser-Agent: VelkoSkin\r\nConnection: Keep-Alive\r\n\r\n");

  const QByteArray body = "nickbox-bg=clRed\r\nmodal-bg=#1,2,3\r\n";
  for (const QByteArray& piece : {QByteArray("HTTP/1.1 200 OK\r\nServer: x\r\nConte"),
                                  "nt-Length: " + QByteArray::number(body.size()) + "\r",
                                  "\n\r\n" + body.left(5), body.mid(5)}) {
    server.Write(piece);
    SpinFor(30);
  }
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"parsed"});
  EXPECT_EQ(skin_.NickBoxBg, 0xFF0000u);
  EXPECT_EQ(skin_.ModalFrame[BodyColor], 0x010203u);
  EXPECT_EQ(Local("skin.txt"), body);
  // No picture named: the connection goes with the skin file.
  EXPECT_TRUE(WaitUntil([&] { return server.ClientClosed(); }));
}

TEST_F(SkinFetch, KeepAliveServesPicturesFromTheSameServer) {
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write(Response(QByteArray("mainwin-backimg=") + At(server, "/img/bg.png").c_str() +
                        "\nmenubox-icon=" + At(server, "/icon.png").c_str() + "\n"));
  ASSERT_TRUE(server.WaitForText("GET /img/bg.png HTTP/1.1"));
  server.Write(Response("background bytes"));
  ASSERT_TRUE(server.WaitForText("GET /icon.png HTTP/1.1"));
  server.Write(Response("icon bytes"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, (Events{"parsed", "back " + folder_ + "bg.png", "icon " + folder_ + "icon.png"}));
  EXPECT_TRUE(server.Received().startsWith("GET /skin.txt"));  // all three on the first connection
  EXPECT_EQ(Local("bg.png"), "background bytes");
  EXPECT_EQ(Local("icon.png"), "icon bytes");
  EXPECT_TRUE(WaitUntil([&] { return server.ClientClosed(); }));
}

TEST_F(SkinFetch, PictureOnAnotherServerIsFetchedFromThere) {
  ScriptedServer skinServer, pictureServer;
  ASSERT_TRUE(Load(At(skinServer, "/skin.txt")));
  ASSERT_TRUE(skinServer.WaitForText("\r\n\r\n"));
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
}

TEST_F(SkinFetch, WithoutContentLengthTheBodyRunsToTheClose) {
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write("HTTP/1.1 200 OK\r\n\r\nnickbox-fg=cl");
  SpinFor(50);
  server.Write("Blue\nmenubox-fg=clRed\n");
  SpinFor(50);
  EXPECT_EQ(events_, Events{});
  server.CloseClient();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"parsed"});
  EXPECT_EQ(skin_.NickBoxFg, 0x0000FFu);
  EXPECT_EQ(skin_.MenuBoxFg, 0xFF0000u);
}

TEST_F(SkinFetch, ErrorStatusBodyIsStoredAndParsed) {
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write(Response("<html><body>Not Found</body></html>\n", "404 Not Found"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"parsed"});
  EXPECT_EQ(static_cast<TSkinValues&>(skin_), TSkinValues());
}

TEST_F(SkinFetch, EarlyCloseKeepsThePreviousCopy) {
  QFile previous(dir_.filePath("skin.txt"));
  ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
  previous.write("mainwin-bg=clRed\n");
  previous.close();
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nnickbox-bg=clBlue\n");
  SpinFor(50);
  server.CloseClient();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"HTML-Error : 10054"});
  EXPECT_EQ(Local("skin.txt"), "mainwin-bg=clRed\n");
  EXPECT_EQ(Files(), QStringList{"skin.txt"});
  EXPECT_EQ(static_cast<TSkinValues&>(skin_), TSkinValues());
}

TEST_F(SkinFetch, BrokenResponseAndRefusedConnectionReportAnError) {
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nnot-a-size\r\n");
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(WaitUntil([&] { return server.ClientClosed(); }));

  ASSERT_TRUE(Load("127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/skin.txt"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, (Events{"HTML-Error : 10053", "HTML-Error : 10061"}));
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(SkinFetch, SilentServerTimesOutAndFreesTheLoader) {
  skin_.SetFetchTimeout(200);
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write("HTTP/1.1 200 OK\r\n");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, Events{"HTML-Error : 10060"});
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_TRUE(Load(At(server, "/skin.txt")));  // the connection is free again
}

TEST_F(SkinFetch, AddressesThatCannotBeUsedAreRefused) {
  for (const char* address : {"no-slash", "/only/a/path.txt", "host/folder/", "host/a b.txt", "host/x\r\nEvil: 1",
                              "host:0/x.txt", "host:65536/x.txt", "host:8o/x.txt", "host/.."}) {
    EXPECT_FALSE(Load(address)) << address;
  }
  EXPECT_FALSE(skin_.Load((folder_ + "missing/").c_str(), "127.0.0.1/skin.txt"));
  EXPECT_EQ(skin_.state(), CZoHTMLSkin::Idle);
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(SkinFetch, KeptAliveConnectionDroppedByTheServerIsRetriedOnce) {
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write(Response(QByteArray("mainwin-backimg=") + At(server, "/bg.png").c_str() + "\n"));
  ASSERT_TRUE(server.WaitForText("GET /bg.png"));
  server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return !server.ClientClosed() && server.Received().contains("GET /bg.png"); }));
  server.Write(Response("background"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, (Events{"parsed", "back " + folder_ + "bg.png"}));
}

namespace {

class StepRecorder : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != CZoHTMLSkin::kStepEvent) return QObject::event(event);
    ++steps;
    return true;
  }
  int steps = 0;
};

}  // namespace

TEST_F(SkinFetch, StepMessageGoesToTheGivenTarget) {
  StepRecorder window;
  skin_.SetStepTarget(&window);
  ScriptedServer server;
  ASSERT_TRUE(Load(At(server, "/skin.txt")));
  ASSERT_TRUE(server.WaitForText("\r\n\r\n"));
  server.Write(Response(QByteArray("menubox-icon=") + At(server, "/icon.png").c_str() + "\n"));
  ASSERT_TRUE(WaitUntil([&] { return window.steps == 1; }));
  SpinFor(50);
  EXPECT_EQ(skin_.state(), CZoHTMLSkin::BackImage);  // waits for the window to hand the step back
  skin_.NextStep();
  ASSERT_TRUE(server.WaitForText("GET /icon.png"));
  server.Write(Response("icon"));
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(events_, (Events{"parsed", "icon " + folder_ + "icon.png"}));
}

TEST_F(SkinFetch, RealHttpServer) {
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
  skinFile.write(("// a skin\r\nmenubox-bg=clYellow\r\nsubwin-caption-bg=#10,20,30\r\n"
                  "mainwin-backimg=http://" + base + "/back.jpg\r\nmenubox-icon=" + base + "/icon.png\r\n")
                     .c_str());
  skinFile.close();

  ASSERT_TRUE(Load(base + "/skin.txt"));
  ASSERT_TRUE(WaitUntil([&] { return events_.size() == 3; }, 10000));
  EXPECT_EQ(events_, (Events{"parsed", "back " + folder_ + "back.jpg", "icon " + folder_ + "icon.png"}));
  EXPECT_EQ(skin_.state(), CZoHTMLSkin::Idle);
  EXPECT_EQ(skin_.MenuBoxBg, 0xFFFF00u);
  EXPECT_EQ(skin_.SubWinFrame[CaptionBack], 0x0A141Eu);
  for (const char* name : {"skin.txt", "back.jpg", "icon.png"}) {
    QFile original(served.filePath(name));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(Local(name), original.readAll()) << name;
  }
  const QImage back = LoadSkinPicture(skin_.BackImagePath.c_str());
  ASSERT_EQ(back.size(), QSize(40, 20));
  EXPECT_GT(qBlue(back.pixel(10, 10)), 240);
  EXPECT_EQ(LoadSkinPicture(skin_.IconPath.c_str()).size(), QSize(16, 16));
}
