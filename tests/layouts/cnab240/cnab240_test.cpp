// The common CNAB 240 frame on its own: numbering within the lot and the
// counts of both trailers, with a fake bank that writes a few segments per title.
#include "layouts/cnab240/cnab240.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "fields/text.h"
#include "host/staging.h"

namespace {

using fields::Ajusta;
using fields::IntToStr;
using layouts::ELayoutError;
using layouts::Record;
using layouts::cnab240::TArquivo;
using layouts::cnab240::TRegras;

std::string campo(const std::string& r, int pos, int len) {
  return r.substr(pos - 1, len);
}

class Cnab240Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ =
        (std::filesystem::temp_directory_path() / ("cnab240-" + std::to_string(getpid()) + ".rem")).string();
  }
  void TearDown() override { host::TOutputStage::Current().Discard(); }

  // Writes a file whose titles carry the given segments, with records closed
  // by blanks after the frame's start, and returns its lines without CR LF.
  std::vector<std::string> Escreve(const TRegras& regras, const std::vector<std::string>& titulos) {
    TArquivo arq(path_, regras);
    auto fecha = [](Record r, int desde) {
      r.put(desde, 241 - desde, "");
      return r;
    };
    arq.write(fecha(arq.HeaderArquivo(), 9));
    arq.write(fecha(arq.HeaderLote(), 9));
    for (const std::string& segmentos : titulos)
      for (char s : segmentos) arq.write(fecha(arq.Segmento(std::string(1, s), "01"), 18));
    {
      Record r = arq.TrailerLote();
      r.put(9, 9, "");
      r.put(18, 6, Ajusta(IntToStr(arq.RegistrosLote()), 6));
      arq.write(fecha(r, 24));
    }
    {
      Record r = arq.TrailerArquivo();
      r.put(9, 9, "");
      r.put(18, 6, Ajusta(arq.Lote(), 6));
      r.put(24, 6, Ajusta(IntToStr(arq.RegistrosArquivo()), 6));
      arq.write(fecha(r, 30));
    }
    arq.Close();
    std::ifstream in(host::StagingName(path_), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string texto = ss.str();
    std::vector<std::string> linhas;
    for (size_t i = 0; i < texto.size();) {
      const size_t fim = texto.find("\r\n", i);
      EXPECT_NE(fim, std::string::npos) << "line without CR LF";
      if (fim == std::string::npos) break;
      linhas.push_back(texto.substr(i, fim - i));
      i = fim + 2;
    }
    return linhas;
  }

  std::string path_;
};

// The common counting (details + 2, every record in the file) is checked on
// every Banco do Brasil file; here a bank departs from it.
TEST_F(Cnab240Frame, ABankStatesItsDepartures) {
  const auto linhas = Escreve({.banco = "151", .loteTrailerArquivo = "0000", .registrosAlemDosDetalhes = 0},
                              {"PQ", "PQ", "PQ"});
  ASSERT_EQ(linhas.size(), 10u);
  for (const auto& l : linhas) EXPECT_EQ(campo(l, 1, 3), "151");
  EXPECT_EQ(campo(linhas[8], 18, 6), "000006");  // details only
  EXPECT_EQ(campo(linhas[9], 4, 5), "00009");
  EXPECT_EQ(campo(linhas[9], 24, 6), "000010");  // the file count keeps every record
}

TEST_F(Cnab240Frame, RefusesASegmentOutOfSequence) {
  TArquivo arq(path_, {.banco = "001"});
  Record p = arq.Segmento("P", "01");
  Record q = arq.Segmento("Q", "01");  // built before P was written: takes P's number
  p.put(18, 223, "");
  q.put(18, 223, "");
  arq.write(p);
  EXPECT_THROW(arq.write(q), ELayoutError);
  EXPECT_EQ(arq.Detalhes(), 1);
}

TEST(Cnab240, MovementCodeFollowsTheBatchOperation) {
  const std::pair<const char*, const char*> casos[] = {{"I", "01"}, {"E", "02"}, {"A", "06"}, {"", "06"}};
  for (const auto& [op, codigo] : casos) EXPECT_EQ(layouts::cnab240::Movimento(op), codigo) << op;
}

}  // namespace
