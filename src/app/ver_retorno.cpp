// `remessa ver` on a bank's return file: its header and one line an
// occurrence, read by the bank's return layout; a file that layout refuses
// is named with the record and field.
#include <iostream>

#include "app/cli_common.h"
#include "app/ver.h"
#include "fields/cp1252.h"
#include "layouts/retorno/retorno.h"

namespace app {

namespace rt = layouts::retorno;

namespace {

std::string Coluna(const std::string& utf8, int largura) {
  return Celula(fields::Utf8ToCp1252(utf8), largura);
}

std::string Valor(int64_t centavos) {
  return centavos ? Dinheiro(static_cast<double>(centavos) / 100.0) : "";
}

}  // namespace

int VerRetorno(const std::string& arquivo, const std::string& conteudo) {
  std::cout << "Arquivo: " << arquivo << "\n";
  rt::TRetorno r;
  try {
    r = rt::LeRetorno(conteudo);
  } catch (const rt::ERetorno& e) {
    std::cout << "Leiaute: retorno\n\nFalhas:\n" << Celula(e.what()) << "\n\n1 falha(s).\n";
    return 1;
  }
  std::cout << "Leiaute: retorno " << Celula(r.leiaute) << ", " << r.ocorrencias.size() << " ocorrência(s)\n"
            << "Banco: " << Celula(r.banco) << "\n"
            << "Inscrição da empresa: " << Celula(r.inscricao) << "\n"
            << "Agência/conta: " << Celula(r.agencia) << "/" << Celula(r.conta) << "\n"
            << "Código da empresa: " << Celula(r.codigoEmpresa) << "\n"
            << "Data do arquivo: " << DataIso(r.data) << "\n"
            << "Sequência do retorno: " << Celula(r.sequencia) << "\n\n"
            << Coluna("Reg.", 6) << Coluna("Ocorrência", 40) << Coluna("Uso da empresa", 26)
            << Coluna("Nosso número", 21) << Coluna("Vencimento", 11) << Coluna("Valor", 15)
            << Coluna("Pago", 15) << Coluna("Motivos", 16) << "Efeito\n";
  int64_t pago = 0;
  for (const auto& o : r.ocorrencias) {
    pago += o.valorPago;
    std::cout << Celula(std::to_string(o.registro), 6) << Celula(o.ocorrencia + " " + o.descricao, 40)
              << Celula(o.identificacao, 26) << Celula(o.nossoNumero, 21) << Celula(DataIso(o.vencimento), 11)
              << Celula(Valor(o.valorTitulo), 15) << Celula(Valor(o.valorPago), 15) << Celula(o.motivos, 16)
              << rt::Letra(o.efeito) << "\n";
  }
  std::cout << "\nCalculado: " << r.ocorrencias.size() << " ocorrência(s), pago " << Dinheiro(pago / 100.0)
            << "\n\n0 falha(s).\n";
  return 0;
}

}  // namespace app
