// A file's identity by its bytes: the SHA-256 digest, in lower-case hex.
#pragma once

#include <string>
#include <string_view>

namespace host {

std::string Resumo(std::string_view bytes);

}  // namespace host
