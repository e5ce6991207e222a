// Account and nosso-número helpers that the writers call while a batch is
// written; they read the batch row of the one workspace form.
#pragma once

#include <string>

namespace workspace {

int Tamanho_NossoNumero();
std::string Retorna_ContaCorrente();
std::string Retorna_ContaCobranca();
std::string Retorna_DV_ContaCobranca();
std::string Retorna_DAC_ContaCorrente();

}  // namespace workspace
