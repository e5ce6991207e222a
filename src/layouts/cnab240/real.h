// Banco Real's CNAB 240 layout, which other banks follow with their own bank
// code, their own movement codes and, for some, no portfolio in segment P.
#pragma once

#include <string>

#include "layouts/remessa.h"

namespace layouts::cnab240 {

struct TLeiauteReal {
  std::string banco;      // 001-003 of every record
  std::string movimento;  // 016-017 of every detail segment
  bool carteira = true;   // P 038-039 carry the title's portfolio; else 038-044 are zeros
};

// Writes the batch's file in the layout: one lot, segments P, Q and R per
// title, every title checked before the file exists.
void RemessaReal(const TRemessa& rem, TTitulos& titulos, const TLeiauteReal& leiaute);

}  // namespace layouts::cnab240
