// The bank writers as the form and the generation run know them. The host
// gives the form its writers when it starts it, as it gives it its server;
// the form asks about a bank by its codes and hands a batch over to be
// written.
#pragma once

#include <string>

namespace workspace {

class TfrmRemessaCNAB;

class IEscritores {
 public:
  virtual ~IEscritores() = default;
  // The writer the account's layout and agreement banks dispatch to; empty
  // when none does.
  virtual std::string Nome(const std::string& cdBancCnab, const std::string& cdBancoConv) const = 0;
  // What the form offers for a layout bank: the remittance kind, a
  // collection account.
  virtual bool OfereceTipo(const std::string& cdBancCnab) const = 0;
  virtual bool TomaContaCobranca(const std::string& cdBancCnab) const = 0;
  // Whether the bank's layout can tell the bank of the operation ("I", "E",
  // "A"); true for banks without a writer, which are refused at the run.
  virtual bool Expressa(const std::string& cdBancCnab, const std::string& cdBancoConv,
                        const std::string& operacao) const = 0;
  // The name the writer will write for the operator's path.
  virtual std::string Arquivo(const std::string& cdBancCnab, const std::string& cdBancoConv,
                              const std::string& path) const = 0;
  // Writes the form's batch (its row of cdsCNABRec, its marked titles) with
  // the writer its banks dispatch to; returns the writer's name. Raises what
  // stops the run.
  virtual std::string Escreve(TfrmRemessaCNAB& form, bool cobranca) = 0;
};

void SetEscritores(IEscritores* escritores);
// Raises when the host has given the form no writers.
IEscritores& Escritores();

}  // namespace workspace
