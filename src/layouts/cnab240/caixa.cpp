// Caixa Econômica Federal, CNAB 240: one lot of collection titles, segments P
// and Q for every title and R when it carries a message or a fine.
//
// The bank knows two files. An agreement code of 7 characters or more is a
// long code (file layout "107", lot layout "067"); a shorter one is the old
// short code (file "101", lot "060"), which the bank checks through two
// modulo-11 digits over the code and the agency.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The agency is stored without the hyphen of the bank's picture, so the
// character where the picture has its hyphen is the check digit. Without a
// hyphen in the picture the first character stands as the check digit.
struct TAgenciaCaixa {
  std::string arquivo;  // 4 digits, file header
  std::string lote;     // 4 digits, lot header and segment P
  std::string dv;       // 1 character, blank when there is none
};

TAgenciaCaixa LeAgenciaCaixa(const TRemessa& rem) {
  const std::string agencia = rem.CNABRec.S("CDAGENCIA");
  const int k = Pos("-", rem.CNABRec.S("CDPICTAGEN"));
  TAgenciaCaixa r;
  if (k > 0) {
    r.arquivo = Ajusta(CampoValido(LeftStr(agencia, k - 1)), 4);
    r.lote = Ajusta(CampoValido(LeftStr(AllTrim(agencia), k - 1)), 4);
  } else {
    r.arquivo = Ajusta(agencia, 4);
    r.lote = Ajusta(LeftStr(AllTrim(agencia), 4), 4);
  }
  const std::string dv = AllTrim(CampoValido(Copy(agencia, k, 1)));
  r.dv = dv.empty() ? " " : dv;
  return r;
}

// The company's agreement code at the bank, as the account keeps it
// ("1234567", "12345-6" or "123456").
struct TCedenteCaixa {
  std::string codigo;   // as stored
  std::string cedente;  // 12 digits, without its check digit
  std::string dv;       // the check digit after the "-"
  int hifen = 0;        // 1-based position of the "-", 0 without one

  bool longo() const { return static_cast<int>(codigo.size()) >= 7; }
  // The 8 digits the bank's check digits are taken over.
  std::string code8() const { return Ajusta(Copy(cedente, 5, 8), 8); }
  std::string Dv1() const { return Mod11_DV(code8(), "104"); }
  std::string Dv2(const std::string& agencia) const { return Mod11_DV(agencia + code8(), "104"); }
  // Agency and agreement code of the short-code files, 16 digits.
  std::string Bloco(const std::string& agencia) const {
    if (codigo.empty()) return Replicate("0", 16);
    if (hifen > 0) return Ajusta(agencia + LeftStr(AllTrim(codigo), hifen - 1) + dv, 16);
    return Ajusta(agencia + codigo, 16);
  }
};

// An account without an agreement code is written as a short code of
// zeros: the variant follows the code, never a code of an earlier batch.
TCedenteCaixa LeCedenteCaixa(const TRemessa& rem) {
  TCedenteCaixa r;
  r.codigo = rem.ContaCorr.S("CDCEDENTEBAN");
  if (r.codigo.empty()) {
    r.cedente = Replicate("0", 12);
    return r;
  }
  r.hifen = Pos("-", r.codigo);
  if (r.hifen > 0) {
    r.cedente = Ajusta(LeftStr(AllTrim(r.codigo), r.hifen - 1), 12);
    r.dv = AllTrim(CampoValido(Copy(r.codigo, r.hifen + 1, 1)));
  } else {
    r.cedente = Ajusta(LeftStr(r.codigo, 11), 12);
  }
  return r;
}

// The bank numbers the titles itself unless the company prints the slip
// with a number of its own; the long code takes that number only from
// slips the company prints itself ("E"), the short code also from "F".
std::string NossoNumeroCaixa(bool longo, const std::string& impressao, const std::string& nosso) {
  const int n = longo ? 17 : 11;
  const bool daEmpresa = longo ? impressao == "E" : impressao == "E" || impressao == "F";
  if (!daEmpresa || nosso.empty()) return Replicate("0", n);
  return Ajusta(LeftStr(Nr_Codigo(nosso), n), n);
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

// Protest and return (write-off) as the title asks; without a code the bank
// neither protests ("3") nor returns the title ("2"). Each code goes with
// the title's own days, not reconciled with them.
std::string ProtestoCaixa(const std::string& codigo, const std::string& dias) {
  return (codigo.empty() ? "3" : Ajusta(Right(codigo, 1), 1)) +
         (dias.empty() ? "00" : Ajusta(Right(dias, 2), 2));
}

std::string DevolucaoCaixa(const std::string& codigo, const std::string& dias) {
  return (codigo.empty() || codigo == "2" ? "2" : "1") + (dias.empty() ? "000" : Ajusta(Right(dias, 3), 3));
}

}  // namespace

void Remessa_BcoCaixa(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const cnab240::TEmpresa empresa = cnab240::LeEmpresa(rem);
  cnab240::VerificaInscricao(rem, empresa);
  const TAgenciaCaixa agencia = LeAgenciaCaixa(rem);
  const TCedenteCaixa ced = LeCedenteCaixa(rem);
  const bool longo = ced.longo();
  const std::string nomeEmpresa = PadR(CampoValido(LeftStr(empresa.nome, 30)), 30);
  const std::string dataProc = FormatDateTime("ddmmyyyy", rem.DataProc);
  const std::string movimento = cnab240::Movimento(rem.Operacao());
  // the batch takes the account's next sequence; a shorter stored number is
  // zero-filled so that the header keeps its length
  const std::string seqRemessa = cnab("NRSEQREMESSAREC");

  cnab240::TArquivo arq(rem.Arquivo, {.banco = "104"});

  // File header (type "0")
  {
    Record r = arq.HeaderArquivo();
    r.put(9, 9, Replicate(" ", 9));
    r.put(18, 1, empresa.tipo);
    r.put(19, 14, Ajusta(empresa.inscricao, 14));
    r.put(33, 16, ced.Bloco(agencia.arquivo));
    r.put(49, 4, Replicate(" ", 4));
    r.put(53, 5, Ajusta(agencia.arquivo, 5));
    r.put(58, 1, agencia.dv);
    r.put(59, 14,
          longo ? Ajusta(ced.codigo, 7) + "000000" + "0"
                : Ajusta(ced.code8(), 12) + ced.Dv1() + ced.Dv2(agencia.arquivo));
    r.put(73, 30, nomeEmpresa);
    r.put(103, 30, PadR("CAIXA ECONOMICA FEDERAL", 30));
    r.put(133, 10, Replicate(" ", 10));
    r.put(143, 1, "1");
    r.put(144, 8, dataProc);
    r.put(152, 6, FormatDateTime("hhnnss", rem.Agora));
    r.put(158, 6, seqRemessa.empty() ? "000001" : Ajusta(Right(seqRemessa, 6), 6));
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
    r.put(9, 1, "R");
    r.put(10, 2, "01");
    r.put(12, 2, "00");
    r.put(14, 3, longo ? "067" : "060");
    r.put(17, 1, " ");
    r.put(18, 1, empresa.tipo);
    r.put(19, 15, Ajusta(LeftStr(empresa.inscricao, 15), 15));
    if (longo) {
      r.put(34, 7, Ajusta(ced.codigo, 7));
      r.put(41, 13, Replicate("0", 13));
      r.put(54, 5, Ajusta(agencia.lote, 5));
      r.put(59, 1, agencia.dv);
      r.put(60, 6, "000000");
      r.put(66, 7, "0000000");
      r.put(73, 1, "0");
    } else {
      r.put(34, 16, ced.Bloco(agencia.lote));
      r.put(50, 4, Replicate(" ", 4));
      r.put(54, 5, Ajusta(agencia.lote, 5));
      r.put(59, 1, agencia.dv);
      r.put(60, 12, Ajusta(ced.code8(), 12));
      r.put(72, 1, ced.Dv1());
      r.put(73, 1, ced.Dv2(agencia.lote));
    }
    r.put(74, 30, nomeEmpresa);
    r.put(104, 40, Replicate(" ", 40));
    r.put(144, 40, Replicate(" ", 40));
    r.put(184, 8, seqRemessa.empty() ? "00000001" : Ajusta(Right(seqRemessa, 8), 8));
    r.put(192, 8, dataProc);
    r.put(200, 8, "00000000");
    r.put(208, 33, Replicate(" ", 33));
    arq.write(r);
  }

  titulos.ParaCada([&](TTitulo& t) {
    auto bol = [&](const char* n) { return t.Campo(n); };
    const std::string impressao = bol("IDIMPRBOLBOL").AsString();
    const double vencimento = bol("DTVENBOLREC").AsDateTime();
    const double moraDia = bol("VRMORDIABREC").AsFloat();
    const double multaPerc = bol("VRPEMULBREC").AsFloat();
    const double multaValor = bol("VRMULTABREC").AsFloat();
    const std::string formaCadastro = bol("IDFORMCADBREC").AsString();
    const std::string emissao = impressao == "B" ? "1" : "2";
    auto dup = [&](const char* n) { return t.Registro(TRegistro::Duplicata, n); };

    // Segment P
    {
      Record r = arq.Segmento("P", movimento);
      r.put(18, 5, Ajusta(agencia.lote, 5));
      r.put(23, 1, agencia.dv);
      if (longo) {
        r.put(24, 17, Ajusta(ced.codigo, 7) + "0000000" + "00" + "0");
        r.put(41, 17, NossoNumeroCaixa(true, impressao, bol("CDNOSNUMREC").AsString()));
      } else {
        r.put(24, 12, ced.codigo.empty() ? Replicate("0", 12) : Ajusta(ced.code8(), 12));
        r.put(36, 1, ced.Dv1());
        r.put(37, 1, Mod11_DV(agencia.lote + Ajusta(ced.code8(), 12), "104"));
        r.put(38, 9, Replicate(" ", 9));
        r.put(47, 11, NossoNumeroCaixa(false, impressao, bol("CDNOSNUMREC").AsString()));
      }
      r.put(58, 1, TipoCarteiraCaixa(rem, bol("IDCARTCOBREC").AsString()));
      r.put(59, 1, formaCadastro.empty() ? "1" : formaCadastro);
      r.put(60, 1, "2");
      r.put(61, 1, emissao);
      r.put(62, 1, emissao);
      r.put(63, 11, DocumentoCaixa(dup("DUPLICATA"), dup("NRPARCELA"), bol("NRLANBOLREC").AsString()));
      r.put(74, 4, Replicate(" ", 4));
      r.put(78, 8, FormatDateTime("ddmmyyyy", vencimento));
      r.put(86, 15, cnab240::Valor(bol("VRFINALBREC").AsFloat()));
      r.put(101, 5, "00000");
      r.put(106, 1, "0");
      r.put(107, 2, "02");
      r.put(109, 1, "N");
      r.put(110, 8, dataProc);
      // interest runs from the day after the due date, exempt or not
      r.put(118, 1, moraDia != 0 ? "1" : "3");
      r.put(119, 8, FormatDateTime("ddmmyyyy", vencimento + 1));
      r.put(127, 15, moraDia != 0 ? Money(moraDia, 15) : Replicate("0", 15));
      r.put(142, 1, "0");
      r.put(143, 8, "00000000");
      r.put(151, 15, Replicate("0", 15));
      r.put(166, 15, Replicate("0", 15));
      r.put(181, 15, Replicate("0", 15));
      r.put(196, 25, PadR(bol("CDFILIAL").AsString() + bol("NRLANBOLREC").AsString(), 25));
      r.put(221, 3, ProtestoCaixa(bol("CDDIAPROTBOL").AsString(), bol("QTDIAPROTBOL").AsString()));
      r.put(224, 4, DevolucaoCaixa(bol("CDDIADEVOL").AsString(), bol("QTDIADEVOL").AsString()));
      r.put(228, 2, "09");
      r.put(230, 11, Replicate(" ", 11));
      arq.write(r);
    }

    // Segment Q
    {
      Record r = arq.Segmento("Q", movimento);
      cnab240::BlocoPagador(r, cnab240::LePagador(t));
      r.put(154, 1, "0");
      r.put(155, 15, Replicate("0", 15));
      r.put(170, 40, Replicate(" ", 40));
      r.put(210, 3, Replicate(" ", 3));
      r.put(213, 20, Replicate(" ", 20));
      r.put(233, 8, Replicate(" ", 8));
      arq.write(r);
    }

    // Segment R (fine and the slip's first message line). The fine goes as
    // money whether it is a percentage or an amount: an amount multiplied by
    // 100 would have the bank charge a hundred times the fine.
    if (cnab240::TemSegmentoR(t)) {
      Record r = arq.Segmento("R", movimento);
      r.put(18, 48, Replicate(" ", 48));
      r.put(66, 1, multaPerc != 0 ? "2" : multaValor != 0 ? "1" : "0");
      r.put(67, 8, FormatDateTime("ddmmyyyy", vencimento));
      r.put(75, 15,
            multaPerc != 0    ? Money(multaPerc, 15)
            : multaValor != 0 ? Money(multaValor, 15)
                              : Replicate("0", 15));
      r.put(90, 10, Replicate(" ", 10));
      r.put(100, 40, cnab240::MensagemBoleto(t));
      r.put(140, 101, Replicate(" ", 101));
      arq.write(r);
    }
  });

  // Lot trailer (type "5")
  arq.EscreveTrailerLote();

  // File trailer (type "9")
  arq.EscreveTrailerArquivo(false);
  arq.Close();
}

}  // namespace layouts
