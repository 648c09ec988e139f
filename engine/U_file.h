// Plain file functions over POSIX descriptors, for the DCC transfers and the
// skin loader. Positions and sizes are 64-bit byte counts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;

enum class FileOrigin { Begin, Current, End };

// A missing file is created in either mode; writing without append empties it,
// with append positions at its end.
FileHandle FileOpen(const char* path, bool forReading, bool append);
bool FileClose(FileHandle file);
uint64_t FileSize(FileHandle file);
bool FileTruncate(FileHandle file);
uint64_t FileTell(FileHandle file);
// The new position, or all bits set on failure.
uint64_t FileSeek(FileHandle file, int64_t offset, FileOrigin origin);
uint32_t FileRead(FileHandle file, void* buffer, uint32_t count);
// Reads at `position` without moving the file's position; 0 at the end or on failure.
uint32_t FileReadAt(FileHandle file, uint64_t position, void* buffer, uint32_t count);
uint32_t FileWrite(FileHandle file, const void* buffer, uint32_t count);

bool FileIsRegular(FileHandle file);
// The whole content of a regular file of at most `maxBytes`, read once and
// without ever blocking; nothing for a folder, a FIFO, a device, a missing
// or a larger file.
std::optional<std::string> FileReadSmall(const std::string& path, size_t maxBytes);
// Whether two handles are open on one file.
bool FileSame(FileHandle a, FileHandle b);
// The path the file was opened under; empty when it is no longer known.
std::string FilePath(FileHandle file);
// Creates a new empty file beside `path`, named like it with " (n)" before
// the extension and the lowest free n; `created` receives its path.
FileHandle FileCreateBeside(const std::string& path, std::string* created);
// Opens a file that a peer's bytes will be written into. A link, or anything
// but a regular file, at `path` is never opened: the file goes beside it
// under a fresh name instead, so a peer can only ever write plain new files.
FileHandle FileOpenReceived(const std::string& path, bool append);

// A file name received from a peer made safe to join to a folder: only the
// part after the last "/" or backslash, no leading ".", control bytes as "_",
// at most 255 bytes; an empty result becomes "dcc_file".
std::string SafeFileName(const char* offered);
