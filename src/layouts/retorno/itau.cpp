// Itaú, CNAB 400 collection return: the header with the company's agency and
// account, a detail per occurrence (kind "1"), the trailer with the counts
// and values per kind of collection.
#include "layouts/retorno/comum.h"

namespace layouts::retorno {

namespace {

using E = TEfeito;

// Header (kind "0")
void LeCabecalho(const TCampos& h, TRetorno& r) {
  r.agencia = h.digitos(27, 4, "agência");
  r.conta = h.digitos(33, 5, "conta corrente");
  h.digitos(38, 1, "DAC da conta");
  r.empresa = h.texto(47, 30);
  r.data = h.data(95, 6, "data de geração do arquivo");
  r.sequencia = h.numero(109, 5, "número sequencial do arquivo retorno");
  h.data(114, 6, "data de crédito");
}

// The first detail: the company's tax id (the header has none).
void LePrimeiro(const TCampos& d, TRetorno& r) {
  r.inscricao = d.inscricao(2, 2, 4, 14);
}

// What the bank calls the detail's fields that every CNAB 400 return places
// alike, in the order of TNomes400.
const TNomes400 kNomes{"código de ocorrência", "data de ocorrência", "tarifa de cobrança",
                       "valor do abatimento",  "descontos",          "valor principal",
                       "juros de mora/multa",  "data de crédito"};

// Detail (kind "1"): the bank's own fields; those of kNomes are read where
// every CNAB 400 return has them.
void LeDetalhe(const TCampos& d, TOcorrencia& o) {
  o.identificacao = d.texto(38, 25);
  o.carteira = d.digitos(83, 3, "carteira");
  o.nossoNumero = d.digitos(86, 8, "nosso número");
  o.motivos = Motivos(d.bruto(378, 8));
}

// The bank's occurrence codes.
const TCodigo kOcorrencias[] = {
    {"02", E::Confirmada, "Entrada confirmada"},
    {"03", E::Recusada, "Entrada rejeitada"},
    {"04", E::AlteracaoConfirmada,
     "Alteração de dados - nova entrada ou alteração/exclusão de dados acatada"},
    {"05", E::Nenhum, "Alteração de dados - baixa"},
    {"06", E::Liquidada, "Liquidação normal"},
    {"07", E::Liquidada, "Liquidação parcial - cobrança inteligente (B2B)"},
    {"08", E::Liquidada, "Liquidação em cartório"},
    {"09", E::Baixada, "Baixa simples"},
    {"10", E::Liquidada, "Baixa por ter sido liquidado"},
    {"11", E::Nenhum, "Em ser (só no retorno mensal)"},
    {"12", E::Nenhum, "Abatimento concedido"},
    {"13", E::Nenhum, "Abatimento cancelado"},
    {"14", E::AlteracaoConfirmada, "Vencimento alterado"},
    {"15", E::Nenhum, "Baixas rejeitadas"},
    {"16", E::Nenhum, "Instruções rejeitadas"},
    {"17", E::Nenhum, "Alteração/exclusão de dados rejeitados"},
    {"18", E::Nenhum, "Cobrança contratual - instruções/alterações rejeitadas/pendentes"},
    {"19", E::Nenhum, "Confirma recebimento de instrução de protesto"},
    {"20", E::Nenhum, "Confirma recebimento de instrução de sustação de protesto/tarifa"},
    {"21", E::Nenhum, "Confirma recebimento de instrução de não protestar"},
    {"23", E::Nenhum, "Título enviado a cartório/tarifa"},
    {"24", E::Nenhum, "Instrução de protesto rejeitada/sustada/pendente"},
    {"25", E::Nenhum, "Alegações do pagador"},
    {"26", E::Nenhum, "Tarifa de aviso de cobrança"},
    {"27", E::Nenhum, "Tarifa de extrato posição (B40X)"},
    {"28", E::Nenhum, "Tarifa de relação das liquidações"},
    {"29", E::Nenhum, "Tarifa de manutenção de títulos vencidos"},
    {"30", E::Nenhum, "Débito mensal de tarifas (para entradas e baixas)"},
    {"32", E::Nenhum, "Baixa por ter sido protestado"},
    {"33", E::Nenhum, "Custas de protesto"},
    {"34", E::Nenhum, "Custas de sustação"},
    {"35", E::Nenhum, "Custas de cartório distribuidor"},
    {"36", E::Nenhum, "Custas de edital"},
    {"37", E::Nenhum, "Tarifa de emissão de boleto/tarifa de envio de duplicata"},
    {"38", E::Nenhum, "Tarifa de instrução"},
    {"39", E::Nenhum, "Tarifa de ocorrências"},
    {"40", E::Nenhum, "Tarifa mensal de emissão de boleto/tarifa mensal de envio de duplicata"},
    {"41", E::Nenhum, "Débito mensal de tarifas - extrato de posição (B4EP/B4OX)"},
    {"42", E::Nenhum, "Débito mensal de tarifas - outras instruções"},
    {"43", E::Nenhum, "Débito mensal de tarifas - manutenção de títulos vencidos"},
    {"44", E::Nenhum, "Débito mensal de tarifas - outras ocorrências"},
    {"45", E::Nenhum, "Débito mensal de tarifas - protesto"},
    {"46", E::Nenhum, "Débito mensal de tarifas - sustação de protesto"},
    {"47", E::Nenhum, "Baixa com transferência para desconto"},
    {"48", E::Nenhum, "Custas de sustação judicial"},
    {"51", E::Nenhum, "Tarifa mensal referente a entradas bancos correspondentes na carteira"},
    {"52", E::Nenhum, "Tarifa mensal baixas na carteira"},
    {"53", E::Nenhum, "Tarifa mensal baixas em bancos correspondentes na carteira"},
    {"54", E::Nenhum, "Tarifa mensal de liquidações na carteira"},
    {"55", E::Nenhum, "Tarifa mensal de liquidações em bancos correspondentes na carteira"},
    {"56", E::Nenhum, "Custas de irregularidade"},
    {"57", E::Nenhum, "Instrução cancelada"},
    {"59", E::Nenhum, "Baixa por crédito em c/c através do SISPAG"},
    {"60", E::Nenhum, "Entrada rejeitada carnê"},
    {"61", E::Nenhum, "Tarifa emissão aviso de movimentação de títulos"},
    {"62", E::Nenhum, "Débito mensal de tarifa - aviso de movimentação de títulos"},
    {"63", E::Nenhum, "Título sustado judicialmente"},
    {"64", E::Nenhum, "Entrada confirmada com rateio de crédito"},
    {"65", E::Nenhum, "Pagamento com cheque - aguardando compensação"},
    {"69", E::Nenhum, "Cheque devolvido"},
    {"71", E::Nenhum, "Entrada registrada, aguardando avaliação"},
    {"72", E::Nenhum, "Baixa por crédito em c/c através do SISPAG sem título correspondente"},
    {"73", E::Nenhum,
     "Confirmação de entrada na cobrança simples - entrada não aceita na cobrança contratual"},
    {"76", E::Nenhum, "Cheque compensado"},
};

// Writing, in the order of the file; the bank's check digits and the
// company's account block after the records.

std::string Dac(std::string_view s);
std::string DacNossoNumero(const TRetorno& ret, const TOcorrencia& o);
void Conta(Record& r, int pos, const TRetorno& ret);

Record Cabecalho(const TRetorno& ret) {
  Record r = Cabecalho400();
  Conta(r, 27, ret);  // 027-038
  r.put(39, 8, "");
  r.put(47, 30, ret.empresa);
  r.put(77, 3, "341");
  r.put(80, 15, "BANCO ITAU SA");
  r.num(95, 6, DataDoBanco(ret.data, 6));
  r.put(101, 5, "01600");
  r.put(106, 3, "BPI");
  r.num(109, 5, ret.sequencia);
  // the credit date of the file: each title carries its own
  r.num(114, 6, "");
  r.put(120, 275, "");
  return r;
}

Record Detalhe(const TRetorno& ret, const TOcorrencia& o) {
  Record r = Detalhe400(ret);
  Conta(r, 18, ret);  // 018-029
  r.put(30, 8, "");
  r.put(38, 25, o.identificacao);
  r.num(63, 8, o.nossoNumero);
  r.put(71, 12, "");
  r.num(83, 3, o.carteira);
  r.num(86, 8, o.nossoNumero);
  r.num(94, 1, DacNossoNumero(ret, o));
  r.put(95, 13, "");
  r.put(108, 1, "I");
  OcorrenciaEDocumento400(r, o);  // 109-126
  r.num(127, 8, o.nossoNumero);
  r.put(135, 12, "");
  VencimentoEValor400(r, o, "341");  // 147-188
  r.put(189, 26, "");
  Valores400(r, o);  // 215-301
  r.put(302, 4, "");
  r.put(306, 6, "");
  r.num(312, 13, "");
  r.put(325, 30, "");
  r.put(355, 23, "");
  r.put(378, 8, CampoDeMotivos(o.motivos, 8, ' '));
  r.put(386, 7, "");
  r.put(393, 2, "");
  return r;
}

// Every title of this writer is in simple collection: its count and value;
// the other kinds of collection are zeros.
Record Trailer(const TRetorno& ret) {
  Record r = Trailer400(ret, "341");
  r.num(40, 8, "");
  r.put(48, 10, "");
  r.num(58, 8, "");
  r.num(66, 14, "");
  r.num(80, 8, "");
  r.put(88, 90, "");
  r.num(178, 8, "");
  r.num(186, 14, "");
  r.num(200, 8, "");
  r.num(208, 5, ret.sequencia);
  r.num(213, 8, std::to_string(ret.ocorrencias.size()));
  r.num(221, 14, Centavos(ValorDosTitulos(ret)));
  r.put(235, 160, "");
  return r;
}

// Itaú's check digit (DAC): modulo 10, weights 2 and 1 from the right, the
// digits of each product added.
std::string Dac(std::string_view s) {
  int soma = 0, peso = 2;
  for (auto it = s.rbegin(); it != s.rend(); ++it) {
    if (*it < '0' || *it > '9') continue;
    const int p = (*it - '0') * peso;
    soma += p / 10 + p % 10;
    peso = 3 - peso;
  }
  return std::to_string((10 - soma % 10) % 10);
}

// The nosso número's DAC takes the agency and account too, except in the
// portfolios whose numbers the bank keeps apart from the account.
std::string DacNossoNumero(const TRetorno& ret, const TOcorrencia& o) {
  static const std::string_view kSemConta[] = {"126", "131", "146", "150", "168"};
  for (std::string_view c : kSemConta)
    if (o.carteira == c) return Dac(o.carteira + o.nossoNumero);
  return Dac(ret.agencia + ret.conta + o.carteira + o.nossoNumero);
}

// The company's agency, "00", its account and the DAC of both, from pos
// (the header's 027-038, the detail's 018-029).
void Conta(Record& r, int pos, const TRetorno& ret) {
  r.num(pos, 4, ret.agencia);
  r.put(pos + 4, 2, "00");
  r.num(pos + 6, 5, ret.conta);
  r.num(pos + 11, 1, Dac(ret.agencia + ret.conta));
}

const TBanco400 kBanco{"341",  kOcorrencias, LeCabecalho, LePrimeiro, LeDetalhe,
                       kNomes, "",           Cabecalho,   Detalhe,    Trailer};

}  // namespace

const TLeiauteRetorno kItau400 = Leiaute400("Itau 400", kBanco);

}  // namespace layouts::retorno
