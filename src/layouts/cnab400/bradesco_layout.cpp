#include "layouts/cnab400/bradesco_layout.h"

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"

namespace layouts::cnab400 {

using namespace fields;

TContaBradesco ContaBradesco(const TRemessa& rem) {
  return {LeftStr(SemPontuacao(rem.CNABRec.S("CDAGENCIA")), 4),
          Right(SemPontuacao(rem.CNABRec.S("CDCONTCORR")), 8)};
}

void CabecalhoBradesco(Record& r, const TCabecalhoBradesco& c) {
  r.num(27, 20, c.codigo);
  EmpresaEBanco(r, c.empresa, c.banco, c.nomeBanco, c.data);
  r.put(101, 8, Replicate(" ", 8));
  r.put(109, 2, c.sistema);
  r.num(111, 7, c.sequencia);
}

void CabecalhoDesconto(Record& r, const std::string& autorizacao, const std::string& agencia,
                       const std::string& conta) {
  r.put(118, 249, Replicate(" ", 249));
  r.put(367, 4, "DESC");
  r.num(371, 4, autorizacao);
  r.num(375, 5, agencia);
  r.num(380, 8, conta);
  r.put(388, 7, Replicate(" ", 7));
}

void SemDebito(Record& r) {
  r.put(2, 5, "00000");
  r.put(7, 1, " ");
  r.put(8, 5, "00000");
  r.put(13, 7, "0000000");
  r.put(20, 1, " ");
}

void Beneficiario(Record& r, const std::string& carteira, const TContaBradesco& conta,
                  const std::string& controle) {
  r.put(21, 1, "0");
  r.num(22, 3, carteira);
  r.num(25, 5, conta.agencia);
  r.num(30, 8, conta.conta);
  r.put(38, 25, PadR(controle, 25));
}

void Multa(Record& r, TTitulo& t) {
  // The fine is sent when the title has one, whatever its interest.
  const bool multa = !t.Nulo("VRPEMULBREC") && t.F("VRPEMULBREC") != 0;
  r.put(63, 3, "000");
  r.put(66, 1, multa ? "2" : "0");
  r.num(67, 4, multa ? Money(t.F("VRPEMULBREC"), 4) : "");
}

void PagadorBradesco(Record& r, const std::string& tipo, const TPagador& p) {
  r.put(219, 2, tipo);
  r.num(221, 14, Inscricao14(p.inscricao));
  r.put(235, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
  r.put(275, 40, PadR(CampoValido(LeftStr(LTrim(p.endereco), 40)), 40));
  r.put(315, 12, Replicate(" ", 12));
  r.num(327, 8, Right(CampoValidoCEPTEL(p.cep), 8));
}

std::string Mensagem60(TTitulo& t) {
  return PadR(CampoValido(LeftStr(t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL"), 60)), 60);
}

void EmpresaBancoEDensidade(Record& r, const std::string& empresa, std::string_view banco,
                            const std::string& nomeBanco, TDateTime data) {
  EmpresaEBanco(r, empresa, banco, nomeBanco, data);
  r.put(101, 5, "01600");
  r.put(106, 3, "BPI");
}

TNossoDv NossoComDv(const std::string& gravado) {
  const std::string d = NossoNumero(gravado);
  if (d.empty()) return {"", "0"};
  return {Right(d.substr(0, d.size() - 1), 10), d.substr(d.size() - 1)};
}

std::string DescontoSemArredondar(const TValores& v) {
  return v.desconto > 0 ? VirgDeciAssu(FormatFloat("0.00", v.desconto * v.valor / 100), 13) : "";
}

std::string JurosSemArredondar(TTitulo& t, double valor) {
  if (!t.Nulo("VRMORDIABREC")) return VirgDeciAssu(FormatFloat("0.00", t.F("VRMORDIABREC")), 13);
  if (!t.Nulo("VRPEMORBREC")) return VirgDeciAssu(FormatFloat("0.00", t.F("VRPEMORBREC") * valor / 100), 13);
  return "";
}

void Desconto109(Record& r, const std::string& ocorrencia, const std::string& documento, const TValores& v) {
  r.put(109, 2, ocorrencia);
  r.put(111, 10, documento);
  r.put(121, 6, v.vencimento);
  r.num(127, 13, Money(v.valor, 13));
  r.put(140, 8, Replicate(" ", 8));
  r.put(148, 2, "01");
  r.put(150, 1, " ");
  r.put(151, 68, Replicate("0", 68));
}

}  // namespace layouts::cnab400
