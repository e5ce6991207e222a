#include "host/dataset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

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

// The list against a plain vector of its entries: removals are flagged and
// closed up later, so reads by index and by key are mixed in at random
// points, with many removals between two reads.
TEST(KeyList, AgreesWithAPlainListUnderRandomAddsAndRemoves) {
  struct E {
    std::string key, text;
    double value;
  };
  std::mt19937 rnd(20261208);
  for (int round = 0; round < 20; ++round) {
    TKeyList k;
    std::vector<E> model;
    for (int op = 0; op < 300; ++op) {
      const std::string key = "K" + std::to_string(rnd() % 12);
      const unsigned what = rnd() % 10;
      if (what < 4) {
        k.Add(key, static_cast<double>(op));
        model.push_back({key, "", static_cast<double>(op)});
      } else if (what < 5) {
        k.Add(key, "T" + std::to_string(op));
        model.push_back({key, "T" + std::to_string(op), 0});
      } else if (what < 9) {
        auto it = std::find_if(model.begin(), model.end(), [&](const E& e) { return e.key == key; });
        ASSERT_EQ(k.Remove(key), it != model.end()) << key;
        if (it != model.end()) model.erase(it);
      } else if (!model.empty()) {
        const int i = static_cast<int>(rnd() % model.size());
        ASSERT_EQ(k.Key(i), model[i].key);
      }
      ASSERT_EQ(k.Count(), static_cast<int>(model.size()));
      ASSERT_EQ(k.Contains(key),
                std::any_of(model.begin(), model.end(), [&](const E& e) { return e.key == key; }));
      if (rnd() % 8 == 0) {
        auto it = std::find_if(model.begin(), model.end(), [&](const E& e) { return e.key == key; });
        ASSERT_EQ(k.IndexOf(key), it == model.end() ? -1 : static_cast<int>(it - model.begin())) << key;
      }
    }
    for (int i = 0; i < k.Count(); ++i) {
      ASSERT_EQ(k.Key(i), model[i].key) << i;
      ASSERT_EQ(k.ValueAt(i), model[i].value) << i;
      ASSERT_EQ(k.TextAt(i), model[i].text) << i;
    }
    k.Clear();
    EXPECT_EQ(k.Count(), 0);
    EXPECT_EQ(k.IndexOf("K1"), -1);
  }
}

// A list the form only shows (the titles offered) keeps no log: a long list
// edited row by row must not hold every row twice, and nothing goes back.
TEST(ClientDataSet, WithoutChangeLogEditsStayButNothingIsPending) {
  auto ds = titles();
  ds.LogChanges = false;
  ds.First();
  ds.Edit();
  ds.FieldByName("VR").SetFloat(11);
  ds.Post();
  ds.Insert();
  ds.FieldByName("CDFILIAL").SetString("0009");
  ds.Post();
  ds.Last();
  ds.Delete();
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_TRUE(ds.Delta().Rows.empty());
  auto p = ds.Data();
  ASSERT_EQ(p.Rows.size(), 3u);
  EXPECT_EQ(std::get<TText>(p.Rows[0][0]), "0009");
  EXPECT_DOUBLE_EQ(std::get<double>(p.Rows[1][2]), 11.0);
  EXPECT_EQ(std::get<TText>(p.Rows[2][1]), "2");
}

TEST(ClientDataSet, TakeDataMovesTheRowsOutAndStaysOpen) {
  auto ds = titles();
  ds.AddCalcField(StrField("CHAVE"), [](const TClientDataSet& d) {
    return Value(d.ValueAt(0) == Value(std::string("0001")) ? std::string("M") : std::string("F"));
  });
  ds.Last();
  ds.Edit();
  ds.FieldByName("NM").SetString("Caio");  // pending: taken with the rows
  TPacket p = ds.TakeData();
  ASSERT_EQ(p.Fields.size(), 4u);  // the calculated field is not data
  ASSERT_EQ(p.Rows.size(), 3u);
  EXPECT_EQ(p.Rows[2].size(), 4u);
  EXPECT_EQ(std::get<TText>(p.Rows[2][3]), "Caio");
  EXPECT_TRUE(ds.Active());
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.FieldCount(), 5);
  ds.Append();
  ds.FieldByName("CDFILIAL").SetString("0001");
  ds.Post();
  EXPECT_EQ(ds.FieldByName("CHAVE").AsString(), "M");
}

TEST(ClientDataSet, SetDataOfASliceLoadsOnlyThoseRows) {
  TPacket p;
  p.Fields = {IntField("NRORDEM"), StrField("TX", 5)};
  for (int64_t i = 0; i < 5; ++i) p.Rows.push_back({i, std::string("t") + std::to_string(i)});
  TClientDataSet ds("s");
  auto seen = [&ds] {
    std::string s;
    for (ds.First(); !ds.Eof(); ds.Next()) s += ds.FieldByName("TX").AsString();
    return s;
  };
  const struct {
    size_t from, to;
    const char* rows;
  } cases[] = {{1, 3, "t1t2"}, {0, 5, "t0t1t2t3t4"}, {3, 99, "t3t4"}, {2, 2, ""}, {4, 1, ""}, {7, 9, ""}};
  for (const auto& c : cases) {
    ds.SetData(p, c.from, c.to);
    EXPECT_EQ(seen(), c.rows) << c.from << "-" << c.to;
    EXPECT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.ChangeCount(), 0);
    if (!ds.IsEmpty()) {  // a change to one title's rows is dropped with them
      ds.First();
      ds.Edit();
      ds.FieldByName("TX").SetString("x");
      ds.Post();
    }
  }
  // Rows that lead with a column of their own give the fields the rest.
  ds.SetData({StrField("TX", 5)}, p, 1, 3, 1);
  EXPECT_EQ(seen(), "t1t2");
  EXPECT_EQ(ds.FieldCount(), 1);
}

// A name is found again from where it was last asked for; the same buffer
// holding another name, or the same name over another structure, must still
// find its own field.
TEST(ClientDataSet, FieldLookUpFollowsTheNameNotItsAddress) {
  auto ds = titles();
  char nome[16] = "NM";
  EXPECT_EQ(ds.FieldByName(nome).AsString(), "ana");
  std::strcpy(nome, "VR");
  EXPECT_EQ(ds.FieldByName(nome).AsFloat(), 10.0);
  std::strcpy(nome, "nrlanbolrec");  // case does not matter, remembered or not
  EXPECT_EQ(ds.FieldByName(nome).AsString(), "1");
  EXPECT_EQ(ds.FieldByName(nome).AsString(), "1");
  std::strcpy(nome, "NX");
  EXPECT_FALSE(ds.FindField(nome).has_value());

  TPacket outro;
  outro.Fields = {StrField("NM", 5), StrField("VR", 5)};
  outro.Rows = {{std::string("eva"), std::string("x")}};
  ds.SetData(outro);
  EXPECT_EQ(ds.FieldByName("VR").AsString(), "x");
  EXPECT_EQ(ds.FieldByName("NM").AsString(), "eva");
  EXPECT_FALSE(ds.FindField("CDFILIAL").has_value());
}

// A new row goes where the cursor was, among the rows the filter hides; one
// the filter rejects is kept but not shown, and the cursor stays put.
TEST(ClientDataSet, InsertUnderAFilterKeepsTheOrderOfEveryRow) {
  auto ds = titles();  // 0001/1, 0001/2, 0002/1
  ds.SetFilter("CDFILIAL='0001'");
  ds.SetFiltered(true);
  auto add = [&ds](bool insert, const char* fil, const char* nr) {
    insert ? ds.Insert() : ds.Append();
    ds.FieldByName("CDFILIAL").SetString(fil);
    ds.FieldByName("NRLANBOLREC").SetString(nr);
    ds.Post();
    return ds.FieldByName("NRLANBOLREC").AsString() + "@" + std::to_string(ds.RecNo());
  };
  ds.First();
  EXPECT_EQ(add(true, "0002", "9"), "1@1");  // hidden: still on 0001/1
  EXPECT_EQ(ds.RecordCount(), 2);
  ds.Next();
  EXPECT_EQ(add(true, "0001", "5"), "5@2");
  EXPECT_EQ(add(true, "0002", "8"), "5@2");
  ds.Last();
  EXPECT_EQ(add(false, "0001", "7"), "7@4");
  std::vector<std::string> visible, all;
  for (ds.First(); !ds.Eof(); ds.Next()) visible.push_back(ds.FieldByName("NRLANBOLREC").AsString());
  EXPECT_EQ(visible, (std::vector<std::string>{"1", "5", "2", "7"}));
  ds.SetFiltered(false);
  for (ds.First(); !ds.Eof(); ds.Next())
    all.push_back(ds.FieldByName("CDFILIAL").AsString() + "/" + ds.FieldByName("NRLANBOLREC").AsString());
  EXPECT_EQ(all,
            (std::vector<std::string>{"0002/9", "0001/1", "0002/8", "0001/5", "0001/2", "0002/1", "0001/7"}));
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
