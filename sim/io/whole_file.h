// Reading whole files that come from outside (settings files, icons,
// scripts): regular files only, and a size limit checked before anything is
// read, so that a device, a FIFO or an endless file is refused at once.
#pragma once

#include <cstddef>
#include <string>

namespace sim::io {

// Reads the regular file at path into *bytes. Fails with a message naming
// the path and the cause when it cannot be opened or read, is not a regular
// file (a directory, a device, a FIFO), or holds more than `limit` bytes.
bool read_whole_file(const std::string& path, std::size_t limit, std::string* bytes, std::string* error);

// Reads a stream descriptor (standard input) to its end, failing when it
// holds more than `limit` bytes.
bool read_whole_stream(int fd, const std::string& what, std::size_t limit, std::string* bytes,
                       std::string* error);

// "1 MiB", "64 KiB", "300 bytes": a limit as the messages state it.
std::string describe_size(std::size_t bytes);

}  // namespace sim::io
