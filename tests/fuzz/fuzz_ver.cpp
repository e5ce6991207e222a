// What `remessa ver` does with any file: the file check of a remittance file
// (family, bank and departures, every fault described), and the reading of a
// return file. Neither may crash, whatever the bytes; a fault names a record
// of the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "layouts/file_check.h"
#include "layouts/retorno/retorno.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view c(reinterpret_cast<const char*>(data), size);
  const layouts::TVerificacao v = layouts::VerificaArquivo(c, {}, true);
  for (const auto& f : v.falhas) {
    if (f.registro < 0 || f.registro > v.registros) std::abort();
    (void)layouts::Descreve(f);
  }
  (void)layouts::BancoDoHeader(layouts::FamiliaDe(c), c);
  (void)layouts::retorno::FamiliaDeRetorno(c);
  return 0;
}
