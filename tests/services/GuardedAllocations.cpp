// Every allocation of this test program is followed by bytes that are not zero, so a
// string read that runs past the end of its buffer picks up text instead of stopping at
// whatever zero happened to lie there.
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr std::size_t kGuardBytes = 64;
}

void* operator new(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kGuardBytes));
  if (!block) throw std::bad_alloc();
  std::memset(block + size, '#', kGuardBytes);
  return block;
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
