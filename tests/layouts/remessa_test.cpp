#include "layouts/remessa.h"

#include <gtest/gtest.h>

namespace {

using layouts::NossoNumero;
using layouts::Ocorrencia;

// Punctuation goes; a letter stays for the numeric field to refuse it.
TEST(SharedNossoNumero, DropsPunctuationOnly) {
  const struct {
    const char* gravado;
    const char* esperado;
  } casos[] = {
      {"12345678901-P", "12345678901P"},
      {"109/12345678-9", "109123456789"},
      {" 12.345 p", "12345p"},
      {"", ""},
      {"ABC", "ABC"},
  };
  for (const auto& c : casos) EXPECT_EQ(NossoNumero(c.gravado), c.esperado) << c.gravado;
}

TEST(SharedOcorrencia, OperationKindToOccurrence) {
  const struct {
    const char* operacao;
    const char* esperado;
  } casos[] = {{"I", "01"}, {"E", "02"}, {"A", "06"}, {"", "06"}, {"i", "06"}};
  for (const auto& c : casos) EXPECT_EQ(Ocorrencia(c.operacao), c.esperado) << "'" << c.operacao << "'";
}

}  // namespace
