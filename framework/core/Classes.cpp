#include "framework/core/Classes.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <typeinfo>

// ---- TPersistent

void TPersistent::Assign(const TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const {
  throw EConvertError(Format("Cannot assign a %s to a %s", typeid(*this).name(), typeid(*dest).name()));
}

// ---- TComponent

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

void TComponent::Free() {
  Destroying();
  BeforeDestruction();
  delete this;
}

void TComponent::BeforeDestruction() { Destroying(); }

TComponent::~TComponent() {
  Destroying();
  // Tell everyone who asked that this component goes away.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, TOperation::opRemove);
  }
  while (!FComponents.empty()) {
    TComponent* child = FComponents.back();
    RemoveComponent(child);
    child->BeforeDestruction();
    delete child;
  }
  if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return FComponents[size_t(index)];
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->Name(), name)) return c;
  return nullptr;
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::SetName(const String& value) {
  if (value == FName) return;
  if (FOwner && !value.empty()) {
    TComponent* other = FOwner->FindComponent(value);
    if (other && other != this) throw EInvalidOperation("A component named " + value + " already exists");
  }
  FName = value;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->FOwner == this) return;
  if (component->FOwner) component->FOwner->RemoveComponent(component);
  FComponents.push_back(component);
  component->FOwner = this;
  if (IsLoading()) component->FComponentState |= csLoading;
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  auto it = std::find(FComponents.begin(), FComponents.end(), component);
  if (it == FComponents.end()) return;
  Notification(component, TOperation::opRemove);
  // Notification may have changed the list.
  it = std::find(FComponents.begin(), FComponents.end(), component);
  if (it != FComponents.end()) FComponents.erase(it);
  component->FOwner = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
    FFreeNotifies.push_back(component);
  if (std::find(component->FFreeNotifies.begin(), component->FFreeNotifies.end(), this) ==
      component->FFreeNotifies.end())
    component->FFreeNotifies.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  RemoveNotification(component);
  component->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* component) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component);
  if (it != FFreeNotifies.end()) FFreeNotifies.erase(it);
}

void TComponent::BeginLoading() {
  FComponentState |= csLoading;
  for (TComponent* c : FComponents) c->BeginLoading();
}

void TComponent::EndLoading() {
  // Copy: Loaded may create or free components.
  std::vector<TComponent*> children = FComponents;
  for (TComponent* c : children)
    if (std::find(FComponents.begin(), FComponents.end(), c) != FComponents.end()) c->EndLoading();
  FComponentState &= ~unsigned(csLoading);
  Loaded();
}

void TComponent::Loaded() {}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component) RemoveNotification(component);
}

void TComponent::Destroying() {
  if (IsDestroying()) return;
  FComponentState |= csDestroying;
  for (TComponent* c : FComponents) c->Destroying();
}

// ---- TCollection

TCollectionItem::TCollectionItem(TCollection* collection) {
  if (collection) collection->InsertItem(this);
}

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : int(it - items.begin());
}

void TCollectionItem::SetIndex(int value) {
  int cur = Index();
  if (cur < 0 || value == cur) return;
  auto& items = FCollection->FItems;
  value = std::clamp(value, 0, int(items.size()) - 1);
  items.erase(items.begin() + cur);
  items.insert(items.begin() + value, this);
  Changed(true);
}

void TCollectionItem::Changed(bool all) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->ItemChanged(all ? nullptr : this);
}

TCollection::TCollection(TItemFactory factory) : FFactory(std::move(factory)) {}

TCollection::~TCollection() {
  ++FUpdateCount;  // no change notifications while dying
  while (!FItems.empty()) delete FItems.back();
}

TCollectionItem* TCollection::Add() {
  if (!FFactory) throw EInvalidOperation("Collection has no item class");
  TCollectionItem* item = FFactory(this);
  if (item->FCollection != this) InsertItem(item);
  Changed();
  return item;
}

TCollectionItem* TCollection::Insert(int index) {
  BeginUpdate();
  TCollectionItem* item;
  try {
    item = Add();
    item->SetIndex(index);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return item;
}

void TCollection::Delete(int index) {
  delete Items(index);
  Changed();
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
  return FItems[size_t(index)];
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->FItems) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
}

void TCollection::RemoveItem(TCollectionItem* item) {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  if (it != FItems.end()) FItems.erase(it);
  item->FCollection = nullptr;
  Changed();
}

void TCollection::ItemChanged(TCollectionItem* item) { Update(item); }

// ---- TStrings

int TStrings::Add(const String& s) {
  int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

int TStrings::CompareStrings(const String& a, const String& b) const {
  if (FCaseSensitive) return a.compare(b);
  return UpperCase(a).compare(UpperCase(b));
}

int TStrings::IndexOf(const String& s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

void TStrings::AddStrings(const TStrings& strings) {
  BeginUpdate();
  for (int i = 0; i < strings.Count(); ++i) AddObject(strings.Get(i), strings.GetObject(i));
  EndUpdate();
}

String TStrings::Text() const {
  String result;
  for (int i = 0; i < Count(); ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetText(const String& text) {
  BeginUpdate();
  try {
    Clear();
    size_t start = 0;
    const size_t n = text.size();
    while (start < n) {
      size_t end = start;
      while (end < n && text[end] != '\r' && text[end] != '\n') ++end;
      Add(text.substr(start, end - start));
      if (end < n && text[end] == '\r') ++end;
      if (end < n && text[end] == '\n') ++end;
      start = end;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::Names(int index) const {
  const String& s = Get(index);
  size_t eq = s.find('=');
  return eq == String::npos ? String() : s.substr(0, eq);
}

String TStrings::ValueFromIndex(int index) const {
  const String& s = Get(index);
  size_t eq = s.find('=');
  return eq == String::npos ? String() : s.substr(eq + 1);
}

int TStrings::IndexOfName(const String& name) const {
  for (int i = 0; i < Count(); ++i) {
    const String& s = Get(i);
    size_t eq = s.find('=');
    if (eq != String::npos && CompareStrings(s.substr(0, eq), name) == 0) return i;
  }
  return -1;
}

String TStrings::Values(const String& name) const {
  int i = IndexOfName(name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& name, const String& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(name + "=" + value);
  } else {
    Put(i, name + "=" + value);
  }
}

void TStrings::LoadFromStream(TStream& stream) {
  int64_t size = stream.Size() - stream.Position();
  String text;
  if (size > 0) {
    text.resize(size_t(size));
    text.resize(size_t(stream.Read(text.data(), size)));
  }
  SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
  String text = Text();
  stream.WriteBuffer(text.data(), int64_t(text.size()));
}

void TStrings::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const String& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TStrings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(*other);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---- TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  Clear();
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
}

const String& TStringList::Get(int index) const {
  CheckIndex(index);
  return FList[size_t(index)].S;
}

void TStringList::Put(int index, const String& s) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(index);
  Changing();
  FList[size_t(index)].S = s;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FList[size_t(index)].Object;
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  TObject*& slot = FList[size_t(index)].Object;
  if (OwnsObjects && slot != object) delete slot;
  slot = object;
  Changed();
}

int TStringList::Add(const String& s) {
  int index;
  if (!FSorted) {
    index = Count();
  } else if (Find(s, index)) {
    switch (Duplicates) {
      case TDuplicates::dupIgnore: return index;
      case TDuplicates::dupError: throw EListError("String list does not allow duplicates");
      case TDuplicates::dupAccept: break;
    }
  }
  InsertItem(index, s, nullptr);
  return index;
}

void TStringList::Insert(int index, const String& s) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", index));
  InsertItem(index, s, nullptr);
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
  Changing();
  FList.insert(FList.begin() + index, TItem{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* object = FList[size_t(index)].Object;
  FList.erase(FList.begin() + index);
  if (OwnsObjects) delete object;
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TItem> old;
  old.swap(FList);
  if (OwnsObjects)
    for (TItem& item : old) delete item.Object;
  Changed();
}

bool TStringList::Find(const String& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareStrings(FList[size_t(mid)].S, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (Duplicates != TDuplicates::dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

int TStringList::IndexOf(const String& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(FList.begin(), FList.end(),
                   [this](const TItem& a, const TItem& b) { return CompareStrings(a.S, b.S) < 0; });
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (value == FSorted) return;
  if (value) Sort();
  FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == CaseSensitive()) return;
  TStrings::SetCaseSensitive(value);
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool updating) {
  FUpdating = updating;
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (!FUpdating && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (!FUpdating && OnChanging) OnChanging(this);
}

// ---- TStream

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const int64_t total = count;
  uint8_t buffer[64 * 1024];
  while (count > 0) {
    int64_t n = std::min<int64_t>(count, sizeof buffer);
    source.ReadBuffer(buffer, n);
    WriteBuffer(buffer, n);
    count -= n;
  }
  return total;
}

// ---- memory streams

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  int64_t n = std::min(count, FSize - FPosition);
  std::memcpy(buffer, FMemory + FPosition, size_t(n));
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize;
  int64_t target = base + offset;
  if (target < 0) target = 0;
  FPosition = target;
  return FPosition;
}

void TCustomMemoryStream::SetPointer(uint8_t* memory, int64_t size) {
  FMemory = memory;
  FSize = size;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  if (FSize) stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TMemoryStream::Reserve(int64_t capacity) {
  if (capacity < 0 || uint64_t(capacity) > FData.max_size()) throw EOutOfResources("Out of memory while expanding memory stream");
  if (uint64_t(capacity) > FData.size()) {
    size_t grow = std::max<size_t>(size_t(capacity), FData.size() + FData.size() / 2);
    FData.resize(grow);
    SetPointer(FData.data(), FSize);
  }
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = FPosition + count;
  Reserve(end);
  std::memcpy(FData.data() + FPosition, buffer, size_t(count));
  FPosition = end;
  if (end > FSize) FSize = end;
  return count;
}

void TMemoryStream::SetSize(int64_t newSize) {
  if (newSize < 0) throw EStreamError("Invalid stream size");
  Reserve(newSize);
  if (newSize > FSize) std::memset(FData.data() + FSize, 0, size_t(newSize - FSize));
  FSize = newSize;
  if (FPosition > newSize) FPosition = newSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t size = stream.Size();
  SetSize(size);
  if (size) stream.ReadBuffer(FData.data(), size);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(stream);
}

void TMemoryStream::LoadFromBytes(const void* data, size_t size) {
  SetSize(int64_t(size));
  if (size) std::memcpy(FData.data(), data, size);
  FPosition = 0;
}

TBytesStream::TBytesStream(const void* data, size_t size) {
  SetPointer(static_cast<uint8_t*>(const_cast<void*>(data)), int64_t(size));
}

int64_t TBytesStream::Write(const void*, int64_t) { throw EWriteError("Stream write error"); }

// ---- TFileStream

static std::FILE* OpenFile(const String& fileName, const char* mode) {
#ifdef _WIN32
  std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(Utf8ToWide(fileName).c_str(), wideMode.c_str());
#else
  return std::fopen(fileName.c_str(), mode);
#endif
}

TFileStream::TFileStream(const String& fileName, unsigned mode) : FFileName(fileName) {
  if ((mode & fmCreate) == fmCreate) {
    FHandle = OpenFile(fileName, "w+b");
    if (!FHandle) throw EFCreateError("Cannot create file \"" + fileName + "\"");
    return;
  }
  const char* how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
  FHandle = OpenFile(fileName, how);
  if (!FHandle) throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream() {
  if (FHandle) std::fclose(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  return int64_t(std::fread(buffer, 1, size_t(count), FHandle));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  return int64_t(std::fwrite(buffer, 1, size_t(count), FHandle));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
#ifdef _WIN32
  if (_fseeki64(FHandle, offset, whence) != 0) return -1;
  return _ftelli64(FHandle);
#else
  if (fseeko(FHandle, offset, whence) != 0) return -1;
  return ftello(FHandle);
#endif
}

void TFileStream::SetSize(int64_t newSize) {
  int64_t size = Size();
  if (newSize == size) return;
  if (newSize < size) throw EStreamError("Cannot truncate file \"" + FFileName + "\"");
  int64_t pos = Position();
  Seek(size, soBeginning);
  std::vector<uint8_t> zeros(size_t(std::min<int64_t>(newSize - size, 1 << 16)));
  for (int64_t left = newSize - size; left > 0;) {
    int64_t n = std::min<int64_t>(left, int64_t(zeros.size()));
    WriteBuffer(zeros.data(), n);
    left -= n;
  }
  Seek(pos, soBeginning);
}
