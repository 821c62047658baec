#include "framework/core/Classes.h"

#include <gtest/gtest.h>

namespace {

// Records its own death and the notifications it hears.
class TProbe : public TComponent {
public:
  TProbe(TComponent* owner, std::vector<String>* log, String tagName) : TComponent(owner), FLog(log) {
    SetName(tagName);
  }
  ~TProbe() override { FLog->push_back("free " + Name() + (IsDestroying() ? " destroying" : "")); }
  std::vector<TComponent*> Removed;
  int LoadedCalls = 0;

protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove) Removed.push_back(c);
  }
  void Loaded() override {
    ++LoadedCalls;
    FLog->push_back("loaded " + Name() + (IsLoading() ? " still-loading" : ""));
  }

private:
  std::vector<String>* FLog;
};

}  // namespace

TEST(ComponentOwnership, OwnerFreesChildrenLastCreatedFirst) {
  std::vector<String> log;
  auto* form = new TProbe(nullptr, &log, "Form");
  new TProbe(form, &log, "A");
  auto* b = new TProbe(form, &log, "B");
  new TProbe(b, &log, "B1");
  EXPECT_EQ(2, form->ComponentCount());
  EXPECT_EQ(b, form->FindComponent("b"));
  EXPECT_EQ(1, b->ComponentIndex());
  form->Free();
  std::vector<String> expected{"free Form destroying", "free B destroying", "free B1 destroying", "free A destroying"};
  EXPECT_EQ(expected, log);
}

TEST(ComponentOwnership, FreeingAChildRemovesItFromItsOwner) {
  std::vector<String> log;
  TProbe form(nullptr, &log, "Form");
  auto* a = new TProbe(&form, &log, "A");
  delete a;
  EXPECT_EQ(0, form.ComponentCount());
  ASSERT_EQ(1u, form.Removed.size());
  EXPECT_EQ(a, form.Removed[0]);
}

TEST(ComponentOwnership, DuplicateNamesUnderOneOwnerAreRefused) {
  std::vector<String> log;
  TProbe form(nullptr, &log, "Form");
  new TProbe(&form, &log, "E");
  EXPECT_THROW(new TProbe(&form, &log, "e"), EInvalidOperation);
  // The half-built component left its owner again when its construction failed.
  EXPECT_EQ(1, form.ComponentCount());
}

TEST(ComponentNotification, FreeNotificationReachesNonOwners) {
  std::vector<String> log;
  TProbe watcher(nullptr, &log, "W");
  auto* target = new TProbe(nullptr, &log, "T");
  watcher.FreeNotification(target);
  delete target;
  ASSERT_EQ(1u, watcher.Removed.size());
  EXPECT_EQ(target, watcher.Removed[0]);
}

TEST(ComponentNotification, WatcherDyingFirstIsForgotten) {
  std::vector<String> log;
  TProbe target(nullptr, &log, "T");
  auto* watcher = new TProbe(nullptr, &log, "W");
  watcher->FreeNotification(&target);
  delete watcher;
  EXPECT_TRUE(target.Removed.size() == 1u);  // target heard of the watcher, no dangling back-reference
}

TEST(ComponentLoading, LoadedRunsChildrenFirstAfterLoadingEnds) {
  std::vector<String> log;
  TProbe form(nullptr, &log, "Form");
  form.BeginLoading();
  auto* a = new TProbe(&form, &log, "A");
  EXPECT_TRUE(a->IsLoading());
  form.EndLoading();
  std::vector<String> expected{"loaded A", "loaded Form"};
  EXPECT_EQ(expected, log);
  EXPECT_FALSE(form.IsLoading());
}

namespace {
class TNamedItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  String Value;
  void Assign(const TPersistent* source) override {
    if (auto* o = dynamic_cast<const TNamedItem*>(source)) {
      Value = o->Value;
      Changed(false);
    } else {
      TCollectionItem::Assign(source);
    }
  }
  void Touch() { Changed(false); }
};

class TCountingCollection : public TCollection {
public:
  TCountingCollection() : TCollection([](TCollection* c) { return new TNamedItem(c); }) {}
  std::vector<TCollectionItem*> Updates;

protected:
  void Update(TCollectionItem* item) override { Updates.push_back(item); }
};
}  // namespace

TEST(Collection, AddDeleteAndOrder) {
  TCountingCollection c;
  auto* a = static_cast<TNamedItem*>(c.Add());
  auto* b = static_cast<TNamedItem*>(c.Add());
  a->Value = "a";
  b->Value = "b";
  EXPECT_EQ(2, c.Count());
  EXPECT_EQ(1, b->Index());
  b->SetIndex(0);
  EXPECT_EQ(b, c.Items(0));
  c.Delete(0);
  EXPECT_EQ(1, c.Count());
  EXPECT_EQ(a, c.Items(0));
  EXPECT_THROW(c.Items(5), EListError);
}

TEST(Collection, ItemChangesNotifyUnlessUpdating) {
  TCountingCollection c;
  auto* a = static_cast<TNamedItem*>(c.Add());
  c.Updates.clear();
  a->Touch();
  ASSERT_EQ(1u, c.Updates.size());
  EXPECT_EQ(a, c.Updates[0]);
  c.BeginUpdate();
  a->Touch();
  c.Add();
  EXPECT_EQ(1u, c.Updates.size());
  c.EndUpdate();
  ASSERT_EQ(2u, c.Updates.size());
  EXPECT_EQ(nullptr, c.Updates[1]);
}

TEST(Collection, AssignCopiesItems) {
  TCountingCollection src, dst;
  static_cast<TNamedItem*>(src.Add())->Value = "x";
  static_cast<TNamedItem*>(src.Add())->Value = "y";
  dst.Add();
  dst.Assign(&src);
  ASSERT_EQ(2, dst.Count());
  EXPECT_EQ("y", static_cast<TNamedItem*>(dst.Items(1))->Value);
}

TEST(StringList, TextJoinsWithCrLfAndSplitsOnAnyLineEnd) {
  TStringList list;
  list.SetText("a\r\nb\nc\rd");
  ASSERT_EQ(4, list.Count());
  EXPECT_EQ("d", list[3]);
  EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n", list.Text());
  list.SetText("x\r\n\r\ny");
  EXPECT_EQ(3, list.Count());
  EXPECT_EQ("", list[1]);
  list.SetText("");
  EXPECT_EQ(0, list.Count());
}

TEST(StringList, CaseSensitivityGovernsLookups) {
  TStringList list;
  list.Add("Edit");
  EXPECT_EQ(0, list.IndexOf("EDIT"));
  list.SetCaseSensitive(true);
  EXPECT_EQ(-1, list.IndexOf("EDIT"));
  EXPECT_EQ(0, list.IndexOf("Edit"));
}

TEST(StringList, SortedListsKeepOrderAndHandleDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "apple", "fig", "apple"}) list.Add(s);
  EXPECT_EQ("apple\r\nfig\r\npear\r\n", list.Text());
  list.Duplicates = TDuplicates::dupError;
  EXPECT_THROW(list.Add("fig"), EListError);
  list.Duplicates = TDuplicates::dupAccept;
  list.Add("fig");
  EXPECT_EQ(4, list.Count());
  int index = -1;
  EXPECT_FALSE(list.Find("banana", index));
  EXPECT_EQ(1, index);
  EXPECT_THROW(list.Insert(0, "zzz"), EListError);
}

TEST(StringList, NameValuePairs) {
  TStringList list;
  list.SetText("X=10\r\nY=20\r\nplain");
  EXPECT_EQ("20", list.Values("y"));
  EXPECT_EQ("", list.Values("plain"));
  list.SetValue("X", "11");
  EXPECT_EQ("X=11", list[0]);
  list.SetValue("Z", "1");
  EXPECT_EQ(4, list.Count());
  list.SetValue("Y", "");
  EXPECT_EQ(-1, list.IndexOfName("Y"));
}

TEST(StringList, ChangeEventsAndBounds) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.Add("a");
  list.BeginUpdate();
  list.Add("b");
  list.Add("c");
  list.EndUpdate();
  EXPECT_EQ(2, changes);
  EXPECT_THROW(list.Get(3), EListError);
  EXPECT_THROW(list.Delete(-1), EListError);
}

TEST(StringList, OwnedObjectsAreFreed) {
  static int alive = 0;
  struct TCounted : TObject {
    TCounted() { ++alive; }
    ~TCounted() override { --alive; }
  };
  {
    TStringList list;
    list.OwnsObjects = true;
    list.AddObject("a", new TCounted);
    list.AddObject("b", new TCounted);
    list.Delete(0);
    EXPECT_EQ(1, alive);
  }
  EXPECT_EQ(0, alive);
}

TEST(Persistent, AssigningUnrelatedTypesFails) {
  TStringList list;
  TCountingCollection c;
  EXPECT_THROW(list.Assign(&c), EConvertError);
}
