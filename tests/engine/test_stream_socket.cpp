// The plain non-blocking socket under file transfers, against raw loopback peers.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "C_socket.h"
#include "wait_until.h"

namespace {

// A blocking loopback listener of the test's own.
struct RawListener {
  RawListener() {
    fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd, 1);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
  ~RawListener() { close(fd); }
  int fd;
  uint16_t port;
};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  return bytes;
}

}  // namespace

// The peer writes before this side's loop has seen the connection complete:
// the bytes wait for the connection to be announced and then all arrive.
TEST(StreamSocket, BytesAheadOfTheConnectionWaitForIt) {
  RawListener listener;
  CZoStreamSocket link;
  std::vector<std::string> order;
  std::string got;
  link.OnConnect = [&](bool made) { order.push_back(made ? "connected" : "failed"); };
  link.OnRead = [&] {
    order.push_back("read");
    char buffer[4096];
    int64_t count;
    while ((count = link.Receive(buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<size_t>(count));
    if (count == CZoStreamSocket::kEnded) order.push_back("ended");
  };
  ASSERT_TRUE(link.Connect("127.0.0.1", listener.port));
  const int peer = accept(listener.fd, nullptr, nullptr);
  ASSERT_EQ(write(peer, "early", 5), 5);
  close(peer);
  ASSERT_TRUE(WaitUntil([&] { return !order.empty() && order.back() == "ended"; }));
  EXPECT_EQ(order.front(), "connected");
  EXPECT_EQ(got, "early");
}

// Far more than the kernel takes at once, to a peer that reads only later:
// what was refused is kept, and everything arrives in order.
TEST(StreamSocket, WritesTheKernelRefusesAreKeptAndFollowInOrder) {
  CZoStreamListener listener;
  ASSERT_TRUE(listener.Listen(0));
  std::unique_ptr<CZoStreamSocket> link;
  listener.OnAccept = [&](std::unique_ptr<CZoStreamSocket> accepted) { link = std::move(accepted); };
  const int peer = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(listener.Port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_TRUE(WaitUntil([&] { return link != nullptr; }));
  EXPECT_FALSE(listener.IsListening());  // one peer only

  const std::string bytes = Pattern(32 << 20);
  for (size_t at = 0; at < bytes.size(); at += 1 << 20) ASSERT_TRUE(link->Send(bytes.data() + at, 1 << 20));
  EXPECT_GT(link->Pending(), 0);
  std::string got;
  std::vector<char> buffer(1 << 20);
  ASSERT_TRUE(WaitUntil([&] {
    ssize_t count;
    while ((count = recv(peer, buffer.data(), buffer.size(), MSG_DONTWAIT)) > 0)
      got.append(buffer.data(), static_cast<size_t>(count));
    return got.size() >= bytes.size();
  }, 20000));
  EXPECT_TRUE(got == bytes);
  EXPECT_EQ(link->Pending(), 0);
  close(peer);
}

TEST(StreamSocket, ConnectsOnlyToADottedAddressThatAnswers) {
  CZoStreamSocket named;
  EXPECT_FALSE(named.Connect("localhost", 1));
  RawListener closed;
  const uint16_t port = closed.port;
  close(closed.fd);
  closed.fd = -1;
  CZoStreamSocket refused;
  int outcome = -1;
  refused.OnConnect = [&](bool made) { outcome = made; };
  ASSERT_TRUE(refused.Connect("127.0.0.1", port));
  ASSERT_TRUE(WaitUntil([&] { return outcome != -1; }));
  EXPECT_EQ(outcome, 0);
  EXPECT_FALSE(refused.IsOpen());
}
