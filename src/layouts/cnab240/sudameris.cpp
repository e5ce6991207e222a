// Sudameris, CNAB 240: Banco Real's layout, with the batch's own layout bank
// code on every record, no portfolio in segment P (038-044 are zeros), and
// movement "02" for an exclusion and "01" for anything else: the bank is never
// sent the alteration code.
#include "layouts/catalogue.h"
#include "layouts/cnab240/real.h"

namespace layouts {

void Remessa_Sudameris(const TRemessa& rem, TTitulos& titulos, bool) {
  cnab240::RemessaReal(rem, titulos,
                       {.banco = rem.CNABRec.S("CDBANCCNAB"),
                        .movimento = rem.Operacao() == "E" ? "02" : "01",
                        .carteira = false});
}

}  // namespace layouts
