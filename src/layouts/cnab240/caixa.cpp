// Caixa Econômica Federal, CNAB 240: one lot of collection titles, segments P
// and Q for every title and R when it carries a message or a fine.
//
// The bank knows two files. An agreement code of 7 characters or more is a
// long code (file layout "107", lot layout "067"); a shorter one is the old
// short code (file "101", lot "060"), which the bank checks through two
// modulo-11 digits over the code and the agency.
#include "layouts/cnab240/caixa.h"

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The company's agreement code at the bank, as the account keeps it
// ("1234567", "12345-6" or "123456"), read as digits.
struct TCedenteCaixa {
  std::string codigo;  // as stored: its length picks the file's variant
  std::string numero;  // the digits before the "-" (all of them without one)
  std::string dv;      // the check digit after the "-"

  bool longo() const { return static_cast<int>(codigo.size()) >= 7; }
  // The long code as the bank numbers it, check digit included.
  std::string digitos() const { return SemPontuacao(codigo); }
  // The 8 digits the short code's check digits are taken over (a short code
  // has at most six).
  std::string code8() const { return Ajusta(numero, 8); }
  std::string Dv1() const { return Mod11_DV(code8(), "104"); }
  // The same rule in every record: the agency's 4 digits, then code8.
  std::string Dv2(const std::string& agencia) const { return Mod11_DV(agencia + code8(), "104"); }
  // The short code in 12 digits and its two check digits.
  void Curto(Record& r, int pos, const std::string& agencia) const {
    r.num(pos, 12, code8());
    r.num(pos + 12, 1, Dv1());
    r.num(pos + 13, 1, Dv2(agencia));
  }
  // Agency and agreement code with its check digit, up to 16 digits.
  std::string Bloco(const std::string& agencia) const { return codigo.empty() ? "" : agencia + numero + dv; }
};

// An account without an agreement code is written as a short code of
// zeros: the variant follows the code, never a code of an earlier batch.
TCedenteCaixa LeCedenteCaixa(const TRemessa& rem) {
  TCedenteCaixa r;
  r.codigo = rem.ContaCorr.S("CDCEDENTEBAN");
  const int hifen = Pos("-", r.codigo);
  if (hifen > 0) {
    r.numero = SemPontuacao(LeftStr(r.codigo, hifen - 1));
    r.dv = SemPontuacao(Copy(r.codigo, hifen + 1, 1));
  } else {
    r.numero = LeftStr(SemPontuacao(r.codigo), 11);
  }
  return r;
}

// A long code has seven positions in every record; a longer one cut to them
// would name another agreement, so the run stops before the file exists.
void VerificaCedenteCaixa(const TCedenteCaixa& c) {
  if (c.longo() && c.digitos().size() > 7) throw ECampo(ECampo::TMotivo::excede, "0", 59, 7, c.digitos());
}

// The bank numbers the titles itself unless the company prints the slip
// with a number of its own; the long code takes that number only from
// slips the company prints itself ("E"), the short code also from "F".
std::string NossoNumeroCaixa(bool longo, const std::string& impressao, const std::string& nosso) {
  const int n = longo ? 17 : 11;
  const bool daEmpresa = longo ? impressao == "E" : impressao == "E" || impressao == "F";
  if (!daEmpresa || nosso.empty()) return "";
  return LeftStr(SemPontuacao(nosso), n);
}

// Simple "1", secured "3" and discounted "4" collection are the kinds the
// bank registers; any other kind stops the run. A title without a kind is
// refused when it is marked; were one to arrive here, the position is left
// blank so that every later field keeps its place.
std::string TipoCarteiraCaixa(const TRemessa& rem, const std::string& tipo) {
  if (tipo == "1" || tipo == "3" || tipo == "4") return tipo;
  if (tipo.empty()) return " ";
  rem.Erro("TipoCart_INV");
}

// The invoice and its instalment ("00000123/02"), or the title number when
// the title has no invoice.
std::string DocumentoCaixa(const std::string& duplicata, const std::string& parcela,
                           const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 11);
  return PadR(Right(Ajusta(duplicata, 8), 8), 8) + "/" + PadR(Ajusta(parcela, 2), 2);
}

}  // namespace

void Remessa_BcoCaixa(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresa(rem));
  // The tax id as the bank reads it: typed punctuation dropped; a letter
  // left in it stops the run at the field.
  const std::string inscricao = SemPontuacao(rem.Identidade().inscricao);
  const cnab240::TAgenciaCaixa agencia = cnab240::LeAgenciaCaixa(rem, false);
  const TCedenteCaixa ced = LeCedenteCaixa(rem);
  VerificaCedenteCaixa(ced);
  const bool longo = ced.longo();
  const std::string nomeEmpresa = cnab240::NomeEmpresa(empresa.nome);
  const std::string dataProc = FormatDateTime("ddmmyyyy", rem.DataProc);
  const std::string movimento = cnab240::Movimento(rem.Operacao());
  // the batch takes the account's next sequence; a shorter stored number is
  // zero-filled so that the header keeps its length
  const std::string seqRemessa = cnab("NRSEQREMESSAREC");

  cnab240::TArquivo arq(rem.Arquivo, {.banco = "104"});

  // File header (type "0"). The agency's check digit is a digit or, for an
  // agency without one, a blank.
  {
    Record r = arq.HeaderArquivo();
    cnab240::EmpresaArquivo(r, empresa.tipo, inscricao);
    r.num(33, 16, ced.Bloco(agencia.arquivo));
    r.put(49, 4, Replicate(" ", 4));
    r.num(53, 5, agencia.arquivo);
    r.num(58, 1, agencia.dv, " ");
    if (longo) {
      r.num(59, 7, ced.digitos());
      r.put(66, 7, "0000000");
    } else {
      ced.Curto(r, 59, agencia.arquivo);
    }
    r.put(73, 30, nomeEmpresa);
    r.put(103, 30, PadR("CAIXA ECONOMICA FEDERAL", 30));
    r.put(133, 10, Replicate(" ", 10));
    r.put(143, 1, "1");
    r.put(144, 8, dataProc);
    r.put(152, 6, FormatDateTime("hhnnss", rem.Agora));
    r.num(158, 6, seqRemessa.empty() ? "000001" : Right(seqRemessa, 6));
    r.put(164, 3, longo ? "107" : "101");
    r.put(167, 5, "00000");
    r.put(172, 20, Replicate(" ", 20));
    r.put(192, 20, PadR(rem.ContaCorr.S("IDFASCNABREC") == "T" ? "REMESSA-TESTE" : "REMESSA-PRODUCAO", 20));
    r.put(212, 29, Replicate(" ", 29));
    arq.write(r);
  }

  // Lot header (type "1")
  {
    Record r = arq.HeaderLote();
    cnab240::ServicoLote(r, "00", longo ? "067" : "060", empresa.tipo);
    r.num(19, 15, LeftStr(inscricao, 15));
    if (longo) {
      r.num(34, 7, ced.digitos());
      r.put(41, 13, Replicate("0", 13));
      r.num(54, 5, agencia.lote);
      r.num(59, 1, agencia.dv, " ");
      r.put(60, 6, "000000");
      r.put(66, 7, "0000000");
      r.put(73, 1, "0");
    } else {
      r.num(34, 16, ced.Bloco(agencia.lote));
      r.put(50, 4, Replicate(" ", 4));
      r.num(54, 5, agencia.lote);
      r.num(59, 1, agencia.dv, " ");
      ced.Curto(r, 60, agencia.lote);
    }
    r.put(74, 30, nomeEmpresa);
    r.put(104, 40, Replicate(" ", 40));
    r.put(144, 40, Replicate(" ", 40));
    r.num(184, 8, seqRemessa.empty() ? "00000001" : Right(seqRemessa, 8));
    r.put(192, 8, dataProc);
    r.put(200, 8, "00000000");
    r.put(208, 33, Replicate(" ", 33));
    arq.write(r);
  }

  titulos.ParaCada([&](TTitulo& t) {
    auto bol = [&](const char* n) { return t.S(n); };
    const std::string impressao = bol("IDIMPRBOLBOL");
    const double vencimento = t.D("DTVENBOLREC");
    const double moraDia = t.F("VRMORDIABREC");
    const std::string formaCadastro = bol("IDFORMCADBREC");
    const std::string emissao = impressao == "B" ? "1" : "2";
    // Protest and return (write-off) as the title asks; without a code the
    // bank neither protests ("3") nor returns the title ("2"). Each code goes
    // with the title's own days, not reconciled with them.
    const std::string cdProtesto = bol("CDDIAPROTBOL"), qtProtesto = bol("QTDIAPROTBOL");
    const std::string cdDevolucao = bol("CDDIADEVOL"), qtDevolucao = bol("QTDIADEVOL");
    auto dup = [&](const char* n) { return t.Registro(TRegistro::Duplicata, n); };

    // Segment P
    {
      Record r = arq.Segmento("P", movimento);
      r.num(18, 5, agencia.lote);
      r.num(23, 1, agencia.dv, " ");
      if (longo) {
        r.num(24, 7, ced.digitos());
        r.put(31, 10, Replicate("0", 10));
        r.num(41, 17, NossoNumeroCaixa(true, impressao, bol("CDNOSNUMREC")));
      } else {
        ced.Curto(r, 24, agencia.lote);
        r.put(38, 9, Replicate(" ", 9));
        r.num(47, 11, NossoNumeroCaixa(false, impressao, bol("CDNOSNUMREC")));
      }
      r.put(58, 1, TipoCarteiraCaixa(rem, bol("IDCARTCOBREC")));
      r.num(59, 1, formaCadastro.empty() ? "1" : formaCadastro);
      r.put(60, 1, "2");
      r.put(61, 1, emissao);
      r.put(62, 1, emissao);
      r.put(63, 11, DocumentoCaixa(dup("DUPLICATA"), dup("NRPARCELA"), bol("NRLANBOLREC")));
      r.put(74, 4, Replicate(" ", 4));
      r.put(78, 8, FormatDateTime("ddmmyyyy", vencimento));
      r.num(86, 15, cnab240::Valor(t.F("VRFINALBREC")));
      r.put(101, 5, "00000");
      r.put(106, 1, "0");
      r.put(107, 2, "02");
      r.put(109, 1, "N");
      r.put(110, 8, dataProc);
      // interest runs from the day after the due date, exempt or not
      r.put(118, 1, moraDia != 0 ? "1" : "3");
      r.put(119, 8, FormatDateTime("ddmmyyyy", vencimento + 1));
      r.num(127, 15, moraDia != 0 ? Money(moraDia, 15) : "");
      cnab240::SemDescontoIofAbatimento(r);
      r.put(196, 25, PadR(bol("CDFILIAL") + bol("NRLANBOLREC"), 25));
      r.num(221, 1, cdProtesto.empty() ? "3" : Right(cdProtesto, 1));
      r.num(222, 2, Right(qtProtesto, 2));
      r.num(224, 1, cdDevolucao.empty() || cdDevolucao == "2" ? "2" : "1");
      r.num(225, 3, Right(qtDevolucao, 3));
      r.put(228, 2, "09");
      r.put(230, 11, Replicate(" ", 11));
      arq.write(r);
    }

    // Segment Q: the payer's tax id and postcode as digits (the frame's
    // payer block), no guarantor.
    {
      Record r = arq.Segmento("Q", movimento);
      cnab240::BlocoPagador(r, cnab240::LePagador(t));
      cnab240::SemAvalistaNoQ(r, "   ");
      arq.write(r);
    }

    // Segment R (fine and the slip's first message line). The fine goes as
    // money whether it is a percentage or an amount: an amount multiplied by
    // 100 would have the bank charge a hundred times the fine.
    if (cnab240::TemSegmentoR(t)) {
      Record r = arq.Segmento("R", movimento);
      r.put(18, 48, Replicate(" ", 48));
      cnab240::Encargo(r, 66, cnab240::Multa(t, FormatDateTime("ddmmyyyy", vencimento)));
      cnab240::SoMensagemR(r, t);
      arq.write(r);
    }
  });

  // Lot trailer (type "5")
  arq.EscreveTrailerLote();

  // File trailer (type "9")
  arq.EscreveTrailerArquivo(false);
  arq.Close();
}

namespace cnab240 {

TAgenciaCaixa LeAgenciaCaixa(const TRemessa& rem, bool semHifenPrimeira) {
  const std::string agencia = SemPontuacao(rem.CNABRec.S("CDAGENCIA"));
  const int k = Pos("-", rem.CNABRec.S("CDPICTAGEN"));
  TAgenciaCaixa r;
  if (k > 0) {
    r.arquivo = r.lote = Ajusta(LeftStr(agencia, k - 1), 4);
    r.dv = Copy(agencia, k, 1);
  } else {
    r.arquivo = Ajusta(agencia, 4);
    r.lote = Ajusta(LeftStr(agencia, 4), 4);
    if (semHifenPrimeira) r.dv = Copy(agencia, 1, 1);
  }
  if (r.dv.empty()) r.dv = " ";
  return r;
}

}  // namespace cnab240

}  // namespace layouts
