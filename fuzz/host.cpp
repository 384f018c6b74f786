// The host's path: commands of HV_Proc and calls of the host interface in an order the input
// gives, with a host window procedure that answers the viewers' messages and, when the input
// says so, calls back into the library from inside one of them.
//
// The input is a list of operations, each a byte (its low nibble picks the operation) and
// the bytes it reads after it; a read past the end gives zeros. Operations act on one of
// two host windows (bit 4 of the operation byte). A document or image is a length byte
// (times 16, plus a second length byte) and that many bytes of the input.
//
// The host windows live for the whole run; the registry is made at the start of each input
// and freed, with every viewer, at its end. The windows are small, so that paints are cheap.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "include/qjxhtml.h"
#include "include/qjxhtml_host.h"
#include "toolkit/printers/printer.h"

namespace {

// Reads the input front to back; past its end, zeros.
class TReader {
 public:
  TReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  bool AtEnd() const { return FPos >= FSize; }
  uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
  // Up to Length bytes from the input, as a buffer that stays valid for the whole input.
  THVBuffer Slice(size_t Length) {
    const size_t take = std::min(Length, FSize - std::min(FPos, FSize));
    THVBuffer result{FData + std::min(FPos, FSize), intptr_t(take)};
    FPos += take;
    return result;
  }
  // A length byte, times 16 plus a byte when its top bit is set; then that many bytes.
  THVBuffer Blob() {
    size_t length = Byte();
    if (length & 0x80) length = (length & 0x7F) * 16 + Byte();
    return Slice(length);
  }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

// What the host window procedure does when a message of the viewers arrives.
enum class TReentry : uint8_t { None, Load, Clear, Destroy, Copy, Resize };

struct THost {
  HWND Windows[2] = {};
  HWND Viewers[2] = {};
  TReader* Input = nullptr;
  // The re-entry the input asked for: during which message, what, and how many times more.
  unsigned ReentryMessage = 0;
  TReentry Reentry = TReentry::None;
  int ReentryCount = 0;
  int Depth = 0;
  // Answers to the viewers' requests.
  THVBuffer Image{};
  uint8_t PrintPlan = 0;
  int PagesLeft = 0;
};

THost Host;

const std::string& ScratchFile(const char* Ext) {
  static std::string Names[2];
  std::string& name = Names[Ext[1] == 'p'];
  if (name.empty()) name = "/tmp/qjx_fuzz_host_" + std::to_string(getpid()) + Ext;
  return name;
}

void Reenter(HWND Wnd) {
  THVBuffer empty{"", 0};
  switch (Host.Reentry) {
    case TReentry::Load: {
      THVBuffer doc = Host.Input->Blob();
      HV_Proc(HVC_LOADBUFFER, Wnd, intptr_t(&doc));
      break;
    }
    case TReentry::Clear:
      HV_Proc(HVC_LOADBUFFER, Wnd, intptr_t(&empty));
      break;
    case TReentry::Destroy:
      HV_Proc(HVC_DESTROY, Wnd, 0);
      break;
    case TReentry::Copy:
      HV_Proc(HVC_COPY, Wnd, 0);
      break;
    case TReentry::Resize:
      QjxSetWindowSize(Wnd, 40 + Host.Input->Byte(), 30 + Host.Input->Byte() / 2);
      HV_Proc(HVC_RESIZE, Wnd, 0);
      break;
    case TReentry::None:
      break;
  }
}

intptr_t Answer(unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  switch (Msg) {
    case HVM_IMAGEREQUEST:
      return Host.Image.Size > 0 ? intptr_t(&Host.Image) : 0;
    case HVM_PRINTREQUEST: {
      if (!(Host.PrintPlan & 1)) return 0;
      auto* request = reinterpret_cast<THVPrintRequest*>(lParam);
      request->Copies = (Host.PrintPlan >> 1) & 1 ? 1 : 0;
      request->FromPage = (Host.PrintPlan >> 2) & 3;
      request->ToPage = request->FromPage + ((Host.PrintPlan >> 4) & 3);
      request->Orientation = (Host.PrintPlan & 0x40) ? 2 : 1;
      if (Host.PrintPlan & 0x80) {
        std::snprintf(request->HeaderText, HV_TEXT_MAX + 1, "header");
        std::snprintf(request->FooterText, HV_TEXT_MAX + 1, "footer");
      }
      // The printer name stays empty: the PDF printer, never a real one.
      Host.PagesLeft = 3;
      return 1;
    }
    case HVM_PRINTPAGE:
      return --Host.PagesLeft > 0;
    case HVM_HOTSPOTCLICK:
      // Links within the document are followed.
      return wParam && reinterpret_cast<const char*>(wParam)[0] == '#';
    default:
      return 0;
  }
}

intptr_t HostProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam) {
  if (Msg < HVM_DBLCLICK || Msg > HVM_FORMSUBMIT) return QjxDefWindowProc(Wnd, Msg, wParam, lParam);
  // Read what the message carries, as a host would.
  if ((Msg == HVM_DBLCLICK || Msg == HVM_HOTSPOTCLICK || Msg == HVM_IMAGEREQUEST ||
       Msg == HVM_OBJECTCLICK) && wParam)
    (void)std::strlen(reinterpret_cast<const char*>(wParam));
  if (Msg == HVM_RIGHTCLICK && wParam) {
    const auto* click = reinterpret_cast<const THVRightClick*>(wParam);
    (void)(std::strlen(click->Word) + std::strlen(click->SelText) + std::strlen(click->URL) +
           std::strlen(click->Target));
  }
  if (Msg == HVM_FORMSUBMIT && wParam) {
    const auto* form = reinterpret_cast<const THVFormSubmit*>(wParam);
    size_t total = std::strlen(form->Action) + std::strlen(form->Method);
    for (int32_t i = 0; i < form->Count; ++i) total += std::strlen(form->Pairs[i]);
    (void)total;
  }

  // The answer is made first: a host that re-enters still fills in the record it was given.
  const intptr_t answer = Answer(Msg, wParam, lParam);
  if (Msg == Host.ReentryMessage && Host.ReentryCount > 0 && Host.Depth == 0) {
    --Host.ReentryCount;
    ++Host.Depth;
    Reenter(Wnd);
    --Host.Depth;
  }
  return answer;
}

void MakeWindows() {
  if (Host.Windows[0]) return;
  Host.Windows[0] = QjxCreateHostWindow("fuzz", 160, 100, HostProc, nullptr);
  Host.Windows[1] = QjxCreateHostWindow("fuzz 2", 120, 80, HostProc, nullptr);
  PdfPrinter().FileName = ScratchFile(".pdf");
  // Before the window system goes (its statics were made first), so that nothing is left
  // for the leak check at exit.
  std::atexit([] {
    HV_Proc(HVC_DONE, nullptr, 0);
    QjxDestroyWindow(Host.Windows[0]);
    QjxDestroyWindow(Host.Windows[1]);
    QjxPumpMessages();
  });
}

void Step(TReader& In) {
  const uint8_t op = In.Byte();
  const int which = (op >> 4) & 1;
  HWND wnd = Host.Windows[which];
  // Input goes to the viewer when there is one; a stale handle is harmless.
  HWND target = Host.Viewers[which] ? Host.Viewers[which] : wnd;
  switch (op & 0x0F) {
    case 0:
      Host.Viewers[which] = reinterpret_cast<HWND>(HV_Proc(HVC_CREATE, wnd, 0));
      break;
    case 1:
      HV_Proc(HVC_DESTROY, wnd, 0);
      break;
    case 2: {
      THVBuffer doc = In.Blob();
      HV_Proc(HVC_LOADBUFFER, wnd, intptr_t(&doc));
      break;
    }
    case 3: {
      THVBuffer doc = In.Blob();
      if (FILE* f = std::fopen(ScratchFile(".html").c_str(), "wb")) {
        std::fwrite(doc.Data, 1, size_t(doc.Size), f);
        std::fclose(f);
      }
      HV_Proc(HVC_LOADFILE, wnd, intptr_t(ScratchFile(".html").c_str()));
      break;
    }
    case 4:
      QjxSetWindowSize(wnd, 8 + In.Byte(), 8 + In.Byte() / 2);
      HV_Proc(HVC_RESIZE, wnd, 0);
      break;
    case 5: {
      const int delta = (int(In.Byte()) - 128) * 8;
      QjxMouseWheel(target, delta, In.Byte() % 160, In.Byte() % 100);
      break;
    }
    case 6: {
      const int x = In.Byte() % 160, y = In.Byte() % 100, kind = In.Byte() % 4;
      if (kind == 0) QjxClick(target, QJX_BUTTON_LEFT, x, y);
      if (kind == 1) QjxDoubleClick(target, QJX_BUTTON_LEFT, x, y);
      if (kind == 2) QjxClick(target, QJX_BUTTON_RIGHT, x, y);
      if (kind == 3) QjxMouseMove(target, x, y);
      break;
    }
    case 7: {
      // A drag selection.
      const int x1 = In.Byte() % 160, y1 = In.Byte() % 100;
      const int x2 = In.Byte() % 160, y2 = In.Byte() % 100;
      QjxMouseDown(target, QJX_BUTTON_LEFT, x1, y1);
      QjxMouseMove(target, x2, y2);
      QjxMouseUp(target, QJX_BUTTON_LEFT, x2, y2);
      HV_Proc(HVC_SELLENGTH, wnd, 0);
      break;
    }
    case 8:
      HV_Proc(HVC_COPY, wnd, 0);
      break;
    case 9:
      Host.PrintPlan = In.Byte();
      HV_Proc(HVC_PRINT, wnd, 0);
      break;
    case 10: {
      const uint8_t key = In.Byte();
      QjxSetFocus(target);
      if (key & 0x80) {
        QjxKeyDown(key & 0x7F);
        QjxKeyUp(key & 0x7F);
      } else {
        QjxChar(key);
      }
      break;
    }
    case 11:
      QjxAdvanceClock(In.Byte() * 4u);
      QjxPumpMessages();
      break;
    case 12: {
      // The re-entry for the next messages: the message, what to do, how often.
      const uint8_t plan = In.Byte();
      Host.ReentryMessage = HVM_DBLCLICK + plan % 11;
      Host.Reentry = TReentry(1 + (plan / 11) % 5);
      Host.ReentryCount = 1 + (In.Byte() & 3);
      break;
    }
    case 13:
      Host.Image = In.Blob();
      break;
    case 14: {
      THVBuffer name = In.Slice(In.Byte() % 16);
      const std::string anchor(static_cast<const char*>(name.Data), size_t(name.Size));
      HV_Proc(HVC_SCROLLTOANCHOR, wnd, intptr_t(anchor.c_str()));
      break;
    }
    case 15:
      // The whole registry again, every viewer with it.
      HV_Proc(HVC_DONE, nullptr, 0);
      HV_Proc(HVC_INIT, nullptr, 0);
      Host.Viewers[0] = Host.Viewers[1] = nullptr;
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QJX_BACKEND", "headless", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  MakeWindows();
  TReader in(Data, Size);
  Host = THost{{Host.Windows[0], Host.Windows[1]}, {}, &in};
  QjxSetWindowSize(Host.Windows[0], 160, 100);
  QjxSetWindowSize(Host.Windows[1], 120, 80);
  HV_Proc(HVC_INIT, nullptr, 0);
  // Bounded, so that a long input cannot make one run slow.
  for (int steps = 0; steps < 64 && !in.AtEnd(); ++steps) Step(in);
  HV_Proc(HVC_DONE, nullptr, 0);
  QjxPumpMessages();
  Host.Input = nullptr;
  return 0;
}
