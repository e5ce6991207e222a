#include "app/arquivo.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <stdexcept>

#include "app/cli_common.h"
#include "app/terminal_ui.h"
#include "fields/cp1252.h"
#include "host/compressao.h"
#include "host/messages.h"
#include "host/staging.h"

namespace app {

using fields::Utf8ToCp1252;

namespace {

bool existe(const std::string& p) {
  return access(fields::OsPath(p).c_str(), F_OK) == 0;
}

bool le(const std::string& p, std::string& out) {
  std::ifstream in(fields::OsPath(p), std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

std::string texto(const host::TPacket& p, size_t linha, const char* campo) {
  const int i = p.IndexOf(campo);
  return i < 0 ? std::string()
               : host::ValueToString(p.Rows[linha][static_cast<size_t>(i)], p.Fields[i].DataType);
}

void avisa(const std::string& cp1252) {
  std::cerr << Tela(cp1252) << "\n";
}

// The batch whose file was still waiting under pendente when its run ended.
void Termina(server::IRdmRemessaCNAB& s, const std::string& empresa, const std::string& remessa,
             const std::string& path, const std::string& pendente) {
  if (host::ProcessoVivo(host::DonoDoNome(path, pendente))) return;  // that run is still going
  std::string guardado, caminho, atual;
  guardado = ArquivoGuardado(s, empresa, remessa, caminho);
  const std::string quem = Utf8ToCp1252("Remessa ") + remessa + " da empresa " + empresa + ": ";
  if (le(pendente, atual) && atual == guardado &&
      std::rename(fields::OsPath(pendente).c_str(), fields::OsPath(path).c_str()) == 0) {
    avisa(quem + Utf8ToCp1252("o arquivo que uma execução interrompida deixou pronto foi posto no lugar: ") +
          path);
  } else {
    if (existe(pendente) && std::remove(fields::OsPath(pendente).c_str()) == 0)
      avisa(quem + Utf8ToCp1252("removido o arquivo parcial de uma execução interrompida: ") + pendente);
    if (!le(path, atual) || atual != guardado) {
      GravaNoLugar(path, guardado);
      avisa(quem + Utf8ToCp1252("o arquivo foi gravado de novo a partir do guardado com a remessa: ") + path);
    }
  }
  server::CheckResultServ(s.ArquivoNoLugar(empresa, remessa));
}

}  // namespace

std::string ArquivoGuardado(server::IRdmRemessaCNAB& s, const std::string& empresa,
                            const std::string& remessa, std::string& path) {
  const server::TServerReply r = s.GetArquivoRemessa(empresa, remessa);
  const host::TPacket& p = server::CheckResultServ(r);
  if (p.Rows.empty())
    throw std::runtime_error(Utf8ToCp1252("A remessa ") + remessa + " da empresa " + empresa +
                             Utf8ToCp1252(" não tem arquivo guardado."));
  path = texto(p, 0, "DSARQUIVO");
  return host::Descomprime(r.Text, static_cast<size_t>(std::stoll(texto(p, 0, "QTBYTES"))));
}

void GravaNoLugar(const std::string& path, const std::string& bytes) {
  const std::string temp = host::StagingName(path);
  auto falha = [&](const char* o) {
    const std::string e = host::MotivoDoErro(errno);
    std::remove(fields::OsPath(temp).c_str());
    throw std::runtime_error(Utf8ToCp1252(o) + path + ": " + e);
  };
  FILE* f = std::fopen(fields::OsPath(temp).c_str(), "wb");
  if (!f) falha("Não foi possível criar o arquivo ");
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0 &&
                  fsync(fileno(f)) == 0;
  if (std::fclose(f) != 0 || !ok) falha("Erro de gravação no arquivo ");
  if (std::rename(fields::OsPath(temp).c_str(), fields::OsPath(path).c_str()) != 0)
    falha("Não foi possível gravar o arquivo ");
}

void RecuperaArquivos(server::IRdmRemessaCNAB& s, const std::string& extra) {
  const server::TServerReply r = s.GetArquivosARever();
  if (!r.Error.empty()) return;  // a store that cannot say leaves nothing to finish
  const host::TPacket& p = r.Packet;
  std::set<std::string> caminhos;
  if (!extra.empty()) caminhos.insert(extra);
  for (size_t i = 0; i < p.Rows.size(); ++i) {
    const std::string path = texto(p, i, "DSARQUIVO"), pendente = texto(p, i, "DSARQPENDENTE");
    caminhos.insert(path);
    if (pendente.empty()) continue;
    try {
      Termina(s, texto(p, i, "CDEMPRESA"), texto(p, i, "NRCNABREC"), path, pendente);
    } catch (const std::exception& e) {
      // The command asked for goes on; the next one tries again.
      avisa(e.what());
    }
  }
  for (const auto& c : caminhos)
    for (const auto& resto : host::RestosAbandonados(c))
      if (std::remove(fields::OsPath(resto).c_str()) == 0)
        avisa(Utf8ToCp1252("Removido o arquivo parcial de uma execução interrompida: ") + resto);
}

int ComandoArquivo(const TGlobais& g, const std::string& empresa, const std::string& remessa,
                   const std::string& saida) {
  auto s = Abre(g.db);
  const std::string e = EmpresaPedida(*s, empresa, remessa);
  std::string path;
  const std::string bytes = ArquivoGuardado(*s, e, Utf8ToCp1252(remessa), path);
  if (!saida.empty()) path = Utf8ToCp1252(saida);
  // The question a run asks before it writes over a file.
  if (existe(path) &&
      host::UI().Ask(host::TMsgDlgType::mtConfirmation, host::TMsgDlgButtons::mbYesNo,
                     Utf8ToCp1252("Arquivo já existe. Deseja gravar por cima?")) != host::TModalResult::mrYes)
    throw host::EAbort();
  GravaNoLugar(path, bytes);
  std::cout << "Arquivo da remessa " << remessa << ": " << Tela(path) << " (" << bytes.size() << " bytes)\n";
  return 0;
}

}  // namespace app
