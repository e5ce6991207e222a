// Banco Industrial, CNAB 400: its writer is not built yet, so a batch of this bank stops
// as one of a bank without a writer.
#include "layouts/catalogue.h"

namespace layouts {

void Remessa_Industrial(const TRemessa& rem, TTitulos&, bool) {
  rem.Erro("Remessa_inv");
}

}  // namespace layouts
