#include "plugin/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "document/core/section_list.h"
#include "document/images/image_obj.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/printers/printer.h"
#include "toolkit/windows/window.h"
#include "viewer/paint_panel.h"

namespace {

bool RegularFileExists(const std::string& name) {
  struct stat info;
  return !name.empty() && stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The "BM_COPY" image: two overlapping pages.
std::unique_ptr<TBitmap> MakeCopyBitmap() {
  auto bitmap = std::make_unique<TBitmap>(16, 16);
  TCanvas& canvas = bitmap->Canvas();
  canvas.Brush.Color = clWhite;
  canvas.FillRect(TRect{0, 0, 16, 16});
  canvas.Pen.Color = clBlack;
  canvas.Brush.Color = TColor(0x00E0E0E0);
  canvas.Rectangle(1, 1, 10, 12);
  canvas.Brush.Color = clWhite;
  canvas.Rectangle(6, 4, 15, 15);
  return bitmap;
}

void DrawCentred(TCanvas* Canvas, const THTMLViewer& Viewer, int X, int Y,
                 const std::string& Text) {
  Canvas->Font.Name = Viewer.DefFontName;
  Canvas->Font.Size = Viewer.DefFontSize();
  Canvas->TextOut(X - Canvas->TextWidth(Text) / 2, Y, Text);
}

}  // namespace

// ---- The viewer --------------------------------------------------------------------------

ThtmlViewerEx::ThtmlViewerEx(HWND HostWnd) : THTMLViewer(nullptr, HostWnd), FHostWnd(HostWnd) {}

void ThtmlViewerEx::DocMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  THTMLViewer::DocMouseUp(Button, Shift, X, Y);
  if (OnMouseUp) OnMouseUp(Button, Shift, X, Y);
  if (Button != mbRight || !OnRightClick) return;
  std::string word;
  int after = 0, before = 0;
  WordAtPoint(X, Y, word, after, before);
  std::string url, target;
  LinkAtPoint(X, Y, url, target);
  // X and Y are the paint panel's, which sits inside the viewer's frame.
  TPoint cursor = GetCursorPos();
  ScreenToClient(Handle(), &cursor);
  OnRightClick(word, url, target, cursor.X, cursor.Y);
}

LRESULT ThtmlViewerEx::WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  switch (Msg) {
    case WM_SETFOCUS: {
      LRESULT result = THTMLViewer::WndProc(Msg, wParam, lParam);
      SendCountedToHost(FHostWnd, HVM_FOCUS, 0, 0);
      return result;
    }
    case WM_KEYUP: {
      LRESULT result = THTMLViewer::WndProc(Msg, wParam, lParam);
      if (OnKeyUp) OnKeyUp(int(wParam), KeyboardShiftState());
      return result;
    }
    default:
      return THTMLViewer::WndProc(Msg, wParam, lParam);
  }
}

// ---- The item ----------------------------------------------------------------------------

THtmlVHelper::THtmlVHelper(HWND HostWnd) : FHostWnd(HostWnd) {
  FViewer = std::make_unique<ThtmlViewerEx>(HostWnd);
  FViewer->SetDefBackground(TColor(0x80000005));  // clWindow

  FCopyBitmap = MakeCopyBitmap();
  FMenu.push_back({"&Copy", 'C', true, [this] { Copy(); }});
  FMenu.push_back({"Select &All", 'A', true, [this] { SelectAll(); }});
  FMenu.push_back({"-", 0, true, nullptr});
  FMenu.push_back({"&Print", 'P', true, [this] { Print(); }});

  ThtmlViewerEx& viewer = *FViewer;
  viewer.OnMouseDouble = [this](TObject*, TMouseButton, TShiftState, int, int) { MouseDouble(); };
  viewer.OnMouseUp = [this](TMouseButton, TShiftState, int, int) {
    FCopyItem().Enabled = FViewer->SelLength() != 0;
  };
  viewer.OnHotSpotClick = [this](TObject*, const std::string& SRC, bool& Handled) {
    HotSpotClick(SRC, Handled);
  };
  viewer.SetOnImageRequest([this](TObject*, const std::string& SRC, TMemoryStream*& Stream) {
    ImageRequest(SRC, Stream);
  });
  viewer.OnDocumentCleared = [this](TObject*) { ReleaseStreams(); };
  viewer.OnKeyUp = [this](int Key, TShiftState Shift) { KeyUp(Key, Shift); };
  viewer.OnRightClick = [this](const std::string& Word, const std::string& URL,
                               const std::string& Target,
                               int X, int Y) { RightClick(Word, URL, Target, X, Y); };
  viewer.OnPrintHeader = [this](TObject*, TCanvas* Canvas, int NumPage, int W, int H,
                                bool& Stop) { PrintHeader(Canvas, NumPage, W, H, Stop); };
  viewer.OnPrintFooter = [this](TObject*, TCanvas* Canvas, int NumPage, int W, int H,
                                bool& Stop) { PrintFooter(Canvas, NumPage, W, H, Stop); };
  viewer.OnImageClick = [this](TObject*, TObject* Obj, TMouseButton, TShiftState, int, int) {
    // Reported while the mouse is over the image or pressed on it.
    auto* image = dynamic_cast<TImageObj*>(Obj);
    if (!image || image->HoverState() == 0) return;
    std::string alt = image->AltText();
    SendToHost(HVM_OBJECTCLICK, WPARAM(alt.c_str()), HVO_IMAGE);
  };
  viewer.SetOnObjectClick([this](TObject*, TObject*, const std::string& OnClick) {
    std::string text = OnClick;
    SendToHost(HVM_OBJECTCLICK, WPARAM(text.c_str()), HVO_CONTROL);
  });
  viewer.SetOnFormSubmit([this](TObject*, const std::string& Action, const std::string& Target,
                                const std::string& EncType, const std::string& Method,
                                TStringList* Results) { FormSubmit(Action, Target, EncType, Method,
                                                                   Results); });
  FPageCount = 0;
  FSuppressPageQuery = true;
}

void THtmlVHelper::FormSubmit(const std::string& Action, const std::string& Target,
                              const std::string& EncType, const std::string& Method,
                              TStringList* Results) {
  // Copies: the host may load another document, which frees the list, during the call.
  std::vector<std::string> pairs;
  for (int i = 0; Results && i < Results->Count(); ++i) pairs.push_back((*Results)[i]);
  std::vector<const char*> texts;
  for (const std::string& pair : pairs) texts.push_back(pair.c_str());
  const std::string action = Action, target = Target, encType = EncType, method = Method;
  THVFormSubmit record{action.c_str(), target.c_str(), encType.c_str(), method.c_str(),
                       int32_t(texts.size()), texts.data()};
  SendToHost(HVM_FORMSUBMIT, WPARAM(&record), 0);
}

THtmlVHelper::~THtmlVHelper() {
  // The viewer first: it may still refer to the streams it was handed.
  FViewer.reset();
  FStreams.clear();
}

namespace {
int CallDepth = 0;
std::vector<std::unique_ptr<THtmlVHelper>>& Retired() {
  static auto* items = new std::vector<std::unique_ptr<THtmlVHelper>>();
  return *items;
}
}  // namespace

int HostCallDepth() { return CallDepth; }

void ReleaseRetiredItems() {
  if (CallDepth > 0) return;
  std::vector<std::unique_ptr<THtmlVHelper>> items = std::move(Retired());
  Retired().clear();
  items.clear();
}

void RetireItem(std::unique_ptr<THtmlVHelper> Item) {
  if (!Item) return;
  if (CallDepth == 0) return;  // freed here, as Item goes out of scope
  // The host destroyed the viewer from inside one of its messages: hide it now, free it
  // once the call stack has left it.
  if (Item->FViewer) Item->FViewer->Hide();
  Retired().push_back(std::move(Item));
}

// A viewer the host destroys meanwhile is freed only once the call stack has left it.
LRESULT SendCountedToHost(HWND HostWnd, unsigned Msg, WPARAM wParam, LPARAM lParam) {
  struct TDepth {
    TDepth() { ++CallDepth; }
    ~TDepth() { --CallDepth; }
  } depth;
  return SendMessage(HostWnd, Msg, wParam, lParam);
}

LRESULT THtmlVHelper::SendToHost(unsigned Msg, WPARAM wParam, LPARAM lParam) {
  return SendCountedToHost(FHostWnd, Msg, wParam, lParam);
}

void THtmlVHelper::Copy() {
  FViewer->CopyToClipboard();
  // Collapse the selection to its start.
  if (TSectionList* list = FViewer->SectionList()) list->SelEnd = list->SelStart;
  if (FViewer->PaintPanel()) FViewer->PaintPanel()->Invalidate();
}

void THtmlVHelper::SelectAll() { FViewer->SelectAll(); }

void THtmlVHelper::MouseDouble() {
  std::memset(FSelTextBuf, 0, sizeof FSelTextBuf);
  if (TSectionList* list = FViewer->SectionList())
    list->CopySelectionToBuffer(FSelTextBuf, int(sizeof FSelTextBuf));
  FSelTextBuf[HV_TEXT_MAX] = 0;
  SendToHost(HVM_DBLCLICK, WPARAM(FSelTextBuf), 0);
}

void THtmlVHelper::HotSpotClick(const std::string& SRC, bool& Handled) {
  const std::string src = SRC;  // the host may cause a reload that frees the original
  if (SendToHost(HVM_HOTSPOTCLICK, WPARAM(src.c_str()), 0) != 0 && FViewer) {
    FViewer->ScrollToAnchor(src.size() > 0 && src[0] == '#' ? src.substr(1) : src);
  }
  Handled = true;
}

void THtmlVHelper::ImageRequest(const std::string& SRC, TMemoryStream*& Stream) {
  const std::string src = SRC;
  FStreams.push_back(std::make_unique<TMemoryStream>());
  TMemoryStream* stream = FStreams.back().get();
  Stream = stream;
  // The host may load another document while it answers: this stream is still being filled.
  FStreamsInUse.push_back(stream);
  struct TInUse {
    std::vector<const TMemoryStream*>& List;
    ~TInUse() { List.pop_back(); }
  } inUse{FStreamsInUse};
  const LRESULT answer = SendToHost(HVM_IMAGEREQUEST, WPARAM(src.c_str()), 0);
  bool fromHost = false;
  if (answer != 0) {
    THVBuffer record;
    const auto* address = reinterpret_cast<const void*>(answer);
    if (ReadHostMemory(address, &record, sizeof record) && record.Size > 0 && record.Data) {
      const size_t size = size_t(record.Size);
      std::vector<uint8_t> data(size);
      if (ReadHostMemory(record.Data, data.data(), size)) {
        stream->Write(data.data(), int64_t(size));
        fromHost = true;
      }
    }
    SendToHost(HVM_IMAGEDONE, 0, 0);
  }
  if (!fromHost) {
    const std::string file = FViewer->ExpandSourceName(src);
    if (RegularFileExists(file)) {
      try {
        stream->LoadFromFile(file);
      } catch (const Exception&) {
        stream->Clear();  // unreadable: the image shows as missing
      }
    }
  }
  stream->SetPosition(0);
  if (stream->Size() > 0) FViewer->ReplaceImage(src, stream);
}

void THtmlVHelper::ReleaseStreams() {
  std::erase_if(FStreams, [this](const std::unique_ptr<TMemoryStream>& Stream) {
    return std::find(FStreamsInUse.begin(), FStreamsInUse.end(), Stream.get()) == FStreamsInUse.end();
  });
}

void THtmlVHelper::KeyUp(int Key, TShiftState Shift) {
  if (!(Shift & ssCtrl)) return;
  if (Key == 'A') SelectAll();
  else if (Key == 'C') Copy();
}

void THtmlVHelper::RightClick(const std::string& Word, const std::string& URL,
                              const std::string& Target, int X, int Y) {
  std::string selected;
  if (TSectionList* list = FViewer->SectionList()) {
    const int length = list->SelectionLength();
    if (length != 0) {
      std::vector<char> buffer(size_t(length < 0 ? -length : length) + 2);
      list->CopySelectionToBuffer(buffer.data(), int(buffer.size()));
      selected = buffer.data();
    }
  }
  THVRightClick record{Word.c_str(), selected.c_str(), X, Y, URL.c_str(), Target.c_str()};
  SendToHost(HVM_RIGHTCLICK, WPARAM(&record), 0);
}

void THtmlVHelper::Print() {
  FPrintRequest.FromPage = 0;
  FPrintRequest.ToPage = 0;
  FPrintRequest.HeaderText = FHeaderBuf;
  FPrintRequest.FooterText = FFooterBuf;
  FPrintRequest.PrinterName = FPrinterNameBuf;
  std::memset(FHeaderBuf, 0, sizeof FHeaderBuf);
  std::memset(FFooterBuf, 0, sizeof FFooterBuf);
  std::memset(FPrinterNameBuf, 0, sizeof FPrinterNameBuf);

  FSuppressPageQuery = true;
  THVPrintServices& services = PrintServices();
  FPageCount = services.CountPrintPages ? services.CountPrintPages(*FViewer) : 0;
  FSuppressPageQuery = false;

  if (SendToHost(HVM_PRINTREQUEST, WPARAM(FPageCount), LPARAM(&FPrintRequest)) != 0) {
    // The host may have overwritten the terminators.
    FHeaderBuf[HV_TEXT_MAX] = FFooterBuf[HV_TEXT_MAX] = FPrinterNameBuf[HV_TEXT_MAX] = 0;
    if (services.PrintPages) {
      TPrinter& printer = Printer();
      const int previousIndex = printer.PrinterIndex;
      const TPrinterOrientation previousOrientation = printer.Orientation;
      // An unknown name gives -1: the default printer.
      printer.PrinterIndex = printer.IndexOf(FPrinterNameBuf);
      printer.Orientation = FPrintRequest.Orientation == 2 ? poLandscape : poPortrait;
      try {
        for (int copy = 0; copy < FPrintRequest.Copies; ++copy)
          services.PrintPages(*FViewer, FPrintRequest.FromPage, FPrintRequest.ToPage);
      } catch (...) {
        printer.PrinterIndex = previousIndex;
        printer.Orientation = previousOrientation;
        throw;
      }
      printer.PrinterIndex = previousIndex;
      printer.Orientation = previousOrientation;
    }
  }
  SendToHost(HVM_PRINTDONE, 0, 0);
}

void THtmlVHelper::PrintHeader(TCanvas* Canvas, int NumPage, int W, int H, bool& StopPrinting) {
  if (FSuppressPageQuery) return;
  if (SendToHost(HVM_PRINTPAGE, WPARAM(NumPage), 0) == 0) {
    StopPrinting = true;
    return;
  }
  if (FHeaderBuf[0] && Canvas) DrawCentred(Canvas, *FViewer, 100, 10, FHeaderBuf);
}

void THtmlVHelper::PrintFooter(TCanvas* Canvas, int NumPage, int W, int H, bool& StopPrinting) {
  if (!FFooterBuf[0] || !Canvas) return;
  DrawCentred(Canvas, *FViewer, 100, 10, FFooterBuf);
  char page[32];
  std::snprintf(page, sizeof page, "Page  %d", NumPage);
  DrawCentred(Canvas, *FViewer, W - 100, 10, page);
}

// ---- The registry ------------------------------------------------------------------------

THtmlVHelper* TChtm::Add(HWND HostWnd) {
  FItems.push_back(std::make_unique<THtmlVHelper>(HostWnd));
  return FItems.back().get();
}

THtmlVHelper* TChtm::Find(HWND HostWnd) const {
  for (const auto& item : FItems)
    if (item->FHostWnd == HostWnd) return item.get();
  return nullptr;
}

std::vector<THtmlVHelper*> TChtm::FindAll(HWND HostWnd) const {
  std::vector<THtmlVHelper*> result;
  for (const auto& item : FItems)
    if (item->FHostWnd == HostWnd) result.push_back(item.get());
  return result;
}

bool TChtm::Remove(HWND HostWnd) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it) {
    if ((*it)->FHostWnd == HostWnd) {
      // Out of the list before it is freed: its viewer's destruction may send messages
      // whose handlers come back into the registry.
      std::unique_ptr<THtmlVHelper> item = std::move(*it);
      FItems.erase(it);
      RetireItem(std::move(item));
      return true;
    }
  }
  return false;
}

TChtm::~TChtm() {
  while (!FItems.empty()) {
    std::unique_ptr<THtmlVHelper> item = std::move(FItems.back());
    FItems.pop_back();
    RetireItem(std::move(item));
  }
}

THVPrintServices& PrintServices() {
  static THVPrintServices services{
      [](THTMLViewer& Viewer) { return Viewer.CountPrintPages(); },
      [](THTMLViewer& Viewer, int FromPage, int ToPage) { Viewer.PrintPages(FromPage, ToPage); }};
  return services;
}
