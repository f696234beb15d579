// Owners for the platform's handles: each is released once, when its owner goes, and the release
// keeps the thread's last-error code.
#pragma once

#include "last_error.h"
#include "platform.h"

template <class Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  bool valid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  Handle get() const { return handle_; }

  void Reset(Handle handle = Traits::Invalid()) {
    if (valid()) {
      LastErrorKeeper keep;
      Traits::Close(handle_);
    }
    handle_ = handle;
  }
  Handle Release() {
    Handle handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct DeviceInfoSetTraits {
  using Handle = HDEVINFO;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { SetupDiDestroyDeviceInfoList(handle); }
};

// SetupAPI hands out registry keys with INVALID_HANDLE_VALUE for failure, not NULL.
struct DeviceRegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE); }
  static void Close(Handle handle) { RegCloseKey(handle); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { RegCloseKey(handle); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { FindClose(handle); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { FreeLibrary(handle); }
};

struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// OpenProcessToken gives no invalid value of its own: a token not opened stays null.
struct AccessTokenTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A process or thread handle that CreateProcess hands out: null until it succeeds.
struct KernelObjectTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

struct SidTraits {
  using Handle = PSID;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { FreeSid(handle); }
};

struct CertStoreTraits {
  using Handle = HCERTSTORE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CertCloseStore(handle, 0); }
};

struct CertContextTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CertFreeCertificateContext(handle); }
};

struct LocalMemoryTraits {
  using Handle = HLOCAL;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { LocalFree(handle); }
};

using DeviceInfoSet = UniqueHandle<DeviceInfoSetTraits>;
using DeviceRegKey = UniqueHandle<DeviceRegKeyTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using Module = UniqueHandle<ModuleTraits>;
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
using CertStore = UniqueHandle<CertStoreTraits>;
using CertContext = UniqueHandle<CertContextTraits>;
using File = UniqueHandle<FileTraits>;
using AccessToken = UniqueHandle<AccessTokenTraits>;
using Sid = UniqueHandle<SidTraits>;
using KernelObject = UniqueHandle<KernelObjectTraits>;
