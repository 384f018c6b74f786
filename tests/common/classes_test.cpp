#include "common/classes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Counts live instances so ownership mistakes show up as leaks or double frees.
struct TCounted : TObject {
  explicit TCounted(int* live, int value = 0) : Live(live), Value(value) { ++*Live; }
  ~TCounted() override { --*Live; }
  int* Live;
  int Value;
};

TEST(Exception, CarriesItsMessageThroughWhat) {
  try {
    throw EInOutError("Can't locate file: a.htm");
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Can't locate file: a.htm");
    EXPECT_NE(dynamic_cast<const Exception*>(&e), nullptr);
  }
}

TEST(Persistent, AssignBetweenUnrelatedClassesNamesThem) {
  TPersistent a;
  TStringList b;
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TStringList to a TPersistent");
  }
}

TEST(Component, OwnerFreesOwnedAndFreedChildLeavesOwner) {
  auto owner = std::make_unique<TComponent>();
  auto* a = new TComponent(owner.get());
  auto* b = new TComponent(owner.get());
  a->SetName("Panel");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("PANEL"), a);
  EXPECT_THROW(b->SetName("panel"), EInvalidOperation);
  delete a;
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);
  EXPECT_THROW(b->InsertComponent(owner.get()), EInvalidOperation);  // no ownership cycles
  owner->RemoveComponent(b);
  EXPECT_EQ(b->Owner(), nullptr);
  delete b;
}

TEST(List, KeepsOrderAndRefusesBadIndices) {
  int x = 1, y = 2, z = 3;
  TList list;
  list.Add(&x);
  list.Add(&z);
  list.Insert(1, &y);
  EXPECT_EQ(list.IndexOf(&y), 1);
  EXPECT_EQ(list.Remove(&x), 0);
  EXPECT_EQ(list.Remove(&x), -1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.Items(2), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
  EXPECT_THROW(list.Insert(3, &x), EListError);
  list.Add(&x);
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(list.First(), &x);
  EXPECT_EQ(list.Last(), &z);
}

TEST(ObjectList, FreesItemsItDeletesRemovesOrOutlives) {
  int live = 0;
  {
    TObjectList<TCounted> list;
    for (int v : {3, 1, 2}) list.Add(std::make_unique<TCounted>(&live, v));
    EXPECT_EQ(live, 3);
    list.Sort([](const TCounted* a, const TCounted* b) { return a->Value - b->Value; });
    EXPECT_EQ(list[0]->Value, 1);
    EXPECT_EQ(list[2]->Value, 3);
    list.Delete(0);
    EXPECT_EQ(live, 2);
    std::unique_ptr<TCounted> kept = list.Extract(0);
    EXPECT_EQ(live, 2);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Remove(kept.get()), -1);
    EXPECT_THROW(list.Delete(5), EListError);
  }
  EXPECT_EQ(live, 0);
}

// The list keeps its first item in place and moves to the heap from the second: every
// edit must keep the order and free what goes, on either side of that line.
TEST(ObjectList, EditsKeepOrderAcrossTheInlineFirstItem) {
  struct TEdit {
    const char* Name;
    std::vector<int> Start;
    char Op;  // 'i' insert Value at Index, 'd' delete, 'x' extract
    int Index;
    std::vector<int> Expected;
  };
  const TEdit Edits[] = {
      {"insert into empty", {}, 'i', 0, {9}},
      {"insert before the only", {1}, 'i', 0, {9, 1}},
      {"insert after the only", {1}, 'i', 1, {1, 9}},
      {"insert in the middle", {1, 2, 3}, 'i', 1, {1, 9, 2, 3}},
      {"insert past capacity", {1, 2, 3, 4}, 'i', 2, {1, 2, 9, 3, 4}},
      {"delete the only", {1}, 'd', 0, {}},
      {"delete the first of two", {1, 2}, 'd', 0, {2}},
      {"delete the last of many", {1, 2, 3, 4, 5}, 'd', 4, {1, 2, 3, 4}},
      {"extract the middle", {1, 2, 3}, 'x', 1, {1, 3}},
  };
  for (const TEdit& E : Edits) {
    SCOPED_TRACE(E.Name);
    int live = 0;
    {
      TObjectList<TCounted> list;
      for (int v : E.Start) list.Add(std::make_unique<TCounted>(&live, v));
      std::unique_ptr<TCounted> taken;
      if (E.Op == 'i') list.Insert(E.Index, std::make_unique<TCounted>(&live, 9));
      if (E.Op == 'd') list.Delete(E.Index);
      if (E.Op == 'x') taken = list.Extract(E.Index);
      // A move takes the items whether they sit in place or on the heap.
      TObjectList<TCounted> moved(std::move(list));
      std::vector<int> values;
      for (const auto& item : moved) values.push_back(item->Value);
      EXPECT_EQ(values, E.Expected);
      EXPECT_EQ(list.Count(), 0);  // NOLINT: read after the move on purpose
      EXPECT_EQ(live, int(E.Expected.size()) + (taken ? 1 : 0));
      moved.Clear();
      EXPECT_EQ(live, taken ? 1 : 0);
      list.Add(std::make_unique<TCounted>(&live, 7));  // usable again after clearing
      EXPECT_EQ(list.First()->Value, 7);
    }
    EXPECT_EQ(live, 0);
  }
  // A list in every table cell: its storage is two words.
  EXPECT_LE(sizeof(TObjectList<TCounted>), 24u);
}

TEST(StringList, SortedFindIgnoresCaseAndFindsFirstOfEquals) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (const char* s : {"banana", "Apple", "cherry", "APPLE", "apple"}) list.Add(s);
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list[0], "Apple");  // equals keep the order they were added in
  EXPECT_EQ(list[1], "APPLE");
  EXPECT_EQ(list[2], "apple");
  EXPECT_EQ(list[4], "cherry");
  int index = -1;
  EXPECT_TRUE(list.Find("aPpLe", index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find("blueberry", index));
  EXPECT_EQ(index, 4);  // where it would go
  EXPECT_FALSE(list.Find("zzz", index));
  EXPECT_EQ(index, 5);
  EXPECT_EQ(list.IndexOf("CHERRY"), 4);
}

TEST(StringList, DuplicatesAreIgnoredAcceptedOrRefused) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add("b"), 0);
  EXPECT_EQ(list.Add("a"), 0);
  EXPECT_EQ(list.Add("B"), 1);  // ignored: the index of the existing line
  EXPECT_EQ(list.Count(), 2);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add("A"), EListError);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.Add("A"), 0);  // different now; upper case sorts first
  EXPECT_EQ(list.Text(), "A\r\na\r\nb\r\n");
  EXPECT_THROW(list.Insert(0, "x"), EListError);
}

TEST(StringList, UnsortedListIsCaseInsensitiveByDefault) {
  TStringList list;
  list.Add("Zeta");
  list.Add("alpha");
  EXPECT_EQ(list.IndexOf("ZETA"), 0);
  int index;
  EXPECT_TRUE(list.Find("ALPHA", index));
  EXPECT_EQ(index, 1);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("ZETA"), -1);
  list.SetSorted(true);
  EXPECT_EQ(list[0], "Zeta");  // 'Z' < 'a' when case matters
}

TEST(StringList, NameValuePairs) {
  TStringList list;
  list.SetText("Name=x\r\nnoequals\nEmpty=\rLast=a=b");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.IndexOfName("name"), 0);
  EXPECT_EQ(list.Values("NAME"), "x");
  EXPECT_EQ(list.Values("Last"), "a=b");
  EXPECT_EQ(list.Values("noequals"), "");
  EXPECT_EQ(list.Names(1), "");
  EXPECT_EQ(list.IndexOfName("Empty"), 2);
  list.SetValues("name", "y");
  EXPECT_EQ(list[0], "name=y");
  list.SetValues("New", "1");
  EXPECT_EQ(list.Values("new"), "1");
  list.SetValues("Last", "");  // an empty value removes the line
  EXPECT_EQ(list.IndexOfName("Last"), -1);
}

TEST(StringList, TextSplitsAtEveryLineBreakKind) {
  TStringList list;
  const std::pair<const char*, int> cases[] = {
      {"", 0}, {"a", 1}, {"a\r\n", 1}, {"a\r\nb", 2}, {"\r\n", 1}, {"a\n\nb", 3}, {"a\r\rb\n", 3}};
  for (auto [text, count] : cases) {
    list.SetText(text);
    EXPECT_EQ(list.Count(), count) << text;
  }
  list.SetText("one\ntwo");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\n");
}

TEST(StringList, OwningListFreesObjectsItDropsOrReplaces) {
  int live = 0;
  {
    TStringList list(true);
    list.AddObject("a", new TCounted(&live));
    list.AddObject("b", new TCounted(&live));
    list.AddObject("c", new TCounted(&live));
    EXPECT_EQ(live, 3);
    list.Delete(0);
    EXPECT_EQ(live, 2);
    list.SetObjects(0, new TCounted(&live));
    EXPECT_EQ(live, 2);
    list.Move(0, 1);  // moving does not free
    list.Exchange(0, 1);
    EXPECT_EQ(live, 2);

    TStringList copy(true);
    copy.Assign(&list);  // strings only: two owners would free twice
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Objects(0), nullptr);

    list.SetSorted(true);
    list.AddObject("B", new TCounted(&live));  // ignored duplicate: its object is freed
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 0);
}

TEST(StringList, SettingALineOfASortedListKeepsItSorted) {
  TStringList list;
  list.SetSorted(true);
  list.Add("a=1");
  list.Add("m=2");
  list.SetStrings(0, "z=3");
  EXPECT_EQ(list.Text(), "m=2\r\nz=3\r\n");
  list.SetValues("b", "4");
  EXPECT_EQ(list[0], "b=4");
}

TEST(StringList, CustomSortAndChangeEvents) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&changes](TObject* sender) { ++changes; };
  list.SetText("ccc\na\nbb");
  list.CustomSort([](const TStringList& l, int i, int j) {
    return int(l[i].size()) - int(l[j].size());
  });
  EXPECT_EQ(list.Text(), "a\r\nbb\r\nccc\r\n");
  EXPECT_GT(changes, 0);
  EXPECT_THROW(list.Strings(3), EListError);
}

struct TNamedItem : TCollectionItem {
  explicit TNamedItem(std::string name) : Name(std::move(name)) {}
  std::string Name;
};

TEST(Collection, ItemsKnowTheirCollectionAndIndex) {
  TCollection collection;
  auto* a = collection.Add<TNamedItem>("a");
  auto* b = collection.Add<TNamedItem>("b");
  auto* c = collection.Add<TNamedItem>("c");
  EXPECT_EQ(b->Collection(), &collection);
  EXPECT_EQ(c->Index(), 2);
  c->SetIndex(0);
  EXPECT_EQ(collection[0], c);
  EXPECT_EQ(a->Index(), 1);
  EXPECT_EQ(collection.FindItemID(b->ID()), b);
  delete a;  // freeing an item takes it out
  EXPECT_EQ(collection.Count(), 2);
  EXPECT_EQ(b->Index(), 1);
  std::unique_ptr<TCollectionItem> out = collection.Extract(b);
  EXPECT_EQ(out->Collection(), nullptr);
  EXPECT_EQ(out->Index(), -1);
  EXPECT_EQ(collection.Count(), 1);
  EXPECT_THROW(c->SetIndex(4), EListError);
  collection.Delete(0);
  EXPECT_EQ(collection.Count(), 0);
}

TEST(MemoryStream, ReadAndSeekStayInBounds) {
  TMemoryStream s;
  s.Write("hello", 5);
  EXPECT_EQ(s.Size(), 5);
  EXPECT_EQ(s.Position(), 5);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 4), 0);  // at the end
  EXPECT_EQ(s.Seek(-2, soEnd), 3);
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "lo");
  EXPECT_EQ(s.Seek(-100, soCurrent), 0);  // never before the start
  EXPECT_EQ(s.Read(buf, -1), 0);
  s.SetPosition(100);
  EXPECT_EQ(s.Read(buf, 1), 0);
  EXPECT_THROW(s.ReadBuffer(buf, 1), EInOutError);
  s.Seek(7, soBeginning);
  s.Write("!", 1);  // the gap past the old end reads as zeros
  EXPECT_EQ(s.Size(), 8);
  EXPECT_EQ(s.View(), std::string_view("hello\0\0!", 8));
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
  EXPECT_EQ(s.View(), "he");
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, FilesRoundTripAndMissingFilesRaise) {
  std::string name = ::testing::TempDir() + "qjx_stream_test.bin";
  TMemoryStream out;
  out.Write("a\0b", 3);
  out.SaveToFile(name);
  TMemoryStream in;
  in.LoadFromFile(name);
  EXPECT_EQ(in.View(), std::string_view("a\0b", 3));
  EXPECT_EQ(in.Position(), 0);
  std::remove(name.c_str());
  try {
    in.LoadFromFile(name);
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message.find(name), std::string::npos);
  }
  EXPECT_THROW(in.LoadFromFile(::testing::TempDir()), EInOutError);  // a directory
  EXPECT_EQ(in.Size(), 3);  // a failed load leaves the stream as it was
}

TEST(TextCompare, AsciiCaseFoldingOnly) {
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_NE(CompareText("\xC3\xA9", "\xC3\x89"), 0);  // no folding beyond ASCII
  EXPECT_TRUE(SameText("Content-Type", "content-type"));
  EXPECT_GT(CompareText("[", "a"), 0);  // folded to upper case: '[' sorts after the letters
}

}  // namespace
