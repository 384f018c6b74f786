// The document's hooks: the host's events as the host sets them on the viewer, and the
// viewer's own services, handed to the document as one value.
#include <algorithm>
#include <memory>
#include <string>

#include "viewer/html_viewer.h"

namespace {

// The document's animation timer on the viewer window's timers.
class TAnimationTimer : public TDocumentTimer {
 public:
  explicit TAnimationTimer(HWND Window) : FTimer(nullptr, Window) {
    FTimer.SetEnabled(false);
    FTimer.OnTimer = [this](TObject*) {
      if (OnTimer) OnTimer(this);
    };
  }
  void SetEnabled(bool Value) override {
    TDocumentTimer::SetEnabled(Value);
    FTimer.SetEnabled(Value);
  }
  void SetInterval(int Value) override {
    TDocumentTimer::SetInterval(Value);
    FTimer.SetInterval(unsigned(std::max(1, Value)));
  }

 private:
  TTimer FTimer;
};

}  // namespace

void THTMLViewer::SetOnBitmapRequest(TBitmapRequestEvent Handler) {
  FHostHooks.OnBitmapRequest = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnImageRequest(TImageRequestEvent Handler) {
  FHostHooks.OnImageRequest = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnScript(TScriptEvent Handler) {
  FHostHooks.OnScript = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnObjectClick(TObjectClickEvent Handler) {
  FHostHooks.OnObjectClick = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnObjectFocus(TObjectTagEvent Handler) {
  FHostHooks.OnObjectFocus = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnObjectBlur(TObjectTagEvent Handler) {
  FHostHooks.OnObjectBlur = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnObjectChange(TObjectTagEvent Handler) {
  FHostHooks.OnObjectChange = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnPanelCreate(TPanelCreateEvent Handler) {
  FHostHooks.OnPanelCreate = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnPanelDestroy(TPanelDestroyEvent Handler) {
  FHostHooks.OnPanelDestroy = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnPanelPrint(TPanelPrintEvent Handler) {
  FHostHooks.OnPanelPrint = std::move(Handler);
  UpdateDocumentHooks();
}
void THTMLViewer::SetOnFormSubmit(TFormSubmitEvent Handler) {
  FHostHooks.OnFormSubmit = std::move(Handler);
  UpdateDocumentHooks();
}

void THTMLViewer::UpdateDocumentHooks() {
  TDocumentHooks hooks = FHostHooks;
  // A submission reaches the host from the viewer's message loop, not from inside the
  // control's handler.
  if (FHostHooks.OnFormSubmit) {
    hooks.OnFormSubmit = [this](TObject*, const std::string& Action, const std::string& Target,
                                const std::string& EncType, const std::string& Method,
                                TStringList* Results) {
      QueueFormSubmit(Action, Target, EncType, Method, Results);
    };
  }
  // The control whose event this is, its form and the document stay in use after the
  // host's handler returns.
  auto held = [this](const TObjectTagEvent& Host) -> TObjectTagEvent {
    if (!Host) return nullptr;
    return [this, Host](TObject* Sender, TObject* Obj, const std::string& Text) {
      TDocumentHold hold(*this);
      Host(Sender, Obj, Text);
    };
  };
  hooks.OnObjectClick = held(FHostHooks.OnObjectClick);
  hooks.OnObjectFocus = held(FHostHooks.OnObjectFocus);
  hooks.OnObjectBlur = held(FHostHooks.OnObjectBlur);
  hooks.OnObjectChange = held(FHostHooks.OnObjectChange);
  hooks.OnPageColorChange = [this](TObject*) { BackgroundChanged(); };
  hooks.OnControlEnter = [this](TObject* Control) {
    // Only form controls placed in the document are brought into view.
    auto* placed = dynamic_cast<TIDObject*>(Control);
    if (placed && dynamic_cast<TDocControl*>(Control)) {
      EnsureScreenLayout();
      ScrollControlIntoView(Control, placed->GetTopY());
    }
  };
  hooks.OnControlKeyDown = [this](int Key, TShiftState Shift) { KeyDown(Key, Shift); };
  hooks.OnLayoutProgress = [this](int Percent) { ReportProgress(Percent); };
  hooks.OnExpandName = [this](const std::string& Name) { return ExpandSourceName(Name); };
  hooks.TimerFactory = [this]() -> std::unique_ptr<TDocumentTimer> {
    return std::make_unique<TAnimationTimer>(Handle());
  };
  hooks.WaitStream = FWaitStream.get();
  FSectionList->Hooks = std::move(hooks);
}
