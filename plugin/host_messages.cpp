#include "plugin/host_messages.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "plugin/host_memory.h"
#include "plugin/last_error.h"

namespace {

// What the parameters of a message hold.
enum TParams {
  ppPlain,             // numbers and window handles: handles are looked up, never followed
  ppRecordIn,          // lParam: a record the handler reads
  ppOptionalRecordIn,  // lParam: a record the handler reads, or null
  ppRecordInOut,       // lParam: a record the handler reads and fills in
  ppText,              // lParam: zero-terminated text
  ppTextBuffer,        // lParam: wParam characters the handler fills with text
  ppRangeOut,          // wParam and lParam: each an int the handler fills in
};

struct TMessageRule {
  unsigned Msg;
  const char* Name;
  // Only the window system sends it, with addresses or a state that a host cannot make;
  // a host's window procedure may still hand it to the default handling.
  bool SystemOnly;
  TParams Params;
  size_t Size;  // of the record
};

// Messages not listed have plain parameters, the library's own messages to host windows
// (1124..1134) and the host's private ones included. WM_TIMER's callback address is only
// ever compared with the callbacks of the window's own timers.
constexpr TMessageRule kRules[] = {
    {WM_CREATE, "WM_CREATE", true, ppRecordIn, sizeof(TCreateStruct)},
    {WM_NCCREATE, "WM_NCCREATE", true, ppRecordIn, sizeof(TCreateStruct)},
    // They free what belongs to the window while the window lives on.
    {WM_DESTROY, "WM_DESTROY", true, ppPlain, 0},
    {WM_NCDESTROY, "WM_NCDESTROY", true, ppPlain, 0},
    // A paint begun inside another paint of the same window takes away its canvas.
    {WM_PAINT, "WM_PAINT", true, ppPlain, 0},
    // wParam is the canvas of the paint in progress, which the default handling does not use.
    {WM_ERASEBKGND, "WM_ERASEBKGND", true, ppPlain, 0},
    {WM_CTLCOLORSCROLLBAR, "WM_CTLCOLORSCROLLBAR", true, ppPlain, 0},
    // They report a move the window system made; a host moves its windows itself.
    {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING", true, ppRecordInOut, sizeof(TWindowPos)},
    {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED", true, ppRecordIn, sizeof(TWindowPos)},
    {WM_SETTEXT, "WM_SETTEXT", false, ppText, 0},
    {WM_GETTEXT, "WM_GETTEXT", false, ppTextBuffer, 0},
    {WM_GETDLGCODE, "WM_GETDLGCODE", false, ppOptionalRecordIn, sizeof(TMsg)},
    {SBM_SETSCROLLINFO, "SBM_SETSCROLLINFO", false, ppRecordIn, sizeof(SCROLLINFO)},
    {SBM_GETSCROLLINFO, "SBM_GETSCROLLINFO", false, ppRecordInOut, sizeof(SCROLLINFO)},
    {SBM_GETRANGE, "SBM_GETRANGE", false, ppRangeOut, 0},
};

constexpr size_t kMaxRecord =
    std::max({sizeof(TCreateStruct), sizeof(TWindowPos), sizeof(TMsg), sizeof(SCROLLINFO)});

using TDeliver = std::function<LRESULT(WPARAM, LPARAM)>;

const TMessageRule* RuleOf(unsigned Msg) {
  for (const TMessageRule& rule : kRules)
    if (rule.Msg == Msg) return &rule;
  return nullptr;
}

LRESULT Refuse(const std::string& Reason) {
  SetLastError(Reason);
  return 0;
}

LRESULT DeliverRecord(const TMessageRule& Rule, WPARAM wParam, LPARAM lParam,
                      const TDeliver& Deliver) {
  auto* address = reinterpret_cast<void*>(lParam);
  if (!address && Rule.Params == ppOptionalRecordIn) return Deliver(wParam, 0);
  alignas(std::max_align_t) std::byte copy[kMaxRecord];
  if (!ReadHostMemory(address, copy, Rule.Size))
    return Refuse(std::string("Unreadable record for ") + Rule.Name);
  const bool fills = Rule.Params == ppRecordInOut;
  // The record must be writable before the handler runs, not only after.
  if (fills && !CanWriteHostMemory(address, Rule.Size))
    return Refuse(std::string("Unwritable record for ") + Rule.Name);
  const LRESULT result = Deliver(wParam, reinterpret_cast<LPARAM>(copy));
  if (fills && !WriteHostMemory(address, copy, Rule.Size))
    return Refuse(std::string("Unwritable record for ") + Rule.Name);
  return result;
}

LRESULT DeliverTextBuffer(const TMessageRule& Rule, WPARAM wParam, LPARAM lParam,
                          const TDeliver& Deliver) {
  auto* address = reinterpret_cast<char*>(lParam);
  const size_t size = std::min<size_t>(wParam, MaxHostText + 1);
  if (!CanWriteHostMemory(address, size))
    return Refuse(std::string("Unwritable text buffer for ") + Rule.Name);
  if (size == 0) return 0;
  std::vector<char> buffer(size, '\0');
  const LRESULT answer = Deliver(WPARAM(size), reinterpret_cast<LPARAM>(buffer.data()));
  const size_t length = size_t(std::clamp<LRESULT>(answer, 0, LRESULT(size - 1)));
  buffer[length] = 0;
  if (!WriteHostMemory(address, buffer.data(), length + 1))
    return Refuse(std::string("Unwritable text buffer for ") + Rule.Name);
  return LRESULT(length);
}

LRESULT DeliverRange(const TMessageRule& Rule, WPARAM wParam, LPARAM lParam,
                     const TDeliver& Deliver) {
  auto* low = reinterpret_cast<void*>(wParam);
  auto* high = reinterpret_cast<void*>(lParam);
  int range[2];
  if (!ReadHostMemory(low, &range[0], sizeof(int)) ||
      !ReadHostMemory(high, &range[1], sizeof(int)) || !CanWriteHostMemory(low, sizeof(int)) ||
      !CanWriteHostMemory(high, sizeof(int)))
    return Refuse(std::string("Unwritable range for ") + Rule.Name);
  const LRESULT result =
      Deliver(reinterpret_cast<WPARAM>(&range[0]), reinterpret_cast<LPARAM>(&range[1]));
  if (!WriteHostMemory(low, &range[0], sizeof(int)) ||
      !WriteHostMemory(high, &range[1], sizeof(int)))
    return Refuse(std::string("Unwritable range for ") + Rule.Name);
  return result;
}

}  // namespace

LRESULT DeliverHostMessage(THostCall How, unsigned Msg, WPARAM wParam, LPARAM lParam,
                           const TDeliver& Deliver) {
  const TMessageRule* rule = RuleOf(Msg);
  if (!rule) return Deliver(wParam, lParam);
  const std::string name = rule->Name;
  if (rule->SystemOnly && How != THostCall::Default)
    return Refuse(name + " comes from the window system only");
  // A posted address is read when the message arrives, by which time it may be gone.
  if (rule->Params != ppPlain && How == THostCall::Post)
    return Refuse(name + " carries an address and can only be sent");
  switch (rule->Params) {
    case ppPlain:
      return Deliver(wParam, lParam);
    case ppText: {
      const std::optional<std::string> text =
          ReadHostString(reinterpret_cast<const void*>(lParam), MaxHostText);
      if (!text) return Refuse("Unreadable text for " + name);
      return Deliver(wParam, reinterpret_cast<LPARAM>(text->c_str()));
    }
    case ppTextBuffer:
      return DeliverTextBuffer(*rule, wParam, lParam, Deliver);
    case ppRangeOut:
      return DeliverRange(*rule, wParam, lParam, Deliver);
    default:
      return DeliverRecord(*rule, wParam, lParam, Deliver);
  }
}
