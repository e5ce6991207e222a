#include "fields/text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/sanitisers.h"

using namespace fields;

namespace {
std::string cp(const char* utf8) {
  return Utf8ToCp1252(utf8);
}
}  // namespace

TEST(TextPrimitives, PadAndCut) {
  struct {
    std::string got, want;
  } cases[] = {
      {Ajusta("123", 6), "000123"},
      {Ajusta("1", 6), "000001"},
      {Ajusta("", 3), "000"},
      {Ajusta("1234567", 4), "4567"},  // a longer value keeps its low-order digits
      {PadR("ABC", 5), "ABC  "},
      {PadR("ABCDEF", 3), "ABC"},
      {PadR("", 2), "  "},
      {Replicate("0", 0), ""},
      {Replicate("ab", 3), "ababab"},
      {LeftStr("abc", 5), "abc"},
      {LeftStr("abcdef", 2), "ab"},
      {Right("abc", 5), "abc"},
      {Right("abcdef", 2), "ef"},
      {AllTrim("  a b  "), "a b"},
      {LTrim("  a "), "a "},
      {PreencheZeroEsquerda("12", 4), "0012"},
      {PreencheZeroDireita("12", 4), "1200"},
      {Nr_Codigo("12.345.678/0001-90"), "12345678000190"},
      {Nr_Codigo("abc"), ""},
      {Copy("abcdef", 5, 10), "ef"},
      {Copy("abc", 0, 1), "a"},
      {Copy("abc", 4, 1), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
  EXPECT_TRUE(EmptyString("   "));
  EXPECT_TRUE(EmptyString(""));
  EXPECT_FALSE(EmptyString(" x "));
  EXPECT_EQ(Pos("-", "99999-9"), 6);
  EXPECT_EQ(Pos("-", "999"), 0);
}

TEST(TextPrimitives, RoundDecIsDecimal) {
  EXPECT_DOUBLE_EQ(RoundDec(2.675, 2), 2.68);  // binary 2.67499999...
  EXPECT_DOUBLE_EQ(RoundDec(1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(RoundDec(-1.005, 2), -1.01);
  EXPECT_DOUBLE_EQ(RoundDec(10.0 / 3, 2), 3.33);
}

TEST(TextPrimitives, Mod11Rule104) {
  // Weights 2..9 from the right; remainders 0 and 1 give "0".
  EXPECT_EQ(Mod11_DV("1", "104"), "9");                  // 1*2=2 -> 11-2
  EXPECT_EQ(Mod11_DV("00000000000000000", "104"), "0");  // remainder 0
  EXPECT_EQ(Mod11_DV("5", "104"), "1");                  // 10 -> 11-10
  EXPECT_EQ(Mod11_DV("6", "104"), "0");                  // 12 -> remainder 1 -> 10 -> 0
  EXPECT_EQ(Mod11_DV("261533", "104"), "9");             // 3*2+3*3+5*4+1*5+6*6+2*7=90 -> 90%11=2 -> 9
  EXPECT_EQ(Mod11_DV("100000000", "104"), "9");          // the ninth digit from the right weighs 2 again
  // agency 1234 and agreement 00123456: 6*2+5*3+4*4+3*5+2*6+1*7+0*8+0*9+4*2+3*3+2*4+1*5=107 -> 107%11=8 -> 3
  EXPECT_EQ(Mod11_DV("123400123456", "104"), "3");
}

TEST(Sanitisers, CampoValido) {
  struct {
    std::string in, want;
  } cases[] = {
      {cp("São Paulo-SP"), "SAO PAULO-SP"},
      {"Rua #10, apto 2", "RUA  10, APTO 2"},
      {cp("Ñandú ª'x"), " ANDU   X"},
      {cp("ÀÁÂÃÄàáâãä ÇçÈÉÊËèéêë ÌÍÎÏìíîï ÒÓÔÕÖòóôõö ÙÚÛÜùúûü"),
       "AAAAAAAAAA CCEEEEEEEE IIIIIIII OOOOOOOOOO UUUUUUUU"},
      {"50% a/b.c\\d", "50% A/B.C\\D"},
      {cp("Å Æ Ý ß º °"), "           "},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CampoValido(c.in), c.want) << Cp1252ToUtf8(c.in);
    EXPECT_EQ(CampoValido(c.in).size(), c.in.size());
  }
}

TEST(Sanitisers, CampoValidoCEPTEL) {
  EXPECT_EQ(CampoValidoCEPTEL("01310-100"), "01310100");
  EXPECT_EQ(CampoValidoCEPTEL("(11) 5555-1234"), "1155551234");
  EXPECT_EQ(CampoValidoCEPTEL(cp("Ação")), "ACAO");
  EXPECT_EQ(CampoValidoCEPTEL(cp("Ñ ß")), "");
}

TEST(Sanitisers, VirgDeciAssu) {
  struct {
    const char* in;
    int n;
    const char* want;
  } cases[] = {
      {"123,45", 13, "0000000012345"},
      {"0,00", 13, "0000000000000"},
      {"1.5", 4, "0015"},
      {"7", 4, "00007"},             // no separator: every digit kept, one zero more
      {"123456,78", 5, "12345678"},  // longer than the width: not cut here
      {" 1,50", 5, "00 150"},        // positions taken in the untrimmed text
      {"1,2,3", 6, "0012,3"},        // only the first separator goes
  };
  for (const auto& c : cases) EXPECT_EQ(VirgDeciAssu(c.in, c.n), c.want) << c.in;
}

TEST(Sanitisers, AjustaRightAndBlanks) {
  EXPECT_EQ(AjustaRight("12", 5), "12000");
  EXPECT_EQ(AjustaRight("123456", 3), "123");
  EXPECT_EQ(AjustaRight("", 2), "00");
  EXPECT_EQ(Preenche_Brancos(0), "");
  EXPECT_EQ(Preenche_Brancos(-3), "");
  EXPECT_EQ(Preenche_Brancos(3), "   ");
}

TEST(Formatting, MoneyIgnoresLocaleAndRounds) {
  struct {
    const char* pat;
    double v;
    const char* want;
  } cases[] = {
      {"#0.00", 1234.5, "1234,50"},
      {"#0.00", 0, "0,00"},
      {"#0.00", 0.005, "0,01"},
      {"0.00", 0.333, "0,33"},
      {"#,##0.00", 1234567.891, "1.234.567,89"},
      {"#0.00", -2.5, "-2,50"},
      {"0", 2.5, "3"},
      {"#0.00", 999.995, "1000,00"},
      // Beyond a long long's range (found by fuzzing: the cast was undefined)
      // and not numbers at all.
      {"#0.00", 1e18, "1000000000000000000,00"},
      {"0", -0x1p70, "-1180591620717411303424"},
      {"#0.00", HUGE_VAL, "Inf"},
      {"#0.00", -HUGE_VAL, "-Inf"},
      {"#0.00", std::nan(""), "NaN"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.pat, c.v), c.want) << c.v;
  EXPECT_EQ(Money(1000, 13), "0000000100000");
}

TEST(Formatting, Dates) {
  TDateTime d = EncodeDate(2026, 12, 8) + EncodeTime(9, 5, 7);
  EXPECT_EQ(FormatDateTime("ddmmyy", d), "081226");
  EXPECT_EQ(FormatDateTime("DDMMYYYY", d), "08122026");
  EXPECT_EQ(FormatDateTime("ddd ddddd hh:nn", d), cp("ter 08/12/2026 09:05"));
  EXPECT_EQ(FormatDateTime("ddd dddd", d + 4), cp("sáb sábado"));  // weekday names in Windows-1252 too
  int y, m, dd;
  DecodeDate(EncodeDate(2000, 2, 29), y, m, dd);
  EXPECT_EQ(y * 10000 + m * 100 + dd, 20000229);
  EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0);
  TDateTime p;
  EXPECT_TRUE(TryStrToDate("29/02/2024", p));
  EXPECT_FALSE(TryStrToDate("29/02/2025", p));
  EXPECT_FALSE(TryStrToDate("31/04/2025", p));
  EXPECT_TRUE(TryIsoToDateTime("2026-12-08 10:30:00", p));
  EXPECT_EQ(DateTimeToIso(p), "2026-12-08 10:30:00");
  EXPECT_FALSE(TryIsoToDateTime("2026-13-01", p));
}

TEST(Cp1252, RoundTripAndUnmappable) {
  const std::string utf8 = "Açúcar €‰ Ñandú – “x”";
  const std::string w = Utf8ToCp1252(utf8);
  EXPECT_EQ(w.size(), 21u);  // one byte per character
  EXPECT_EQ(Cp1252ToUtf8(w), utf8);
  EXPECT_EQ(Utf8ToCp1252("日本"), "??");
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");  // truncated sequence
  EXPECT_FALSE(IsValidUtf8("\xC3\x28"));
  EXPECT_TRUE(IsValidUtf8(utf8));
}
