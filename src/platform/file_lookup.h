#pragma once

#include <cstdio>

// Opens `name` as given, else $SESSPATH/name; nullptr when both fail (also
// when the joined path does not fit the lookup's 256-byte path limit).
// Reports nothing: callers say what failed in their own words.
std::FILE* locate_file(const char* name, const char* mode);
