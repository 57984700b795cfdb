#include "plot/display_text.h"

namespace drevel {

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when none
// starts there (overlong forms, surrogates and values past U+10FFFF are not
// valid).
size_t sequence_length(const std::string& text, size_t at) {
  const auto byte = [&text](size_t n) { return static_cast<unsigned char>(text[n]); };
  const unsigned char c = byte(at);
  if (c < 0x80) return 1;
  size_t length;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (c >= 0xC2 && c <= 0xDF) length = 2;
  else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t n = 2; n < length; n++)
    if ((byte(at + n) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string displayable_utf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t length = sequence_length(text, at);
    if (length > 0) {
      out.append(text, at, length);
      at += length;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[at++]);  // Latin-1, 0x80 to 0xFF
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

size_t character_boundary(const std::string& text, size_t at) {
  if (at >= text.size()) return text.size();
  while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) at--;
  return at;
}

}  // namespace drevel
