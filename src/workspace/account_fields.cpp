#include "workspace/account_fields.h"

#include "fields/text.h"
#include "workspace/form.h"

namespace workspace {

using fields::AllTrim;

namespace {

std::string campo(const char* name) {
  return frmRemessaCNAB->cdsCNABRec.FieldByName(name).AsString();
}

// Position of the "-" that separates number and check digit in the bank's picture.
int pos_traco() {
  return fields::Pos("-", campo("CDPICTCONT"));
}

}  // namespace

int Tamanho_NossoNumero() {
  try {
    auto f = frmRemessaCNAB->cdsCNABRec.FieldByName("DSNOSNUMCORR");
    if (f.IsNull()) return 0;
    const std::string t = fields::UpperCase(f.AsString());
    const int p = fields::Pos("[SEQ", t);
    if (p == 0) return 0;
    const std::string n = fields::Copy(t, p + 4, 2);
    if (n.size() != 2 || !std::isdigit(static_cast<unsigned char>(n[0])) ||
        !std::isdigit(static_cast<unsigned char>(n[1])))
      return 0;
    return std::stoi(n);
  } catch (...) {
    return 0;
  }
}

std::string Retorna_ContaCorrente() {
  try {
    std::string r = AllTrim(frmRemessaCNAB->Memoria.CdContCorr);
    if (r.empty()) r = AllTrim(campo("CDCONTCORR"));
    const int d = pos_traco();
    if (d > 0) r = fields::LeftStr(AllTrim(campo("CDCONTCORR")), d - 1);
    return r;
  } catch (...) {
    return "0";
  }
}

std::string Retorna_ContaCobranca() {
  try {
    std::string r = AllTrim(campo("CDCONTCORRCOBR"));
    const int d = pos_traco();
    if (d > 0) r = fields::LeftStr(r, d - 1);
    return r;
  } catch (...) {
    return "0";
  }
}

std::string Retorna_DV_ContaCobranca() {
  try {
    const int d = pos_traco();
    if (d == 0) return "0";
    return AllTrim(fields::Copy(AllTrim(campo("CDCONTCORRCOBR")), d, 1 << 20));
  } catch (...) {
    return "0";
  }
}

std::string Retorna_DAC_ContaCorrente() {
  try {
    return fields::Right(campo("CDCONTCORR"), 1);
  } catch (...) {
    return "0";
  }
}

}  // namespace workspace
