#include "filters/filter_options.h"

#include <stdexcept>

#include "host/context.h"
#include "server/packets.h"

namespace filters {

namespace {

server::IRdmRemessaCNAB& Conexao(IContextoFiltros& contexto) {
  auto* c = contexto.Conexao();
  if (!c) throw std::logic_error("the remittance form is not open");
  return *c;
}

}  // namespace

void GravaOpcoes(IContextoFiltros& contexto, const std::string& tela, const TOpcoes& opcoes) {
  host::TPacket p;
  p.Fields = server::PacketFields("OPCOESFILTRO");
  for (const auto& [nome, valor] : opcoes) p.Rows.push_back({host::Value(nome), host::Value(valor)});
  server::CheckResultServ(Conexao(contexto).SetOpcoesFiltro(tela, host::Corvane().Operador, p));
}

TOpcoes LeOpcoes(IContextoFiltros& contexto, const std::string& tela) {
  const host::TPacket p =
      server::CheckResultServ(Conexao(contexto).GetOpcoesFiltro(tela, host::Corvane().Operador));
  const int iNome = p.IndexOf("NMOPCAO"), iValor = p.IndexOf("DSVALOR");
  TOpcoes r;
  for (const auto& row : p.Rows)
    r[host::ValueToString(row[static_cast<size_t>(iNome)], host::TFieldType::ftString)] =
        host::ValueToString(row[static_cast<size_t>(iValor)], host::TFieldType::ftString);
  return r;
}

void LeOpcao(const TOpcoes& opcoes, const char* name, std::string& into) {
  auto it = opcoes.find(name);
  if (it != opcoes.end()) into = it->second;
}

void LeOpcao(const TOpcoes& opcoes, const char* name, bool& todos) {
  auto it = opcoes.find(name);
  if (it != opcoes.end()) todos = it->second != "L";
}

}  // namespace filters
