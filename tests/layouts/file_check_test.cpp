#include "layouts/file_check.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "fields/cp1252.h"

namespace {

using layouts::TCampoNumerico;
using layouts::TFamilia;
using Linhas = std::vector<std::string>;  // records with their line ends

std::string Poe(std::string r, int pos, std::string_view v) {
  return r.replace(pos - 1, v.size(), v);
}

// Header, a detail, its extra record, a detail, trailer. Details carry an
// amount in 063-070 that the writer declares numeric, and an accented name.
Linhas Arquivo400(int comprimento) {
  Linhas l;
  const std::string tipos = "01719";
  for (size_t i = 0; i < tipos.size(); ++i) {
    std::string r = Poe(std::string(comprimento, ' '), 1, tipos.substr(i, 1));
    if (tipos[i] == '1') r = Poe(Poe(r, 63, "00001234"), 101, fields::Utf8ToCp1252("SÃO JOSÉ"));
    l.push_back(Poe(r, 395, "00000" + std::to_string(i + 1)) + "\r\n");
  }
  return l;
}
Linhas Arquivo400() {
  return Arquivo400(400);
}

// One lot of two titles, segments P and Q; P carries its amount in 086-100.
Linhas Arquivo240() {
  const char* inicios[] = {
      "00100000",          "00100011R01",       "0010001300001P 01",       "0010001300002Q 01",
      "0010001300003P 01", "0010001300004Q 01", "00100015         000006", "00199999         000001000008"};
  Linhas l;
  for (std::string_view s : inicios) {
    std::string r = Poe(std::string(240, ' '), 1, s);
    if (s.size() > 13 && s[13] == 'P') r = Poe(r, 86, "000000000012345");
    l.push_back(r + "\r\n");
  }
  return l;
}

// The fields each writer declares numeric; the extra record (type 7) leaves
// its 063-070 blank, which its writer allows.
const TCampoNumerico kNumericos400[] = {{'1', 63, 8}, {'7', 63, 8, true}};
const TCampoNumerico kNumericos240[] = {{'P', 86, 15}};

struct TArquivo {
  Linhas (*linhas)();
  std::span<const TCampoNumerico> numericos;
};
const TArquivo k400{Arquivo400, kNumericos400}, k240{Arquivo240, kNumericos240};

std::string Junta(const Linhas& l) {
  std::string s;
  for (const auto& r : l) s += r;
  return s;
}

using TFalhaEsperada = std::tuple<int, int, int>;  // record, position, length

std::vector<TFalhaEsperada> Falhas(const layouts::TVerificacao& v, std::string& texto) {
  std::vector<TFalhaEsperada> out;
  for (const auto& f : v.falhas) {
    out.emplace_back(f.registro, f.posicao, f.tamanho);
    texto += fields::Cp1252ToUtf8(layouts::Descreve(f)) + "\n";
  }
  return out;
}

TEST(FileCheck, EachFaultIsReportedAtItsRecordAndPositions) {
  const struct {
    const char* caso;
    TArquivo arquivo;
    void (*muda)(Linhas&);
    std::vector<TFalhaEsperada> falhas;
  } casos[] = {
      {"valid 400", k400, [](Linhas&) {}, {}},
      {"shortened record", k400, [](Linhas& l) { l[2].erase(199, 1); }, {{3, 0, 0}}},
      {"bare LF", k400, [](Linhas& l) { l[1].erase(400, 1); }, {{2, 0, 0}}},
      {"no final CR LF", k400, [](Linhas& l) { l[4].resize(400); }, {{5, 0, 0}}},
      {"control character", k400, [](Linhas& l) { l[3][120] = '\t'; }, {{4, 121, 1}}},
      {"undefined byte", k400, [](Linhas& l) { l[2][130] = '\x9D'; }, {{3, 131, 1}}},
      {"UTF-8 text", k400, [](Linhas& l) { l[1] = Poe(l[1], 301, "S\xC3\x83O"); }, {{2, 302, 2}}},
      {"wrong sequence", k400, [](Linhas& l) { l[2] = Poe(l[2], 395, "000007"); }, {{3, 395, 6}}},
      {"record left out", k400, [](Linhas& l) { l.erase(l.begin() + 2); }, {{3, 395, 6}}},
      {"no trailer", k400, [](Linhas& l) { l.pop_back(); }, {{4, 1, 1}}},
      {"hyphen in a declared field", k400, [](Linhas& l) { l[1][66] = '-'; }, {{2, 63, 8}}},
      {"declared field blank", k400, [](Linhas& l) { l[3] = Poe(l[3], 63, "        "); }, {{4, 63, 8}}},
      {"valid 240", k240, [](Linhas&) {}, {}},
      {"lot counting its details only", k240, [](Linhas& l) { l[6] = Poe(l[6], 18, "000004"); }, {}},
      {"wrong lot count", k240, [](Linhas& l) { l[6] = Poe(l[6], 18, "000005"); }, {{7, 18, 6}}},
      {"wrong file record count", k240, [](Linhas& l) { l[7] = Poe(l[7], 24, "000009"); }, {{8, 24, 6}}},
      {"wrong file lot count", k240, [](Linhas& l) { l[7] = Poe(l[7], 18, "000002"); }, {{8, 18, 6}}},
      {"wrong detail sequence", k240, [](Linhas& l) { l[4] = Poe(l[4], 9, "00005"); }, {{5, 9, 5}}},
      {"another bank", k240, [](Linhas& l) { l[3] = Poe(l[3], 1, "237"); }, {{4, 1, 3}}},
      {"record of another lot", k240, [](Linhas& l) { l[5] = Poe(l[5], 4, "0002"); }, {{6, 4, 4}}},
      {"no segment letter", k240, [](Linhas& l) { l[3][13] = ' '; }, {{4, 14, 1}}},
      {"blank inside a segment's digits", k240, [](Linhas& l) { l[2][90] = ' '; }, {{3, 86, 15}}},
      {"lot trailer's titles and total",
       k240,
       [](Linhas& l) {
         l[6] = Poe(l[6], 24,
                    "000002"
                    "00000000000024690");
       },
       {}},
      {"lot trailer's titles left zero",
       k240,
       [](Linhas& l) { l[6] = Poe(l[6], 24, std::string(23, '0')); },
       {}},
      {"wrong lot title count",
       k240,
       [](Linhas& l) {
         l[6] = Poe(l[6], 24,
                    "000003"
                    "00000000000024690");
       },
       {{7, 24, 6}}},
      {"lot trailer's titles by portfolio",
       k240,
       [](Linhas& l) {
         l[6] = Poe(Poe(l[6], 24,
                        "000001"
                        "00000000000012345"),
                    70,
                    "000001"
                    "00000000000012345");
       },
       {}},
      {"wrong lot total",
       k240,
       [](Linhas& l) {
         l[6] = Poe(l[6], 24,
                    "000002"
                    "00000000000024691");
       },
       {{7, 30, 17}}},
      {"no lot trailer", k240, [](Linhas& l) { l.erase(l.begin() + 6); }, {{7, 8, 1}, {7, 24, 6}}},
      {"empty file", k240, [](Linhas& l) { l.clear(); }, {{0, 0, 0}}},
  };
  for (const auto& c : casos) {
    Linhas l = c.arquivo.linhas();
    c.muda(l);
    std::string texto;
    EXPECT_EQ(Falhas(layouts::VerificaArquivo(Junta(l), c.arquivo.numericos), texto), c.falhas)
        << c.caso << "\n"
        << texto;
  }
}

// A bank's own rules where its layout departs from the family's standard are
// not faults; the family's standard numeric positions hold when asked for.
void banco(Linhas& l, const char* codigo) {
  l[0] = Poe(l[0], 77, codigo);
}
// The title's value in both details of Arquivo400.
void valores(Linhas& l, int pos) {
  for (int i : {1, 3}) l[i] = Poe(l[i], pos, "0000000012345");
}

TEST(FileCheck, BanksKeepTheirOwnRulesAndTheStandardHoldsTheRest) {
  const struct {
    const char* caso;
    Linhas (*linhas)();
    void (*muda)(Linhas&);
    std::vector<TFalhaEsperada> falhas;
  } casos[] = {
      {"standard values", Arquivo400, [](Linhas& l) { valores(l, 127); }, {}},
      {"value left blank",
       Arquivo400,
       [](Linhas& l) { valores(l, 127), l[3] = Poe(l[3], 127, "   "); },
       {{4, 127, 13}}},
      {"hyphen in the value",
       Arquivo400,
       [](Linhas& l) { valores(l, 127), l[1][130] = '-'; },
       {{2, 127, 13}}},
      {"value where its bank places it", Arquivo400, [](Linhas& l) { banco(l, "389"), valores(l, 136); }, {}},
      {"value at the family's place for that bank",
       Arquivo400,
       [](Linhas& l) { banco(l, "389"), valores(l, 127); },
       {{2, 136, 13}, {4, 136, 13}}},
      {"details counted from 1",
       Arquivo400,
       [](Linhas& l) {
         banco(l, "069"), valores(l, 127);
         const char* seqs[] = {"000042", "000001", "000002", "000003", "000003"};
         for (int i = 0; i < 5; ++i) l[i] = Poe(l[i], 395, seqs[i]);
       },
       {}},
      {"trailer not repeating the last detail",
       Arquivo400,
       [](Linhas& l) {
         banco(l, "069"), valores(l, 127);
         for (int i = 1; i < 4; ++i) l[i] = Poe(l[i], 395, "00000" + std::to_string(i));
       },
       {{5, 395, 6}}},
      {"five-digit detail sequence",
       Arquivo400,
       [](Linhas& l) {
         banco(l, "   "), valores(l, 127);
         for (int i : {1, 3}) l[i] = Poe(l[i], 395, "P0000" + std::to_string(i + 1));
       },
       {}},
      {"file trailer without counts",
       Arquivo240,
       [](Linhas& l) {
         for (auto& r : l) r = Poe(r, 1, "453");
         l[7] = Poe(l[7], 4, "0000"), l[7] = Poe(l[7], 18, std::string(12, ' '));
       },
       {}},
      {"the same trailer of another bank",
       Arquivo240,
       [](Linhas& l) { l[7] = Poe(l[7], 4, "0000"), l[7] = Poe(l[7], 18, std::string(12, ' ')); },
       {{8, 4, 4}, {8, 18, 6}, {8, 24, 6}}},
  };
  for (const auto& c : casos) {
    Linhas l = c.linhas();
    c.muda(l);
    std::string texto;
    EXPECT_EQ(Falhas(layouts::VerificaArquivo(Junta(l), {}, true), texto), c.falhas) << c.caso << "\n"
                                                                                     << texto;
  }
}

TEST(FileCheck, FaultTextNamesTheLengths) {
  Linhas l = Arquivo400();
  l[2].erase(199, 1);
  const auto v = layouts::VerificaArquivo(Junta(l));
  ASSERT_EQ(v.falhas.size(), 1u);
  EXPECT_EQ(layouts::Descreve(v.falhas[0]), "registro 3: registro com 399 caracteres; o leiaute tem 400");
  EXPECT_EQ(v.registros, 5);
}

TEST(FileCheck, FamilyByRecordLength) {
  Linhas primeiroCurto = Arquivo400();
  primeiroCurto[0].erase(10, 1);
  const struct {
    std::string conteudo;
    TFamilia familia;
  } casos[] = {
      {Junta(Arquivo240()), TFamilia::Cnab240},    {Junta(Arquivo400()), TFamilia::Cnab400},
      {Junta(Arquivo400(444)), TFamilia::Cnab444}, {Junta(primeiroCurto), TFamilia::Cnab400},
      {"0REMESSA\r\n", TFamilia::Desconhecida},
  };
  for (const auto& c : casos)
    EXPECT_EQ(layouts::FamiliaDe(c.conteudo), c.familia) << c.conteudo.substr(0, 20);
  EXPECT_TRUE(layouts::VerificaArquivo(Junta(Arquivo400(444)), kNumericos400).ok());
}

}  // namespace
