// Field names are compared as the host compares them: without regard to
// case, accented Windows-1252 letters included.
#pragma once

#include <string_view>

namespace host {

unsigned char FoldName(unsigned char c);
bool SameName(std::string_view a, std::string_view b);

}  // namespace host
