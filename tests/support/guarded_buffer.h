// Test memory fenced by inaccessible pages: any read or write just before or just after the
// usable bytes faults at once, on Linux and on Windows alike. Use one buffer flush against the
// trailing fence and one against the leading fence to catch over- and under-runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

class GuardedBuffer {
 public:
  enum class Fence { kAfter, kBefore };

  GuardedBuffer(size_t bytes, Fence flush) : bytes_(bytes) {
    const size_t page = PageSize();
    const size_t body = (bytes + page - 1) / page * page;
    total_ = body + 2 * page;
#ifdef _WIN32
    base_ = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (base_ == nullptr) std::abort();
    DWORD old;
    if (!VirtualProtect(base_, page, PAGE_NOACCESS, &old) ||
        !VirtualProtect(base_ + page + body, page, PAGE_NOACCESS, &old))
      std::abort();
#else
    void* p = mmap(nullptr, total_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) std::abort();
    base_ = static_cast<unsigned char*>(p);
    if (mprotect(base_, page, PROT_NONE) != 0 ||
        mprotect(base_ + page + body, page, PROT_NONE) != 0)
      std::abort();
#endif
    data_ = flush == Fence::kAfter ? base_ + page + body - bytes : base_ + page;
  }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;
  ~GuardedBuffer() {
#ifdef _WIN32
    VirtualFree(base_, 0, MEM_RELEASE);
#else
    munmap(base_, total_);
#endif
  }

  unsigned char* data() { return data_; }
  size_t size() const { return bytes_; }

 private:
  static size_t PageSize() {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
  }

  unsigned char* base_;
  unsigned char* data_;
  size_t bytes_;
  size_t total_;
};
