// What the document core needs from objects that live in the flow of text sections: font
// runs, images and panels, forms and their controls. Their classes implement these
// interfaces next to their own base; the core calls nothing else of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/classes.h"
#include "toolkit/graphics/graphics.h"

class TMemoryStream;
class TUrlTarget;
struct TPaintContext;

enum THoverState : int { hvOff = 0, hvOverUp = 1, hvOverDown = 2 };

// A font run; the runs that belong to links are listed in the document's LinkRuns. It is
// the run's object too: a run is one of the commonest records of a page.
class TDocFontRun : public TObject {
 public:
  virtual ~TDocFontRun() = default;
  // Highlights (or un-highlights) this run and every run of the same link.
  virtual void SetHoverAll(bool Value) = 0;
  // The run's link and whether it shows as visited.
  virtual std::string LinkURL() const = 0;
  virtual void SetVisited(bool Value) = 0;
};

// An image object in the flow.
class TDocImage {
 public:
  virtual ~TDocImage() = default;
  virtual void SetHoverState(THoverState State) = 0;
  // Late delivery of a delayed image; true when the image's size changed.
  virtual bool ReplaceImage(TMemoryStream* Stream) = 0;
  // Paints the image as a deferred draw recorded it.
  virtual void DrawDeferred(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY,
                            int YBaseline, TDocFontRun* FontRun) = 0;
};

// A window control placed in the flow (a form control or a panel).
class TDocControl {
 public:
  virtual ~TDocControl() = default;
  // Painted in the current pass: set by drawing, cleared by ViewScrolled.
  virtual bool Shown() const = 0;
  virtual void SetShown(bool Value) = 0;
  virtual void Hide() = 0;
  // Shows the control at X = -4000, off the surface, so that a focused control keeps
  // its focus.
  virtual void ParkOffSurface() = 0;
  // True when the control's window has the input focus.
  virtual bool HasFocus() const = 0;
};

// A client-side image map; the document lists its maps.
class TDocImageMap {
 public:
  virtual ~TDocImageMap() = default;
  // The map's name, upper case.
  virtual const std::string& Name() const = 0;
  // The link of the area at (X, Y), a point inside the image; false when there is none.
  virtual bool GetURL(int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget) const = 0;
};

// A block whose background image was waited for.
class TDocBackgroundWaiter {
 public:
  virtual ~TDocBackgroundWaiter() = default;
  virtual void BackImageDelivered() = 0;
};

// A form; the document owns its forms.
class TDocForm {
 public:
  virtual ~TDocForm() = default;
  // Sizes the controls for the fonts of Canvas, before layout.
  virtual void SetSizes(TCanvas* Canvas) = 0;
  // The state of the form's controls, for history.
  virtual std::unique_ptr<TObject> GetFormControlData() = 0;
  // What every control holds (text, checks, choices), in control order, and the same put
  // back into the controls of the same document read again.
  virtual std::vector<std::vector<std::string>> ControlValues() const { return {}; }
  virtual void SetControlValues(const std::vector<std::vector<std::string>>& /*Values*/) {}
};
