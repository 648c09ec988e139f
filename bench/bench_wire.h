// The scripted server's side of the end-to-end benchmarks: a loopback
// listener and blocking reads and writes on its one client; and the
// client's memory as the system counts it.
#pragma once

#include <arpa/inet.h>
#include <cstdio>
#include <functional>
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

// Runs `serve` on a loopback listener in a child process; the child's id, or -1.
inline pid_t ServeInChild(const std::function<int(int listener)>& serve, uint16_t* port) {
  const int listener = ListenOnLoopback(port);
  if (listener < 0) return -1;
  const pid_t child = fork();
  if (child == 0) _exit(serve(listener));
  close(listener);
  return child;
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

// The resident set of this process, in KiB; -1 when unknown.
inline long CurrentRssKb() {
  FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, status))
    if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) break;
  std::fclose(status);
  return kb;
}

// Runs `seen` whenever the event is raised, before what it did already.
template <typename... Args>
void AlsoOn(std::function<void(Args...)>& event, std::function<void()> seen) {
  event = [before = event, seen = std::move(seen)](Args... args) {
    seen();
    if (before) before(args...);
  };
}
