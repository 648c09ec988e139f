// DCC throughput of a 100 MB file over loopback: the engine sending to a raw
// receiver, receiving from a raw sender, and two engines in one thread, next
// to plain loopback TCP between two threads and a stop-and-wait ping-pong of
// 2048-byte blocks and 4-byte acknowledgements as the limits of this machine
// (wall time gives the rate; CPU time is the measuring thread's); then
// the chat client's main window sending and receiving the same way, with its
// dialogs answered at once and its progress window open.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "F_mdccfile.h"
#include "F_usermenu.h"
#include "M_filesave.h"
#include "M_filesend.h"
#include "U_modalman.h"
#include "U_subforms.h"
#include "Zoengine.h"

namespace {

constexpr uint32_t kFileSize = 100u * 1024 * 1024;

QTemporaryDir& Folder() {
  static QTemporaryDir dir;
  return dir;
}

std::string FolderPath(const char* name) { return Folder().filePath(name).toStdString(); }

// The file every transfer sends, written once.
const std::string& SourceFile() {
  static const std::string path = [] {
    const std::string source = FolderPath("source.bin");
    const FileHandle file = FileOpen(source.c_str(), false, false);
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 2654435761u >> 13);
    for (uint32_t done = 0; done < kFileSize; done += block.size()) FileWrite(file, block.data(), block.size());
    FileClose(file);
    return source;
  }();
  return path;
}

void RunUntil(const bool& done) {
  while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

int ListeningSocket(uint16_t* port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 1);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

int ConnectedSocket(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  return fd;
}

// A stand-in IRC server that only records what the engine sends, so the
// offer's port can be read from it.
class OfferCatcher {
 public:
  OfferCatcher() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      client_ = server_.nextPendingConnection();
      QObject::connect(client_, &QTcpSocket::readyRead, [this] { received_ += client_->readAll(); });
    });
  }
  uint16_t Port() const { return server_.serverPort(); }
  void Attach(TZoEngine& engine) {
    engine.SetAddress("127.0.0.1");
    engine.SetPort(server_.serverPort());
    bool up = false;
    engine.OnConnect = [&up](void*) { up = true; };
    engine.Connect();
    RunUntil(up);
  }
  // The port of the next offer line, once it has arrived.
  uint16_t NextOfferPort() {
    static const QRegularExpression offer("DCC SEND \\S+ \\d+ (\\d+) \\d+\x01\r\n");
    while (true) {
      const auto match = offer.match(QString::fromLatin1(received_));
      if (match.hasMatch()) {
        received_.remove(0, static_cast<int>(match.capturedEnd()));
        return static_cast<uint16_t>(match.captured(1).toUInt());
      }
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }

 private:
  QTcpServer server_;
  QTcpSocket* client_ = nullptr;
  QByteArray received_;
};

// A receiver that acknowledges every read with the total so far.
void RawReceiver(uint16_t port) {
  const int fd = ConnectedSocket(port);
  std::vector<char> buffer(64 * 1024);
  uint32_t total = 0;
  ssize_t got;
  while ((got = read(fd, buffer.data(), buffer.size())) > 0) {
    total += static_cast<uint32_t>(got);
    const uint32_t ack = htonl(total);
    if (write(fd, &ack, sizeof ack) != sizeof ack) break;
  }
  close(fd);
}

// The source file's bytes, read once, so a raw sender costs no file reads.
const std::vector<char>& SourceBytes() {
  static const std::vector<char> bytes = [] {
    std::vector<char> all(kFileSize);
    const FileHandle file = FileOpen(SourceFile().c_str(), true, false);
    for (uint32_t done = 0, got = 1; done < kFileSize && got > 0; done += got)
      got = FileRead(file, all.data() + done, kFileSize - done);
    FileClose(file);
    return all;
  }();
  return bytes;
}

// A sender that writes the whole file at once from memory and closes after
// the last acknowledgement.
void RawSender(int listener) {
  const int fd = accept(listener, nullptr, nullptr);
  const std::vector<char>& bytes = SourceBytes();
  for (size_t sent = 0; sent < bytes.size();) {
    const ssize_t done = write(fd, bytes.data() + sent, std::min<size_t>(bytes.size() - sent, 1 << 20));
    if (done <= 0) break;
    sent += static_cast<size_t>(done);
  }
  uint32_t ack = 0;
  while (ntohl(ack) < kFileSize && read(fd, &ack, sizeof ack) == sizeof ack) {
  }
  close(fd);
}

void SetThroughput(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize);
}

void BM_RawLoopbackTcp(benchmark::State& state) {
  std::vector<char> buffer(64 * 1024);
  for (auto _ : state) {
    uint16_t port = 0;
    const int listener = ListeningSocket(&port);
    std::thread reader([&] {
      const int fd = accept(listener, nullptr, nullptr);
      std::vector<char> in(64 * 1024);
      while (read(fd, in.data(), in.size()) > 0) {
      }
      close(fd);
    });
    const int fd = ConnectedSocket(port);
    for (uint32_t sent = 0; sent < kFileSize; sent += buffer.size())
      if (write(fd, buffer.data(), buffer.size()) <= 0) break;
    close(fd);
    reader.join();
    close(listener);
  }
  SetThroughput(state);
}

// Reads exactly `count` bytes; false when the connection ended first.
bool ReadFully(int fd, char* buffer, size_t count) {
  while (count > 0) {
    const ssize_t got = read(fd, buffer, count);
    if (got <= 0) return false;
    buffer += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

// The fastest a stop-and-wait sender can go: each block waits for its acknowledgement.
void BM_StopAndWaitPingPong(benchmark::State& state) {
  constexpr size_t kBlock = 2048;
  for (auto _ : state) {
    uint16_t port = 0;
    const int listener = ListeningSocket(&port);
    std::thread receiver([&] {
      const int fd = accept(listener, nullptr, nullptr);
      char block[kBlock];
      uint32_t total = 0;
      while (ReadFully(fd, block, kBlock)) {
        total += kBlock;
        const uint32_t ack = htonl(total);
        if (write(fd, &ack, sizeof ack) != sizeof ack) break;
      }
      close(fd);
    });
    const int fd = ConnectedSocket(port);
    char block[kBlock] = {};
    uint32_t ack = 0;
    for (uint32_t sent = 0; sent < kFileSize; sent += kBlock)
      if (write(fd, block, kBlock) != kBlock || !ReadFully(fd, reinterpret_cast<char*>(&ack), sizeof ack)) break;
    close(fd);
    receiver.join();
    close(listener);
  }
  SetThroughput(state);
}

void BM_EngineSends(benchmark::State& state) {
  OfferCatcher irc;
  TZoEngine engine;
  irc.Attach(engine);
  bool done = false;
  bool success = false;
  engine.OnDisconnectSend = [&](int, bool ok) {
    done = true;
    success = ok;
  };
  for (auto _ : state) {
    done = false;
    engine.SendFile("peer", "source.bin", FileOpen(SourceFile().c_str(), true, false));
    std::thread receiver(RawReceiver, irc.NextOfferPort());
    RunUntil(done);
    receiver.join();
    if (!success) state.SkipWithError("send failed");
  }
  SetThroughput(state);
}

// An engine that accepts every offer into received.bin and notes how it ended.
struct Receiver {
  Receiver() {
    engine.OnSendRequest = [this](int, const char*, const char*, uint64_t, FileHandle* file) {
      *file = FileOpen(target.c_str(), false, false);
    };
    engine.OnDisconnectRecv = [this](int, bool ok) {
      done = true;
      success = ok;
    };
  }
  // Offers the source file from a sender listening on `port`, and waits for the end.
  bool Receive(uint16_t port) {
    done = false;
    const std::string offer = ":peer!u@h PRIVMSG me :\x01" "DCC SEND source.bin 2130706433 " + std::to_string(port) +
                              " " + std::to_string(kFileSize) + "\x01";
    engine.SimulateLine(offer.c_str());
    RunUntil(done);
    return success;
  }

  TZoEngine engine;
  std::string target = FolderPath("received.bin");
  bool done = false;
  bool success = false;
};

const char* ReceiveTarget(int64_t inMemory) {
  static const std::string onDisk = FolderPath("received.bin");
  return inMemory ? "/dev/shm/velko_dcc_bench.bin" : onDisk.c_str();
}

// The limit of a receive from the raw sender: plain reads of up to 1 MiB, each
// written to the file and acknowledged with one write.
void BM_RawReceiveLimit(benchmark::State& state) {
  std::vector<char> buffer(1 << 20);
  for (auto _ : state) {
    uint16_t port = 0;
    const int listener = ListeningSocket(&port);
    std::thread sender(RawSender, listener);
    const int fd = ConnectedSocket(port);
    const FileHandle file = FileOpen(ReceiveTarget(state.range(0)), false, false);
    uint32_t total = 0;
    ssize_t got;
    while ((got = read(fd, buffer.data(), buffer.size())) > 0) {
      if (FileWrite(file, buffer.data(), static_cast<uint32_t>(got)) != got) break;
      total += static_cast<uint32_t>(got);
      const uint32_t ack = htonl(total);
      if (write(fd, &ack, sizeof ack) != sizeof ack) break;
    }
    FileClose(file);
    close(fd);
    sender.join();
    close(listener);
  }
  std::remove(ReceiveTarget(1));
  SetThroughput(state);
}

// Into the scratch folder on disk (arg 0), or into memory (arg 1) to take
// the disk's page cache out of the figure.
void BM_EngineReceives(benchmark::State& state) {
  Receiver receiver;
  receiver.target = ReceiveTarget(state.range(0));
  for (auto _ : state) {
    uint16_t port = 0;
    const int listener = ListeningSocket(&port);
    std::thread sender(RawSender, listener);
    const bool ok = receiver.Receive(port);
    sender.join();
    close(listener);
    if (!ok) state.SkipWithError("receive failed");
  }
  std::remove(ReceiveTarget(1));
  SetThroughput(state);
}

void BM_EngineToEngineOneThread(benchmark::State& state) {
  OfferCatcher irc;
  TZoEngine sender;
  Receiver receiver;
  irc.Attach(sender);
  for (auto _ : state) {
    sender.SendFile("peer", "source.bin", FileOpen(SourceFile().c_str(), true, false));
    if (!receiver.Receive(irc.NextOfferPort())) state.SkipWithError("transfer failed");
  }
  SetThroughput(state);
}

// A main window whose server is an offer catcher, in a channel with "peer"
// selected, and whose dialogs answer themselves with the files of the folder.
struct WindowSide {
  WindowSide() {
    form.Client().ApplyNick("me");
    form.Client().ConnectTo(("127.0.0.1:" + std::to_string(irc.Port())).c_str());
    while (form.Client().Engine().state != TZoEngine::Connected) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    form.Client().Engine().SimulateLine(":me!u@h JOIN :#b");
    form.Client().Engine().SimulateLine(":srv 353 me = #b :me peer");
    form.Client().Engine().SimulateLine(":srv 366 me #b :End");
    TmChannel* channel = form.Subforms().FindChannel("#b");
    channel->lbUsers->setCurrentIndex(channel->lbUsers->model()->index(1, 0));
    channel->Activate();
    SetModalAnswer([this](TModalForm& dialog) {
      if (auto* send = dynamic_cast<TmSendFile*>(&dialog)) {
        send->eFileName->setText(QString::fromStdString(SourceFile()));
        send->sbSend->click();
      } else if (auto* save = dynamic_cast<TmSaveFile*>(&dialog)) {
        save->eFileName->setText(QString::fromStdString(target));
        save->sbDown->click();
      }
    });
  }
  ~WindowSide() { SetModalAnswer(nullptr); }

  // Waits for the front progress window to end, then closes it. A received
  // offer's window opens once its question is answered, from the loop.
  bool Finished() {
    QDeadlineTimer deadline(10000);
    TmDCCFile* window = nullptr;
    while (!(window = qobject_cast<TmDCCFile*>(form.Subforms().FrontForm()))) {
      if (deadline.hasExpired()) return false;
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    while (window->Timer1->isActive()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const bool ok = window->Status() == TTransferStatus::Succeeded;
    form.Subforms().CloseForm(window);
    return ok;
  }

  OfferCatcher irc;
  TMainForm form;
  const std::string target = FolderPath("window.bin");
};

void BM_WindowSends(benchmark::State& state) {
  WindowSide side;
  for (auto _ : state) {
    side.form.pmUser->miSendDCC->trigger();
    std::thread receiver(RawReceiver, side.irc.NextOfferPort());
    const bool ok = side.Finished();
    receiver.join();
    if (!ok) state.SkipWithError("send failed");
  }
  SetThroughput(state);
}

void BM_WindowReceives(benchmark::State& state) {
  WindowSide side;
  for (auto _ : state) {
    std::remove(side.target.c_str());
    uint16_t port = 0;
    const int listener = ListeningSocket(&port);
    std::thread sender(RawSender, listener);
    const std::string offer = ":peer!u@h PRIVMSG me :\x01" "DCC SEND source.bin 2130706433 " + std::to_string(port) +
                              " " + std::to_string(kFileSize) + "\x01";
    side.form.Client().Engine().SimulateLine(offer.c_str());
    const bool ok = side.Finished();
    sender.join();
    close(listener);
    if (!ok) state.SkipWithError("receive failed");
  }
  SetThroughput(state);
}

}  // namespace

BENCHMARK(BM_RawLoopbackTcp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_StopAndWaitPingPong)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EngineSends)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RawReceiveLimit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EngineReceives)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EngineToEngineOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_WindowSends)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_WindowReceives)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv) {
  // The main window keeps its settings in a scratch registry.
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(Folder().path()));
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  SourceBytes();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
