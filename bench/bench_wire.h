// The scripted server's side of the end-to-end benchmarks: a loopback
// listener and blocking reads and writes on its one client.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

// A listening socket on a free loopback port, or -1; `port` receives the port.
inline int ListenOnLoopback(uint16_t* port) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 1) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return -1;
  *port = ntohs(address.sin_port);
  return listener;
}

// Reads until `needle` has come; false when the client went first.
inline bool ReadUntil(int fd, const char* needle) {
  std::string seen;
  char buffer[4096];
  while (seen.find(needle) == std::string::npos) {
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) return false;
    seen.append(buffer, static_cast<size_t>(count));
    if (seen.size() > 65536) seen.erase(0, seen.size() - 1024);
  }
  return true;
}

inline bool WriteAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t count = write(fd, bytes.data() + sent, bytes.size() - sent);
    if (count <= 0) return false;
    sent += static_cast<size_t>(count);
  }
  return true;
}
