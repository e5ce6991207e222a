// The account and nosso-número helpers under the names the module exports,
// on the batch row of the one workspace form (the writers read the same
// values from the batch they are given).
#pragma once

#include <string>

namespace workspace {

int Tamanho_NossoNumero();
std::string Retorna_ContaCorrente();
std::string Retorna_ContaCobranca();
std::string Retorna_DV_ContaCobranca();
std::string Retorna_DAC_ContaCorrente();

}  // namespace workspace
