#include "blank_pages.h"

#include <sys/mman.h>

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

} // namespace

std::unique_ptr<BlankPages> BlankPages::make(std::size_t bytes)
{
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    // One huge page more than needed, so that a 2 MB boundary lies inside.
    const std::size_t length = rounded + kHugePage;
    void *mapping = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapping);
    auto *data = reinterpret_cast<std::uint8_t *>((start + kHugePage - 1) / kHugePage * kHugePage);
    ::madvise(data, rounded, MADV_HUGEPAGE); // a hint: ignored where the system has no huge pages
    return std::unique_ptr<BlankPages>(new BlankPages(mapping, length, data));
}

BlankPages::BlankPages(void *mapping, std::size_t length, std::uint8_t *data)
    : mapping_(mapping)
    , length_(length)
    , data_(data)
{
}

BlankPages::~BlankPages()
{
    ::munmap(mapping_, length_);
}
