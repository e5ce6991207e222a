#include <gtest/gtest.h>

#include <fstream>

#include "fixture.h"
#include "host/messages.h"

using namespace server_test;
using server::TSQLiteRemessaServer;

namespace {

std::string OpenError(const std::string& path, bool create) {
  try {
    TSQLiteRemessaServer s(path, create);
  } catch (const host::EServerError& e) {
    return fields::Cp1252ToUtf8(e.what());
  }
  return "";
}

}  // namespace

TEST(ServerOpen, RefusesWhatIsNotOneOfItsDatabases) {
  TempDir dir;
  {
    std::ofstream junk(dir.File("junk.db"), std::ios::binary);
    junk << std::string(4096, 'x');
  }
  EXPECT_NE(OpenError(dir.File("no/such/folder/r.db"), true).find("Pasta do banco de dados não existe"),
            std::string::npos);
  EXPECT_EQ(OpenError(dir.File("absent.db"), false),
            "Banco de dados não encontrado: " + dir.File("absent.db"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("absent.db")));
  EXPECT_NE(OpenError(dir.File("junk.db"), false).find("file is not a database"), std::string::npos);
  EXPECT_NE(OpenError(dir.File(""), false).find("pasta"), std::string::npos);
}

TEST(ServerOpen, RefusesADatabaseOfAnotherApplication) {
  TempDir dir;
  {
    server::sqlite::Db db;
    db.Open(dir.File("other.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db.Exec("CREATE TABLE X (A)");
  }
  EXPECT_NE(OpenError(dir.File("other.db"), false).find("não é desta aplicação"), std::string::npos);
}

// On either store.
TEST(ServerOpen, CreatesThenReopensWithoutReapplyingMigrations) {
  TempDir dir;
  const TLojaComum loja = LojaComum(dir.File("r.db"));
  EXPECT_EQ(loja.loja->SchemaVersion(), TSQLiteRemessaServer::LatestSchemaVersion());
  auto again = loja.Abre();
  EXPECT_EQ(again->SchemaVersion(), TSQLiteRemessaServer::LatestSchemaVersion());
  // The data survived: migrations ran once, not over the loaded tables.
  EXPECT_EQ(again->GetFilial("0001", "01").Packet.Rows.size(), 1u);
}

TEST(ServerOpen, RefusesASchemaNewerThanItKnows) {
  TempDir dir;
  const TLojaComum loja = LojaComum(dir.File("r.db"));
  loja.loja->Conexao().Exec("INSERT INTO SCHEMA_VERSION VALUES (999, '999_future.sql', '2030-01-01')");
  try {
    loja.Abre();
    ADD_FAILURE() << "a schema newer than this program's was opened";
  } catch (const host::EServerError& e) {
    EXPECT_NE(fields::Cp1252ToUtf8(e.what()).find("versão 999"), std::string::npos) << e.what();
  }
}

TEST(ServerOpen, DisconnectedServerRefusesCalls) {
  auto s = Loja();
  s->Disconnect();
  EXPECT_FALSE(s->Connected());
  EXPECT_EQ(s->GetFilial("", "01").Error, Cp("Servidor não conectado."));
  s->Connect();
  EXPECT_TRUE(s->GetFilial("", "01").Error.empty());
}
