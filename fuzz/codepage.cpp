// Reads bytes in a code page chosen by the first input byte and checks that writing the
// text back and reading it again gives the same characters (U+FFFD aside, which is written
// as the default character).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/codepage.h"

namespace {

constexpr int kPages[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874, 437,
                          850,  932,  936,  949,  950,  1361, 65001, 0,   1,   4242};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int page = kPages[data[0] % (sizeof kPages / sizeof kPages[0])];
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  std::u32string text = MultiByteToWideChar(page, bytes);
  if (text.size() > bytes.size()) std::abort();
  std::string written = WideCharToMultiByte(page, text, '?');
  std::u32string reread = MultiByteToWideChar(page, written);
  if (page != 65001)
    for (char32_t& c : text)
      if (c == 0xFFFD) c = U'?';
  if (reread != text) std::abort();
  return 0;
}
