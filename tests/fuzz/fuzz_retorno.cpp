// The return-file reader on any bytes: it reads the file or refuses it with
// ERetorno, and what it reads it can write back in the bank's layout.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "layouts/retorno/retorno.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view c(reinterpret_cast<const char*>(data), size);
  try {
    const auto r = layouts::retorno::LeRetorno(c);
    for (const auto& o : r.ocorrencias)
      if (o.registro < 1) std::abort();
    (void)layouts::retorno::EscreveRetorno(r);
  } catch (const layouts::retorno::ERetorno&) {
  }
  return 0;
}
