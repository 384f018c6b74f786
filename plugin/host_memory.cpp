#include "plugin/host_memory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A pipe the probes go through: write() copies from the caller's address in the kernel
// and answers EFAULT for an unmapped one. Made once, kept for the process.
struct TProbePipe {
  int Read = -1, Write = -1;
  TProbePipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
      Read = fds[0];
      Write = fds[1];
    }
  }
};

TProbePipe& ProbePipe() {
  static TProbePipe pipe;
  return pipe;
}

constexpr uintptr_t kPage = 4096;

// One byte per page is enough to know whether the page is mapped; reading only that byte
// through the kernel keeps sanitizers from seeing reads beyond the host's object.
bool ProbeByte(const uint8_t* address) {
  TProbePipe& probe = ProbePipe();
  if (probe.Write < 0) return false;
  ssize_t written;
  do {
    written = write(probe.Write, address, 1);
  } while (written < 0 && errno == EINTR);
  if (written != 1) return false;
  uint8_t sink;
  return read(probe.Read, &sink, 1) == 1;
}

// The byte goes into the pipe and back to where it was: the kernel answers EFAULT for a
// page that cannot be written, and a writable byte keeps its value.
bool ProbeWritableByte(uint8_t* address) {
  TProbePipe& probe = ProbePipe();
  if (probe.Write < 0) return false;
  ssize_t written;
  do {
    written = write(probe.Write, address, 1);
  } while (written < 0 && errno == EINTR);
  if (written != 1) return false;
  if (read(probe.Read, address, 1) == 1) return true;
  uint8_t sink;
  (void)!read(probe.Read, &sink, 1);  // leave the pipe empty for the next probe
  return false;
}

// Every page of [address, address + count) passes the probe.
template <typename TByte, typename TProbe>
bool EveryPage(TByte* address, size_t count, TProbe probe) {
  const uintptr_t first = reinterpret_cast<uintptr_t>(address);
  if (count == 0) return true;
  if (first + count < first) return false;
  for (uintptr_t page = first & ~(kPage - 1); page < first + count; page += kPage) {
    const uintptr_t at = page < first ? first : page;
    if (!probe(reinterpret_cast<TByte*>(at))) return false;
  }
  return true;
}

bool IsReadable(const uint8_t* address, size_t count) {
  return EveryPage(address, count, ProbeByte);
}

}  // namespace

bool ReadHostMemory(const void* address, void* buffer, size_t count) {
  if (count == 0) return true;
  if (!address || !buffer) return false;
  if (!IsReadable(static_cast<const uint8_t*>(address), count)) return false;
  std::memcpy(buffer, address, count);
  return true;
}

bool WriteHostMemory(void* address, const void* data, size_t count) {
  if (!data && count != 0) return false;
  if (!CanWriteHostMemory(address, count)) return false;
  if (count != 0) std::memcpy(address, data, count);
  return true;
}

bool CanWriteHostMemory(void* address, size_t count) {
  if (count == 0) return true;
  return address && EveryPage(static_cast<uint8_t*>(address), count, ProbeWritableByte);
}

std::optional<std::string> ReadHostString(const void* address, size_t maxLength) {
  if (!address) return std::nullopt;
  std::string result;
  auto* from = static_cast<const uint8_t*>(address);
  while (result.size() < maxLength) {
    if (!IsReadable(from, 1)) return std::nullopt;
    // Scan directly up to the end of this page, which is known to be mapped.
    const uintptr_t pageLeft = kPage - (reinterpret_cast<uintptr_t>(from) & (kPage - 1));
    size_t n = 0;
    while (n < pageLeft && from[n] != 0 && result.size() + n < maxLength) ++n;
    result.append(reinterpret_cast<const char*>(from), n);
    if (n < pageLeft) break;  // met the terminator or the limit
    from += n;
  }
  return result;
}
