// Zeroed memory for a long picture drawn a row at a time: mapped on a 2 MB
// boundary and offered to the system for huge pages, so that drawing a 7.5 m
// receipt takes a few page faults instead of a thousand (each one costs
// microseconds on a virtual machine). Pages are only taken as they are
// written; rows never drawn on stay blank at no cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class BlankPages
{
public:
    // Null when the memory cannot be had.
    static std::unique_ptr<BlankPages> make(std::size_t bytes);
    ~BlankPages();
    BlankPages(const BlankPages &) = delete;
    BlankPages &operator=(const BlankPages &) = delete;

    std::uint8_t *data() const { return data_; }

private:
    BlankPages(void *mapping, std::size_t length, std::uint8_t *data);

    void *mapping_;
    std::size_t length_;
    std::uint8_t *data_;
};
