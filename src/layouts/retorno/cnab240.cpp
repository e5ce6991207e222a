// CNAB 240 return, as the FEBRABAN layout has it for collection: the file
// header, lots of kind "T" (return) whose titles come as a segment T and the
// segment U that follows it, each lot closed by its trailer, then the file
// trailer. Where a bank's segment T holds the nosso número elsewhere, its
// layout constant says so (retorno.h).
#include "layouts/retorno/comum.h"

namespace layouts::retorno {

namespace {

using E = TEfeito;

// The FEBRABAN movement codes of a return (código de movimento retorno).
const TCodigo kMovimentos[] = {
    {"02", E::Confirmada, "Entrada confirmada"},
    {"03", E::Recusada, "Entrada rejeitada"},
    {"04", E::Nenhum, "Transferência de carteira/entrada"},
    {"05", E::Nenhum, "Transferência de carteira/baixa"},
    {"06", E::Liquidada, "Liquidação"},
    {"07", E::Nenhum, "Confirmação do recebimento da instrução de desconto"},
    {"08", E::Nenhum, "Confirmação do recebimento do cancelamento do desconto"},
    {"09", E::Baixada, "Baixa"},
    {"11", E::Nenhum, "Títulos em carteira (em ser)"},
    {"12", E::Nenhum, "Confirmação do recebimento da instrução de abatimento"},
    {"13", E::Nenhum, "Confirmação do recebimento da instrução de cancelamento de abatimento"},
    {"14", E::AlteracaoConfirmada, "Confirmação do recebimento da instrução de alteração de vencimento"},
    {"15", E::Nenhum, "Franco de pagamento"},
    {"16", E::Nenhum, "Confirmação do recebimento da instrução de dispensa de juros"},
    {"17", E::Liquidada, "Liquidação após baixa ou liquidação de título não registrado"},
    {"19", E::Nenhum, "Confirmação do recebimento da instrução de protesto"},
    {"20", E::Nenhum, "Confirmação do recebimento da instrução de sustação/cancelamento de protesto"},
    {"23", E::Nenhum, "Remessa a cartório (aponte em cartório)"},
    {"24", E::Nenhum, "Retirada de cartório e manutenção em carteira"},
    {"25", E::Nenhum, "Protestado e baixado (baixa por ter sido protestado)"},
    {"26", E::Nenhum, "Instrução rejeitada"},
    {"27", E::AlteracaoConfirmada, "Confirmação do pedido de alteração de outros dados"},
    {"28", E::Nenhum, "Débito de tarifas/custas"},
    {"29", E::Nenhum, "Ocorrências do sacado"},
    {"30", E::Nenhum, "Alteração de dados rejeitada"},
    {"33", E::Nenhum, "Confirmação da alteração dos dados do rateio de crédito"},
    {"34", E::Nenhum, "Confirmação do cancelamento dos dados do rateio de crédito"},
    {"35", E::Nenhum, "Confirmação do desagendamento do débito automático"},
    {"36", E::Nenhum, "Confirmação de envio de e-mail/SMS"},
    {"37", E::Nenhum, "Envio de e-mail/SMS rejeitado"},
    {"38", E::Nenhum, "Confirmação de alteração do prazo limite de recebimento"},
    {"39", E::Nenhum, "Confirmação de dispensa de prazo limite de recebimento"},
    {"40", E::Nenhum, "Confirmação da alteração do número do título dado pelo cedente"},
    {"41", E::Nenhum, "Confirmação da alteração do número de controle do participante"},
    {"42", E::Nenhum, "Confirmação da alteração dos dados do sacado"},
    {"43", E::Nenhum, "Confirmação da alteração dos dados do sacador/avalista"},
    {"44", E::Nenhum, "Título pago com cheque devolvido"},
    {"45", E::Nenhum, "Título pago com cheque compensado"},
    {"46", E::Nenhum, "Instrução para cancelar protesto confirmada"},
    {"47", E::Nenhum, "Instrução para protesto para fins falimentares confirmada"},
    {"48", E::Nenhum, "Confirmação de instrução de transferência de carteira/modalidade de cobrança"},
    {"49", E::Nenhum, "Alteração de contrato de cobrança"},
    {"50", E::Nenhum, "Título pago com cheque pendente de liquidação"},
    {"51", E::Nenhum, "Título DDA reconhecido pelo sacado"},
    {"52", E::Nenhum, "Título DDA não reconhecido pelo sacado"},
    {"53", E::Nenhum, "Título DDA recusado pela CIP"},
    {"54", E::Nenhum, "Confirmação da instrução de baixa de título negativado sem protesto"},
};

// File header (record kind "0")
void LeCabecalho(const TCampos& h, TRetorno& r) {
  h.exige(8, "0", "tipo de registro (cabeçalho do arquivo)");
  h.exige(4, "0000", "lote de serviço");
  if (h.bruto(143, 1) != "2")
    h.falha("o arquivo não é um retorno: o código remessa/retorno (143) traz \"" + Lido(h.bruto(143, 1)) +
            "\" onde um retorno tem \"2\".");
  r.banco = h.digitos(1, 3, "código do banco");
  r.inscricao = h.inscricao(18, 1, 19, 14);
  r.codigoEmpresa = h.texto(33, 20);
  r.agencia = h.digitos(53, 5, "agência");
  r.conta = h.digitos(59, 12, "conta corrente");
  r.empresa = h.texto(73, 30);
  r.data = h.data(144, 8, "data de geração do arquivo");
  r.sequencia = h.numero(158, 6, "número sequencial do arquivo");
}

// Lot header (record kind "1"): a return lot has operation "T".
void LeCabecalhoDeLote(const TCampos& h) {
  h.digitos(4, 4, "lote de serviço");
  if (h.bruto(9, 1) != "T")
    h.falha("o lote não é de retorno: o tipo de operação (009) traz \"" + Lido(h.bruto(9, 1)) +
            "\" onde um retorno tem \"T\".");
}

// A title: its segment T and the segment U that follows it.
TOcorrencia LeTitulo(const TCampos& t, const TCampos& u, const TLeiauteRetorno& l) {
  TOcorrencia o;
  o.registro = t.registro();
  // segment T
  o.ocorrencia = t.digitos(16, 2, "código de movimento");
  o.nossoNumero = t.texto(l.nossoNumeroPos, l.nossoNumeroTam);
  o.carteira = t.texto(58, 1);
  o.documento = t.texto(59, 15);
  o.vencimento = t.data(74, 8, "data de vencimento");
  o.valorTitulo = t.valor(82, 15, "valor do título");
  o.identificacao = t.texto(106, 25);
  o.tarifa = t.valor(199, 15, "valor da tarifa/custas");
  o.motivos = Motivos(t.bruto(214, 10));
  // segment U: the same title's values and dates
  u.exige(16, o.ocorrencia, "código de movimento (o do segmento T)");
  o.juros = u.valor(18, 15, "juros/multa/encargos");
  o.desconto = u.valor(33, 15, "valor do desconto concedido");
  o.abatimento = u.valor(48, 15, "valor do abatimento");
  o.valorPago = u.valor(78, 15, "valor pago");
  o.dataOcorrencia = u.data(138, 8, "data da ocorrência");
  o.dataCredito = u.data(146, 8, "data do crédito");
  Classifica(kMovimentos, o);
  return o;
}

TRetorno Le(std::string_view conteudo, const TLeiauteRetorno& l) {
  const std::vector<std::string_view> regs = Registros(conteudo, l);
  TRetorno r;
  r.familia = TFamilia::Cnab240;
  r.leiaute = l.nome;
  LeCabecalho(TCampos(regs[0], 1), r);
  bool noLote = false, fim = false;
  auto fora = [](const TCampos& c, const char* porque) {
    c.falha(std::string("registro fora de lugar: ") + porque);
  };
  for (size_t i = 1; i < regs.size(); ++i) {
    const TCampos c(regs[i], static_cast<int>(i) + 1);
    if (fim) fora(c, "há registros depois do trailer do arquivo.");
    switch (regs[i][7]) {
      case '1':
        if (noLote) fora(c, "um cabeçalho de lote (tipo 1) antes do trailer do lote anterior.");
        LeCabecalhoDeLote(c);
        noLote = true;
        break;
      case '3':
        if (!noLote) fora(c, "um detalhe (tipo 3) fora de um lote.");
        if (regs[i][13] == 'U') fora(c, "um segmento U sem o segmento T do seu título.");
        // Segments other than T and U (the optional ones some banks add) carry no occurrence.
        if (regs[i][13] != 'T') break;
        if (i + 1 == regs.size()) break;  // the file ends here: missing trailer below
        if (regs[i + 1][7] != '3' || regs[i + 1][13] != 'U')
          fora(TCampos(regs[i + 1], static_cast<int>(i) + 2),
               "o segmento T do registro anterior não é seguido do seu segmento U.");
        r.ocorrencias.push_back(LeTitulo(c, TCampos(regs[i + 1], static_cast<int>(i) + 2), l));
        ++i;
        break;
      case '5':
        if (!noLote) fora(c, "um trailer de lote (tipo 5) fora de um lote.");
        noLote = false;
        break;
      case '9':
        if (noLote) fora(c, "o trailer do arquivo (tipo 9) antes do trailer do lote.");
        fim = true;
        break;
      default:
        c.falha("o tipo de registro (008) traz \"" + Lido(regs[i].substr(7, 1)) +
                "\", que o leiaute CNAB 240 não tem depois do cabeçalho do arquivo.");
    }
  }
  if (!fim)
    Falha("O arquivo termina no registro " + std::to_string(regs.size()) +
          " sem o trailer do arquivo (tipo 9): está incompleto.");
  return r;
}

// Writing, in the order of the file. The check digits of agency and account
// are each bank's own rule: the common writer leaves them blank, the reader
// does not read them.

// The one lot of the file.
constexpr const char* kLote = "0001";

// A record from its start: the bank, the lot and the kind of record (001-008).
Record Inicio(const TRetorno& ret, const char* lote, const char* tipo) {
  Record r(240);
  r.num(1, 3, ret.banco);
  r.put(4, 4, lote);
  r.put(8, 1, tipo);
  return r;
}

// The company's agency, its check digit, its account, the account's check
// digit and the check digit of both, from pos (20 positions).
void Conta(Record& r, int pos, const TRetorno& ret) {
  r.num(pos, 5, ret.agencia);
  r.put(pos + 5, 1, "");
  r.num(pos + 6, 12, ret.conta);
  r.put(pos + 18, 1, "");
  r.put(pos + 19, 1, "");
}

// The company as both headers have it from 018: its kind of tax id, the tax
// id in the header's width, its code at the bank, its account and its name.
void Empresa(Record& r, int larguraInscricao, const TRetorno& ret) {
  r.put(18, 1, TipoInscricao(ret.inscricao, 1));
  r.num(19, larguraInscricao, ret.inscricao);
  r.put(19 + larguraInscricao, 20, ret.codigoEmpresa);
  Conta(r, 39 + larguraInscricao, ret);
  r.put(59 + larguraInscricao, 30, ret.empresa);
}

Record Cabecalho(const TRetorno& ret) {
  Record r = Inicio(ret, "0000", "0");
  r.put(9, 9, "");
  Empresa(r, 14, ret);  // 018-102
  r.put(103, 30, "");
  r.put(133, 10, "");
  r.put(143, 1, "2");
  r.num(144, 8, DataDoBanco(ret.data, 8));
  r.num(152, 6, "");
  r.num(158, 6, ret.sequencia);
  r.put(164, 3, "084");
  r.num(167, 5, "");
  r.put(172, 20, "");
  r.put(192, 20, "");
  r.put(212, 29, "");
  return r;
}

Record CabecalhoDeLote(const TRetorno& ret) {
  Record r = Inicio(ret, kLote, "1");
  r.put(9, 1, "T");
  r.put(10, 2, "01");
  r.put(12, 2, "");
  r.put(14, 3, "042");
  r.put(17, 1, "");
  Empresa(r, 15, ret);  // 018-103
  r.put(104, 40, "");
  r.put(144, 40, "");
  r.num(184, 8, ret.sequencia);
  r.num(192, 8, DataDoBanco(ret.data, 8));
  r.num(200, 8, "");
  r.put(208, 33, "");
  return r;
}

// Positions 001-017 of a detail segment.
Record Segmento(const TRetorno& ret, int noLote, const char* letra, const TOcorrencia& o) {
  Record r = Inicio(ret, kLote, "3");
  r.num(9, 5, std::to_string(noLote));
  r.put(14, 1, letra);
  r.put(15, 1, "");
  r.num(16, 2, o.ocorrencia);
  return r;
}

Record SegmentoT(const TRetorno& ret, int noLote, const TOcorrencia& o, const TLeiauteRetorno& l) {
  Record r = Segmento(ret, noLote, "T", o);
  Conta(r, 18, ret);  // 018-037
  if (l.nossoNumeroPos > 38) r.put(38, l.nossoNumeroPos - 38, "");
  r.put(l.nossoNumeroPos, l.nossoNumeroTam, o.nossoNumero);
  if (l.nossoNumeroPos + l.nossoNumeroTam < 58)
    r.put(l.nossoNumeroPos + l.nossoNumeroTam, 58 - l.nossoNumeroPos - l.nossoNumeroTam, "");
  r.put(58, 1, o.carteira);
  r.put(59, 15, o.documento);
  r.num(74, 8, DataDoBanco(o.vencimento, 8));
  r.num(82, 15, Centavos(o.valorTitulo));
  r.num(97, 3, ret.banco);
  r.num(100, 5, "");
  r.put(105, 1, "");
  r.put(106, 25, o.identificacao);
  r.put(131, 2, "09");
  r.num(133, 1, "");
  r.num(134, 15, "");
  r.put(149, 40, "");
  r.num(189, 10, "");
  r.num(199, 15, Centavos(o.tarifa));
  r.put(214, 10, CampoDeMotivos(o.motivos, 10, ' '));
  r.put(224, 17, "");
  return r;
}

Record SegmentoU(const TRetorno& ret, int noLote, const TOcorrencia& o) {
  Record r = Segmento(ret, noLote, "U", o);
  r.num(18, 15, Centavos(o.juros));
  r.num(33, 15, Centavos(o.desconto));
  r.num(48, 15, Centavos(o.abatimento));
  r.num(63, 15, "");
  r.num(78, 15, Centavos(o.valorPago));
  // What the company is credited: paid less the bank's fee, where it was paid.
  r.num(93, 15, Centavos(o.valorPago > o.tarifa ? o.valorPago - o.tarifa : 0));
  r.num(108, 15, "");
  r.num(123, 15, "");
  r.num(138, 8, DataDoBanco(o.dataOcorrencia, 8));
  r.num(146, 8, DataDoBanco(o.dataCredito, 8));
  r.put(154, 4, "");
  r.num(158, 8, "");
  r.num(166, 15, "");
  r.put(181, 30, "");
  r.num(211, 3, "");
  r.put(214, 20, "");
  r.put(234, 7, "");
  return r;
}

Record TrailerDeLote(const TRetorno& ret, int registros) {
  Record r = Inicio(ret, kLote, "5");
  r.put(9, 9, "");
  r.num(18, 6, std::to_string(registros));
  r.num(24, 6, std::to_string(ret.ocorrencias.size()));
  r.num(30, 17, Centavos(ValorDosTitulos(ret)));
  r.num(47, 6, "");
  r.num(53, 17, "");
  r.num(70, 6, "");
  r.num(76, 17, "");
  r.num(93, 6, "");
  r.num(99, 17, "");
  r.put(116, 8, "");
  r.put(124, 117, "");
  return r;
}

Record TrailerDoArquivo(const TRetorno& ret, int registros) {
  Record r = Inicio(ret, "9999", "9");
  r.put(9, 9, "");
  r.num(18, 6, "1");
  r.num(24, 6, std::to_string(registros));
  r.num(30, 6, "");
  r.put(36, 205, "");
  return r;
}

std::string Escreve(const TRetorno& ret, const TLeiauteRetorno& l) {
  TArquivoRetorno f(240);
  f.grava(Cabecalho(ret));
  f.grava(CabecalhoDeLote(ret));
  int noLote = 0;
  for (const TOcorrencia& o : ret.ocorrencias) {
    f.grava(SegmentoT(ret, ++noLote, o, l));
    f.grava(SegmentoU(ret, ++noLote, o));
  }
  // The lot counts its header and trailer with its details; the file, every record.
  f.grava(TrailerDeLote(ret, noLote + 2));
  f.grava(TrailerDoArquivo(ret, f.registros() + 1));
  return std::move(f).texto();
}

}  // namespace

const TLeiauteRetorno kCnab240{"CNAB 240", TFamilia::Cnab240, Le, Escreve};
const TLeiauteRetorno kSicoob240{"SICOOB 240", TFamilia::Cnab240, Le, Escreve, 38, 10};

}  // namespace layouts::retorno
