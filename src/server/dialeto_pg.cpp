#include "server/dialeto_pg.h"

#include <cctype>
#include <utility>
#include <vector>

namespace server::pg {

namespace {

bool Palavra(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool Igual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Where the literal or quoted name that opens at i ends (one past its
// closing quote; a doubled quote stays inside).
size_t FimDoLiteral(std::string_view s, size_t i) {
  const char q = s[i];
  for (size_t j = i + 1; j < s.size(); ++j) {
    if (s[j] != q) continue;
    if (j + 1 < s.size() && s[j + 1] == q) {
      ++j;
      continue;
    }
    return j + 1;
  }
  return s.size();
}

// The closing parenthesis that matches the one at i, literals skipped.
size_t Fecha(std::string_view s, size_t i) {
  int nivel = 0;
  for (size_t j = i; j < s.size();) {
    const char c = s[j];
    if (c == '\'' || c == '"') {
      j = FimDoLiteral(s, j);
      continue;
    }
    if (c == '(') ++nivel;
    if (c == ')' && --nivel == 0) return j;
    ++j;
  }
  return std::string_view::npos;
}

std::string_view Apara(std::string_view a) {
  while (!a.empty() && a.front() == ' ') a.remove_prefix(1);
  while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
  return a;
}

// A negative whole number written as a literal ("-20").
bool Negativo(std::string_view a) {
  a = Apara(a);
  if (a.size() < 2 || a[0] != '-') return false;
  for (char c : a.substr(1))
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The arguments of a call, split at its own commas (not those inside
// parentheses or literals).
std::vector<std::string_view> Argumentos(std::string_view s) {
  std::vector<std::string_view> v;
  int nivel = 0;
  size_t de = 0;
  for (size_t j = 0; j < s.size();) {
    const char c = s[j];
    if (c == '\'' || c == '"') {
      j = FimDoLiteral(s, j);
      continue;
    }
    if (c == '(') ++nivel;
    if (c == ')') --nivel;
    if (c == ',' && nivel == 0) {
      v.push_back(s.substr(de, j - de));
      de = j + 1;
    }
    ++j;
  }
  v.push_back(s.substr(de));
  return v;
}

// Where an ORDER BY list that starts at de ends: the parenthesis that
// closes around it, a clause after it, or the statement's end.
size_t FimDaOrdem(std::string_view s, size_t de) {
  int nivel = 0;
  for (size_t j = de; j < s.size();) {
    const char c = s[j];
    if (c == '\'' || c == '"') {
      j = FimDoLiteral(s, j);
      continue;
    }
    if (c == '(') ++nivel;
    if (c == ')' && nivel-- == 0) return j;
    if (c == ';' && nivel == 0) return j;
    if (nivel == 0 && Palavra(c) && (j == 0 || !Palavra(s[j - 1]))) {
      size_t f = j;
      while (f < s.size() && Palavra(s[f])) ++f;
      const std::string_view w = s.substr(j, f - j);
      for (std::string_view k : {"LIMIT", "OFFSET", "UNION", "EXCEPT", "INTERSECT", "FOR"})
        if (Igual(w, k)) return j;
      j = f;
      continue;
    }
    ++j;
  }
  return s.size();
}

// Whether the text holds the word (outside nothing: the terms are short).
bool TemPalavra(std::string_view t, std::string_view w) {
  for (size_t j = 0; j + w.size() <= t.size(); ++j)
    if ((j == 0 || !Palavra(t[j - 1])) && Igual(t.substr(j, w.size()), w) &&
        (j + w.size() == t.size() || !Palavra(t[j + w.size()])))
      return true;
  return false;
}

bool UltimaPalavra(std::string_view t, std::string_view w) {
  return t.size() >= w.size() && Igual(t.substr(t.size() - w.size()), w) &&
         (t.size() == w.size() || !Palavra(t[t.size() - w.size() - 1]));
}

// Words translated as they stand.
const std::pair<std::string_view, std::string_view> kPalavras[] = {
    {"REAL", "DOUBLE PRECISION"},
    {"BLOB", "BYTEA"},
    {"INTEGER", "BIGINT"},
    // The row's place: only ever a tie-breaker, or the order rows came in.
    {"rowid", "ctid"},
};

}  // namespace

std::string ParaPostgres(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (c == '\'' || c == '"') {
      const size_t fim = FimDoLiteral(s, i);
      out.append(s.substr(i, fim - i));
      i = fim;
      continue;
    }
    if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      const size_t fim = std::min(s.find('\n', i), s.size());
      out.append(s.substr(i, fim - i));
      i = fim;
      continue;
    }
    if (!Palavra(c) || (i > 0 && Palavra(s[i - 1]))) {
      out += c;
      ++i;
      continue;
    }
    size_t fim = i;
    while (fim < s.size() && Palavra(s[fim])) ++fim;
    const std::string_view w = s.substr(i, fim - i);
    // ORDER BY: SQLite puts NULLs first going up and last going down;
    // PostgreSQL the other way round, unless told.
    if (Igual(w, "ORDER")) {
      size_t by = fim;
      while (by < s.size() && s[by] == ' ') ++by;
      if (Igual(s.substr(by, 2), "BY") && (by + 2 == s.size() || !Palavra(s[by + 2]))) {
        const size_t de = by + 2, ate = FimDaOrdem(s, de);
        out += "ORDER BY";
        const std::vector<std::string_view> termos = Argumentos(s.substr(de, ate - de));
        for (size_t k = 0; k < termos.size(); ++k) {
          const std::string t = ParaPostgres(Apara(termos[k]));
          out += (k ? ", " : " ") + t;
          if (TemPalavra(t, "NULLS")) continue;
          out += UltimaPalavra(t, "DESC") ? " NULLS LAST" : " NULLS FIRST";
        }
        if (ate < s.size() && s[ate] != ')') out += ' ';
        i = ate;
        while (i < s.size() && s[i] == ' ') ++i;
        continue;
      }
    }
    // CAST(expr AS INTEGER): SQLite takes the text's leading integer.
    if (Igual(w, "CAST")) {
      size_t abre = fim;
      while (abre < s.size() && s[abre] == ' ') ++abre;
      const size_t fecha = abre < s.size() && s[abre] == '(' ? Fecha(s, abre) : std::string_view::npos;
      if (fecha != std::string_view::npos) {
        const std::string_view dentro = s.substr(abre + 1, fecha - abre - 1);
        const size_t as = dentro.rfind(" AS ");
        if (as != std::string_view::npos && Igual(dentro.substr(as + 4), "INTEGER")) {
          out += "remessa_inteiro(" + ParaPostgres(dentro.substr(0, as)) + ")";
          i = fecha + 1;
          continue;
        }
      }
    }
    // Calls that SQLite reads otherwise: substr(text, -n) counts from the
    // end; MAX(a, b) and MIN(a, b) are its scalar forms of the aggregates;
    // round(x, n) rounds to places only a NUMERIC in PostgreSQL.
    if (fim < s.size() && s[fim] == '(') {
      const size_t fecha = Fecha(s, fim);
      if (fecha != std::string_view::npos) {
        std::vector<std::string> a;
        for (auto arg : Argumentos(s.substr(fim + 1, fecha - fim - 1))) a.push_back(ParaPostgres(Apara(arg)));
        std::string chamada;
        if (Igual(w, "substr") && a.size() == 2 && Negativo(a[1]))
          chamada = "right(" + a[0] + ", " + a[1].substr(1) + ")";
        else if ((Igual(w, "max") || Igual(w, "min")) && a.size() >= 2) {
          chamada = Igual(w, "max") ? "GREATEST(" : "LEAST(";
          for (size_t k = 0; k < a.size(); ++k) chamada += (k ? ", " : "") + a[k];
          chamada += ")";
        } else if (Igual(w, "round") && a.size() == 2)
          chamada = "round(CAST(" + a[0] + " AS NUMERIC), " + a[1] + ")";
        if (!chamada.empty()) {
          out += chamada;
          i = fecha + 1;
          continue;
        }
      }
    }
    // datetime('now'): the clock as SQLite writes it.
    if (Igual(w, "datetime") && s.substr(fim, 7) == "('now')") {
      out += "to_char(now(), 'YYYY-MM-DD HH24:MI:SS')";
      i = fim + 7;
      continue;
    }
    // SQLite's schema of temporary tables is PostgreSQL's pg_temp.
    if (Igual(w, "temp") && fim < s.size() && s[fim] == '.') {
      out += "pg_temp";
      i = fim;
      continue;
    }
    bool trocada = false;
    for (const auto& [de, para] : kPalavras)
      if (Igual(w, de)) {
        out += para;
        trocada = true;
        break;
      }
    if (!trocada) out.append(w);
    i = fim;
  }
  return out;
}

std::string_view PreambuloPostgres() {
  return "CREATE DOMAIN DATETEXT AS TEXT;\n"
         "CREATE FUNCTION remessa_inteiro(t TEXT) RETURNS BIGINT LANGUAGE SQL IMMUTABLE AS\n"
         "$$ SELECT COALESCE(substring(t from '^\\s*([-+]?[0-9]+)')::BIGINT, 0) $$;\n";
}

}  // namespace server::pg
