// The checks a remittance file must pass before a bank reads it, whoever wrote
// it: record length and line ends, the character set, the order of the record
// types, sequence numbers, lot and trailer counts, and the positions the bank
// reads as numbers. A check does not stop at the first fault: every fault is
// reported with its record and positions, so one run shows all that is wrong.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace layouts {

enum class TFamilia { Cnab240, Cnab400, Cnab444, Desconhecida };

// One fault. registro is the record's place in the file, from 1 (0: the file
// as a whole); posicao the first position concerned, from 1 (0: the record as
// a whole), and tamanho the positions it covers. texto is Windows-1252.
struct TFalha {
  int registro;
  int posicao;
  int tamanho;
  std::string texto;
};

// A field that a writer's layout has the bank read as a number. tipo picks the
// records it is in: the record type (position 001 in CNAB 400 and 444, 008 in
// CNAB 240) or, for CNAB 240 details, the segment letter; '*' every record.
// brancos lets an entirely blank field pass, for fields the layout leaves
// blank when there is no value.
struct TCampoNumerico {
  char tipo;
  int posicao;
  int tamanho;
  bool brancos = false;
};

// Where a bank's own layout departs from its family's standard in what the
// check reads. These are the bank's rules, which its files keep: holding its
// files to the standard there would accuse files the bank reads well.
struct TDesvios {
  // CNAB 400: the header carries the remittance number at 395-400, the
  // details count from 1 and the trailer repeats the last detail's number.
  bool detalhesContadosDe1 = false;
  // CNAB 400: a detail may carry its sequence in five digits at 396-400,
  // after a letter at 395.
  bool sequenciaDoDetalheEm396 = false;
  // CNAB 400: a detail's fields from the movement code (109) on lie this
  // many positions further than the family places them.
  int deslocamento = 0;
  // CNAB 240: the file trailer carries lot "0000" and may leave its counts blank.
  bool trailerSemContas = false;
};

// The bank code the first record carries (CNAB 400 and 444: 077-079; CNAB
// 240: 001-003), as written; empty when there is none to read.
std::string BancoDoHeader(TFamilia f, std::string_view conteudo);
// The departures of the bank of that code in that family; none for the others.
TDesvios DesviosDoBanco(TFamilia f, std::string_view banco);
// Where a CNAB 400 or 444 record whose sequence ends at fim carries it: six
// positions, or five for a detail that the bank's departure numbers so.
int InicioDaSequencia(const TDesvios& d, std::string_view registro, int fim);

struct TVerificacao {
  TFamilia familia = TFamilia::Desconhecida;
  std::string banco;           // the header's bank code (Windows-1252)
  TDesvios desvios;            // the ones the check allowed that bank
  int registros = 0;           // lines of the file, empty ones included
  std::vector<TFalha> falhas;  // in record and position order
  bool ok() const { return falhas.empty(); }
};

// The family by the length of the first record (without its line end); when
// that record has none of the families' lengths, the length most records have.
TFamilia FamiliaDe(std::string_view conteudo);

// Checks a whole file, allowing the header's bank its departures. padrao
// also holds the file to the numeric positions every bank of the family
// reads (CNAB 400 and 444: a detail's value), for a file whose writer
// declares none. A declared numeric field that lies beyond the family's
// record length is a mistake of the caller and throws std::invalid_argument.
TVerificacao VerificaArquivo(std::string_view conteudo, std::span<const TCampoNumerico> numericos = {},
                             bool padrao = false);

// One line for the operator or a test's message: "registro 3, posições
// 395-400: ..." (Windows-1252).
std::string Descreve(const TFalha& f);

}  // namespace layouts
