// The per-title records of a run over many titles (marking the whole list,
// writing a remittance). Asking the server once per title and record kind
// made such a run cost a round trip per title; during a run each kind is
// fetched for all the run's titles with one call, at its first use, and the
// client's own address queries are answered once per client.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/dataset.h"
#include "host/query.h"
#include "server/rdm_remessa_cnab.h"

namespace workspace {

class TRegistrosLote {
 public:
  using TTitulo = std::pair<std::string, std::string>;  // branch, number: the keys of the per-title calls

  // Starts a run over these titles; cdBanco is the bank whose instructions are read.
  void Inicia(server::IRdmRemessaCNAB& server, const std::vector<TTitulo>& titulos, std::string cdBanco);
  void Encerra();
  bool Ativo() const { return server_ != nullptr; }

  // Loads into ds the title's records of the kind ("DOCBOL", "LICENCAUSO"...),
  // as the per-title call would answer; false when no run is on or the title
  // is not one of the run's (the caller then asks the server for it alone).
  bool Preenche(const char* registro, const std::string& filial, const std::string& numero,
                host::TClientDataSet& ds, const std::string& cdBanco = {});

  // Lets a kind's records go before the run ends: a kind asked for again is
  // fetched again.
  void Solta(const std::string& registro);

  // Opens q with its one parameter set to valor; during a run an answer is
  // kept and given again for the same value.
  void Abre(host::TADOIBQuery& q, const std::string& param, const std::string& valor);

 private:
  struct TTipo {
    host::TPacket registros;  // the kind's rows, title after title, each led by its title's position
    std::vector<host::TFieldDef> campos;           // the fields the per-title call answers with
    std::vector<std::pair<size_t, size_t>> faixa;  // per title, its rows [first, last)
  };
  const TTipo& tipo(const std::string& registro);

  server::IRdmRemessaCNAB* server_ = nullptr;
  std::string banco_;
  host::TPacket titulos_;
  std::unordered_map<std::string, size_t> ordem_;  // branch + '\x1f' + number -> title's row
  TTitulo ultimo_;                                 // the title last found, at row ultima_
  long ultima_ = -1;
  std::map<std::string, TTipo> tipos_;
  struct TConsulta {
    std::string sql, param;
    std::unordered_map<std::string, host::TPacket> respostas;  // by the parameter's value
  };
  std::unordered_map<const host::TADOIBQuery*, std::vector<TConsulta>> consultas_;
};

// Keeps a run on for a scope, whatever way the scope ends.
class TEmLote {
 public:
  TEmLote(TRegistrosLote& l, server::IRdmRemessaCNAB& server,
          const std::vector<TRegistrosLote::TTitulo>& titulos, std::string cdBanco)
      : l_(l) {
    l_.Inicia(server, titulos, std::move(cdBanco));
  }
  ~TEmLote() { l_.Encerra(); }
  TEmLote(const TEmLote&) = delete;
  TEmLote& operator=(const TEmLote&) = delete;

 private:
  TRegistrosLote& l_;
};

}  // namespace workspace
