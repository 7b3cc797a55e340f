// Byte-level UTF-8 checks for text that comes from files and servers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of the well-formed UTF-8 sequence that starts at text[pos], or 0 when the byte
// there does not start one (stray continuation, overlong form, surrogate, beyond U+10FFFF,
// truncated sequence).
size_t Utf8SequenceLength(std::string_view text, size_t pos);

// The text with every byte that is not part of a well-formed sequence replaced by U+FFFD.
std::string ReplaceInvalidUtf8(std::string_view text);
