#pragma once

#include <cstddef>
#include <string_view>

// The length of the well-formed UTF-8 character at `pos` of `text` (1 for
// ASCII), or 0 when the bytes there are ill-formed; `*ill_formed` then gets
// the length of their maximal ill-formed subpart: the longest start of a
// character that the bytes begin, at least 1. Each such subpart stands for
// one replacement character, as Unicode recommends.
size_t utf8_character(std::string_view text, size_t pos, size_t* ill_formed);

// Where a text cut to `size` bytes ends when it may not split a character: at
// `size`, or before the character that would run past it. Stray continuation
// bytes are no character and are cut where they stand.
size_t utf8_cut(std::string_view text, size_t size);
