// What a document calls in the viewer that shows it: the host's events and the viewer's
// own services, set by the viewer as one value and copied to the print copy as one.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/classes.h"
#include "document/core/document_timer.h"
#include "toolkit/graphics/graphics.h"
#include "toolkit/windows/window.h"

class TBitmap;

// Event hooks, sender (the viewer) first.
using TBitmapRequestEvent =
    std::function<void(TObject* Sender, const std::string& SRC, TBitmap*& Bitmap, TColor& Color)>;
using TImageRequestEvent =
    std::function<void(TObject* Sender, const std::string& SRC, TMemoryStream*& Stream)>;
using TObjectClickEvent =
    std::function<void(TObject* Sender, TObject* Obj, const std::string& OnClick)>;
using TObjectTagEvent =
    std::function<void(TObject* Sender, TObject* Obj, const std::string& Attribute)>;
using TFormSubmitEvent = std::function<void(
    TObject* Sender, const std::string& Action, const std::string& Target,
    const std::string& EncType, const std::string& Method, TStringList* Results)>;
using TScriptEvent = std::function<void(TObject* Sender, const std::string& Name,
                                        const std::string& Language, const char* Script)>;
using TPanelCreateEvent = std::function<void(TObject* Sender, const std::string& AName,
                                             const std::string& AType, const std::string& SRC,
                                             TObject* Panel)>;
using TPanelDestroyEvent = std::function<void(TObject* Sender, TObject* Panel)>;
using TPanelPrintEvent =
    std::function<void(TObject* Sender, TObject* Panel, const TBitmap* Bitmap)>;
using TControlEnterEvent = std::function<void(TObject* Control)>;
using TControlKeyEvent = std::function<void(int Key, TShiftState Shift)>;
using TLayoutProgressEvent = std::function<void(int Percent)>;
// Expands an image name the way the viewer finds files (base URL, server root).
using TExpandNameEvent = std::function<std::string(const std::string& Name)>;

struct TDocumentHooks {
  // The host's events.
  TBitmapRequestEvent OnBitmapRequest;
  TImageRequestEvent OnImageRequest;
  TObjectClickEvent OnObjectClick;
  TObjectTagEvent OnObjectFocus;
  TObjectTagEvent OnObjectBlur;
  TObjectTagEvent OnObjectChange;
  TNotifyEvent OnPageColorChange;
  TFormSubmitEvent OnFormSubmit;
  TScriptEvent OnScript;
  TPanelCreateEvent OnPanelCreate;
  TPanelDestroyEvent OnPanelDestroy;
  TPanelPrintEvent OnPanelPrint;

  // The viewer's own.
  TControlEnterEvent OnControlEnter;
  // Keys a control passes on to the viewer's own handling (scrolling).
  TControlKeyEvent OnControlKeyDown;
  TLayoutProgressEvent OnLayoutProgress;
  TExpandNameEvent OnExpandName;
  // Makes the animation timer; the plain recording timer when unset.
  TTimerFactory TimerFactory;
  // The viewer's shared empty stream that OnImageRequest returns for an image that will
  // come later (compared by address; not owned).
  TMemoryStream* WaitStream = nullptr;

  // Without the host's image events an image name is a file relative to the document,
  // expanded as the viewer finds files.
  void ResolveImageFile(std::string& Name) const {
    if (!OnBitmapRequest && !OnImageRequest && OnExpandName) Name = OnExpandName(Name);
  }
};
