// The return layouts' rows until their readers are in: each refuses the file.
#include "layouts/retorno/retorno.h"

namespace layouts::retorno {

namespace {
TRetorno NaoLido(std::string_view, const TLeiauteRetorno& l) {
  throw ERetorno(std::string("O leiaute de retorno ") + l.nome + " ainda não lê arquivos.");
}
std::string NaoEscrito(const TRetorno&, const TLeiauteRetorno& l) {
  throw ERetorno(std::string("O leiaute de retorno ") + l.nome + " ainda não escreve arquivos.");
}
}  // namespace

const TLeiauteRetorno kCnab240{"CNAB 240", TFamilia::Cnab240, NaoLido, NaoEscrito};
const TLeiauteRetorno kBradesco400{"Bradesco 400", TFamilia::Cnab400, NaoLido, NaoEscrito};
const TLeiauteRetorno kItau400{"Itau 400", TFamilia::Cnab400, NaoLido, NaoEscrito};

}  // namespace layouts::retorno
