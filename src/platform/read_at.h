#pragma once

#include <cstddef>
#include <cstdint>

// Reads up to `size` bytes of the file at `offset` into `out`, retrying when a
// signal interrupts the read. Returns the bytes read: fewer at the end of the
// file, and a read error ends the reading just as the end of the file does.
size_t read_at(int fd, int64_t offset, char* out, size_t size);
