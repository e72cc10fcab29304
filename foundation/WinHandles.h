// Owning wrappers for the Windows handle kinds the foundation uses: kernel objects (process, thread,
// file), registry keys, loaded modules and shell-allocated memory. Non-copyable, movable, with Detach()
// where ownership passes on. Included only by Windows code.
#pragma once

#include <windows.h>

#include <utility>

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;
  ScopedHandle() = default;
  explicit ScopedHandle(Handle h) : m_handle(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : m_handle(other.Detach()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  ~ScopedHandle() { Reset(); }

  Handle Get() const { return m_handle; }
  bool IsValid() const { return Traits::IsValid(m_handle); }
  explicit operator bool() const { return IsValid(); }
  // For out-parameters: closes the current handle and hands out the slot.
  Handle* Receive() {
    Reset();
    return &m_handle;
  }
  Handle Detach() { return std::exchange(m_handle, Traits::Invalid()); }
  void Reset(Handle h = Traits::Invalid()) {
    if (Traits::IsValid(m_handle)) Traits::Close(m_handle);
    m_handle = h;
  }

 private:
  Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};

struct FindFileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { FindClose(h); }
};

using KernelHandle = ScopedHandle<KernelHandleTraits>;  // process, thread, file, event
using RegKey = ScopedHandle<RegKeyTraits>;
using LoadedModule = ScopedHandle<ModuleTraits>;
using FindHandle = ScopedHandle<FindFileTraits>;
