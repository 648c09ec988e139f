#include "cli_session.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <charconv>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "U_dcclink.h"
#include "U_ircline.h"
#include "event_lines.h"

CliSession::CliSession(CliOptions options)
    : options_(std::move(options)), reconnector_(engine_, [](int delayMs) {
        fprintf(stderr, "velkocli: connecting again in %d s\n", delayMs / 1000);
      }) {
  engine_.SetAddress(options_.host);
  engine_.SetPort(options_.port);
  engine_.SetTls(options_.tls);
  engine_.SetNick(options_.nick);
  engine_.SetUserName(options_.user);
  // Lines are flushed when the loop is about to wait, not one by one: a
  // transfer or a flood raises far more events than a reader needs writes.
  BindEventLines(engine_, [](const std::string& line) {
    fwrite(line.data(), 1, line.size(), stdout);
    fputc('\n', stdout);
  });
  auto printConnect = std::move(engine_.OnConnect);
  engine_.OnConnect = [this, printConnect](void* p) {
    printConnect(p);
    engine_.Send((Irc::User("quelbo", options_.user) + Irc::Nick(options_.nick)).c_str());
  };
  auto printLogon = std::move(engine_.OnLogon);
  engine_.OnLogon = [this, printLogon](void* p) {
    printLogon(p);
    reconnector_.LoggedOn();
    for (const std::string& channel : options_.channels) engine_.Send(Irc::Join(channel).c_str());
  };
  BindDCC();
  if (options_.reconnect) BindReconnect();
}

void CliSession::BindReconnect() {
  auto printDisconnect = std::move(engine_.OnDisconnect);
  engine_.OnDisconnect = [this, printDisconnect](void* p) {
    printDisconnect(p);
    reconnector_.Disconnected();
  };
  auto printError = std::move(engine_.OnIRCError);
  engine_.OnIRCError = [this, printError](int* code) {
    printError(code);
    reconnector_.Failed(*code);
  };
}

// Offers are answered before their event line is printed, so the line shows the answer.
void CliSession::BindDCC() {
  auto printRequest = std::move(engine_.OnSendRequest);
  engine_.OnSendRequest = [this, printRequest](int seq, const char* nick, const char* name, uint64_t size,
                                               FileHandle* file) {
    *file = OpenTarget(name);
    printRequest(seq, nick, name, size, file);
  };
  // Where the bytes went: a second receive of a name goes beside the first.
  auto printConnectRecv = std::move(engine_.OnConnectRecv);
  engine_.OnConnectRecv = [this, printConnectRecv](int seq) {
    printConnectRecv(seq);
    fprintf(stderr, "velkocli: receive %d writes %s\n", seq, engine_.RecvFilePath(seq).c_str());
  };
  auto printChat = std::move(engine_.OnDCCChat);
  engine_.OnDCCChat = [this, printChat](int seq, const char* nick, const char* address, int port, int* accept) {
    *accept = options_.acceptChat ? 1 : 0;
    printChat(seq, nick, address, port, accept);
  };
}

FileHandle CliSession::OpenTarget(const char* offeredName) const {
  if (options_.dccDir.empty()) return kNoFile;
  const std::string path = options_.dccDir + "/" + SafeFileName(offeredName);
  return FileOpenReceived(path, true);
}

namespace {

bool ParseSeqnum(const std::string& text, int* seqnum) {
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, *seqnum);
  return error == std::errc() && end == last;
}

}  // namespace

void CliSession::OfferFile(const std::string& argument) {
  const size_t space = argument.find(' ');
  const std::string nick = argument.substr(0, space);
  const std::string path = space == std::string::npos ? "" : argument.substr(space + 1);
  struct stat info {};
  if (nick.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    fprintf(stderr, "velkocli: .send needs a nick and an existing file\n");
    return;
  }
  const FileHandle file = FileOpen(path.c_str(), true, false);
  if (file == kNoFile) {
    fprintf(stderr, "velkocli: cannot read %s\n", path.c_str());
    return;
  }
  engine_.SendFile(nick.c_str(), OfferName(path.substr(path.find_last_of('/') + 1)).c_str(), file);
}

bool CliSession::RunDCCCommand(const std::string& command, const std::string& argument) {
  const size_t space = argument.find(' ');
  int seqnum = 0;
  const bool numbered = ParseSeqnum(argument.substr(0, space), &seqnum);
  const std::string text = space == std::string::npos ? "" : argument.substr(space + 1);
  bool known = true;
  if (command == ".send") {
    OfferFile(argument);
  } else if (command == ".chat") {
    engine_.SendChatRequest(argument.c_str());
  } else if (command == ".say") {
    known = numbered && engine_.SendChatMsg(seqnum, (text + "\r\n").c_str());
  } else if (command == ".cancel-send") {
    known = numbered && engine_.CancelSend(seqnum);
  } else if (command == ".cancel-recv") {
    known = numbered && engine_.CancelRecv(seqnum);
  } else if (command == ".cancel-chat") {
    known = numbered && engine_.CancelChat(seqnum);
  } else {
    return false;
  }
  if (!known) fprintf(stderr, "velkocli: %s: no such number\n", command.c_str());
  return true;
}

void CliSession::Start() {
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [] { fflush(stdout); });
  input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  connect(input_.get(), &QSocketNotifier::activated, this, &CliSession::ReadInput);
  engine_.Connect();
}

void CliSession::ReadInput() {
  char buffer[4096];
  const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
  if (count <= 0) {
    if (!pending_.empty()) HandleLine(pending_);
    Quit();
    return;
  }
  pending_.append(buffer, static_cast<size_t>(count));
  size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    HandleLine(line);
  }
}

void CliSession::HandleLine(const std::string& line) {
  if (line.empty() || line[0] != '.') {
    engine_.Send((line + "\r\n").c_str());
    return;
  }
  const size_t space = line.find(' ');
  RunCommand(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
}

void CliSession::RunCommand(const std::string& command, const std::string& argument) {
  if (command == ".simulate") {
    engine_.SimulateLine(argument.c_str());
  } else if (command == ".quit") {
    Quit();
  } else if (!RunDCCCommand(command, argument)) {
    fprintf(stderr, "velkocli: unknown command %s\n", command.c_str());
  }
}

void CliSession::Quit() {
  input_->setEnabled(false);
  reconnector_.Stop();
  engine_.Disconnect();
  QCoreApplication::exit(0);
}
