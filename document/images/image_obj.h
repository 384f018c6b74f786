// Images in the flow of text: an IMG element's picture sitting at one position of a text
// section, inline on its line or floating left or right with the text around it.
#pragma once

#include <memory>
#include <string>

#include "document/core/document_objects.h"
#include "document/core/floating_obj.h"
#include "document/core/image_cache_access.h"
#include "document/core/inline_box.h"

class TBitmap;
class TGIFImage;
class TProperties;

// What an IMG tag says about its image, as the reader found it.
struct TImageAttributes {
  std::string Src, Alt, Title, UseMap;
  TObjectAlign Align = TObjectAlign::Baseline;
  bool BorderOff = false;        // BORDER=0
  bool Transparent = false;      // TRANSP: the lower-left pixel's colour shows the page
  bool IsMap = false;
  bool Active = false;           // a GIF that changes its frame under the mouse
  int Width = 0;                 // pixels, or percent when WidthIsPercent; 0 none
  bool WidthIsPercent = false;
  int Height = 0;                // pixels; 0 none
  int HSpace = -1, VSpace = 0;   // -1: none given
};

class TImageObj : public TFloatingObj, public TDocImage {
 public:
  // Pos is the position of the image's placeholder character in its section. InLink says
  // whether the image stands inside a link (a frame is drawn unless BORDER=0).
  TImageObj(TSectionList* ADocument, int Pos, const TImageAttributes& A, bool InLink);
  // The print copy: sizes and settings, sharing the picture.
  TImageObj(TSectionList* ADocument, const TImageObj& Source);
  ~TImageObj() override;
  TImageObj(const TImageObj&) = delete;
  TImageObj& operator=(const TImageObj&) = delete;

  // Style of the element: vertical alignment, float, margins as spaces, padding and borders
  // around the picture, width and height, the offsets of a relative position.
  void ApplyProperties(const TProperties& Prop);

  // TInlineObject.
  void SizeFor(int Width) override;
  bool PercentWidth() const override { return FWidthIsPercent; }
  void Draw(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY, int Baseline) override;
  void DrawFloating(TCanvas* Canvas, const TPaintContext& Context, int LeftEdge,
                    int TextBottom) override;
  bool HitAt(int X, int Y, int& IX, int& IY) const override;
  std::string TitleText() const override { return FTitleText; }
  TDocImage* AsImage() override { return this; }
  bool BlockLevel() const override { return FBlockLevel; }
  void SetBlockLevel(bool Value) { FBlockLevel = Value; }
  std::unique_ptr<TInlineObject> Clone(TSectionList* ADocument) const override;

  // TDocImage.
  void SetHoverState(THoverState State) override;
  bool ReplaceImage(TMemoryStream* Stream) override;
  void DrawDeferred(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY, int YBaseline,
                    TDocFontRun* FontRun) override;

  const std::string& Source() const { return FSource; }
  const std::string& AltText() const { return FAltText; }
  // 0 normal, 1 under the mouse, 2 pressed.
  int HoverState() const { return FHoverState; }
  const std::string& MapKey() const override { return FMapKey; }
  bool IsMap() const override { return FIsMap; }
  bool IsPlaceholder() const;
  int PicWidth() const { return FPicWidth; }
  int PicHeight() const { return FPicHeight; }
  int PaintX() const { return FPaintX; }

  int FTextPos = 0;

 private:
  // Gets the picture once, from the cache, the viewer or a file.
  void Fetch();
  // Takes a fetched picture: an animation gets a copy of its own and joins (or, under the
  // mouse only, waits outside) the document's animated images.
  void Adopt(const TImageRef& Image, TBitmap* Mask);
  // The room the style's padding and border take left of the picture and above it.
  int EdgeLeft() const { return FBox ? FBox->Border[3] + FBox->Padding[3] : 0; }
  int EdgeTop() const { return FBox ? FBox->Border[0] + FBox->Padding[0] : 0; }
  // Paints at X with the box's top at Y (client coordinates).
  void DrawAt(TCanvas* Canvas, const TPaintContext& Context, int X, int Y);
  void ReleaseImage();

  TSectionList* FDocument;
  std::string FSource, FAltText, FTitleText, FMapKey;
  bool FBorderOff = false, FIsMap = false, FHover = false, FInLink = false;
  bool FHasLinkBorder = false;
  bool FBlockLevel = false;  // laid out as a block, on a line of its own
  // The style's padding, borders and background around the picture, when it gave any
  // (few pictures have them).
  std::unique_ptr<TInlineBox> FBox;
  // A relatively positioned image paints moved this far right and down of its place in the
  // line, which it keeps.
  int FShiftX = 0, FShiftY = 0;
  int FTransparent = 0;          // a TTransparencyKind, asked of FetchImage and answered
  int FWantWidth = 0, FWantHeight = 0;
  bool FWidthIsPercent = false;
  int FPicWidth = 0, FPicHeight = 0;
  bool FSizeFixed = false;
  bool FFetched = false;
  bool FDelayed = false;
  bool FHeld = false;            // holds a use of the cache entry of FSource
  TBitmap* FBitmap = nullptr;    // the cache's, or null
  TGIFImage* FGif = nullptr;     // the cache's, or FOwnGif, or null
  std::shared_ptr<TGIFImage> FOwnGif;  // an animation's copy, playing for this image alone
  std::unique_ptr<TBitmap> FFrame, FFrameMask;  // the GIF's frame FFrameShown as painted last
  int FFrameShown = 0;
  TSize FAltSize{-1, -1};  // the alternative text in 8-point Arial, once measured
  TBitmap* FMask = nullptr;
  int FHoverState = 0;
  int FPaintX = 0;  // X of the last paint
};
