#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Saida {
  int rc;
  std::string out, err;
};

// Runs the remessa binary in dir with the clock fixed; stdin is not a terminal.
Saida roda(const std::string& dir, const std::string& args) {
  const std::string cmd = "cd '" + dir + "' && '" REMESSA_BINARY "' --agora '2026-12-08 10:30:00' " + args +
                          " </dev/null 2>err.txt >out.txt";
  const int st = std::system(cmd.c_str());
  auto ler = [&](const char* f) {
    std::ifstream in(dir + "/" + f, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, ler("out.txt"), ler("err.txt")};
}

// The demo's files, written once for every test of the command.
class Ver : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/remessa-ver-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir = tmpl;
    const Saida d = roda(dir, "demo");
    ASSERT_EQ(d.rc, 0) << d.out << d.err;
  }
  static void TearDownTestSuite() { EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0); }

  // The records of a demo file, without their CR LF.
  static std::vector<std::string> Registros(const std::string& nome) {
    std::ifstream in(dir + "/demo-out/" + nome, std::ios::binary);
    const std::string texto{std::istreambuf_iterator<char>(in), {}};
    std::vector<std::string> rs;
    for (size_t at = 0, fim; (fim = texto.find("\r\n", at)) != std::string::npos; at = fim + 2)
      rs.push_back(texto.substr(at, fim - at));
    return rs;
  }
  static void Escreve(const std::string& nome, const std::vector<std::string>& rs) {
    std::ofstream out(dir + "/" + nome, std::ios::binary);
    for (const auto& r : rs) out << r << "\r\n";
  }
  static std::string dir;
};
std::string Ver::dir;

const char* const kBradesco = "remessa-237-001.txt";      // CNAB 400: details 1, 2 and 7
const char* const kCaixa = "remessa-104-019.txt";         // CNAB 240: segments P, Q and R
const char* const kBanrisul = "remessa-041-022.txt.240";  // a lot trailer with its titles and total

}  // namespace

// Each file the demo writes is one its bank reads: ver finds no fault in it.
TEST_F(Ver, EveryDemoFileIsSound) {
  int arquivos = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir + "/demo-out")) {
    const std::string nome = e.path().filename().string();
    if (nome.rfind("remessa-", 0) != 0) continue;
    ++arquivos;
    const Saida s = roda(dir, "ver 'demo-out/" + nome + "'");
    EXPECT_EQ(s.rc, 0) << nome << "\n" << s.out << s.err;
    EXPECT_NE(s.out.find("\n0 falha(s).\n"), std::string::npos) << nome << "\n" << s.out;
  }
  EXPECT_GE(arquivos, 30);
}

// The summary reads the family's positions: header, one line a title, the
// trailers and the totals the details give.
TEST_F(Ver, SummaryShowsHeaderTitlesAndTotals) {
  const struct {
    const char* arquivo;
    std::vector<std::string> linhas;
  } casos[] = {
      {kBradesco,
       {"Leiaute: CNAB 400, 9 registro(s)", "Banco: 237 BRADESCO", "Data do arquivo: 08/12/26",
        "000002     50001   01      00011001                  00020200000007000011 18/12/26           150,37 "
        "01 00012345678909 MARIA DA GRACA RIBEIRO",
        "Trailer: sequência 000009", "Calculado: 9 registro(s), 3 título(s), total 902,22",
        "Outros registros: tipo 2: 1, tipo 7: 3"}},
      {kBanrisul,
       {"Leiaute: CNAB 240, 13 registro(s)", "Banco: 041 BANRISUL", "Remessa: 000001",
        "0001/00004 0050065/02", "25/12/2026         324,05 1 000012345678909 MARIA DA GRACA RIBEIRO",
        "Trailer do lote 0001: 000011 registro(s), 3 título(s), total 972,15",
        "Trailer de arquivo: 000001 lote(s), 000013 registro(s)",
        "Calculado: 13 registro(s), 3 título(s), total 972,15"}},
  };
  for (const auto& c : casos) {
    const Saida s = roda(dir, std::string("ver demo-out/") + c.arquivo);
    for (const auto& l : c.linhas) EXPECT_NE(s.out.find(l), std::string::npos) << l << "\n" << s.out;
  }
}

TEST_F(Ver, EachFaultIsNamedAndTheExitIsNotZero) {
  const struct {
    const char* caso;
    const char* arquivo;
    void (*muda)(std::vector<std::string>&);
    const char* falha;
  } casos[] = {
      {"shortened record", kBradesco, [](auto& r) { r[2].erase(100, 1); },
       "registro 3: registro com 399 caracteres; o leiaute tem 400"},
      {"broken sequence", kBradesco, [](auto& r) { r[1].replace(394, 6, "000009"); },
       "registro 2, posições 395-400: sequência 000009; esperada 000002"},
      {"hyphen in the value", kBradesco, [](auto& r) { r[4][130] = '-'; },
       "registro 5, posições 127-139: campo numérico com '-' na posição 131"},
      {"wrong lot trailer count", kCaixa, [](auto& r) { r[11].replace(17, 6, "000012"); },
       "registro 12, posições 018-023: o trailer do lote conta 000012 registros; o lote tem 11"},
      {"wrong file trailer count", kCaixa, [](auto& r) { r[12].replace(23, 6, "000014"); },
       "registro 13, posições 024-029: o trailer de arquivo conta 000014 registros; o arquivo tem 13"},
      {"hyphen in a detail's sequence", kCaixa, [](auto& r) { r[5][10] = '-'; },
       "registro 6, posições 009-013: campo numérico com '-' na posição 011"},
      {"wrong lot total", kBanrisul, [](auto& r) { r[11].replace(29, 17, "00000000000097216"); },
       "registro 12, posições 030-046: o trailer do lote soma 972,16; os títulos do lote somam 972,15"},
  };
  for (const auto& c : casos) {
    auto rs = Registros(c.arquivo);
    ASSERT_GT(rs.size(), 5u) << c.arquivo;
    c.muda(rs);
    Escreve("ruim.txt", rs);
    const Saida s = roda(dir, "ver ruim.txt");
    EXPECT_EQ(s.rc, 1) << c.caso;
    EXPECT_NE(s.out.find(std::string("\n") + c.falha), std::string::npos) << c.caso << "\n" << s.out;
    EXPECT_NE(s.out.find("\n1 falha(s).\n"), std::string::npos) << c.caso << "\n" << s.out;
  }
}

TEST_F(Ver, AFileThatCannotBeReadExitsTwo) {
  for (const char* arquivo : {"nao-existe.txt", "demo-out"}) {
    const Saida s = roda(dir, std::string("ver ") + arquivo);
    EXPECT_EQ(s.rc, 2) << arquivo;
    EXPECT_NE(s.err.find("Arquivo ou diretório não existe."), std::string::npos) << arquivo << s.err;
  }
}
