#include "layouts/cnab400/cnab400.h"

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"

namespace layouts::cnab400 {

TArquivo::TArquivo(const TRemessa& remessa, int tamanho) : tamanho_(tamanho) {
  file_.emplace(remessa.Arquivo, tamanho);
}

// The header stands before the titles in the file, so the draft counts it.
TArquivo TArquivo::Rascunho(int tamanho) {
  return TArquivo(tamanho, 1);
}

using namespace fields;

Record TArquivo::Cabecalho(std::string_view servico, std::string_view nome, int largura) const {
  Record r = Registro();
  r.put(1, 1, "0");
  r.put(2, 1, "1");
  r.put(3, 7, "REMESSA");
  r.num(10, 2, servico);
  r.put(12, largura, nome);
  return r;
}

Record TArquivo::Detalhe() const {
  Record r = Registro();
  r.put(1, 1, "1");
  return r;
}

void TArquivo::Numera(Record& r) const {
  r.num(395, 6, fields::IntToStr(registros_ + 1));
}

void TArquivo::Escreve(Record& r) {
  if (r.text().size() == 394) Numera(r);
  if (r.text().size() == 400 && tamanho_ > 400) r.put(401, tamanho_ - 400, "");
  if (file_) file_->write(r);
  ++registros_;
}

void TArquivo::TrailerEFecha() {
  Record t = Registro();
  t.put(1, 1, "9");
  t.put(2, 393, "");
  Escreve(t);
  Fecha();
}

TValores::TValores(TTitulo& t) : TValoresTitulo(t), vencimento(FormatDateTime("ddmmyy", dataVencimento)) {}

TLote::TLote(const TRemessa& rem)
    : ocorrencia(Ocorrencia(rem.Operacao())), emissao(FormatDateTime("ddmmyy", rem.DataProc)) {}

TAgenciaConta ContaDoLote(const TRemessa& rem, int larguraConta) {
  return {LeftStr(SemPontuacao(rem.CNABRec.S("CDAGENCIA")), 4),
          Right(SemPontuacao(rem.CNABRec.S("CDCONTCORR")), larguraConta)};
}

TCobranca::TCobranca(const std::string& ocorrencia, std::string documento, const std::string& emissao,
                     TTitulo& t, const TValores& v)
    : ocorrencia(ocorrencia),
      documento(std::move(documento)),
      vencimento(v.vencimento),
      valor(Money(v.valor, 13)),
      emissao(emissao),
      titulo(t),
      valores(v) {}

void ControleENosso(Record& r, const std::string& controle, int largura, const std::string& nosso,
                    std::string_view tambem) {
  r.put(38, 25, PadR(controle, 25));
  r.num(63, largura, nosso, tambem);
}

void Cobranca(Record& r, const TCobranca& c) {
  auto campo = [&](int pos, int len, const std::string& valor, bool numero) {
    numero ? r.num(pos, len, valor) : r.put(pos, len, valor);
  };
  r.put(109, 2, c.ocorrencia);
  r.put(111, 10, c.documento);
  r.put(121, 6, c.vencimento);
  r.num(127, 13, c.valor);
  r.num(140, 3, c.banco);
  campo(143, 5, c.agencia, c.agenciaNumero);
  r.put(148, 2, c.especie);
  r.put(150, 1, c.aceite);
  r.put(151, 6, c.emissao);
  const TValores& v = c.valores;
  campo(157, 2, c.instrucao1 ? *c.instrucao1 : Instrucao(v.ins1), c.instrucao1Numero);
  campo(159, 2, c.instrucao2 ? *c.instrucao2 : Instrucao(v.ins2), c.instrucao2Numero);
  r.num(161, 13, c.juros ? *c.juros : JurosDiarios(c.titulo, v.valor));
  r.put(174, 6, c.dataDesconto ? *c.dataDesconto : v.desconto > 0 ? v.vencimento : "000000");
  r.num(180, 13, c.desconto ? *c.desconto : v.desconto > 0 ? Money(v.desconto * v.valor / 100, 13) : "");
  r.num(193, 13, c.iof);
  r.num(206, 13, c.abatimento);
}

Record CabecalhoConta(const TArquivo& arq, const std::string& agencia, const std::string& conta,
                      int larguraConta, std::string_view servico, std::string_view nome) {
  Record r = arq.Cabecalho(servico, nome);
  AgenciaConta(r, 27, agencia, conta, larguraConta);
  r.put(33 + larguraConta, 14 - larguraConta, "");
  return r;
}

void AgenciaConta(Record& r, int pos, const std::string& agencia, const std::string& conta,
                  int larguraConta) {
  r.num(pos, 4, agencia);
  r.put(pos + 4, 2, "00");
  r.num(pos + 6, larguraConta, conta);
}

void VersaoESequencia(Record& r, std::string_view versao, const std::string& sequencia) {
  r.put(101, 280, "");
  r.put(381, 5, versao);
  r.num(386, 9, sequencia);
}

void TextoEProtesto(Record& r, const std::string& texto, std::string_view depois, const std::string& dias,
                    std::string_view fim) {
  r.put(352, 30, PadR(CampoValido(LeftStr(texto, 30)), 30));
  r.put(382, 4, "");
  r.put(386, 6, depois);
  r.num(392, 2, dias);
  r.put(394, 1, fim);
}

void SemAvalista(Record& r) {
  r.put(352, 18, "");
  r.put(370, 2, "00");
  r.put(372, 14, Replicate("0", 14));
  r.put(386, 8, Replicate("0", 8));
  r.put(394, 1, " ");
}

std::string DiasProtesto(TTitulo& t) {
  return t.Nulo("QTDIAPROTBOL") ? "" : Right(t.S("QTDIAPROTBOL"), 2);
}

Record RegistroMulta(const TArquivo& arq, const TValores& v, double multa, double percentual) {
  const std::string codigo = multa > 0 ? "1" : percentual > 0 ? "2" : "0";
  Record m = arq.Registro();
  m.put(1, 1, "2");
  m.put(2, 1, codigo);
  m.put(3, 8, FormatDateTime("ddmmyyyy", DateOf(v.dataVencimento) + 1));
  m.num(11, 13, codigo == "1" ? Money(multa, 13) : codigo == "2" ? Money(percentual, 13) : "");
  m.put(24, 371, "");
  return m;
}

std::string NossoSemDv(const std::string& gravado) {
  std::string s = NossoNumero(gravado);
  std::erase(s, 'P');
  return s;
}

void EmpresaEBanco(Record& r, const std::string& empresa, std::string_view banco,
                   const std::string& nomeBanco, TDateTime data) {
  r.put(47, 30, PadR(CampoValido(LeftStr(empresa, 30)), 30));
  r.num(77, 3, banco);
  r.put(80, 15, PadR(CampoValido(LeftStr(nomeBanco, 15)), 15));
  r.put(95, 6, FormatDateTime("ddmmyy", data));
}

std::string AdicionaZero(std::string_view s, int n) {
  const std::string t = AllTrim(s);
  if (static_cast<int>(t.size()) == n) return std::string(s);
  return Replicate("0", n) + t;
}

void BlocoPagador(Record& r, const TPagador& p, int larguraNome) {
  const std::string& nome = p.Nome();
  r.num(221, 14, Inscricao14(p.inscricao));
  r.put(235, larguraNome, PadR(CampoValido(LeftStr(nome, larguraNome)), larguraNome));
  if (larguraNome < 40) r.put(235 + larguraNome, 40 - larguraNome, Replicate(" ", 40 - larguraNome));
  r.put(275, 40, PadR(CampoValido(LeftStr(p.endereco, 40)), 40));
  r.put(315, 12, PadR(CampoValido(LeftStr(p.bairro, 12)), 12));
  r.num(327, 8, LeftStr(CampoValidoCEPTEL(p.cep), 8));
  r.put(335, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
  r.put(350, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
}

void Pagador(Record& r, const TPagador& p, int larguraNome) {
  r.put(219, 2, TipoInscricao(p.tipo));
  BlocoPagador(r, p, larguraNome);
}

Record RegistroEmpresa(TTitulo& t, const TIdentidade& empresa) {
  auto& fili = t.Registros(TRegistro::EnderecoFilial);
  const bool temFili = fili.Active() && !fili.IsEmpty();
  if (temFili) fili.First();
  auto end = [&](const char* n) { return temFili ? fili.FieldByName(n).AsString() : std::string(); };
  Record e(400);
  e.put(1, 1, "5");
  e.put(2, 120, Replicate(" ", 120));
  e.put(122, 2, empresa.tipo == "F" ? "01" : "02");
  e.num(124, 14, Inscricao14(empresa.inscricao));
  e.put(138, 40, PadR(CampoValido(LeftStr(end("DSENDEFILI"), 40)), 40));
  e.put(178, 12, PadR(CampoValido(LeftStr(end("NMBAIRFILI"), 12)), 12));
  e.num(190, 8, LeftStr(CampoValidoCEPTEL(end("NRCEPFILI")), 8));
  e.put(198, 15, PadR(CampoValido(LeftStr(end("NMMUNICIPIO"), 15)), 15));
  e.put(213, 2, PadR(CampoValido(LeftStr(end("SGESTADO"), 2)), 2));
  e.put(215, 180, Replicate(" ", 180));
  return e;
}

void Gera(const TRemessa& remessa, TTitulos& titulos, const std::function<void(TArquivo&)>& cabecalho,
          const std::function<void(TArquivo&, TTitulo&)>& titulo,
          const std::function<void(TArquivo&)>& trailer, int tamanho) {
  TArquivo arq(remessa, tamanho);
  cabecalho(arq);
  titulos.ParaCada([&](TTitulo& t) { titulo(arq, t); });
  if (!trailer) return arq.TrailerEFecha();
  trailer(arq);
  arq.Fecha();
}

void GeraVerificado(const TRemessa& remessa, TTitulos& titulos,
                    const std::function<void(TArquivo&)>& cabecalho,
                    const std::function<void(TArquivo&, TTitulo&)>& titulo,
                    const std::function<void(TArquivo&)>& trailer, int tamanho) {
  {
    TArquivo rascunho = TArquivo::Rascunho(tamanho);
    titulos.Verifica([&](TTitulo& t) { titulo(rascunho, t); });
  }
  Gera(remessa, titulos, cabecalho, titulo, trailer, tamanho);
}

void VerificaInscricao(const TRemessa& rem, const TIdentidade& empresa) {
  if (AllTrim(Nr_Codigo(empresa.inscricao)).size() > 14) rem.Erro("INSCRICAO_INV");
}

std::string TipoEmpresa(const TIdentidade& e) {
  if (e.tipo == "F") return "01";
  if (e.filial && e.tipo != "J") return "03";
  return "02";
}

std::string Inscricao14(const std::string& inscricao) {
  return LeftStr(SemPontuacao(inscricao), 14);
}

std::string TipoInscricao(const std::string& tipo, std::string_view outro, std::string_view semTipo) {
  if (tipo == "F") return "01";
  if (tipo == "J") return "02";
  return std::string(tipo.empty() && !semTipo.empty() ? semTipo : outro);
}

std::string Instrucao(const std::string& codigo) {
  return codigo.empty() ? "  " : PadR(LeftStr(codigo, 2), 2);
}

std::string MensagemPedida(TTitulo& t, const std::string& instrucao1, const std::string& instrucao2) {
  auto pede = [](const std::string& c) { return c == "93" || c == "94"; };
  return pede(instrucao1) || pede(instrucao2) ? t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL") : "";
}

std::string JurosDiarios(TTitulo& t, double valor) {
  if (!t.Nulo("VRMORDIABREC")) return Money(t.F("VRMORDIABREC"), 13);
  if (!t.Nulo("VRPEMORBREC")) return Money(t.F("VRPEMORBREC") * valor / 100, 13);
  return "";
}

std::string DuplicataOuLancamento(TTitulo& t) {
  const std::string duplicata = t.Registro(TRegistro::DocBol, "DUPLICATA");
  if (duplicata.empty()) return PadR(t.S("NRLANBOLREC"), 10);
  return PadR(CampoValido(Right(AllTrim(duplicata), 8)), 8) +
         PadR(Ajusta(t.Registro(TRegistro::DocBol, "NRPARCELA"), 2), 2);
}

std::string Nosso12(const TValoresTitulo& v) {
  const std::string impressao = v.impressao.empty() ? "E" : v.impressao;
  if ((impressao != "E" && impressao != "F") || v.nosso.empty()) return "";
  return Right(AdicionaZero(NossoNumero(v.nosso), 12), 12);
}

std::string DocumentoParcela(TTitulo& t) {
  auto& doc = t.Registros(TRegistro::DocBol);
  if (!doc.Active() || doc.IsEmpty()) return Replicate(" ", 10);
  return PadR(
      CampoValido(Right(
          t.Registro(TRegistro::DocBol, "DUPLICATA") + "/" + t.Registro(TRegistro::DocBol, "NRPARCELA"), 10)),
      10);
}

}  // namespace layouts::cnab400
