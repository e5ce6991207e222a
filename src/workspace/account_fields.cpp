#include "workspace/account_fields.h"

#include "fields/account.h"
#include "workspace/form.h"

namespace workspace {

namespace {

std::string campo(const char* name) {
  return frmRemessaCNAB->cdsCNABRec.FieldByName(name).AsString();
}

}  // namespace

int Tamanho_NossoNumero() {
  try {
    auto f = frmRemessaCNAB->cdsCNABRec.FieldByName("DSNOSNUMCORR");
    return f.IsNull() ? 0 : fields::TamanhoNossoNumero(f.AsString());
  } catch (...) {
    return 0;
  }
}

std::string Retorna_ContaCorrente() {
  try {
    return fields::ContaSemDv(campo("CDCONTCORR"), campo("CDPICTCONT"), frmRemessaCNAB->Memoria.CdContCorr);
  } catch (...) {
    return "0";
  }
}

std::string Retorna_ContaCobranca() {
  try {
    return fields::ContaCobrancaSemDv(campo("CDCONTCORRCOBR"), campo("CDPICTCONT"));
  } catch (...) {
    return "0";
  }
}

std::string Retorna_DV_ContaCobranca() {
  try {
    return fields::DvContaCobranca(campo("CDCONTCORRCOBR"), campo("CDPICTCONT"));
  } catch (...) {
    return "0";
  }
}

std::string Retorna_DAC_ContaCorrente() {
  try {
    return fields::DacConta(campo("CDCONTCORR"));
  } catch (...) {
    return "0";
  }
}

}  // namespace workspace
