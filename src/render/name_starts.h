#pragma once

#include <cstddef>
#include <cstdint>

#include "joblog/byte_classes.h"

// Where the attribute names of a record's body lines begin, worked out from
// the record's byte classes (classify_record) 64 bytes at a time, for a
// record of `size` bytes (at most 65,535, so that positions fit 16 bits).
//
// A name begins at the first byte of a line after its leading blanks that is
// neither a blank nor the line end; a carriage return just before a newline
// counts as a blank. The header line has no newline before it, so no name.
// Writes into `delimiters` (one word more than the record's, the last all
// ones, so that a search for a name's end stops at the record's end) the
// bytes that end a name: blanks, that carriage return and newlines. Writes
// the positions into `starts`, which must have room for one per two bytes of
// the record plus four. Returns their number.
size_t find_name_starts(const RecordClasses& classes, size_t size, uint64_t* delimiters,
                        uint16_t* starts);
