#include "layouts/cnab240/cnab240.h"

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"

namespace layouts::cnab240 {

using namespace fields;

TArquivo::TArquivo(std::string path, TRegras regras)
    : regras_(std::move(regras)), file_(std::move(path), kTamanho) {}

namespace {

Record Inicio(const TRegras& regras, std::string_view lote, std::string_view tipo) {
  Record r(kTamanho);
  r.put(1, 3, regras.banco);
  r.put(4, 4, lote);
  r.put(8, 1, tipo);
  return r;
}

// The guarantor's tax id: a company's first 14 digits, a person's first
// larguraPessoa.
std::string InscricaoAvalista(const layouts::TAvalista& a, int larguraPessoa) {
  return LeftStr(SemPontuacao(a.inscricao), a.tipo == "J" ? 14 : larguraPessoa);
}

Record Segmento(const TRegras& regras, int numero, std::string_view letra, std::string_view movimento) {
  Record r = Inicio(regras, regras.lote, "3");
  r.put(9, 5, Ajusta(IntToStr(numero), 5));
  r.put(14, 1, letra);
  r.put(15, 1, " ");
  r.put(16, 2, movimento);
  return r;
}

}  // namespace

Record TArquivo::Inicio(std::string_view lote, std::string_view tipo) const {
  return cnab240::Inicio(regras_, lote, tipo);
}

Record TArquivo::Segmento(std::string_view letra, std::string_view movimento) const {
  return cnab240::Segmento(regras_, detalhes_ + 1, letra, movimento);
}

void TArquivo::write(const Record& r) {
  const bool detalhe = r.text().size() >= 8 && r.text()[7] == '3';
  if (detalhe && r.text().substr(8, 5) != Ajusta(IntToStr(detalhes_ + 1), 5))
    throw ELayoutError("detail record numbered " + r.text().substr(8, 5) + " where " +
                       Ajusta(IntToStr(detalhes_ + 1), 5) + " was due");
  file_.write(r);
  if (detalhe) ++detalhes_;
}

void TArquivo::EscreveTrailerLote(bool totaisZerados) {
  Record r = TrailerLote();
  r.put(9, 9, Replicate(" ", 9));
  r.num(18, 6, IntToStr(RegistrosLote()));
  if (totaisZerados) {
    r.put(24, 92, Replicate("0", 92));
    r.put(116, 125, Replicate(" ", 125));
  } else {
    r.put(24, 217, Replicate(" ", 217));
  }
  write(r);
}

void TArquivo::EscreveTrailerLote(const TTotaisLote& totais) {
  Record r = TrailerLote();
  r.put(9, 9, Replicate(" ", 9));
  r.num(18, 6, IntToStr(RegistrosLote()));
  for (int k = 0; k < 4; ++k) {
    r.num(24 + 23 * k, 6, IntToStr(totais.titulos[k]));
    r.num(30 + 23 * k, 17, VirgDeciAssu(FormatFloat("#0.00", totais.valor[k]), 17));
  }
  r.put(116, 8, Replicate(" ", 8));
  r.put(124, 117, Replicate(" ", 117));
  write(r);
}

void TArquivo::EscreveTrailerArquivo(bool contaContas) {
  Record r = TrailerArquivo();
  r.put(9, 9, Replicate(" ", 9));
  r.put(18, 6, Ajusta(Lote(), 6));
  r.put(24, 6, Ajusta(IntToStr(RegistrosArquivo()), 6));
  if (contaContas) {
    r.put(30, 6, "000000");
    r.put(36, 205, Replicate(" ", 205));
  } else {
    r.put(30, 211, Replicate(" ", 211));
  }
  write(r);
}

void Gera(const TRemessa& rem, TTitulos& titulos, const TRegras& regras, const std::string& movimento,
          const TRegistros& registros) {
  {
    Record h = Inicio(regras, "0000", "0");
    registros.headerArquivo(h);
    Record hl = Inicio(regras, regras.lote, "1");
    registros.headerLote(hl);
    const TSaida rascunho{[&](std::string_view letra) { return Segmento(regras, 1, letra, movimento); },
                          [](const Record&) {}};
    titulos.Verifica([&](TTitulo& t) {
      if (registros.verifica) registros.verifica(t);
      registros.titulo(t, rascunho);
    });
  }

  TArquivo arq(rem.Arquivo, regras);
  Record h = arq.HeaderArquivo();
  registros.headerArquivo(h);
  arq.write(h);
  Record hl = arq.HeaderLote();
  registros.headerLote(hl);
  arq.write(hl);
  const TSaida arquivo{[&](std::string_view letra) { return arq.Segmento(letra, movimento); },
                       [&](const Record& r) { arq.write(r); }};
  titulos.ParaCada([&](TTitulo& t) {
    registros.titulo(t, arquivo);
    if (registros.escrito) registros.escrito(t);
  });
  if (registros.trailerLote)
    registros.trailerLote(arq);
  else
    arq.EscreveTrailerLote(regras.totaisZerados);
  if (registros.trailerArquivo)
    registros.trailerArquivo(arq);
  else
    arq.EscreveTrailerArquivo(regras.contaContas);
  arq.Close();
}

std::string Movimento(const std::string& operacao) {
  if (operacao == "I") return "01";
  if (operacao == "E") return "02";
  return "06";
}

TEmpresa LeEmpresa(const TRemessa& rem) {
  const TIdentidade id = rem.Identidade();
  TEmpresa e;
  if (id.filial)
    e.tipo = id.tipo == "F" ? "1" : id.tipo == "J" ? "2" : "3";
  else
    e.tipo = id.tipo == "F" ? "1" : "2";
  e.inscricao = SemPontuacao(id.inscricao);
  e.nome = id.nome;
  return e;
}

TEmpresa LeEmpresaDoCadastro(const TRemessa& rem) {
  const TIdentidade id = rem.Cadastro();
  TEmpresa e;
  e.tipo = id.tipo == "F" ? "1" : "2";
  e.inscricao = SemPontuacao(id.inscricao);
  e.nome = id.nome;
  return e;
}

std::string NomeEmpresa(const std::string& nome) {
  return PadR(CampoValido(LeftStr(nome, 30)), 30);
}

TEmpresa Verificada(const TRemessa& rem, TEmpresa e) {
  if (AllTrim(Nr_Codigo(e.inscricao)).size() > 14) rem.Erro("INSCRICAO_INV");
  return e;
}

TValores::TValores(TTitulo& t) : TValoresTitulo(t), vencimento(FormatDateTime("ddmmyyyy", dataVencimento)) {}

TPagador LePagador(const layouts::TPagador& p) {
  TPagador r;
  r.tipo = p.tipo == "F" ? "1" : "2";
  r.inscricao = p.inscricao.empty() ? Replicate("0", 14) : p.inscricao;
  r.nome = p.Nome();
  r.endereco = p.endereco;
  r.bairro = p.bairro;
  r.cep = p.cep.empty() ? Replicate("0", 8) : p.cep;
  r.cidade = p.cidade;
  r.uf = p.uf;
  return r;
}

void BlocoPagador(Record& r, const TPagador& p) {
  r.put(18, 1, p.tipo);
  r.num(19, 15, LeftStr(SemPontuacao(p.inscricao), 15));
  EnderecoPagador(r, p);
}

void EnderecoPagador(Record& r, const TPagador& p) {
  r.put(34, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
  r.put(74, 40, PadR(CampoValido(LeftStr(p.endereco, 40)), 40));
  r.put(114, 15, PadR(CampoValido(LeftStr(p.bairro, 15)), 15));
  r.num(129, 8, LeftStr(CampoValidoCEPTEL(p.cep), 8));
  r.put(137, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
  r.put(152, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
}

TPagador Aparado(TPagador p) {
  p.endereco = AllTrim(p.endereco);
  p.bairro = AllTrim(p.bairro);
  return p;
}

void SegmentoQ(const TSaida& saida, const TPagador& p, std::string_view bancoCorrespondente) {
  Record r = saida.segmento("Q");
  BlocoPagador(r, p);
  SemAvalistaNoQ(r, bancoCorrespondente);
  saida.escreve(r);
}

void Inscricao15(Record& r, int pos, const std::string& tipo, const std::string& inscricao, bool zerosAntes) {
  const std::string d = SemPontuacao(inscricao);
  if (tipo != "1") return void(r.num(pos, 15, LeftStr(d, 15)));
  if (zerosAntes) {
    r.put(pos, 4, "0000");
    r.num(pos + 4, 9, LeftStr(d, 9));
  } else {
    r.num(pos, 9, LeftStr(d, 9));
    r.put(pos + 9, 4, "0000");
  }
  r.num(pos + 13, 2, Right(d, 2));
}

void PagadorComBairroNoEndereco(Record& r, const TPagador& p) {
  r.put(18, 1, p.tipo);
  Inscricao15(r, 19, p.tipo, p.inscricao);
  // the district after the address, its own field left blank
  TPagador q = p;
  q.endereco = AllTrim(p.endereco) + " " + AllTrim(p.bairro);
  q.bairro.clear();
  EnderecoPagador(r, q);
  SemAvalistaNoQ(r, "000");
}

void SegmentoQComBairroNoEndereco(const TSaida& saida, const TPagador& p) {
  Record r = saida.segmento("Q");
  PagadorComBairroNoEndereco(r, p);
  saida.escreve(r);
}

void EmpresaArquivo(Record& r, const std::string& tipo, const std::string& inscricao) {
  r.put(9, 9, Replicate(" ", 9));
  r.put(18, 1, tipo);
  r.num(19, 14, inscricao);
}

void ServicoLote(Record& r, std::string_view forma, std::string_view versao, const std::string& tipo) {
  r.put(9, 1, "R");
  r.put(10, 2, "01");
  r.put(12, 2, forma);
  r.put(14, 3, versao);
  r.put(17, 1, " ");
  r.put(18, 1, tipo);
}

void GeracaoArquivo(Record& r, const TRemessa& rem, const std::string& nomeEmpresa,
                    const std::string& nomeBanco, std::string_view versao) {
  r.put(73, 30, nomeEmpresa);
  r.put(103, 30, nomeBanco);
  r.put(133, 10, Replicate(" ", 10));
  r.put(143, 1, "1");
  r.put(144, 8, FormatDateTime("ddmmyyyy", rem.DataProc));
  r.put(152, 6, FormatDateTime("hhnnss", rem.Agora));
  r.num(158, 6, SequenciaArquivo(rem));
  r.put(164, 3, versao);
  r.put(167, 5, "00000");
}

std::string NomeBanco(const TRemessa& rem) {
  return PadR(CampoValido(LeftStr(rem.ContaCorr.S("NMBANCO"), 30)), 30);
}

void FimHeaderLote(Record& r, const TRemessa& rem, const std::string& nomeEmpresa) {
  r.put(74, 30, nomeEmpresa);
  r.put(104, 40, Replicate(" ", 40));
  r.put(144, 40, Replicate(" ", 40));
  r.num(184, 8, NumeroRemessa(rem));
  r.put(192, 8, FormatDateTime("ddmmyyyy", rem.DataProc));
  r.put(200, 8, "00000000");
  r.put(208, 33, Replicate(" ", 33));
}

std::string SequenciaArquivo(const TRemessa& rem) {
  const std::string s = rem.CNABRec.S("NRSEQREMESSAREC");
  return s.empty() ? "000001" : Ajusta(Right(s, 6), 6);
}

std::string NumeroRemessa(const TRemessa& rem) {
  return Ajusta(Right(rem.CNABRec.S("NRCNABREC"), 8), 8);
}

TProtesto LeProtesto(TTitulo& t, bool diasDecidem) {
  const std::string codigo = t.S("CDDIAPROTBOL");
  const std::string dias = t.S("QTDIAPROTBOL");
  TProtesto p{codigo.empty() ? "3" : Ajusta(Right(codigo, 1), 1),
              dias.empty() ? "00" : Ajusta(Right(dias, 2), 2)};
  const bool naoProtestar = !codigo.empty() && p.codigo == "3";
  if (diasDecidem && !naoProtestar && p.dias != "00") p.codigo = "1";
  if (p.codigo == "3" || p.dias == "00") p = {"3", "00"};
  return p;
}

std::string IdentificacaoComCarteira(TTitulo& t) {
  auto b = [&t](const char* n) { return t.S(n); };
  return PadR(b("CDFILIAL") + b("NRLANBOLREC") + "CART" + PadR(b("IDCARTCOBREC"), 1) + b("CDCARTCOBBOL"), 25);
}

std::string MensagemBoleto(TTitulo& t) {
  return PadR(CampoValido(LeftStr(AllTrim(t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL")), 40)), 40);
}

bool TemSegmentoR(TTitulo& t) {
  return !EmptyString(MensagemBoleto(t)) || t.F("VRPEMULBREC") != 0 || t.F("VRMULTABREC") != 0;
}

std::string Valor(double v) {
  return VirgDeciAssu(FormatFloat("#0.00", v), 15);
}

void ReservadoServico(Record& r, std::string_view servico) {
  r.put(172, 20, Replicate(" ", 20));
  r.put(192, 20, Replicate(" ", 20));
  r.put(212, 11, Replicate(" ", 11));
  r.put(223, 3, servico);
  r.put(226, 3, "000");
  r.put(229, 12, Replicate(" ", 12));
}

void VencimentoEEmissao(Record& r, const TValores& v, std::string_view dv, std::string_view especie,
                        std::string_view aceite, const std::string& emissao) {
  r.put(78, 8, v.vencimento);
  r.num(86, 15, Valor(v.valor));
  r.put(101, 5, "00000");
  r.put(106, 1, dv);
  r.put(107, 2, especie);
  r.put(109, 1, aceite);
  r.put(110, 8, emissao);
}

void Encargo(Record& r, int pos, const TEncargo& e) {
  r.put(pos, 1, e.codigo);
  r.put(pos + 1, 8, e.data);
  r.num(pos + 9, 15, e.valor);
}

TEncargo Multa(TTitulo& t, const std::string& data) {
  const double percentual = t.F("VRPEMULBREC");
  const double valor = t.F("VRMULTABREC");
  if (percentual != 0) return {"2", data, Money(percentual, 15)};
  if (valor != 0) return {"1", data, Money(valor, 15)};
  return {"0", data, ""};
}

void Protesto(Record& r, const TProtesto& p, std::string_view baixa, std::string_view diasBaixa) {
  r.num(221, 1, p.codigo);
  r.num(222, 2, p.dias);
  r.put(224, 1, baixa);
  r.put(225, 3, diasBaixa);
}

void MoedaEContrato(Record& r, const std::string& contrato) {
  r.put(228, 2, "09");
  r.num(230, 10, contrato);
  r.put(240, 1, " ");
}

void ReservadoArquivo(Record& r) {
  r.put(172, 20, Replicate(" ", 20));
  r.put(192, 20, Replicate(" ", 20));
  r.put(212, 29, Replicate(" ", 29));
}

void SemDesconto(Record& r, int pos) {
  r.put(pos, 1, "0");
  r.put(pos + 1, 8, "00000000");
  r.put(pos + 9, 15, Replicate("0", 15));
}

void SemDescontoIofAbatimento(Record& r) {
  SemDesconto(r, 142);
  r.put(166, 15, Replicate("0", 15));
  r.put(181, 15, Replicate("0", 15));
}

void MensagensR(Record& r, std::string_view linha1, std::string_view linha2) {
  r.put(90, 10, Replicate(" ", 10));
  r.put(100, 40, linha1);
  r.put(140, 40, linha2);
}

void SoMensagemR(Record& r, TTitulo& t) {
  MensagensR(r, MensagemBoleto(t), "");
  r.put(180, 61, "");
}

void SemDebitoAutomatico(Record& r, std::string_view dv) {
  r.put(200, 8, Replicate("0", 8));
  r.put(208, 3, "000");
  r.put(211, 5, "00000");
  r.put(216, 1, dv);
  r.put(217, 12, Replicate("0", 12));
  r.put(229, 1, dv);
  r.put(230, 1, dv);
  r.put(231, 1, "0");
  r.put(232, 9, Replicate(" ", 9));
}

void SemAvalistaNoQ(Record& r, std::string_view bancoCorrespondente) {
  r.put(154, 1, "0");
  r.put(155, 15, Replicate("0", 15));
  r.put(170, 40, Replicate(" ", 40));
  CorrespondenteNoQ(r, bancoCorrespondente);
}

bool AvalistaPreenchido(const layouts::TAvalista& a) {
  return !EmptyString(a.inscricao) && !EmptyString(a.nome);
}

void AvalistaNoQ(Record& r, const layouts::TAvalista& a, bool comAvalista, int larguraPessoa) {
  r.put(154, 1, !comAvalista ? "0" : a.tipo == "J" ? "2" : "1");
  r.num(155, 15, comAvalista ? InscricaoAvalista(a, larguraPessoa) : "");
  r.put(170, 40, comAvalista ? PadR(CampoValido(LeftStr(a.nome, 40)), 40) : Replicate(" ", 40));
}

void CorrespondenteNoQ(Record& r, std::string_view bancoCorrespondente) {
  r.put(210, 3, bancoCorrespondente);
  r.put(213, 20, Replicate(" ", 20));
  r.put(233, 8, Replicate(" ", 8));
}

void AvalistaY01(Record& r, const layouts::TAvalista& a) {
  r.put(18, 2, "01");
  r.put(20, 1, a.tipo == "J" ? "2" : "1");
  r.num(21, 15, InscricaoAvalista(a, 11));
  r.put(36, 40, PadR(CampoValido(LeftStr(a.nome, 40)), 40));
  EnderecoVazio(r, 76, 55, 15);
  r.put(156, 85, Replicate(" ", 85));
}

}  // namespace layouts::cnab240
