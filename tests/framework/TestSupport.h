// Helpers of the framework's GUI tests.
#pragma once
#include "framework/Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Runs queued messages until pred holds or timeoutMs passed; returns pred().
bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
void Pump(int ms = 0);

// Collects the texts of errors reported at the boundaries while it lives.
class TCapturedErrors {
public:
  TCapturedErrors();
  ~TCapturedErrors();
  const std::vector<String>& Messages() const { return FMessages; }

private:
  std::vector<String> FMessages;
  TExceptionEvent FSaved;
};

// Real input through the system queue (SendInput); none of them pumps, so
// they also serve threads that drive a nested loop. A screen point of -1
// leaves the pointer where it is.
void SendMouseInput(DWORD flags, TPoint screen = TPoint(-1, -1), DWORD data = 0);
void SendKey(WORD vk);
void SendText(const wchar_t* text);

// A unique, not yet existing path in the temporary folder.
String TempPath(const String& name);

// Records the components it was told are going away.
class TWatcher : public TComponent {
public:
  TWatcher() : TComponent(nullptr) {}
  void Watch(TComponent* c) { FreeNotification(c); }
  std::vector<TComponent*> Removed;

protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) Removed.push_back(component);
  }
};
