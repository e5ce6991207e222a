#include "host/dataset.h"

#include <gtest/gtest.h>

#include "fields/cp1252.h"
#include "host/keylist.h"
#include "host/messages.h"

using namespace host;

namespace {

TClientDataSet titles() {
  TClientDataSet ds("cds");
  TPacket p;
  p.Fields = {StrField("CDFILIAL", 4), StrField("NRLANBOLREC", 10), FloatField("VR"), StrField("NM", 5)};
  p.Rows = {{std::string("0001"), std::string("1"), 10.0, std::string("ana")},
            {std::string("0001"), std::string("2"), 20.0, std::string("Bia")},
            {std::string("0002"), std::string("1"), 30.0, Value()}};
  ds.SetData(p);
  return ds;
}

}  // namespace

TEST(ClientDataSet, CursorWalksVisibleRowsAndStopsAtEof) {
  auto ds = titles();
  std::vector<std::string> seen;
  for (ds.First(); !ds.Eof(); ds.Next())
    seen.push_back(ds.FieldByName("CDFILIAL").AsString() + ds.FieldByName("NRLANBOLREC").AsString());
  EXPECT_EQ(seen, (std::vector<std::string>{"00011", "00012", "00021"}));
  EXPECT_EQ(ds.RecNo(), 3);  // Next at the last row leaves the cursor there
  ds.SetFilter("CDFILIAL='0001'");
  ds.SetFiltered(true);
  EXPECT_EQ(ds.RecordCount(), 2);
  EXPECT_EQ(ds.Data().Rows.size(), 3u);  // the packet holds every row whatever the filter
  TClientDataSet empty("e");
  empty.FieldDefs() = {StrField("X")};
  empty.CreateDataSet();
  EXPECT_TRUE(empty.Eof());
  EXPECT_EQ(empty.RecNo(), 0);
  EXPECT_TRUE(empty.FieldByName("X").IsNull());
}

TEST(ClientDataSet, ChangeLogDeltaMergeAndCancel) {
  auto ds = titles();
  ds.First();
  ds.Edit();
  ds.FieldByName("VR").SetFloat(11);
  ds.Post();
  ds.Append();
  ds.FieldByName("CDFILIAL").SetString("0003");
  ds.Post();
  ds.Last();
  ds.Prior();  // row "0002/1"
  ds.Delete();
  EXPECT_EQ(ds.ChangeCount(), 3);
  TPacket d = ds.Delta();
  ASSERT_EQ(d.Status.size(), 3u);
  EXPECT_EQ(d.Status[0], TUpdateStatus::usDeleted);
  EXPECT_EQ(std::get<host::TText>(d.Original[0][0]), "0002");
  EXPECT_EQ(d.Status[1], TUpdateStatus::usModified);
  EXPECT_DOUBLE_EQ(std::get<double>(d.Original[1][2]), 10.0);
  EXPECT_DOUBLE_EQ(std::get<double>(d.Rows[1][2]), 11.0);
  EXPECT_EQ(d.Status[2], TUpdateStatus::usInserted);

  ds.CancelUpdates();
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.First();
  EXPECT_DOUBLE_EQ(ds.FieldByName("VR").AsFloat(), 10.0);

  ds.Edit();
  ds.FieldByName("NM").SetString("longer than five");
  ds.Post();
  EXPECT_EQ(ds.FieldByName("NM").AsString(), "longe");  // text fields keep their size
  ds.MergeChangeLog();
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_TRUE(ds.Delta().Rows.empty());
}

TEST(ClientDataSet, CancelledInsertLeavesNothing) {
  auto ds = titles();
  ds.Append();
  ds.FieldByName("CDFILIAL").SetString("9999");
  ds.Cancel();
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_THROW(ds.FieldByName("CDFILIAL").SetString("x"), EDatabaseError);  // not in edit mode
}

TEST(ClientDataSet, LocateIsCaseInsensitiveOverSeveralFields) {
  auto ds = titles();
  EXPECT_TRUE(ds.Locate("CDFILIAL;NM", {"0001", "BIA"}));
  EXPECT_EQ(ds.FieldByName("NRLANBOLREC").AsString(), "2");
  const std::string accented = fields::Utf8ToCp1252("JOSÉ");
  ds.Edit();
  ds.FieldByName("NM").SetString(fields::Utf8ToCp1252("josé"));
  ds.Post();
  EXPECT_TRUE(ds.Locate("nm", {accented}));
  EXPECT_FALSE(ds.Locate("CDFILIAL;NRLANBOLREC", {"0009", "1"}));
  EXPECT_EQ(ds.FieldByName("NRLANBOLREC").AsString(), "2");  // a failed locate does not move
  EXPECT_THROW(ds.Locate("NOPE", {"x"}), EDatabaseError);
}

TEST(ClientDataSet, EventsAroundPostAndScroll) {
  auto ds = titles();
  int scrolls = 0, before = 0, after = 0;
  ds.AfterScroll = [&](TClientDataSet&) { ++scrolls; };
  ds.BeforePost = [&](TClientDataSet& d) {
    ++before;
    if (d.FieldByName("NM").AsString() == "bad") throw std::runtime_error("refused");
  };
  ds.AfterPost = [&](TClientDataSet&) { ++after; };
  ds.First();
  ds.Next();
  EXPECT_EQ(scrolls, 2);
  ds.Edit();
  ds.FieldByName("NM").SetString("bad");
  EXPECT_THROW(ds.Post(), std::runtime_error);
  EXPECT_EQ(ds.State(), TDataSetState::dsEdit);  // a refused post keeps the edit open
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName("NM").AsString(), "Bia");
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 0);
}

TEST(ClientDataSet, ConversionsOfValues) {
  TClientDataSet ds("c");
  ds.FieldDefs() = {FloatField("F"), DateField("D"), IntField("I"), StrField("S", 10)};
  ds.CreateDataSet();
  ds.Append();
  ds.FieldByName("F").SetString("1.234,56");
  ds.FieldByName("D").SetString("2026-12-08");
  ds.FieldByName("I").SetString("42");
  ds.FieldByName("S").SetFloat(0.5);
  ds.Post();
  EXPECT_DOUBLE_EQ(ds.FieldByName("F").AsFloat(), 1234.56);
  EXPECT_EQ(ds.FieldByName("D").AsString(), "08/12/2026");
  EXPECT_EQ(ds.FieldByName("I").AsInteger(), 42);
  EXPECT_EQ(ds.FieldByName("S").AsString(), "0,5");
  ds.Edit();
  EXPECT_THROW(ds.FieldByName("F").SetString("abc"), EDatabaseError);
  EXPECT_THROW(ds.FieldByName("D").SetString("31/02/2026"), EDatabaseError);
}

TEST(KeyList, DuplicateKeysStayFoundUntilLastRemoved) {
  TKeyList k;
  k.Add("00017", 1);
  k.Add("00017", 2);
  k.Add("00018", 3);
  EXPECT_EQ(k.IndexOf("00018"), 2);
  EXPECT_TRUE(k.Remove("00017"));
  EXPECT_GE(k.IndexOf("00017"), 0);
  EXPECT_TRUE(k.Remove("00017"));
  EXPECT_EQ(k.IndexOf("00017"), -1);
  EXPECT_FALSE(k.Remove("00017"));
  EXPECT_EQ(k.Count(), 1);
}

TEST(Messages, CatalogueAndAbort) {
  TMessages m;
  m.Add("A", "Texto A");
  EXPECT_EQ(m.Msg("A"), "Texto A");
  EXPECT_EQ(m.Msg("ZZ"), "ZZ");  // answered by the shared catalogue
  try {
    MensErro("falhou", true, "K");
    FAIL();
  } catch (const EMensErro& e) {
    EXPECT_EQ(e.Key(), "K");
    EXPECT_STREQ(e.what(), "falhou");
  }
  TScriptedUI ui(true);
  SetUI(&ui);
  MensErro("aviso", false);
  EXPECT_EQ(ui.shown, std::vector<std::string>{"aviso"});
  SetUI(nullptr);
}
