// A host may do anything while it answers one of the viewer's messages: load another page,
// or destroy the viewer or its window, from inside every message the viewer sends.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "document/forms/form.h"
#include "host_fixture.h"
#include "toolkit/controls/controls.h"
#include "toolkit/printers/printer.h"
#include "viewer/html_viewer.h"
#include "viewer/paint_panel.h"

namespace {

namespace fs = std::filesystem;

intptr_t Arg(const void* p) { return reinterpret_cast<intptr_t>(p); }

// The image input comes first, at the top left; a text control and buttons follow, and
// a second printed page has controls of its own.
const std::string kPage =
    "<form action=point.cgi><input type=image name=pt src=btn.gif width=60 height=40 "
    "onclick='img()'></form>"
    "<p>some words <a href='#end'>link</a></p><img src=pic.gif width=20 height=20>"
    "<form action=find.cgi><input name=q value=v><input type=button value=Press "
    "onclick='run(1)'><input type=submit name=go value=Go></form><p><a name=end>end</a>"
    "<form style='page-break-before: always'><input name=later value=second><select>"
    "<option>one<option>two</select></form>";
const std::string kNext = "<p>the next page";

// Only to find where to click; everything the host does goes through HV_Proc.
THTMLViewer* ViewerOf(intptr_t handle) {
  return dynamic_cast<THTMLViewer*>(TWinControl::FromHandle(reinterpret_cast<HWND>(handle)));
}

HWND ControlWindow(THTMLViewer* Viewer, const std::string& Value) {
  for (TDocControl* control : Viewer->SectionList()->FormControls)
    if (auto* obj = dynamic_cast<TFormControlObj*>(control))
      if (obj->FValue == Value && obj->WindowControl()) return obj->WindowControl()->Handle();
  return nullptr;
}

void ClickWindow(HWND Wnd) {
  TQjxRect r{};
  QjxGetClientRect(Wnd, &r);
  QjxClick(Wnd, QJX_BUTTON_LEFT, (r.Right - r.Left) / 2, (r.Bottom - r.Top) / 2);
}

// What makes the viewer send a message.
struct TCause {
  unsigned Msg;
  const char* Name;
  // True when the viewer still uses its document while the host answers: a load then is
  // refused.
  bool Busy;
  std::function<void(HWND Host, THTMLViewer* Viewer)> Run;
};

std::vector<TCause> Causes() {
  auto panel = [](THTMLViewer* V) { return V->PaintPanel()->Handle(); };
  return {
      {HVM_DBLCLICK, "double click", false,
       [panel](HWND, THTMLViewer* V) { QjxDoubleClick(panel(V), QJX_BUTTON_LEFT, 350, 280); }},
      {HVM_HOTSPOTCLICK, "link click", false,
       [panel](HWND, THTMLViewer* V) {
         for (int y = 0; y < 200; y += 2)
           for (int x = 0; x < 300; x += 2) {
             std::string url, target;
             if (V->LinkAtPoint(x, y, url, target) && url == "#end") {
               QjxClick(panel(V), QJX_BUTTON_LEFT, x, y);
               return;
             }
           }
       }},
      {HVM_IMAGEREQUEST, "image request", true,
       [](HWND Host, THTMLViewer*) {
         THVBuffer page{kPage.data(), intptr_t(kPage.size())};
         HV_Proc(HVC_LOADBUFFER, Host, Arg(&page));
       }},
      {HVM_IMAGEDONE, "image done", true,
       [](HWND Host, THTMLViewer*) {
         THVBuffer page{kPage.data(), intptr_t(kPage.size())};
         HV_Proc(HVC_LOADBUFFER, Host, Arg(&page));
       }},
      {HVM_FOCUS, "focus", false, [](HWND, THTMLViewer* V) { QjxSetFocus(V->Handle()); }},
      {HVM_PRINTREQUEST, "print request", false,
       [](HWND Host, THTMLViewer*) { HV_Proc(HVC_PRINT, Host, 0); }},
      {HVM_PRINTDONE, "print done", false,
       [](HWND Host, THTMLViewer*) { HV_Proc(HVC_PRINT, Host, 0); }},
      {HVM_PRINTPAGE, "print page", true,
       [](HWND Host, THTMLViewer*) { HV_Proc(HVC_PRINT, Host, 0); }},
      {HVM_RIGHTCLICK, "right click", false,
       [panel](HWND, THTMLViewer* V) { QjxClick(panel(V), QJX_BUTTON_RIGHT, 350, 280); }},
      {HVM_OBJECTCLICK, "button click", true,
       [](HWND, THTMLViewer* V) { ClickWindow(ControlWindow(V, "Press")); }},
      {HVM_OBJECTCLICK, "image input click", true,
       [panel](HWND, THTMLViewer* V) { QjxClick(panel(V), QJX_BUTTON_LEFT, 30, 30); }},
      {HVM_FORMSUBMIT, "form submit", false,
       [](HWND, THTMLViewer* V) { ClickWindow(ControlWindow(V, "Go")); }},
  };
}

// Prints go to a file of the test's own.
class HostReentry : public PluginHost {
 protected:
  void SetUp() override {
    PluginHost::SetUp();
    FDir = fs::temp_directory_path() / ("qjx-reentry-" + std::to_string(::getpid()));
    fs::create_directories(FDir);
    FSavedPdf = PdfPrinter().FileName;
    PdfPrinter().FileName = (FDir / "job.pdf").string();
  }
  void TearDown() override {
    PluginHost::TearDown();
    PdfPrinter().FileName = FSavedPdf;
    fs::remove_all(FDir);
  }

  // A viewer on a new host window showing kPage, its images answered.
  THTMLViewer* Open(HWND& Host) {
    Host = MakeHostWindow();
    THTMLViewer* viewer = ViewerOf(HV_Proc(HVC_CREATE, Host, 0));
    HV_Proc(HVC_RESIZE, Host, 0);
    THVBuffer page{kPage.data(), intptr_t(kPage.size())};
    HV_Proc(HVC_LOADBUFFER, Host, Arg(&page));
    QjxPumpMessages();
    // The previous case's click is no part of this one's.
    QjxAdvanceClock(2000);
    return viewer;
  }

  // Clicks go to the window at a screen point: the next case's host must be the top one.
  static void CloseHost(HWND Host) {
    QjxDestroyWindow(Host);
    QjxPumpMessages();
  }

  // Answers every message as a host that prints two pages and supplies images would, and
  // runs Action once, inside the first Msg.
  static void AnswerRunning(unsigned Msg, std::function<void()> Action, bool& Ran) {
    Ran = false;
    Answer = [Msg, Action, &Ran](const THostMessage& m) -> intptr_t {
      if (m.Msg == Msg && !Ran) {
        Ran = true;
        Action();
      }
      static const char kImage[] = "not really an image";
      static const THVBuffer kImageBuffer{kImage, sizeof kImage};
      switch (m.Msg) {
        case HVM_IMAGEREQUEST:
          return Arg(&kImageBuffer);
        case HVM_PRINTREQUEST: {
          auto* request = reinterpret_cast<THVPrintRequest*>(m.lParam);
          request->FromPage = request->Copies = 1;
          request->ToPage = 2;
          return 1;
        }
        case HVM_PRINTPAGE:
          return 1;
        default:
          return 0;
      }
    };
  }

  fs::path FDir;
  std::string FSavedPdf;
};

// Loading a file, a buffer or nothing from inside any message: the load happens unless
// the viewer still uses its document, when it is refused with 0 and a reason.
TEST_F(HostReentry, LoadDuringEveryMessage) {
  const std::string file = (FDir / "next.html").string();
  std::ofstream(file) << kNext;
  const THVBuffer next{kNext.data(), intptr_t(kNext.size())};
  const THVBuffer empty{"", 0};
  struct TLoad {
    const char* Name;
    int Cmd;
    intptr_t Arg;
    intptr_t Done;  // HV_Proc's answer when the load was made
  };
  const std::vector<TLoad> loads{{"file", HVC_LOADFILE, Arg(file.c_str()), 1},
                                 {"buffer", HVC_LOADBUFFER, Arg(&next), 0},
                                 {"empty buffer", HVC_LOADBUFFER, Arg(&empty), 0}};
  for (const TCause& cause : Causes()) {
    for (const TLoad& load : loads) {
      SCOPED_TRACE(std::string(cause.Name) + ", loading " + load.Name);
      HWND host = nullptr;
      THTMLViewer* viewer = Open(host);
      intptr_t result = -1;
      std::string error;
      bool ran = false;
      AnswerRunning(cause.Msg, [&] {
        result = HV_Proc(load.Cmd, host, load.Arg);
        error = QjxLastError();
      }, ran);
      cause.Run(host, viewer);
      QjxPumpMessages();
      Answer = nullptr;
      ASSERT_TRUE(ran) << "the viewer sent the message";
      if (cause.Busy) {
        EXPECT_EQ(result, 0);
        EXPECT_NE(error.find("busy"), std::string::npos) << error;
      } else {
        EXPECT_EQ(result, load.Done);
        EXPECT_EQ(error, "");
        EXPECT_TRUE(viewer->SectionList()->FormControls.empty()) << "the load was made";
      }
      // The viewer goes on working.
      EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
      THVBuffer page{kPage.data(), intptr_t(kPage.size())};
      HV_Proc(HVC_LOADBUFFER, host, Arg(&page));
      EXPECT_FALSE(viewer->SectionList()->FormControls.empty());
      HV_Proc(HVC_DESTROY, host, 0);
      CloseHost(host);
    }
  }
}

// The other commands a host may give from inside any message.
TEST_F(HostReentry, CommandsDuringEveryMessage) {
  struct TCommand {
    const char* Name;
    int Cmd;
  };
  const std::vector<TCommand> commands{
      {"resize", HVC_RESIZE}, {"print", HVC_PRINT}, {"copy", HVC_COPY}};
  for (const TCause& cause : Causes()) {
    for (const TCommand& command : commands) {
      SCOPED_TRACE(std::string(cause.Name) + ", " + command.Name);
      HWND host = nullptr;
      THTMLViewer* viewer = Open(host);
      bool ran = false;
      AnswerRunning(cause.Msg, [&] {
        QjxSetWindowSize(host, 300, 200);
        HV_Proc(command.Cmd, host, 0);
      }, ran);
      cause.Run(host, viewer);
      QjxPumpMessages();
      Answer = nullptr;
      ASSERT_TRUE(ran) << "the viewer sent the message";
      EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0);
      HV_Proc(HVC_DESTROY, host, 0);
      CloseHost(host);
    }
  }
}

// Destroying the viewer, its window, the host window or every viewer from inside any
// message: the viewer stays usable until the message returns, then is gone.
TEST_F(HostReentry, DestroyDuringEveryMessage) {
  enum class TEnd { Viewer, ViewerWindow, HostWindow, Library };
  const std::vector<std::pair<const char*, TEnd>> ends{{"viewer", TEnd::Viewer},
                                                       {"viewer window", TEnd::ViewerWindow},
                                                       {"host window", TEnd::HostWindow},
                                                       {"library", TEnd::Library}};
  for (const TCause& cause : Causes()) {
    for (const auto& [name, end] : ends) {
      SCOPED_TRACE(std::string(cause.Name) + ", destroying the " + name);
      HWND host = nullptr;
      THTMLViewer* viewer = Open(host);
      const HWND viewerWindow = viewer->Handle();
      bool ran = false;
      AnswerRunning(cause.Msg, [&, end = end] {
        switch (end) {
          case TEnd::Viewer: HV_Proc(HVC_DESTROY, host, 0); break;
          case TEnd::ViewerWindow: QjxDestroyWindow(viewerWindow); break;
          case TEnd::HostWindow: QjxDestroyWindow(host); break;
          case TEnd::Library: HV_Proc(HVC_DONE, nullptr, 0); break;
        }
      }, ran);
      cause.Run(host, viewer);
      QjxPumpMessages();
      Answer = nullptr;
      ASSERT_TRUE(ran) << "the viewer sent the message";
      if (end == TEnd::Viewer) {
        EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1) << "no viewer any more";
        EXPECT_FALSE(QjxIsWindow(viewerWindow));
      }
      if (end == TEnd::Library) {
        EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 0) << "no registry any more";
        EXPECT_EQ(HV_Proc(HVC_INIT, nullptr, 0), -1);
      }
      HV_Proc(HVC_DESTROY, host, 0);
      EXPECT_EQ(HV_Proc(HVC_SELLENGTH, host, 0), 1);
      CloseHost(host);
    }
  }
}

}  // namespace

namespace {

std::string ReadFile(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Printing lays the viewer's own document out for the pages. A host that paints, resizes
// and scrolls to an anchor from a page message sees the screen's picture meanwhile, and
// afterwards the viewer shows what one brought there without printing shows.
TEST_F(HostReentry, PrintPageHandlersSeeTheScreenAndLeaveItLaidOut) {
  const THVBuffer page{kPage.data(), intptr_t(kPage.size())};
  HWND host = nullptr;
  Open(host);
  const fs::path before = FDir / "before.png", during = FDir / "during.png",
                 after = FDir / "after.png", expected = FDir / "expected.png";
  QjxPumpMessages();
  ASSERT_TRUE(QjxSaveWindowPng(host, before.string().c_str()));
  bool ran = false;
  AnswerRunning(HVM_PRINTPAGE, [&] {
    QjxPumpMessages();
    QjxSaveWindowPng(host, during.string().c_str());
    QjxSetWindowSize(host, 300, 200);
    HV_Proc(HVC_RESIZE, host, 0);
    HV_Proc(HVC_SCROLLTOANCHOR, host, Arg("end"));
    QjxPumpMessages();
  }, ran);
  HV_Proc(HVC_PRINT, host, 0);
  Answer = nullptr;
  ASSERT_TRUE(ran);
  EXPECT_EQ(ReadFile(during), ReadFile(before)) << "the screen kept its picture";
  QjxPumpMessages();
  const int height = QjxViewerDocumentHeight(host), scroll = QjxViewerScrollPos(host);
  EXPECT_GT(scroll, 0) << "scrolled to the anchor once the pass ended";
  ASSERT_TRUE(QjxSaveWindowPng(host, after.string().c_str()));
  HV_Proc(HVC_DESTROY, host, 0);
  CloseHost(host);

  HWND other = MakeHostWindow(300, 200);
  HV_Proc(HVC_CREATE, other, 0);
  HV_Proc(HVC_RESIZE, other, 0);
  HV_Proc(HVC_LOADBUFFER, other, Arg(&page));
  HV_Proc(HVC_SCROLLTOANCHOR, other, Arg("end"));
  QjxPumpMessages();
  EXPECT_EQ(QjxViewerDocumentHeight(other), height);
  EXPECT_EQ(QjxViewerScrollPos(other), scroll);
  ASSERT_TRUE(QjxSaveWindowPng(other, expected.string().c_str()));
  EXPECT_EQ(ReadFile(after), ReadFile(expected));
  HV_Proc(HVC_DESTROY, other, 0);
  CloseHost(other);
}

}  // namespace
