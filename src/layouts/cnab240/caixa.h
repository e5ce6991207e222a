// What Caixa's two CNAB 240 layouts (its own and SIGCB) read alike.
#pragma once

#include <string>

#include "layouts/remessa.h"

namespace layouts::cnab240 {

// The agency is stored without the hyphen of the bank's picture, so the
// character where the picture has its hyphen is the check digit. Punctuation
// typed into the stored agency ("123-4") is dropped first. The file header
// takes the agency from its start, the lot header and segment P its first
// four digits.
struct TAgenciaCaixa {
  std::string arquivo;  // 4 digits, file header
  std::string lote;     // 4 digits, lot header and segment P
  std::string dv;       // 1 digit, or a blank when the agency has none
};
// semHifenPrimeira: with a picture without a hyphen, SIGCB is sent the
// agency's first character as its check digit; Caixa's own layout a blank.
TAgenciaCaixa LeAgenciaCaixa(const TRemessa& rem, bool semHifenPrimeira);

}  // namespace layouts::cnab240
