#include "server/import.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "server/columns.h"

namespace server {
namespace {

using json = nlohmann::ordered_json;

// Messages are composed in UTF-8 and leave as Windows-1252.
[[noreturn]] void Fail(const std::string& utf8) {
  throw TImportError(fields::Utf8ToCp1252(utf8));
}

std::string Where(const std::string& table, size_t row, const std::string& field = {}) {
  std::string s = "Tabela " + table + ", linha " + std::to_string(row);
  if (!field.empty()) s += ", campo " + field;
  return s;
}

size_t CodePoints(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

const char* TypeName(const json& v) {
  switch (v.type()) {
    case json::value_t::object:
      return "objeto";
    case json::value_t::array:
      return "lista";
    case json::value_t::boolean:
      return "lógico";
    case json::value_t::string:
      return "texto";
    default:
      return "número";
  }
}

// A JSON value as the column stores it; bad raises with the reason.
host::Value Convert(const json& v, const TColumn& c, const std::string& at) {
  if (v.is_null()) return {};
  if (v.is_object() || v.is_array() || v.is_boolean())
    Fail(at + ": valor do tipo " + TypeName(v) + " não é aceito.");
  switch (c.Kind) {
    case TColumnKind::Text: {
      // Codes are zero-filled text: a JSON number would lose its zeros.
      if (!v.is_string()) Fail(at + ": esperado texto, encontrado " + TypeName(v) + ".");
      const auto& s = v.get_ref<const std::string&>();
      if (!fields::IsValidUtf8(s)) Fail(at + ": texto não é UTF-8 válido.");
      if (fields::Cp1252ToUtf8(fields::Utf8ToCp1252(s)) != s)
        Fail(at + ": texto tem caracteres que o sistema (Windows-1252) não representa.");
      if (c.Size > 0 && CodePoints(s) > static_cast<size_t>(c.Size))
        Fail(at + ": texto com " + std::to_string(CodePoints(s)) + " caracteres excede o tamanho " +
             std::to_string(c.Size) + ".");
      return s;
    }
    case TColumnKind::Real: {
      if (v.is_number()) return v.get<double>();
      const auto& s = v.get_ref<const std::string&>();
      double d = 0;
      auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
      if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(d))
        Fail(at + ": '" + s + "' não é um número.");
      return d;
    }
    case TColumnKind::Integer: {
      if (v.is_number_integer()) return v.get<int64_t>();
      if (v.is_number_float()) {
        double d = v.get<double>();
        if (std::floor(d) == d && std::fabs(d) < 9e15) return static_cast<int64_t>(d);
        Fail(at + ": esperado número inteiro.");
      }
      Fail(at + ": esperado número inteiro, encontrado texto.");
    }
    case TColumnKind::Date: {
      if (!v.is_string()) Fail(at + ": esperada data em texto \"AAAA-MM-DD\" ou \"AAAA-MM-DD HH:MM:SS\".");
      const auto& s = v.get_ref<const std::string&>();
      double d = 0;
      if ((s.size() != 10 && s.size() != 19) || !fields::TryIsoToDateTime(s, d))
        Fail(at + ": '" + s + "' não é uma data válida (AAAA-MM-DD ou AAAA-MM-DD HH:MM:SS).");
      return fields::DateTimeToIso(d);
    }
  }
  return {};
}

struct Loaded {
  std::string table;
  size_t row;
};

// Names the field of a constraint message such as "UNIQUE constraint failed: T.C".
std::string FieldOfConstraint(const std::string& msg) {
  auto colon = msg.rfind(": ");
  if (colon == std::string::npos) return {};
  std::string s = msg.substr(colon + 2), out;
  std::stringstream parts(s);
  std::string part;
  while (std::getline(parts, part, ',')) {
    part = fields::AllTrim(part);
    auto dot = part.find('.');
    if (dot == std::string::npos) return {};
    out += (out.empty() ? "" : ", ") + part.substr(dot + 1);
  }
  return out;
}

size_t Load(TRemessaServer& server, const json& doc) {
  store::Db& db = server.Conexao();
  if (!doc.is_object()) Fail("O arquivo deve ser um objeto JSON { \"TABELA\": [ linhas ] }.");
  std::map<std::string, std::string> tables;  // upper case -> declared name
  for (const auto& t : server.Tabelas()) tables[fields::UpperCase(t)] = t;

  size_t count = 0;
  std::map<std::pair<std::string, int64_t>, Loaded> rowids;
  server.Write([&] {
    // References are checked once everything is in, so the file may list
    // the tables in any order.
    server.AdiaReferencias();
    for (const auto& [tkey, rows] : doc.items()) {
      auto it = tables.find(fields::UpperCase(tkey));
      if (it == tables.end()) Fail("Tabela desconhecida: " + tkey + ".");
      const std::string& table = it->second;
      if (!rows.is_array()) Fail("Tabela " + table + ": esperada uma lista de linhas.");
      std::map<std::string, TColumn> columns;
      for (auto& c : server.ColunasDe(table)) columns[fields::UpperCase(c.Name)] = c;
      size_t n = 0;
      for (const auto& row : rows) {
        ++n;
        if (!row.is_object()) Fail(Where(table, n) + ": a linha deve ser um objeto { \"CAMPO\": valor }.");
        std::string cols, marks;
        std::vector<host::Value> vals;
        std::map<std::string, bool> seen;
        for (const auto& [ckey, value] : row.items()) {
          const std::string up = fields::UpperCase(ckey);
          auto ct = columns.find(up);
          if (ct == columns.end()) Fail(Where(table, n, ckey) + ": campo desconhecido.");
          if (seen[up]) Fail(Where(table, n, ct->second.Name) + ": campo repetido.");
          seen[up] = true;
          vals.push_back(Convert(value, ct->second, Where(table, n, ct->second.Name)));
          cols += (cols.empty() ? "" : ", ") + ct->second.Name;
          marks += marks.empty() ? "?" : ", ?";
        }
        std::string sql = cols.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                       : "INSERT INTO " + table + " (" + cols + ") VALUES (" + marks + ")";
        try {
          auto st = db.Prepare(sql);
          st.BindAll(vals);
          st.Step();
        } catch (const store::Error& e) {
          std::string field = FieldOfConstraint(e.what());
          Fail(Where(table, n, field) + ": " + e.what() + ".");
        }
        rowids[{fields::UpperCase(table), server.UltimaLinha()}] = {table, n};
        ++count;
      }
    }
    if (const auto falta = server.ReferenciaFaltando()) {
      auto it = rowids.find({fields::UpperCase(falta->tabela), falta->linha});
      std::string at = it != rowids.end()
                           ? Where(it->second.table, it->second.row, falta->campo)
                           : "Tabela " + falta->tabela + " (já gravada), campo " + falta->campo;
      Fail(at + ": não há registro correspondente em " + falta->pai + ".");
    }
  });
  return count;
}

}  // namespace

size_t ImportJson(TRemessaServer& server, const std::string& jsonText) {
  json doc;
  try {
    doc = json::parse(jsonText);
  } catch (const json::exception& e) {
    Fail(std::string("JSON inválido: ") + e.what());
  }
  try {
    return Load(server, doc);
  } catch (const TImportError&) {
    throw;
  } catch (const std::exception& e) {
    Fail(std::string("Falha na importação: ") + e.what());
  }
}

size_t ImportJsonFile(TRemessaServer& server, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("Arquivo não encontrado: " + path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ImportJson(server, ss.str());
}

}  // namespace server
