// Text from a table made displayable: the names in a table are bytes, as
// the VCF or Genepop file had them (often Latin-1), and cairo draws only
// valid UTF-8 (it fails the whole picture on anything else).
#ifndef DREVEL_PLOT_DISPLAY_TEXT_H
#define DREVEL_PLOT_DISPLAY_TEXT_H

#include <cstddef>
#include <string>

namespace drevel {

// The text as valid UTF-8: its valid UTF-8 sequences kept, every other
// byte read as Latin-1 (0xE9 gives "é"), so that an ASCII or UTF-8 text is
// returned unchanged.
std::string displayable_utf8(const std::string& text);

// The largest n <= at that does not fall inside a UTF-8 character of the
// valid UTF-8 text (a place to cut it).
size_t character_boundary(const std::string& text, size_t at);

}  // namespace drevel

#endif
