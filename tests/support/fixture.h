// Small builders of import JSON for tests: an account and its titles.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace testsupport {

using nlohmann::json;

// Account "001" of company 01 at the given bank (layout and agreement bank).
inline json Conta(const std::string& banco, const std::string& codigo = "001") {
  return {{"CDREDUCONT", codigo}, {"CDEMPRESA", "01"},      {"CDBANCO", banco},       {"CDAGENCIA", "1234"},
          {"CDCONTCORR", "0012345"}, {"DSCONTCORR", "Conta"}, {"CDBANCCNAB", banco},  {"CDBANCOCONV", banco},
          {"NRAUTCNABDES", "0042"},  {"CDFILIAL", "0001"},     {"DSNOSNUMCORR", "[SEQ11]"}};
}

// A title of client C1 on account "001", due 2026-12-20, worth 1000.00.
inline json Titulo(const std::string& numero) {
  return {{"CDFILIAL", "0001"},       {"NRLANBOLREC", numero},     {"CDEMPRESA", "01"},
          {"CDCLIENTE", "C1"},        {"CDREDUCONT", "001"},       {"DTVENBOLREC", "2026-12-20"},
          {"DTEMISBOLREC", "2026-12-01"}, {"VRFINALBREC", 1000.0}, {"IDSITUCNABR", "00"},
          {"CDNOSNUMREC", "12345678901-P"}, {"CDCARTCOBBOL", "09"}, {"IDCARTCOBREC", "1"},
          {"IDIMPRBOLBOL", "E"},      {"CDFILIBOLREC", "0001"}};
}

}  // namespace testsupport
