#pragma once

#include <cstddef>
#include <string_view>

#include "diag/output_channel.h"
#include "template/display_template.h"

// Writes a value placed in its field (`left` spaces, `text`, `right` spaces)
// as one field of the escaping `mode`:
// - kCsv: as it is, or, when it holds a comma, semicolon, double quote, tab,
//   carriage return or newline, or begins or ends with a space, in double
//   quotes with each double quote doubled;
// - kJson: a JSON string, in double quotes, with '"' and '\' escaped, control
//   characters as \n \r \t \b \f or \u00xx, and each maximal ill-formed UTF-8
//   subpart as one U+FFFD, so that the result is always valid JSON;
// - kNone: as it is.
void write_escaped(Escaping mode, size_t left, std::string_view text, size_t right,
                   OutputChannel& out);

// The bytes of `text` as a JSON string holds them between its double quotes,
// escaped as kJson escapes them.
void write_json_text(std::string_view text, OutputChannel& out);

// What an item of the escaping `mode` shows for an attribute the record
// lacks: an empty field in kCsv, null in kJson.
std::string_view missing_value(Escaping mode);
