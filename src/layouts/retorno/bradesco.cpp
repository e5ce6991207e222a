// Bradesco, CNAB 400 collection return: the header, a detail per occurrence
// (kind "1"; the credit-sharing records of kind "3" carry none), the trailer
// with the counts and values per occurrence. The header has no agency or
// account: the company's identification at the bank in each detail has them.
#include "fields/text.h"
#include "layouts/retorno/comum.h"

namespace layouts::retorno {

namespace {

using E = TEfeito;

// Header (kind "0")
void LeCabecalho(const TCampos& h, TRetorno& r) {
  r.codigoEmpresa = h.digitos(27, 20, "código da empresa");
  r.empresa = h.texto(47, 30);
  r.data = h.data(95, 6, "data da gravação do arquivo");
  r.sequencia = h.numero(109, 5, "número do aviso bancário");
}

// The first detail: the company's tax id, and its agency and account from
// its identification at the bank (zero, portfolio, agency, account, digit).
void LePrimeiro(const TCampos& d, TRetorno& r) {
  r.inscricao = d.inscricao(2, 2, 4, 14);
  r.agencia = d.digitos(25, 5, "agência");
  r.conta = d.digitos(30, 7, "conta corrente");
}

// What the bank calls the detail's fields that every CNAB 400 return places
// alike, in the order of TNomes400.
const TNomes400 kNomes{
    "identificação da ocorrência", "data da ocorrência", "despesas de cobrança", "abatimento concedido",
    "desconto concedido",          "valor pago",         "juros de mora",        "data do crédito"};

// Detail (kind "1"): the bank's own fields; those of kNomes are read where
// every CNAB 400 return has them.
void LeDetalhe(const TCampos& d, TOcorrencia& o) {
  o.carteira = d.digitos(22, 3, "carteira");
  o.identificacao = d.texto(38, 25);
  o.nossoNumero = d.texto(71, 12);
  o.motivos = Motivos(d.bruto(319, 10));
}

// The bank's occurrence codes.
const TCodigo kOcorrencias[] = {
    {"02", E::Confirmada, "Entrada confirmada"},
    {"03", E::Recusada, "Entrada rejeitada"},
    {"06", E::Liquidada, "Liquidação normal"},
    {"09", E::Baixada, "Baixado automaticamente via arquivo"},
    {"10", E::Baixada, "Baixado conforme instruções da agência"},
    {"11", E::Nenhum, "Em ser - arquivo de títulos pendentes"},
    {"12", E::Nenhum, "Abatimento concedido"},
    {"13", E::Nenhum, "Abatimento cancelado"},
    {"14", E::AlteracaoConfirmada, "Vencimento alterado"},
    {"15", E::Liquidada, "Liquidação em cartório"},
    {"16", E::Nenhum, "Título pago em cheque - vinculado"},
    {"17", E::Liquidada, "Liquidação após baixa ou título não registrado"},
    {"18", E::Nenhum, "Acerto de depositária"},
    {"19", E::Nenhum, "Confirmação de recebimento de instrução de protesto"},
    {"20", E::Nenhum, "Confirmação de recebimento de instrução de sustação de protesto"},
    {"21", E::Nenhum, "Acerto do controle do participante"},
    {"22", E::Nenhum, "Título com pagamento cancelado"},
    {"23", E::Nenhum, "Entrada do título em cartório"},
    {"24", E::Recusada, "Entrada rejeitada por CEP irregular"},
    {"25", E::Nenhum, "Confirmação de recebimento de instrução de protesto falimentar"},
    {"27", E::Nenhum, "Baixa rejeitada"},
    {"28", E::Nenhum, "Débito de tarifas/custas"},
    {"29", E::Nenhum, "Ocorrências do pagador"},
    {"30", E::Nenhum, "Alteração de outros dados rejeitada"},
    {"32", E::Nenhum, "Instrução rejeitada"},
    {"33", E::Nenhum, "Confirmação do pedido de alteração de outros dados"},
    {"34", E::Nenhum, "Retirado de cartório e manutenção em carteira"},
    {"35", E::Nenhum, "Desagendamento do débito automático"},
    {"40", E::Nenhum, "Estorno de pagamento"},
    {"55", E::Nenhum, "Sustado judicial"},
    {"68", E::Nenhum, "Acerto dos dados do rateio de crédito"},
    {"69", E::Nenhum, "Cancelamento dos dados do rateio"},
    {"73", E::Nenhum, "Confirmação de recebimento de pedido de negativação"},
    {"74", E::Nenhum, "Confirmação de pedido de exclusão de negativação"},
};

// Writing, in the order of the file; the trailer's sums (Soma) after the
// records.

struct TSoma {
  std::string quantidade, valor;
};
TSoma Soma(const TRetorno& ret, std::string_view codigos);

Record Cabecalho(const TRetorno& ret) {
  Record r = Cabecalho400();
  r.num(27, 20, ret.codigoEmpresa);
  r.put(47, 30, ret.empresa);
  r.put(77, 3, "237");
  r.put(80, 15, "BRADESCO");
  r.num(95, 6, DataDoBanco(ret.data, 6));
  r.put(101, 8, "01600000");
  r.num(109, 5, ret.sequencia);
  r.put(114, 266, "");
  // the credit date of the file: each title carries its own
  r.num(380, 6, "");
  r.put(386, 9, "");
  return r;
}

Record Detalhe(const TRetorno& ret, const TOcorrencia& o) {
  Record r = Detalhe400(ret);
  r.put(18, 3, "000");
  r.put(21, 1, "0");
  r.num(22, 3, o.carteira);
  r.num(25, 5, ret.agencia);
  r.num(30, 7, ret.conta);
  // the account's check digit: the reader does not read it
  r.put(37, 1, "0");
  r.put(38, 25, o.identificacao);
  r.put(63, 8, "00000000");
  // the bank's check digit of the nosso número may be "P"
  r.num(71, 12, o.nossoNumero, "P");
  r.put(83, 10, "0000000000");
  r.put(93, 12, "000000000000");
  r.put(105, 1, "0");
  r.put(106, 2, "00");
  r.put(108, 1, fields::Right(o.carteira, 1));
  OcorrenciaEDocumento400(r, o);  // 109-126
  r.num(127, 20, o.nossoNumero, "P");
  VencimentoEValor400(r, o, "237");  // 147-188
  r.num(189, 13, "");
  r.num(202, 13, "");
  Valores400(r, o);  // 215-301
  r.put(302, 3, "");
  r.put(305, 10, "");
  r.put(315, 4, "");
  r.put(319, 10, CampoDeMotivos(o.motivos, 10, '0'));
  r.put(329, 40, "");
  r.put(369, 2, "");
  r.put(371, 10, "");
  r.put(381, 14, "");
  return r;
}

Record Trailer(const TRetorno& ret) {
  const TSoma s02 = Soma(ret, "02"), s06 = Soma(ret, "06"), s09 = Soma(ret, "09 10"), s13 = Soma(ret, "13"),
              s14 = Soma(ret, "14"), s12 = Soma(ret, "12"), s19 = Soma(ret, "19");
  Record r = Trailer400(ret, "237");
  r.num(40, 8, ret.sequencia);
  r.put(48, 10, "");
  r.num(58, 5, s02.quantidade);
  r.num(63, 12, s02.valor);
  r.num(75, 12, s06.valor);
  r.num(87, 5, s06.quantidade);
  r.num(92, 12, s06.valor);
  r.num(104, 5, s09.quantidade);
  r.num(109, 12, s09.valor);
  r.num(121, 5, s13.quantidade);
  r.num(126, 12, s13.valor);
  r.num(138, 5, s14.quantidade);
  r.num(143, 12, s14.valor);
  r.num(155, 5, s12.quantidade);
  r.num(160, 12, s12.valor);
  r.num(172, 5, s19.quantidade);
  r.num(177, 12, s19.valor);
  r.put(189, 174, "");
  r.num(363, 15, "");
  r.num(378, 8, "");
  r.put(386, 9, "");
  return r;
}

// The trailer's count and value of the occurrences of some codes (two
// digits each, blank-separated): what was paid for a liquidation, the
// title's value for the others.
TSoma Soma(const TRetorno& ret, std::string_view codigos) {
  int64_t n = 0, v = 0;
  for (const TOcorrencia& o : ret.ocorrencias)
    for (size_t i = 0; i + 2 <= codigos.size(); i += 3)
      if (codigos.substr(i, 2) == o.ocorrencia) {
        ++n;
        v += o.ocorrencia == "06" ? o.valorPago : o.valorTitulo;
      }
  return {std::to_string(n), Centavos(v)};
}

const TBanco400 kBanco{"237",  kOcorrencias, LeCabecalho, LePrimeiro, LeDetalhe,
                       kNomes, "3",          Cabecalho,   Detalhe,    Trailer};

}  // namespace

const TLeiauteRetorno kBradesco400 = Leiaute400("Bradesco 400", kBanco);

}  // namespace layouts::retorno
