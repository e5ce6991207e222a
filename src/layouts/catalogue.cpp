#include "layouts/catalogue.h"

#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/record.h"

namespace layouts {

namespace {

using F = TFamilia;

// Bradesco's discount file needs the account's authorisation and an account
// number the bank's eight positions hold (its digits: "0098765-4" fits).
void VerificaBradesco(const TRemessa& r, bool cobranca) {
  if (cobranca) return;
  if (fields::EmptyString(r.ContaCorr.S("NRAUTCNABDES"))) r.Erro("NRAUTORIZACAO_N_CAD");
  if (fields::SemPontuacao(r.ContaCorr.S("CDCONTCORR")).size() > 8) r.Erro("Err_CNAB_Desc");
}

// Rural's file tells the portfolio by the last but one character of the
// company's portfolio code at the bank: a code too short to have one, or with
// "0" there, would send the bank no portfolio.
void VerificaRural(const TRemessa& r, bool) {
  const std::string cart = fields::AllTrim(r.EmprBanc.S("CDCARTCOBR"));
  if (cart.size() < 2 || fields::Copy(cart, static_cast<int>(cart.size()) - 1, 1) == "0")
    r.Erro("NR_CART_INV");
}

bool Sigcb(const TRemessa& r) {
  return r.Parametro("IDPADRCNABREC") == "2";
}

// In the dispatcher's order: the first row whose codes match decides (an
// account of layout bank "001" whose agreement bank is "237" goes to Bradesco).
const TEscritor kCatalogo[] = {
    {.nome = "Remessa_BcoBradesco",
     .escreve = Remessa_BcoBradesco,
     .familia = F::Cnab400,
     .bancos = "237",
     .convenios = "237",
     .modos = true,
     .ofereceTipo = "237 274",
     .verifica = VerificaBradesco,
     .retorno = &retorno::kBradesco400},
    {.nome = "Remessa_BcoItau",
     .escreve = Remessa_BcoItau,
     .familia = F::Cnab400,
     .bancos = "341",
     .convenios = "341",
     .retorno = &retorno::kItau400},
    {.nome = "Remessa_BcoHSBC",
     .escreve = Remessa_BcoHSBC,
     .familia = F::Cnab240,
     .bancos = "399",
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoSafra", .escreve = Remessa_BcoSafra, .familia = F::Cnab400, .bancos = "422"},
    {.nome = "Remessa_Unibanco", .escreve = Remessa_Unibanco, .familia = F::Cnab400, .bancos = "409"},
    // The bank's detail has codes for an entry and a removal, none for an alteration.
    {.nome = "Remessa_BcoBoston",
     .escreve = Remessa_BcoBoston,
     .familia = F::Cnab400,
     .bancos = "479",
     .operacoes = "IE"},
    {.nome = "Remessa_BB",
     .escreve = Remessa_BB,
     .familia = F::Cnab240,
     .bancos = "001 031",
     .convenios = "001",
     .modos = true,
     .ofereceTipo = "001",
     .retorno = &retorno::kCnab240},
    // The bank's detail has codes for an entry and a removal, none for an alteration.
    {.nome = "Remessa_BcoMercantil",
     .escreve = Remessa_BcoMercantil,
     .familia = F::Cnab400,
     .bancos = "389",
     .operacoes = "IE"},
    // The bank's layout tells an entry or a removal; it has no code for an alteration.
    {.nome = "Remessa_BcoBanestes",
     .escreve = Remessa_BcoBanestes,
     .familia = F::Cnab400,
     .bancos = "021",
     .operacoes = "IE"},
    {.nome = "Remessa_BcoNossaCaixa",
     .escreve = Remessa_BcoNossaCaixa,
     .familia = F::Cnab240,
     .bancos = "151",
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_Real",
     .escreve = Remessa_Real,
     .familia = F::Cnab240,
     .bancos = "275 356",
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoRural",
     .escreve = Remessa_BcoRural,
     .familia = F::Cnab240,
     .bancos = "453 749",
     .verifica = VerificaRural,
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoSantander",
     .escreve = Remessa_BcoSantander,
     .familia = F::Cnab240,
     .bancos = "353 033 008",
     .contaCobranca = true,
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoCaixa_SIGCB",
     .escreve = Remessa_BcoCaixa_SIGCB,
     .familia = F::Cnab240,
     .bancos = "104",
     .convenios = "104",
     .aplica = Sigcb,
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoCaixa",
     .escreve = Remessa_BcoCaixa,
     .familia = F::Cnab240,
     .bancos = "104",
     .convenios = "104",
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoPortugues", .escreve = Remessa_BcoPortugues, .familia = F::Cnab400, .bancos = "069"},
    {.nome = "Remessa_Sudameris",
     .escreve = Remessa_Sudameris,
     .familia = F::Cnab240,
     .bancos = "347",
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_Banrisul",
     .escreve = Remessa_Banrisul,
     .familia = F::Cnab240,
     .bancos = "041",
     .sufixo = ".240",
     .retorno = &retorno::kCnab240},
    {.nome = "Remessa_BcoSofisa",
     .escreve = Remessa_BcoSofisa,
     .familia = F::Cnab400,
     .bancos = "637",
     .ofereceTipo = "637",
     .operacoes = "I"},
    // The bank's layout registers titles only: it cannot be told to drop or alter one.
    {.nome = "Remessa_SICREDI",
     .escreve = Remessa_SICREDI,
     .familia = F::Cnab400,
     .bancos = "748",
     .operacoes = "I"},
    // The layout registers and drops titles; it has no movement for an alteration.
    {.nome = "Remessa_SICOOB_CONV",
     .escreve = Remessa_SICOOB_CONV,
     .familia = F::Cnab240,
     .bancos = "756",
     .operacoes = "IE",
     .retorno = &retorno::kSicoob240},
    {.nome = "Remessa_Daycoval", .escreve = Remessa_Daycoval, .familia = F::Cnab400, .bancos = "707"},
    {.nome = "Remessa_Alfa", .escreve = Remessa_Alfa, .familia = F::Cnab400, .bancos = "025"},
    {.nome = "Remessa_Factoring", .escreve = Remessa_Factoring, .familia = F::Cnab400, .bancos = "888"},
    {.nome = "Remessa_Brickell", .escreve = Remessa_Brickell, .familia = F::Cnab400, .bancos = "092"},
    {.nome = "Remessa_Guanabara", .escreve = Remessa_Guanabara, .familia = F::Cnab400, .bancos = "612"},
    {.nome = "Remessa_Industrial", .escreve = Remessa_Industrial, .familia = F::Cnab400, .bancos = "604"},
    // The kind is never offered for this bank: the dispatcher writes its batches
    // as collection, and the discount file is the writer's when called by name.
    {.nome = "Remessa_BcoBRR", .escreve = Remessa_BcoBRR, .familia = F::Cnab444, .bancos = "394"},
    {.nome = "Remessa_Fomento", .escreve = Remessa_Fomento, .familia = F::Cnab400, .bancos = "999"},
    // The bank's layout registers titles only: it cannot be told to drop or alter one.
    {.nome = "Remessa_BcoNordeste",
     .escreve = Remessa_BcoNordeste,
     .familia = F::Cnab400,
     .bancos = "004",
     .operacoes = "I"},
    // The 400-character SICOOB file, written only when asked for by name: no
    // code sends a batch here, the bank's batches go to the 240 one. Its
    // layout registers titles only.
    {.nome = "Remessa_SICOOB",
     .escreve = Remessa_SICOOB,
     .familia = F::Cnab400,
     .bancos = "",
     .operacoes = "I"},
};

// "%s" in the catalogue's text, in order.
std::string Preenche(std::string texto, std::initializer_list<std::string> valores) {
  size_t at = 0;
  for (const auto& v : valores) {
    at = texto.find("%s", at);
    if (at == std::string::npos) break;
    texto.replace(at, 2, v);
    at += v.size();
  }
  return texto;
}

std::string Posicoes(const ECampo& e) {
  auto tres = [](int n) { return fields::Ajusta(fields::IntToStr(n), 3); };
  return tres(e.pos) + "-" + tres(e.pos + e.len - 1);
}

}  // namespace

// Whether the blank-separated list holds the code (exactly: "41" is not "041").
bool NaLista(std::string_view lista, std::string_view codigo) {
  if (codigo.empty()) return false;
  size_t at = 0;
  while (at <= lista.size()) {
    size_t fim = lista.find(' ', at);
    if (fim == std::string_view::npos) fim = lista.size();
    if (lista.substr(at, fim - at) == codigo) return true;
    at = fim + 1;
  }
  return false;
}

std::span<const TEscritor> Catalogo() {
  return kCatalogo;
}

const TEscritor* Escritor(std::string_view nome) {
  for (const auto& e : kCatalogo)
    if (nome == e.nome) return &e;
  return nullptr;
}

const TEscritor* Despacha(std::string_view cnab, std::string_view conv, const TRemessa* remessa) {
  for (const auto& e : kCatalogo) {
    if (!NaLista(e.bancos, cnab) && !NaLista(e.convenios, conv)) continue;
    if (e.aplica && !(remessa && e.aplica(*remessa))) continue;
    return &e;
  }
  return nullptr;
}

bool OfereceTipo(std::string_view cnab) {
  for (const auto& e : kCatalogo)
    if (NaLista(e.ofereceTipo, cnab)) return true;
  return false;
}

bool TomaContaCobranca(std::string_view cnab) {
  for (const auto& e : kCatalogo)
    if (e.contaCobranca && NaLista(e.bancos, cnab)) return true;
  return false;
}

bool Expressa(const TEscritor& e, std::string_view operacao) {
  return operacao.size() == 1 && std::string_view(e.operacoes).find(operacao[0]) != std::string_view::npos;
}

std::string NomeDoArquivo(const TEscritor& e, const std::string& path) {
  if (!*e.sufixo || fields::Pos(e.sufixo, path) > 0) return path;
  return path + e.sufixo;
}

const TEscritor& Escreve(TRemessa& remessa, TTitulos& titulos, bool cobranca) {
  const TEscritor* e = Despacha(remessa.CNABRec.S("CDBANCCNAB"), remessa.CNABRec.S("CDBANCOCONV"), &remessa);
  if (!e) remessa.Erro("Remessa_inv");
  if (!e->modos) cobranca = true;
  remessa.Arquivo = NomeDoArquivo(*e, remessa.Arquivo);
  if (e->verifica) e->verifica(remessa, cobranca);
  const std::string operacao = remessa.Operacao();
  if (!Expressa(*e, operacao)) {
    const std::string texto =
        Preenche(remessa.Msg("OPER_NAO_EXPRESSA"), {remessa.CNABRec.S("CDBANCCNAB"), remessa.Msg(operacao)});
    host::MensErro(texto, true, "OPER_NAO_EXPRESSA");
  }
  try {
    e->escreve(remessa, titulos, cobranca);
  } catch (const ECampo& c) {
    const std::string onde =
        c.titulo.empty() ? remessa.Msg("REMESSA") : remessa.Msg("BOLETO") + " " + c.titulo;
    const bool excede = c.motivo == ECampo::TMotivo::excede;
    const char* key = excede ? "CAMPO_EXCEDE" : "CAMPO_NUM_INV";
    host::MensErro(Preenche(remessa.Msg(key), {onde, Posicoes(c), c.registro, c.valor}), true, key);
  }
  return *e;
}

}  // namespace layouts
