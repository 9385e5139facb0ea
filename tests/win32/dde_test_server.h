// A DDE server of the test's own, run by a thread of the test program, that stands
// in for Program Manager: it records every execute command it is sent, byte for byte
// with the NUL, accepts or refuses each by its number, and counts disconnects.
// Header only: the Windows-side test program takes its sources by the *_test.cpp
// pattern.
#pragma once
#include <windows.h>
#include <ddeml.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

class DdeTestServer {
 public:
  // Serves `service` (and the topic of the same name) until destroyed.
  explicit DdeTestServer(const std::string& service) : service_(service) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    current_ = this;
    thread_ = CreateThread(nullptr, 0, &DdeTestServer::Run, this, 0, &threadId_);
    WaitForSingleObject(ready_, 10000);
  }

  ~DdeTestServer() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
    current_ = nullptr;
  }

  bool running() const { return registered_; }

  // Command number n (1 for the first after the last Reset) is answered "not processed".
  void Refuse(int number) {
    std::lock_guard<std::mutex> lock(mutex_);
    refused_.insert(number);
  }

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    refused_.clear();
    commands_.clear();
    disconnects_ = 0;
  }

  // The data of each execute transaction as it arrived, terminating NUL included.
  std::vector<std::string> commands() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }

  int disconnects() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return disconnects_;
  }

 private:
  static DWORD WINAPI Run(void* param) {
    auto* self = static_cast<DdeTestServer*>(param);
    DWORD instance = 0;
    if (DdeInitializeA(&instance, &DdeTestServer::Callback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES |
                           CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR) {
      SetEvent(self->ready_);
      return 1;
    }
    HSZ name = DdeCreateStringHandleA(instance, self->service_.c_str(), CP_WINANSI);
    self->name_ = name;
    self->registered_ = name != nullptr && DdeNameService(instance, name, nullptr, DNS_REGISTER) != nullptr;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before anyone posts to it
    SetEvent(self->ready_);
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (self->registered_) DdeNameService(instance, name, nullptr, DNS_UNREGISTER);
    if (name != nullptr) DdeFreeStringHandle(instance, name);
    DdeUninitialize(instance);
    return 0;
  }

  static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data, ULONG_PTR,
                                    ULONG_PTR) {
    DdeTestServer* self = current_;
    if (self == nullptr) return nullptr;
    switch (type) {
      case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(DdeCmpStringHandles(topic, self->name_) == 0 &&
                                                                 DdeCmpStringHandles(service, self->name_) == 0));
      case XTYP_EXECUTE: {
        DWORD size = DdeGetData(data, nullptr, 0, 0);
        std::string bytes(size, '\0');
        if (size > 0) DdeGetData(data, reinterpret_cast<BYTE*>(&bytes[0]), size, 0);
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->commands_.push_back(bytes);
        bool refuse = self->refused_.count(static_cast<int>(self->commands_.size())) != 0;
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(refuse ? DDE_FNOTPROCESSED : DDE_FACK));
      }
      case XTYP_DISCONNECT: {
        std::lock_guard<std::mutex> lock(self->mutex_);
        ++self->disconnects_;
        return nullptr;
      }
      default:
        return nullptr;
    }
  }

  std::string service_;
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HSZ name_ = nullptr;
  volatile bool registered_ = false;
  mutable std::mutex mutex_;
  std::set<int> refused_;
  std::vector<std::string> commands_;
  int disconnects_ = 0;
  static inline DdeTestServer* current_ = nullptr;
};

}  // namespace testing_support
