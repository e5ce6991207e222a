#include "layouts/support/random_store.h"

#include <initializer_list>
#include <vector>

namespace testsupport {

namespace {

using Pool = std::vector<json>;

// Three draws in four keep the sound value (the first of the pool), so that
// most stores reach the writer with a few odd fields rather than all of them.
json Um(std::mt19937& rng, const Pool& pool) {
  std::uniform_int_distribution<size_t> quarto(0, 3);
  if (quarto(rng) != 0) return pool.front();
  std::uniform_int_distribution<size_t> d(0, pool.size() - 1);
  return pool[d(rng)];
}

// n characters (not bytes: the columns count characters) of the unit, repeated.
std::string Longo(size_t n, const std::string& unidade = "Ação ") {
  std::vector<std::string> chars;
  for (size_t i = 0; i < unidade.size();) {
    size_t fim = i + 1;
    while (fim < unidade.size() && (static_cast<unsigned char>(unidade[fim]) & 0xC0) == 0x80) ++fim;
    chars.push_back(unidade.substr(i, fim - i));
    i = fim;
  }
  std::string s;
  for (size_t k = 0; k < n; ++k) s += chars[k % chars.size()];
  return s;
}

// Characters Windows-1252 lacks; the import refuses them.
const char* const kForaDo1252[] = {"Łódź", "日本", "😀", "Ω"};

Pool Nomes(size_t max) {
  return {"Cliente Um Ltda", "José da Silva\nComércio",         "Zé\tda\tSilva", "",          "   ",
          Longo(max),        "O'Brien & \"Cia.\" <Ltda>; 100%", "\r\n\t",        "Š€Ž œ™ ‰ Ÿ"};
}

Pool Inscricoes(bool pessoa) {
  return {pessoa ? "123.456.789-09" : "98.765.432/0001-10",
          pessoa ? "12345678909" : "98765432000110",
          "12a.456.b89-0X",
          "",
          "1",
          "12.345.678/0001-9512",
          " 123 456 ",
          "!@#$%&*()-_=+",
          "000.000.000-00"};
}

Pool Valores() {
  return {1234.56, 0.0, -1.5, 0.01, 0.005, 99999999.99, 100000000000.0, 12345678901234.5, 1e18, 7.1};
}

Pool Percentuais() {
  return {nullptr, 0.0, 0.001, 999.0, 2.5, -1.0};
}

Pool Vencimentos() {
  return {"2026-12-20", "2026-12-08", "2026-12-09", "2026-12-31", "2027-01-01", "2028-02-29",
          "2099-12-31", "2000-01-01", "1999-12-31", "1900-01-01", "2026-12-07", nullptr};
}

}  // namespace

std::string BancoDoEscritor(const layouts::TEscritor& e) {
  const std::string bancos = e.bancos;
  // The 400-character SICOOB file is the SICOOB bank's, written by name.
  if (bancos.empty()) return "756";
  return bancos.substr(0, bancos.find(' '));
}

TLojaAleatoria SorteiaLoja(const layouts::TEscritor& e, std::mt19937& rng) {
  const std::string banco = BancoDoEscritor(e);
  TLojaAleatoria r{TLoja(banco), {}};
  TLoja& l = r.loja;
  // Until the collection account is added: that moves the account rows.
  json& conta = l.conta();
  conta["CDAGENCIA"] = Um(rng, {"123-4", "1234", "12a4", "", "99999", "-", "0"});
  conta["CDCONTCORR"] = Um(rng, {"00098765-4", "12345", "ABC", "", "1234567890", "00.098.765"});
  conta["CDCEDENTEBAN"] = Um(rng, {"12345-6", "", "X/Y.Z", Longo(30, "9"), "0", "1234567"});
  conta["NRAUTCNABDES"] = Um(rng, {"0042", "", "A1", "9999"});
  conta["CDSACAVALISTA"] = Um(rng, Inscricoes(true));
  conta["NMSACAVALISTA"] = Um(rng, Nomes(40));
  conta["DSNOSNUMCORR"] = Um(rng, {"[SEQ08]", "[SEQ11]", "", "AB[SEQ05]", "[SEQ20]"});
  conta["NRSEQREMESSAREC"] = Um(rng, {41, 0, 999999, 9999999});
  // What the company's agreement with the bank holds, where the writer reads it.
  l.EmprBanc();
  json& emp = l.dados["EMPRBANC"][0];
  emp["CDEMPBANCREC"] = Um(rng, {"4567890", "", "45.678-9X", Longo(20, "8")});
  const bool rural = std::string(e.nome) == "Remessa_BcoRural";
  emp["CDCARTCOBR"] = Um(rng, {rural ? "119" : "109", "", "1", "A0B", "999"});
  emp["NRVARIACARTCOB"] = Um(rng, {"019", "", "X", "999"});
  emp["IDPADRCNABREC"] = std::string(e.nome) == "Remessa_BcoCaixa_SIGCB" ? "2" : "1";
  emp["IDCARTCOBR"] = Um(rng, {"1", "2", "", "X"});
  emp["IDGERLINHACOMP"] = Um(rng, {"N", "S", ""});
  // A bank that takes no company tax id longer than a CNPJ's digits gets one.
  l.inscricaoEmpresa = Um(rng, {"12345678000195", "12.345.678/0001-95", "", "1A.345"}).get<std::string>();
  if (e.contaCobranca) {
    l.Linha("CONTCORR", {{"CDREDUCONT", "002"},
                         {"CDEMPRESA", "01"},
                         {"CDBANCO", banco},
                         {"CDAGENCIA", Um(rng, {"4321", "43-21", "", "X"})},
                         {"CDCONTCORR", Um(rng, {"0098765", "98.765-X", ""})},
                         {"DSCONTCORR", "Cobrança"},
                         {"CDBANCCNAB", banco},
                         {"IDCONTCOBR", "S"}});
    r.opcoes.contaCobranca = "002";
  }

  json& cli = l.dados["CLIENTE"][0];
  cli["NMRAZSOCCLIE"] = Um(rng, Nomes(50));
  cli["NMFANTCLIE"] = Um(rng, Nomes(50));
  cli["IDTPIJURCLIE"] = Um(rng, {"F", "J", "", "X"});
  cli["NRINSJURCLIE"] = Um(rng, Inscricoes(cli["IDTPIJURCLIE"] != "J"));
  json& end = l.dados["ENDECLIE"][0];
  end["DSENDECLIE"] = Um(rng, {"Rua Augusta, 1500\r\napto 12", "", Longo(50), "Rua\tdos\tTabs"});
  end["NMBAIRCLIE"] = Um(rng, {"Consolação", "", Longo(30), "Bairro\n"});
  end["NRCEPCLIE"] = Um(rng, {"01310-100", "", "ABCDE-FGH", "1", "013101001", "01.310-100"});
  end["SGESTADO"] = Um(rng, {"SP", "", "S", "sp"});

  std::uniform_int_distribution<int> quantos(1, 4);
  const int n = quantos(rng);
  for (int i = 0; i < n; ++i) {
    json& t = i == 0 ? l.titulo() : l.NovoTitulo(std::to_string(1001 + i));
    // The base fixture's client C1, whose data are sound, beside C2's.
    if (i % 2 == 1) t["CDCLIENTE"] = "C1";
    t["VRFINALBREC"] = Um(rng, Valores());
    t["DTVENBOLREC"] = Um(rng, Vencimentos());
    t["DTEMISBOLREC"] = Um(rng, {"2026-12-01", "2026-12-08", "1900-01-01", "2099-12-31", nullptr});
    t["CDNOSNUMREC"] = Um(rng, {"12345678-9", "00000001", "", "ABC-12/3", "12345678901234567-P", "1", "-"});
    t["DOCUMENTO"] = Um(rng, {"123", "", "NF-123/45", "ABCDEFGHIJ", "\t1\n"});
    t["CDCARTCOBBOL"] = Um(rng, {"109", "", "1", "X9", "999"});
    t["IDCARTCOBREC"] = Um(rng, {"1", "2", "", "X"});
    t["NRPARCBOLREC"] = Um(rng, {"01", "", "99", "A"});
    t["IDFORMCADBREC"] = Um(rng, {"1", "2", "", "X"});
    t["VRPEMULBREC"] = Um(rng, Percentuais());
    t["VRPEMORBREC"] = Um(rng, Percentuais());
    t["VRPEDESCBCLI"] = Um(rng, Percentuais());
    t["VRMULTABREC"] = Um(rng, {nullptr, 0.0, 12.34, 1e15, -3.0});
    t["VRMORDIABREC"] = Um(rng, {nullptr, 0.0, 0.41, 1e15});
    t["QTDIAPROTBOL"] = Um(rng, {nullptr, 0.0, 5.0, 99.0, 999.0, -1.0});
    t["CDINS1COBBOL"] = Um(rng, {"00", "06", "", "X", "99"});
    t["CDINS2COBBOL"] = Um(rng, {nullptr, "00", "", "9"});
    t["TXMENSBOLBOL"] =
        Um(rng, {nullptr, "Não receber após o vencimento.\nJuros\tde mora.", "", Longo(500), "\r\n\t\r\n"});
  }
  // One store in six holds a character Windows-1252 lacks, in one field.
  if (rng() % 6 == 0) {
    json* onde[] = {&cli["NMRAZSOCCLIE"], &end["DSENDECLIE"], &l.conta()["NMSACAVALISTA"],
                    &l.titulo()["TXMENSBOLBOL"]};
    *onde[rng() % 4] = std::string("Ação ") + kForaDo1252[rng() % 4];
  }
  return r;
}

}  // namespace testsupport
