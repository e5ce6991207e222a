// Stores made at random from the values operators actually type and the edges
// nobody types on purpose, for a writer of the catalogue: punctuation and
// letters in tax ids, accounts and codes, characters outside Windows-1252,
// line breaks and tabs in names and messages, empty values and values as long
// as their columns, zero, negative and huge amounts, percentages of 0, 0.001
// and 999, and due dates at the calendar's edges. A draw is reproducible from
// its seed.
#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "layouts/catalogue.h"
#include "layouts/support/writer_store.h"

namespace testsupport {

// The bank code the dispatcher sends to the writer (its first one), or, for
// a writer only called by name, the bank its batch belongs to.
std::string BancoDoEscritor(const layouts::TEscritor& e);

struct TLojaAleatoria {
  TLoja loja;
  TOpcoesGeracao opcoes;
};

// One store for the writer: the account and the company's parameters the
// writer reads, one to four titles (some of other clients), each field drawn
// either as a sound value or as one of the adversarial ones.
TLojaAleatoria SorteiaLoja(const layouts::TEscritor& e, std::mt19937& rng);

}  // namespace testsupport
