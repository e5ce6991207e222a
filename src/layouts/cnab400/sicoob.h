// What Sicoob's two layouts, its CNAB 400 and its CNAB 240 agreement, read
// alike.
#pragma once

#include <string>

#include "layouts/record.h"
#include "layouts/remessa.h"

namespace layouts {

// The bank's modalities (portfolios): simple "01", linked "02", pledged
// "03". A title of another kind has no code in these layouts (""); it is
// refused before the file rather than sent without one.
std::string ModalidadeSicoob(const std::string& tipo);

// The batch account's agency in digitos + 1 positions from pos: with its
// check digit where the bank's picture has one, else digitos digits and a
// blank.
void AgenciaSicoob(Record& r, int pos, int digitos, const TRemessa& rem);

}  // namespace layouts
