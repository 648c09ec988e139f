#include "U_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileHandle FileOpen(const char* path, bool forReading, bool append) {
  if (!path || !*path) return kNoFile;
  const int flags = (forReading ? O_RDONLY : O_WRONLY) | O_CREAT | O_CLOEXEC;
  const FileHandle file = open(path, flags, 0644);
  if (file < 0) return kNoFile;
  struct stat info {};
  if (fstat(file, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(file);
    return kNoFile;
  }
  if (!forReading) {
    if (append) {
      lseek(file, 0, SEEK_END);
    } else if (ftruncate(file, 0) != 0) {
      close(file);
      return kNoFile;
    }
  }
  return file;
}

bool FileClose(FileHandle file) { return file >= 0 && close(file) == 0; }

uint64_t FileSize(FileHandle file) {
  struct stat info {};
  if (fstat(file, &info) != 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

bool FileTruncate(FileHandle file) {
  const off_t position = lseek(file, 0, SEEK_CUR);
  return position >= 0 && ftruncate(file, position) == 0;
}

uint64_t FileTell(FileHandle file) {
  const off_t position = lseek(file, 0, SEEK_CUR);
  return position < 0 ? UINT64_MAX : static_cast<uint64_t>(position);
}

uint64_t FileSeek(FileHandle file, int64_t offset, FileOrigin origin) {
  const int whence = origin == FileOrigin::Begin ? SEEK_SET : origin == FileOrigin::Current ? SEEK_CUR : SEEK_END;
  const off_t position = lseek(file, static_cast<off_t>(offset), whence);
  return position < 0 ? UINT64_MAX : static_cast<uint64_t>(position);
}

uint32_t FileRead(FileHandle file, void* buffer, uint32_t count) {
  ssize_t got;
  do {
    got = read(file, buffer, count);
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<uint32_t>(got) : 0;
}

uint32_t FileReadAt(FileHandle file, uint64_t position, void* buffer, uint32_t count) {
  ssize_t got;
  do {
    got = pread(file, buffer, count, static_cast<off_t>(position));
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<uint32_t>(got) : 0;
}

uint32_t FileWrite(FileHandle file, const void* buffer, uint32_t count) {
  const char* bytes = static_cast<const char*>(buffer);
  uint32_t written = 0;
  while (written < count) {
    const ssize_t done = write(file, bytes + written, count - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return 0;
    written += static_cast<uint32_t>(done);
  }
  return written;
}

bool FileIsRegular(FileHandle file) {
  struct stat info {};
  return fstat(file, &info) == 0 && S_ISREG(info.st_mode);
}

namespace {

std::string ReadUpTo(int file, size_t limit) {
  std::string content(limit, '\0');
  size_t got = 0;
  while (got < limit) {
    const size_t want = std::min<size_t>(limit - got, 1u << 20);
    const uint32_t count = FileRead(file, content.data() + got, static_cast<uint32_t>(want));
    if (count == 0) break;
    got += count;
  }
  content.resize(got);
  return content;
}

}  // namespace

std::optional<std::string> FileReadSmall(const std::string& path, size_t maxBytes) {
  const auto fits = [maxBytes](const struct stat& info) {
    return S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) <= maxBytes;
  };
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !fits(info)) return std::nullopt;
  // Non-blocking, and checked again once open: the path may have been swapped for a FIFO meanwhile.
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (file < 0) return std::nullopt;
  std::optional<std::string> content;
  if (fstat(file, &info) == 0 && fits(info)) content = ReadUpTo(file, maxBytes + 1);
  close(file);
  if (content && content->size() > maxBytes) return std::nullopt;  // it grew while being read
  return content;
}

bool FileSame(FileHandle a, FileHandle b) {
  struct stat first {}, second {};
  return fstat(a, &first) == 0 && fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::string FilePath(FileHandle file) {
  char path[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(file);
  const ssize_t length = readlink(link.c_str(), path, sizeof path - 1);
  if (length <= 0 || path[0] != '/') return "";
  return std::string(path, static_cast<size_t>(length));
}

FileHandle FileCreateBeside(const std::string& path, std::string* created) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const size_t cut = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? dot : path.size();
  for (int n = 1; n < 1000; ++n) {
    const std::string candidate = path.substr(0, cut) + " (" + std::to_string(n) + ")" + path.substr(cut);
    const FileHandle file = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file >= 0) {
      *created = candidate;
      return file;
    }
    if (errno != EEXIST) break;
  }
  return kNoFile;
}

FileHandle FileOpenReceived(const std::string& path, bool append) {
  // Non-blocking, so that a FIFO without a reader cannot stall the open.
  const FileHandle file = open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (file >= 0 && FileIsRegular(file)) {
    fcntl(file, F_SETFL, fcntl(file, F_GETFL) & ~O_NONBLOCK);
    if (append ? FileSeek(file, 0, FileOrigin::End) != UINT64_MAX : ftruncate(file, 0) == 0) return file;
    close(file);
    return kNoFile;
  }
  if (file >= 0) close(file);
  else if (errno != ELOOP && errno != ENXIO) return kNoFile;
  std::string created;
  return FileCreateBeside(path, &created);
}

std::string SafeFileName(const char* offered) {
  std::string name = offered ? offered : "";
  const size_t separator = name.find_last_of("/\\");
  if (separator != std::string::npos) name.erase(0, separator + 1);
  name.erase(0, name.find_first_not_of('.'));
  if (name.size() > 255) name.resize(255);
  for (char& c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) c = '_';
  }
  return name.empty() ? "dcc_file" : name;
}
