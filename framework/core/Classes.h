// Objects with owners, collections, string lists and streams. Portable.
#pragma once
#include "framework/core/SysUtils.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

class TObject {
public:
  virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
public:
  // Copies Source into this object; the default asks Source to do it and
  // raises EConvertError when neither side knows how.
  virtual void Assign(const TPersistent* source);

protected:
  virtual void AssignTo(TPersistent* dest) const;
};

enum TComponentStateFlag : unsigned { csLoading = 1, csReading = 2, csWriting = 4, csDestroying = 8, csDesigning = 16 };
using TComponentState = unsigned;
enum class TOperation { opInsert, opRemove };

// A component owns the components created with it as owner and frees them,
// last created first, when it is freed itself.
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Marks this component and all it owns as destroying, calls
  // BeforeDestruction, then deletes it, so that destructors of derived
  // classes already see csDestroying.
  void Free();
  // The first step of freeing, reached while the whole object is alive
  // (Free and an owner freeing its components call it before the
  // destructors): windows and other outside resources go here.
  virtual void BeforeDestruction();

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int index) const;
  TComponent* FindComponent(const String& name) const;
  int ComponentIndex() const;

  const String& Name() const { return FName; }
  virtual void SetName(const String& value);
  intptr_t Tag = 0;

  TComponentState ComponentState() const { return FComponentState; }
  bool IsLoading() const { return (FComponentState & csLoading) != 0; }
  bool IsDestroying() const { return (FComponentState & csDestroying) != 0; }

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  // Asks to hear (Notification opRemove) when component goes away.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Stored-description style creation: BeginLoading, set properties, EndLoading
  // calls Loaded on this component and everything it owns.
  void BeginLoading();
  void EndLoading();

protected:
  virtual void Loaded();
  virtual void Notification(TComponent* component, TOperation operation);
  // Sets csDestroying on this component and everything it owns.
  void Destroying();
  void SetComponentState(TComponentState state) { FComponentState = state; }

private:
  void RemoveNotification(TComponent* component);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  String FName;
  TComponentState FComponentState = 0;
};

// Tells whether a component went away while we waited (a nested message
// loop, a callback that may free its caller).
class TFreeWatch : public TComponent {
public:
  explicit TFreeWatch(TComponent* watched) : TComponent(nullptr), FWatched(watched) { FreeNotification(watched); }
  ~TFreeWatch() override {
    if (!FGone) RemoveFreeNotification(FWatched);
  }
  bool Gone() const { return FGone || FWatched->IsDestroying(); }

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FWatched) FGone = true;
  }

private:
  TComponent* FWatched;
  bool FGone = false;
};

class TCollection;

class TCollectionItem : public TPersistent {
public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;
  TCollection* Collection() const { return FCollection; }
  int Index() const;
  void SetIndex(int value);
  int ID() const { return FID; }

protected:
  // Tells the collection that this item changed (all = the whole list changed).
  void Changed(bool all);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

// Owns its items; Add creates one through the item factory given at creation.
class TCollection : public TPersistent {
public:
  using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
  explicit TCollection(TItemFactory factory);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int Count() const { return int(FItems.size()); }
  TCollectionItem* Items(int index) const;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  void Assign(const TPersistent* source) override;

protected:
  // Called after a change; item is nil when the whole collection changed.
  virtual void Update(TCollectionItem* item) {}
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void ItemChanged(TCollectionItem* item);

  TItemFactory FFactory;
  std::vector<TCollectionItem*> FItems;
  int FNextID = 0;
  int FUpdateCount = 0;
};

class TStream;

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
public:
  virtual int Count() const = 0;
  virtual const String& Get(int index) const = 0;
  virtual void Put(int index, const String& s) = 0;
  virtual TObject* GetObject(int index) const { return nullptr; }
  virtual void PutObject(int index, TObject* object) {}
  virtual int Add(const String& s);
  int AddObject(const String& s, TObject* object);
  virtual void Insert(int index, const String& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int IndexOf(const String& s) const;
  void AddStrings(const TStrings& strings);

  const String& operator[](int index) const { return Get(index); }
  const String& Strings(int index) const { return Get(index); }

  // Lines joined with CRLF after each; setting splits on CR, LF or CRLF.
  String Text() const;
  virtual void SetText(const String& text);

  // "Name=Value" access.
  String Names(int index) const;
  String ValueFromIndex(int index) const;
  String Values(const String& name) const;
  void SetValue(const String& name, const String& value);
  int IndexOfName(const String& name) const;

  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;

  void BeginUpdate();
  void EndUpdate();
  void Assign(const TPersistent* source) override;

  bool CaseSensitive() const { return FCaseSensitive; }
  virtual void SetCaseSensitive(bool value) { FCaseSensitive = value; }

protected:
  int CompareStrings(const String& a, const String& b) const;
  virtual void SetUpdateState(bool updating) {}

private:
  bool FCaseSensitive = false;
  int FUpdateCount = 0;
};

class TStringList : public TStrings {
public:
  TStringList() = default;
  explicit TStringList(bool caseSensitive) { SetCaseSensitive(caseSensitive); }
  ~TStringList() override;

  int Count() const override { return int(FList.size()); }
  const String& Get(int index) const override;
  void Put(int index, const String& s) override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  int Add(const String& s) override;
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  int IndexOf(const String& s) const override;
  // Binary search of a sorted list; index is where s is or would go.
  bool Find(const String& s, int& index) const;
  void Sort();

  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  TDuplicates Duplicates = TDuplicates::dupIgnore;
  // Objects stored with the strings are freed with them when set.
  bool OwnsObjects = false;
  void SetCaseSensitive(bool value) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  void SetUpdateState(bool updating) override;
  void Changed();
  void Changing();

private:
  struct TItem {
    String S;
    TObject* Object = nullptr;
  };
  void CheckIndex(int index) const;
  void InsertItem(int index, const String& s, TObject* object);
  std::vector<TItem> FList;
  bool FSorted = false;
  bool FUpdating = false;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Read and Write move at most count bytes and return how many moved.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t value) { Seek(value, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t newSize);

  // Exactly count bytes or EReadError "Stream read error" / EWriteError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Count 0 copies the whole source from its start.
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TCustomMemoryStream : public TStream {
public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return FSize; }
  const uint8_t* Memory() const { return FMemory; }
  uint8_t* Memory() { return FMemory; }
  void SaveToStream(TStream& stream);
  void SaveToFile(const String& fileName);

protected:
  void SetPointer(uint8_t* memory, int64_t size);
  uint8_t* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
public:
  TMemoryStream() = default;
  ~TMemoryStream() override = default;
  int64_t Write(const void* buffer, int64_t count) override;
  void SetSize(int64_t newSize) override;
  void Clear();
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const String& fileName);
  void LoadFromBytes(const void* data, size_t size);
  TBytes Bytes() const { return TBytes(FMemory, FMemory + FSize); }

private:
  void Reserve(int64_t capacity);
  std::vector<uint8_t> FData;
};

// Read-only view of memory owned by someone else.
class TBytesStream : public TCustomMemoryStream {
public:
  TBytesStream(const void* data, size_t size);
  int64_t Write(const void* buffer, int64_t count) override;
};

enum TFileMode : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
  // EFOpenError / EFCreateError with the file name when it cannot be opened.
  TFileStream(const String& fileName, unsigned mode);
  ~TFileStream() override;
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t newSize) override;
  const String& FileName() const { return FFileName; }

private:
  String FFileName;
  std::FILE* FHandle = nullptr;
};
