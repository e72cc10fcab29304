// A block of memory committed in another process (VirtualAllocEx), released when the owner goes out of
// scope, so every path out of a cross-process exchange gives the memory back. Included only by Windows code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <utility>

class RemoteMemory {
 public:
  RemoteMemory() = default;
  RemoteMemory(HANDLE process, size_t size)
      : m_process(process),
        m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
        m_size(m_address ? size : 0) {}
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  RemoteMemory(RemoteMemory&& other) noexcept
      : m_process(other.m_process), m_address(other.Detach()), m_size(std::exchange(other.m_size, 0)) {}
  RemoteMemory& operator=(RemoteMemory&& other) noexcept {
    if (this != &other) {
      Release();
      m_process = other.m_process;
      m_size = std::exchange(other.m_size, 0);
      m_address = other.Detach();
    }
    return *this;
  }
  ~RemoteMemory() { Release(); }

  explicit operator bool() const { return m_address != nullptr; }
  void* Address() const { return m_address; }
  uint64_t AddressValue() const { return reinterpret_cast<uintptr_t>(m_address); }
  size_t Size() const { return m_size; }

  // Whole transfers only: a partial read or write counts as a failure.
  bool Write(const void* data, size_t size, size_t offset = 0) const {
    if (!m_address || offset + size > m_size) return false;
    SIZE_T done = 0;
    return WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size, &done) &&
           done == size;
  }
  bool Read(void* data, size_t size, size_t offset = 0) const {
    if (!m_address || offset + size > m_size) return false;
    SIZE_T done = 0;
    return ReadProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size, &done) &&
           done == size;
  }

  // Gives up ownership: the block then stays committed in the other process.
  void* Detach() { return std::exchange(m_address, nullptr); }
  void Release() {
    if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    m_address = nullptr;
    m_size = 0;
  }

 private:
  HANDLE m_process = nullptr;
  void* m_address = nullptr;
  size_t m_size = 0;
};
