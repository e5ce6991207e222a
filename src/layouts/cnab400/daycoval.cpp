// Daycoval, CNAB 400: collection remittance. Each title gives its detail,
// then its electronic invoice (record 4) when it has an access key, then its
// slip message in four lines (record 2) when it has one.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

constexpr int kLinhaMensagem = 69;

// The bank's nosso número: the stored number before its check digit, in
// digits. Without a "-" (or without digits before it) the check digit
// cannot be told from the number, and the bank would register the title
// under another number: the title is refused before the file exists.
std::string Nosso8(const TRemessa& rem, TTitulo& t) {
  const std::string gravado = t.S("CDNOSNUMREC");
  if (EmptyString(gravado)) rem.Recusa(t, "NossoNum_Empty");
  const int hifen = Pos("-", gravado);
  const std::string numero = hifen > 0 ? SemPontuacao(LeftStr(gravado, hifen - 1)) : "";
  if (numero.empty()) throw ECampo(ECampo::TMotivo::naoNumerico, "1", 63, 8, gravado);
  return Right(numero, 8);
}

// Blanks and control characters (the message's line breaks) off both ends.
std::string Apara(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool Quebra(char c) {
  return c == ' ' || c == '!' || c == ',' || c == '.' || c == '?';
}

// Line n (from 1) of the slip message word-wrapped at largura: a line break
// within reach ends the line, even in a short message (the operator typed
// two lines); else what is left when it fits; else the last blank or
// punctuation mark before the width, the mark also beginning the next line;
// else a hard cut. A mark at the line's first character would leave the rest
// where it was, so that line is cut hard too.
std::string LinhaMensagem(std::string_view texto, int largura, int n) {
  std::string resto = Apara(texto);
  if (resto.empty() || n < 1) return {};
  const size_t w = static_cast<size_t>(largura);
  std::string linha;
  for (int i = 0; i < n; ++i) {
    const size_t cr = resto.find('\r');
    if (cr != std::string::npos && cr < w) {
      linha = Apara(std::string_view(resto).substr(0, cr + 1));
      resto = Apara(std::string_view(resto).substr(cr));
      continue;
    }
    if (resto.size() < w) {
      linha = std::move(resto);
      resto.clear();
      continue;
    }
    size_t p = 0;  // 1-based position of the break
    for (size_t k = w - 1; k >= 2 && p == 0; --k)
      if (Quebra(resto[k - 1])) p = k;
    if (p > 0) {
      linha = Apara(std::string_view(resto).substr(0, p));
      resto = Apara(std::string_view(resto).substr(p - 1));
    } else {
      linha = resto.substr(0, w);
      resto = Apara(std::string_view(resto).substr(w));
    }
  }
  return CampoValido(linha);
}

}  // namespace

void Remessa_Daycoval(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Identidade();
  const std::string razaoEmpresa = rem.Cadastro().nome;
  const std::string codigo = PadR(CampoValido(LeftStr(AllTrim(rem.IdentRec), 20)), 20);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // A title's records up to their sequence: built once to check every marked
  // title before the file exists, and again to be written.
  auto registros = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    auto& docBol = t.Registros(TRegistro::DocBol);
    const bool temDoc = docBol.Active() && !docBol.IsEmpty();
    if (temDoc) docBol.First();
    auto doc = [&](const char* n) { return temDoc ? docBol.FieldByName(n).AsString() : std::string(); };
    const std::string sacador = v.impressao == "F" ? empresa.nome : razaoEmpresa;

    // Detail record (type "1")
    Record r = arq.Detalhe();
    r.put(2, 2, cnab400::TipoEmpresa(empresa));
    r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
    r.put(18, 20, codigo);
    r.put(38, 25, PadR(AllTrim(v.controle), 25));
    r.num(63, 8, v.impressao == "B" ? "00000000" : Nosso8(rem, t));
    r.put(71, 5, Replicate(" ", 5));
    r.put(76, 8, Replicate(" ", 8));
    r.put(84, 24, Replicate(" ", 24));
    r.put(108, 1, "6");
    cnab400::TCobranca c(ocorrencia, cnab400::DuplicataOuLancamento(t), emissao, t, v);
    c.banco = "707";
    c.especie = "12";
    // The bank takes neither instructions nor interest in the detail.
    c.instrucao1 = "00";
    c.instrucao2 = "00";
    c.juros = "";
    c.desconto = cnab400::DescontoSemArredondar(v);
    cnab400::Cobranca(r, c);
    r.put(219, 2, v.pagador.tipo == "F" ? "01" : "02");
    r.num(221, 14, LeftStr(SemPontuacao(AllTrim(v.pagador.inscricao)), 14));
    r.put(235, 30, PadR(CampoValido(LeftStr(v.pagador.Nome(), 30)), 30));
    r.put(265, 10, Replicate(" ", 10));
    r.put(275, 40, PadR(CampoValido(LeftStr(AllTrim(v.pagador.endereco), 40)), 40));
    r.put(315, 12, PadR(CampoValido(LeftStr(AllTrim(v.pagador.bairro), 12)), 12));
    r.num(327, 8, LeftStr(CampoValidoCEPTEL(v.pagador.cep), 8));
    r.put(335, 15, PadR(CampoValido(LeftStr(v.pagador.cidade, 15)), 15));
    r.put(350, 2, PadR(CampoValido(LeftStr(v.pagador.uf, 2)), 2));
    r.put(352, 30, v.impressao == "B" ? Replicate(" ", 30) : PadR(CampoValido(LeftStr(sacador, 30)), 30));
    r.put(382, 10, Replicate(" ", 10));
    r.put(392, 2, "00");
    r.put(394, 1, "0");
    arq.Escreve(r);

    // Electronic-invoice record (type "4")
    const std::string chave = doc("NRACESSONFE");
    if (!EmptyString(chave)) {
      const host::TField valorNota = docBol.FieldByName("VRNOTAFISC");
      const host::TField dataNota = docBol.FieldByName("DTEMISSAO");
      Record n = arq.Registro();
      n.put(1, 1, "4");
      n.put(2, 15, PadR(LeftStr(doc("NRNOTAFISC"), 15), 15));
      n.num(17, 13, VirgDeciAssu(FormatFloat("0.00", valorNota.IsNull() ? 0 : valorNota.AsFloat()), 13));
      n.put(30, 8, dataNota.IsNull() ? "00000000" : FormatDateTime("ddmmyyyy", dataNota.AsDateTime()));
      n.put(38, 44, PadR(LeftStr(SemPontuacao(chave), 44), 44));
      n.put(82, 313, Replicate(" ", 313));
      arq.Escreve(n);
    }

    // Message record (type "2"), when the message has a line to send
    const std::string mensagem = t.S("TXMENSBOLBOL");
    if (!Apara(mensagem).empty()) {
      Record m = arq.Registro();
      m.put(1, 1, "2");
      m.put(2, 1, "0");
      m.put(3, 69, PadR(LinhaMensagem(mensagem, kLinhaMensagem, 1), 69));
      m.put(72, 69, PadR(LinhaMensagem(mensagem, kLinhaMensagem, 2), 69));
      m.put(141, 69, PadR(LinhaMensagem(mensagem, kLinhaMensagem, 3), 69));
      m.put(210, 69, PadR(LinhaMensagem(mensagem, kLinhaMensagem, 4), 69));
      m.put(279, 116, Replicate(" ", 116));
      arq.Escreve(m);
    }
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        r.put(27, 20, codigo);
        cnab400::EmpresaEBanco(r, empresa.nome, "707", "BANCO DAYCOVAL", rem.Hoje());
        r.put(101, 294, Replicate(" ", 294));
        arq.Escreve(r);
      },
      registros);
}

}  // namespace layouts
