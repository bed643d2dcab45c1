#include "template/line_reader.h"

// Placeholder until the template line reader lands.
char* read_physical_line(char*, ReaderContext&) { return nullptr; }
bool read_logical_line(char*, ReaderContext&) { return false; }
