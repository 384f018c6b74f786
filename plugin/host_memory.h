// Reading memory whose address a host handed over. A null or unmapped address must not
// bring the library down, so every read is first tried by the kernel, which reports an
// unreadable range instead of faulting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Longest file name, anchor name or title read from the host.
constexpr size_t MaxHostText = 65536;

// Copies count bytes from address into buffer; false when any of them is unreadable.
bool ReadHostMemory(const void* address, void* buffer, size_t count);
// Copies count bytes from data to address; false, writing nothing, when any of them
// cannot be written.
bool WriteHostMemory(void* address, const void* data, size_t count);
// Whether count bytes at address can be written, leaving them as they are.
bool CanWriteHostMemory(void* address, size_t count);
// The zero-terminated text at address, at most maxLength characters (longer texts are
// cut); nothing when the address is null or unreadable.
std::optional<std::string> ReadHostString(const void* address, size_t maxLength);
