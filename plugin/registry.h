// The viewers a host has embedded: one registry for the library, one item per viewer,
// keyed by the host window the viewer lives in.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "include/qjxhtml.h"
#include "plugin/host_memory.h"
#include "viewer/html_viewer.h"

class TBitmap;

// The viewer as the host sees it: it tells the host window when it gets the focus, and
// reports mouse-up and key-up to the item that owns it.
class ThtmlViewerEx : public THTMLViewer {
 public:
  ThtmlViewerEx(HWND HostWnd);
  HWND FHostWnd = nullptr;
  std::function<void(TMouseButton Button, TShiftState Shift, int X, int Y)> OnMouseUp;
  std::function<void(int Key, TShiftState Shift)> OnKeyUp;
  // Right button released over the document: the word and the link under the mouse (empty
  // if none) and the cursor in the viewer's client coordinates.
  std::function<void(const std::string& Word, const std::string& URL, const std::string& Target,
                     int X, int Y)>
      OnRightClick;

  void DocMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  LRESULT WndProc(unsigned Msg, WPARAM wParam, LPARAM lParam) override;
};

// A menu entry of the viewer's context menu. Shortcut is a key with Ctrl ('C', 'A', 'P');
// 0 for none.
struct THVMenuItem {
  std::string Caption;
  char Shortcut = 0;
  bool Enabled = true;
  std::function<void()> OnClick;
  void Click() {
    if (Enabled && OnClick) OnClick();
  }
};

class THtmlVHelper {
 public:
  explicit THtmlVHelper(HWND HostWnd);
  ~THtmlVHelper();
  THtmlVHelper(const THtmlVHelper&) = delete;
  THtmlVHelper& operator=(const THtmlVHelper&) = delete;

  HWND FHostWnd;
  // The streams handed to the viewer for pictures the host gave, kept until its document is
  // cleared (the pictures are decoded by then); those of requests still being answered stay.
  std::vector<std::unique_ptr<TMemoryStream>> FStreams;
  // The context menu, in order: copy, select all, separator, print.
  std::vector<THVMenuItem> FMenu;
  THVMenuItem& FCopyItem() { return FMenu[0]; }
  THVMenuItem& FSelectAllItem() { return FMenu[1]; }
  THVMenuItem& FSeparatorItem() { return FMenu[2]; }
  THVMenuItem& FPrintItem() { return FMenu[3]; }
  std::unique_ptr<TBitmap> FCopyBitmap;
  int FPageCount = 0;
  bool FSuppressPageQuery = true;
  char FSelTextBuf[HV_TEXT_MAX + 1] = {};
  std::unique_ptr<ThtmlViewerEx> FViewer;
  THVPrintRequest FPrintRequest = {};
  char FHeaderBuf[HV_TEXT_MAX + 1] = {};
  char FFooterBuf[HV_TEXT_MAX + 1] = {};
  char FPrinterNameBuf[HV_TEXT_MAX + 1] = {};

  void Copy();
  void SelectAll();
  void Print();

 private:
  void MouseDouble();
  void HotSpotClick(const std::string& SRC, bool& Handled);
  void ImageRequest(const std::string& SRC, TMemoryStream*& Stream);
  // Frees the streams handed out, but those of requests still under way.
  void ReleaseStreams();
  void KeyUp(int Key, TShiftState Shift);
  void FormSubmit(const std::string& Action, const std::string& Target,
                  const std::string& EncType, const std::string& Method, TStringList* Results);
  void RightClick(const std::string& Word, const std::string& URL, const std::string& Target,
                  int X, int Y);
  void PrintHeader(TCanvas* Canvas, int NumPage, int W, int H, bool& StopPrinting);
  void PrintFooter(TCanvas* Canvas, int NumPage, int W, int H, bool& StopPrinting);
  LRESULT SendToHost(unsigned Msg, WPARAM wParam, LPARAM lParam);

  std::vector<const TMemoryStream*> FStreamsInUse;  // those of the requests under way
};

// How many host messages are being answered right now; while one is, items taken out
// of the registry may still be on the call stack and are freed later.
int HostCallDepth();
// Sends a message to a host window as one such call.
LRESULT SendCountedToHost(HWND HostWnd, unsigned Msg, WPARAM wParam, LPARAM lParam);
// Frees the items whose release was put off; does nothing while a host call runs.
void ReleaseRetiredItems();
// Takes an item out of service: freed at once when no host call runs, else later.
void RetireItem(std::unique_ptr<THtmlVHelper> Item);

// The registry; items in creation order.
class TChtm {
 public:
  ~TChtm();
  THtmlVHelper* Add(HWND HostWnd);
  // The first item of HostWnd, or null.
  THtmlVHelper* Find(HWND HostWnd) const;
  std::vector<THtmlVHelper*> FindAll(HWND HostWnd) const;
  // Frees the first item of HostWnd; false when there is none.
  bool Remove(HWND HostWnd);
  int Count() const { return int(FItems.size()); }

 private:
  std::vector<std::unique_ptr<THtmlVHelper>> FItems;
};

// The viewers of HV_Proc: empty before command 100 and after command 101.
std::unique_ptr<TChtm>& Registry();

// The page counting and printing that printing from the host runs: the viewer's own
// unless replaced.
struct THVPrintServices {
  std::function<int(THTMLViewer& Viewer)> CountPrintPages;
  std::function<void(THTMLViewer& Viewer, int FromPage, int ToPage)> PrintPages;
};
THVPrintServices& PrintServices();
