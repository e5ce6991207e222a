// The text primitives and sanitisers on any bytes: the conversions between
// Windows-1252 and UTF-8 both ways, VirgDeciAssu, Ajusta and PadR, dates and
// numbers read and written, Mod11_DV. Besides not crashing, each keeps what
// the writers rely on: a field comes out of the width asked for, a text of
// Windows-1252 survives the trip to UTF-8 and back, a check digit is a digit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"

using namespace fields;

namespace {

void Exige(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks a width, the rest is the text.
  const int n = data[0] % 64;
  const std::string_view s(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string utf8 = Cp1252ToUtf8(s);
  Exige(IsValidUtf8(utf8));
  // Every byte Windows-1252 defines comes back as it went.
  const std::string volta = Utf8ToCp1252(utf8);
  bool definidos = true;
  for (unsigned char c : s)
    definidos = definidos && c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D;
  if (definidos) Exige(volta == s);
  (void)Utf8ToCp1252(s);  // the bytes read as UTF-8, valid or not
  (void)IsAscii(s);

  Exige(Ajusta(s, n).size() == static_cast<size_t>(n));
  Exige(PadR(s, n).size() == static_cast<size_t>(n));
  Exige(AjustaRight(s, n).size() == static_cast<size_t>(n));
  (void)VirgDeciAssu(s, n);
  (void)CampoValido(s);
  (void)CampoValidoCEPTEL(s);
  (void)SemPontuacao(s);
  (void)AllTrim(s);
  (void)Copy(s, n - 8, n);
  (void)Right(s, n);
  (void)LeftStr(s, n);
  (void)Nr_Codigo(s);
  (void)UpperCase(s);
  const std::string dv = Mod11_DV(s, "");
  Exige(dv.size() == 1 && dv[0] >= '0' && dv[0] <= '9');

  TDateTime d = 0;
  if (TryStrToDate(s, d)) {
    (void)FormatDateTime("dd/mm/yyyy", d);
    (void)FormatDateTime("ddmmyy", d);
    (void)DateTimeToIso(d);
  }
  if (TryIsoToDateTime(s, d)) {
    TDateTime e = 0;
    Exige(TryIsoToDateTime(DateTimeToIso(d), e) && DateTimeToIso(e) == DateTimeToIso(d));
    (void)FormatDateTime(std::string(s.substr(0, 16)), d);
  }
  double x = 0;
  if (TryStrToFloat(s, x)) {
    (void)FormatFloat("#0.00", x);
    (void)Money(x, n);
    (void)FloatToStr(x);
    (void)RoundDec(x, n % 5);
  }
  return 0;
}
