#include "document/images/image_obj.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "document/core/draw_list.h"
#include "document/core/indent_manager.h"
#include "document/core/outline_colours.h"
#include "document/core/section_list.h"
#include "document/images/image_cache.h"
#include "document/images/placeholder_pictures.h"
#include "images/gif_bitmap.h"
#include "images/gif_image.h"
#include "images/image_loader.h"
#include "style/properties.h"
#include "style/units.h"
#include "style/vertical_align.h"
#include "toolkit/graphics/bitmap.h"
#include "toolkit/graphics/raster_ops.h"
#include "toolkit/windows/clock.h"
#include "toolkit/windows/window.h"

namespace {

// The farthest a relative position moves an image, each way: a screen many times over.
constexpr int MaxImageShift = 10000;

int MulDiv(int A, int B, int C) { return C == 0 ? 0 : int(int64_t(A) * B / C); }

std::string UpperTrimmed(std::string S) {
  const size_t first = S.find_first_not_of(" \t\r\n");
  const size_t last = S.find_last_not_of(" \t\r\n");
  S = first == std::string::npos ? std::string() : S.substr(first, last - first + 1);
  if (!S.empty() && S[0] == '#') S.erase(0, 1);
  for (char& c : S) c = char(std::toupper(static_cast<unsigned char>(c)));
  return S;
}

// Draws Text wrapped at blanks in Left..Right from Top down to Bottom; a word wider than
// the room stands on a line of its own, cut at the edge.
void DrawWrappedText(TCanvas* Canvas, int Left, int Top, std::string Text, int Bottom, int Right) {
  const int lineHeight = std::max(1, Canvas->TextHeight("A"));
  const TRect clip{Left, Top, Right, Bottom};
  const int savedMode = Canvas->SetBkMode(TRANSPARENT);
  const unsigned savedAlign = Canvas->SetTextAlign(TA_LEFT | TA_TOP);
  std::string line;
  auto trim = [](std::string& S) {
    size_t a = 0, b = S.size();
    while (a < b && static_cast<unsigned char>(S[a]) <= 32) ++a;
    while (b > a && static_cast<unsigned char>(S[b - 1]) <= 32) --b;
    S = S.substr(a, b - a);
  };
  while (!Text.empty() && Top + lineHeight <= Bottom) {
    trim(Text);
    if (Text.empty()) break;
    const size_t space = Text.find(' ');
    const std::string word = Text.substr(0, space);
    Text = space == std::string::npos ? std::string() : Text.substr(space + 1);
    if (Canvas->TextWidth(line + word) > Right - Left) {
      if (!line.empty()) {
        Canvas->TextRect(clip, Left, Top, line);
        Top += lineHeight;
      }
      line = word + " ";
    } else {
      line += word + " ";
    }
  }
  if (!line.empty() && Top + lineHeight <= Bottom) Canvas->TextRect(clip, Left, Top, line);
  Canvas->SetTextAlign(savedAlign);
  Canvas->SetBkMode(savedMode);
}

// A sunken frame just inside R: dark above and left, light below and right, in the
// colours of the table outlines.
void SunkenFrame(TCanvas* Canvas, const TPaintContext& Context, const TSectionList* Document,
                 const TRect& R) {
  const auto [light, dark] = DefaultOutlineColours(*Canvas, Context, Document);
  Canvas->FillRect(TRect{R.Left, R.Top, R.Right, R.Top + 1}, dark);
  Canvas->FillRect(TRect{R.Left, R.Top, R.Left + 1, R.Bottom}, dark);
  Canvas->FillRect(TRect{R.Left, R.Bottom - 1, R.Right, R.Bottom}, light);
  Canvas->FillRect(TRect{R.Right - 1, R.Top, R.Right, R.Bottom}, light);
}

// Copies Picture at the size of To, through Mask when there is one.
void PaintPicture(TCanvas* Canvas, const TRect& To, TBitmap& Picture, TBitmap* Mask) {
  const int w = To.Right - To.Left, h = To.Bottom - To.Top;
  if (w <= 0 || h <= 0 || Picture.Width() <= 0 || Picture.Height() <= 0) return;
  const TRect whole{0, 0, Picture.Width(), Picture.Height()};
  if (!Mask) {
    Canvas->StretchBlt(To.Left, To.Top, w, h, Picture.Canvas(), 0, 0, whole.Right, whole.Bottom,
                       SRCCOPY);
    return;
  }
  if (w == whole.Right && h == whole.Bottom) {
    Canvas->DrawMasked(To, Picture.Canvas(), Mask->Canvas(), whole);
    return;
  }
  TBitmap scaled(w, h), scaledMask(w, h, pf1bit);
  scaled.Canvas().StretchBlt(0, 0, w, h, Picture.Canvas(), 0, 0, whole.Right, whole.Bottom, SRCCOPY);
  scaledMask.Canvas().StretchBlt(0, 0, w, h, Mask->Canvas(), 0, 0, whole.Right, whole.Bottom,
                                 SRCCOPY);
  Canvas->DrawMasked(To, scaled.Canvas(), scaledMask.Canvas(), TRect{0, 0, w, h});
}

}  // namespace

TImageObj::TImageObj(TSectionList* ADocument, int Pos, const TImageAttributes& A, bool InLink)
    : FTextPos(Pos), FDocument(ADocument) {
  FSource = A.Src;
  FAltText = A.Alt;
  FTitleText = !A.Title.empty() ? A.Title : A.Alt;
  FAlign = A.Align;
  FBorderOff = A.BorderOff;
  FTransparent = A.Transparent ? tkLowerLeft : tkNone;
  FIsMap = A.IsMap;
  FHover = A.Active;
  FInLink = InLink;
  if (!A.UseMap.empty()) FMapKey = UpperTrimmed(A.UseMap);
  FWidthIsPercent = A.WidthIsPercent;
  FWantWidth = A.WidthIsPercent ? std::clamp(A.Width, 1, 100) : std::max(0, A.Width);
  FWantHeight = std::max(0, A.Height);
  if (A.HSpace >= 0) {
    FSpaceLeft = FSpaceRight = std::min(40, std::abs(A.HSpace));
  } else if (Floating()) {
    FSpaceLeft = FSpaceRight = 3;
  }
  FSpaceTop = FSpaceBottom = std::min(40, std::abs(A.VSpace));
}

TImageObj::TImageObj(TSectionList* ADocument, const TImageObj& Source)
    : TFloatingObj(Source),
      TDocImage(Source),
      FTextPos(Source.FTextPos),
      FDocument(ADocument),
      FSource(Source.FSource),
      FAltText(Source.FAltText),
      FTitleText(Source.FTitleText),
      FMapKey(Source.FMapKey),
      FBorderOff(Source.FBorderOff),
      FIsMap(Source.FIsMap),
      FInLink(Source.FInLink),
      FHasLinkBorder(Source.FHasLinkBorder),
      FBlockLevel(Source.FBlockLevel),
      FBox(Source.FBox ? std::make_unique<TInlineBox>(*Source.FBox) : nullptr),
      FShiftX(Source.FShiftX),
      FShiftY(Source.FShiftY),
      FTransparent(Source.FTransparent),
      FWantWidth(Source.FWantWidth),
      FWantHeight(Source.FWantHeight),
      FWidthIsPercent(Source.FWidthIsPercent),
      FPicWidth(Source.FPicWidth),
      FPicHeight(Source.FPicHeight),
      FSizeFixed(Source.FSizeFixed),
      FFetched(true),
      FBitmap(Source.FBitmap),
      FGif(Source.FGif),
      FOwnGif(Source.FOwnGif),
      FMask(Source.FMask) {}

TImageObj::~TImageObj() { ReleaseImage(); }

void TImageObj::ReleaseImage() {
  if (!FDocument) return;
  if (FDelayed) FDocument->ForgetWaiter(this);
  if (FGif) {
    auto& animated = FDocument->AnimatedImages;
    if (!FDocument->IsPrintCopy)
      animated.erase(std::remove(animated.begin(), animated.end(), FGif), animated.end());
  }
  if (FHeld && FDocument->ImageCache) FDocument->ImageCache->Release(ImageCacheKey(FSource));
  FHeld = false;
}

std::unique_ptr<TInlineObject> TImageObj::Clone(TSectionList* ADocument) const {
  return std::make_unique<TImageObj>(ADocument, *this);
}

void TImageObj::ApplyProperties(const TProperties& Prop) {
  const int em = Prop.FEmPixels > 0 ? Prop.FEmPixels : 16, ex = Prop.FExPixels > 0 ? Prop.FExPixels : 8;
  if (const TPropValue& v = Prop[piVerticalAlign]; v.IsString()) {
    // Percentages count in the line-height; "normal" stands for a fifth more than the em.
    const int lineHeight = Prop.LineHeightPixels(em) > 0 ? Prop.LineHeightPixels(em) : em * 6 / 5;
    if (TVerticalPlacement place; VerticalPlacementOf(v.AsString(), em, ex, lineHeight, place)) {
      static constexpr TObjectAlign Aligns[] = {TObjectAlign::Top,        TObjectAlign::Middle,
                                                TObjectAlign::Baseline,   TObjectAlign::Bottom,
                                                TObjectAlign::TextTop,    TObjectAlign::TextBottom};
      FAlign = Aligns[static_cast<int>(place.Align)];
      FRaise = place.Raise;
    }
  }
  if (TFloatSide side = TFloatSide::None; Prop.FloatSide(side)) {
    if (side != TFloatSide::None) {
      // A style float has the margins its style gives, none by default.
      FAlign = side == TFloatSide::Left ? TObjectAlign::LeftFloat : TObjectAlign::RightFloat;
    }
  }
  if (FTitleText.empty()) FTitleText = Prop.FTitleText;
  // A style border of no width, as BORDER=0 does, leaves a linked image without a frame.
  if (const TPropValue& w = Prop[piBorderTopWidth];
      (w.IsString() && LengthToPixels(w.AsString(), false, 200, 16, 8, -1) == 0) ||
      (w.IsInteger() && w.AsInteger() == 0))
    FBorderOff = true;
  auto pixels = [&](int Index, int& Out) {
    const TPropValue& v = Prop[Index];
    if (v.IsString()) {
      if (v.AsString() == "auto") return false;
      Out = LengthToPixels(v.AsString(), false, 200, em, ex, Out);
      return true;
    }
    if (v.IsInteger() && v.AsInteger() != NoValue) {
      Out = v.AsInteger();
      return true;
    }
    return false;
  };
  pixels(piMarginLeft, FSpaceLeft);
  pixels(piMarginRight, FSpaceRight);
  pixels(piMarginTop, FSpaceTop);
  pixels(piMarginBottom, FSpaceBottom);
  // Margins may be negative: the picture then overlaps what is beside it.
  for (int* space : {&FSpaceLeft, &FSpaceRight, &FSpaceTop, &FSpaceBottom})
    *space = std::clamp(*space, -1000, 1000);
  if (Prop.PositionKind() == TPositionKind::Relative) {
    // "right" and "bottom" count the other way, and only where "left" and "top" are auto.
    if (!pixels(piLeft, FShiftX) && pixels(piRight, FShiftX)) FShiftX = -FShiftX;
    if (!pixels(piTop, FShiftY) && pixels(piBottom, FShiftY)) FShiftY = -FShiftY;
    FShiftX = std::clamp(FShiftX, -MaxImageShift, MaxImageShift);
    FShiftY = std::clamp(FShiftY, -MaxImageShift, MaxImageShift);
  }
  if (TInlineBox box; InlineBoxFrom(Prop, box) || box.Background != NoColour) {
    // A style border replaces the frame of a linked image.
    if (box.Border[0] || box.Border[1] || box.Border[2] || box.Border[3]) FBorderOff = true;
    FBox = std::make_unique<TInlineBox>(box);
  } else {
    FBox.reset();
  }
  if (const TPropValue& w = Prop[piWidth]; w.IsString() && w.AsString() == "auto") {
    FWantWidth = 0;
    FWidthIsPercent = false;
  } else if (int width = 0; pixels(piWidth, width)) {
    FWantWidth = std::clamp(width, 0, 32000);
    FWidthIsPercent = false;
  }
  if (const TPropValue& h = Prop[piHeight]; h.IsString() && h.AsString() == "auto") {
    FWantHeight = 0;
  } else if (int height = 0; pixels(piHeight, height)) {
    FWantHeight = std::clamp(height, 0, 32000);
  }
}

bool TImageObj::IsPlaceholder() const { return !FBitmap && !FGif; }

void TImageObj::Fetch() {
  // Printing fetches nothing: the pages show what the screen had.
  if (FFetched || !FDocument || FDocument->Printing) return;
  if (!FDocument->ImagesOn || FSource.empty()) return;
  FFetched = true;
  FDocument->Hooks.ResolveImageFile(FSource);
  const std::string key = ImageCacheKey(FSource);
  if (FDocument->PendingImages.IndexOf(key) >= 0) {
    FDelayed = true;
    FDocument->PendingImages.AddObject(key, this);
    return;
  }
  bool fromCache = false;
  TBitmap* mask = nullptr;
  const TImageRef image = FDocument->FetchImage(FSource, FTransparent, mask, fromCache, FDelayed);
  if (!image.Empty()) {
    Adopt(image, mask);
  } else if (FDelayed) {
    FDocument->PendingImages.AddObject(key, this);
  }
}

void TImageObj::Adopt(const TImageRef& Image, TBitmap* Mask) {
  FHeld = true;
  FBitmap = Image.Bitmap;
  FGif = Image.Gif;
  FMask = Mask;
  if (!FGif || FDocument->IsPrintCopy) return;
  if (FGif->Animated) {
    // Each use plays on its own and is painted where it stands; its screen counts against the
    // document's budget, past which the use stands still on the shared picture's first frame.
    if (!FHover && !FDocument->ChargeImagePixels(int64_t(FGif->Width) * FGif->Height)) return;
    FOwnGif = FGif->Clone();
    FGif = FOwnGif.get();
  }
  auto& animated = FDocument->AnimatedImages;
  if (FHover) {
    FGif->SwitchAnimation(false, TimeGetTime());
  } else if (FGif->Animated && std::find(animated.begin(), animated.end(), FGif) == animated.end()) {
    animated.push_back(FGif);
  }
}

void TImageObj::SizeFor(int Width) {
  Fetch();
  const bool placeholder = IsPlaceholder();
  if (!FSizeFixed) {
    int H = 0, W = 0;
    if (FGif) {
      W = FGif->Width;
      H = FGif->Height;
    } else if (FBitmap) {
      W = FBitmap->Width();
      H = FBitmap->Height();
    } else {
      TBitmap& stand = FDelayed || !FDocument || !FDocument->ImagesOn ? WaitingPicture() : ErrorPicture();
      W = stand.Width();
      H = stand.Height();
    }
    W = std::max(W, 1);
    H = std::max(H, 1);
    if (placeholder) {
      if (FWantWidth > 0 && FWantHeight > 0 && !FWidthIsPercent) {
        FPicWidth = FWantWidth;
        FPicHeight = FWantHeight;
        FSizeFixed = true;
      } else if (FWidthIsPercent && FWantHeight > 0) {
        FPicWidth = std::max(1, MulDiv(Width, FWantWidth, 100));
        FPicHeight = FWantHeight;
      } else {
        FPicWidth = W;
        FPicHeight = H;
      }
    } else if (FWidthIsPercent) {
      FPicWidth = std::max(1, MulDiv(Width, FWantWidth, 100));
      FPicHeight = FWantHeight > 0 ? FWantHeight : std::max(1, MulDiv(FPicWidth, H, W));
    } else {
      if (FWantWidth > 0 && FWantHeight > 0) {
        FPicWidth = FWantWidth;
        FPicHeight = FWantHeight;
      } else if (FWantHeight > 0) {
        FPicHeight = FWantHeight;
        FPicWidth = std::max(1, MulDiv(FWantHeight, W, H));
      } else if (FWantWidth > 0) {
        FPicWidth = FWantWidth;
        FPicHeight = std::max(1, MulDiv(FWantWidth, H, W));
      } else {
        FPicWidth = W;
        FPicHeight = H;
      }
      FSizeFixed = true;
    }
    FPicWidth = std::min(FPicWidth, 32000);
    FPicHeight = std::min(FPicHeight, 32000);
    if (placeholder && !FSizeFixed) {
      // Room for the alternative text beside the icon.
      // The text is measured once: it does not change from one layout to the next.
      if (FAltSize.cx < 0) {
        FAltSize = TSize{0, 0};
        if (!FAltText.empty()) {
          TBitmap scratch(1, 1);
          TCanvas& c = scratch.Canvas();
          c.Font.Name = "Arial";
          c.Font.Size = 8;
          FAltSize = c.TextExtent(FAltText);
        }
      }
      FPicWidth = std::max(FPicWidth, std::min(FAltSize.cx + 2 + 24, 32000));
      FPicHeight = std::max(FPicHeight, std::max(24, FAltSize.cy));
    }
  }
  FBoxWidth = FPicWidth;
  FBoxHeight = FPicHeight;
  if (FBox) {
    FBox->Ascent = static_cast<int16_t>(FPicHeight);
    FBoxWidth += FBox->LeftWidth() - FBox->MarginLeft + FBox->RightWidth() - FBox->MarginRight;
    FBoxHeight += FBox->Border[0] + FBox->Padding[0] + FBox->Padding[2] + FBox->Border[2];
  }
  FHasLinkBorder = !FBorderOff && FInLink;
  if (FHasLinkBorder) {
    FBoxWidth += 2;
    FBoxHeight += 2;
  }
}

void TImageObj::Draw(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY,
                     int Baseline) {
  if (!Canvas || Floating()) return;
  DrawAt(Canvas, Context, X + FSpaceLeft, InlineTop(TopY, Baseline));
}

void TImageObj::DrawFloating(TCanvas* Canvas, const TPaintContext& Context, int LeftEdge,
                             int TextBottom) {
  int top = 0;
  if (!Canvas || !FloatTop(Context, top)) return;
  if (FLayoutY + FSpaceTop + FBoxHeight <= TextBottom) {
    DrawAt(Canvas, Context, LeftEdge + FFloatX, top);
    return;
  }
  if (Context.Deferred)
    Context.Deferred->AddDeferredImage(this, Canvas, LeftEdge + FFloatX, top, top, nullptr);
}

void TImageObj::DrawDeferred(TCanvas* Canvas, const TPaintContext& Context, int X, int TopY, int,
                             TDocFontRun*) {
  DrawAt(Canvas, Context, X, TopY);
}

void TImageObj::DrawAt(TCanvas* Canvas, const TPaintContext& Context, int X, int Y) {
  X += FShiftX;
  Y += FShiftY;
  FPaintX = X;
  FPaintY = Y + Context.ScrollY;
  int x = X, y = Y;
  if (FHasLinkBorder) {
    ++x;
    ++y;
  }
  if (FBox) {
    const bool colours = !Context.ForPrinter || Context.PrintColors;
    FBox->Paint(Canvas, x, X + FBoxWidth - (FHasLinkBorder ? 1 : 0), y + EdgeTop() + FPicHeight,
               true, true, colours);
    x += EdgeLeft();
    y += EdgeTop();
  }
  const TRect box{x, y, x + FPicWidth, y + FPicHeight};
  const bool imagesOn = FDocument && FDocument->ImagesOn;
  const bool placeholder = !imagesOn || IsPlaceholder();
  const TColor linkColor = FDocument ? FDocument->HotSpotColor : clBlue;
  if (!placeholder) {
    if (FGif) {
      // A frame is composed once, when it is first shown, not at every paint.
      if (!FFrame || FFrameShown != FGif->CurrentFrame()) {
        FFrame = CurrentFrameBitmap(*FGif, FFrameMask);
        FFrameShown = FGif->CurrentFrame();
      }
      if (FFrame) PaintPicture(Canvas, box, *FFrame, FFrameMask.get());
      // Only the screen's paint tells where the animation is to be painted again.
      if (!FDocument || !FDocument->PrintsPages()) FGif->LastRect = box;
    } else if (FBitmap) {
      PaintPicture(Canvas, box, *FBitmap, FTransparent != tkNone ? FMask : nullptr);
    }
  } else {
    TBitmap& icon = FDelayed || !imagesOn ? WaitingPicture() : ErrorPicture();
    TBitmap* mask = &icon == &ErrorPicture() ? &ErrorPictureMask() : nullptr;
    if (FPicWidth > 23 && FPicHeight > 23)
      PaintPicture(Canvas, TRect{x + 4, y + 4, x + 4 + icon.Width(), y + 4 + icon.Height()}, icon,
                   mask);
    if (!FAltText.empty()) {
      const TFontSpec savedFont = Canvas->Font;
      Canvas->Font.Name = "Arial";
      Canvas->Font.Size = 8;
      Canvas->Font.Color = FHasLinkBorder ? linkColor : clBlack;
      DrawWrappedText(Canvas, x + 24, y + 4, FAltText, box.Bottom - 1, box.Right - 2);
      Canvas->Font = savedFont;
    }
    if (!FHasLinkBorder) SunkenFrame(Canvas, Context, FDocument, box);
  }
  if (FHasLinkBorder) {
    const TBrush saved = Canvas->Brush;
    Canvas->Brush = TBrush{linkColor, bsSolid};
    Canvas->FrameRect(TRect{X, Y, X + FBoxWidth, Y + FBoxHeight});
    Canvas->Brush = saved;
  }
}

bool TImageObj::HitAt(int X, int Y, int& IX, int& IY) const {
  const int border = FHasLinkBorder ? 1 : 0;
  IX = X - FPaintX - border - EdgeLeft();
  IY = Y - FPaintY - border - EdgeTop();
  return IX >= 0 && IX < FPicWidth && IY >= 0 && IY < FPicHeight;
}

void TImageObj::SetHoverState(THoverState State) {
  if (FHoverState == State) return;
  // Every image knows whether the mouse is over it or pressed on it (a click reports
  // that); only an active GIF changes its look.
  FHoverState = State;
  if (!FHover || !FGif || !FDocument) return;
  auto& animated = FDocument->AnimatedImages;
  const uint32_t now = TimeGetTime();
  if (State != hvOff) {
    if (FGif->FrameCount == 2) {
      FGif->ShowFrame(2);
    } else if (FGif->FrameCount == 3) {
      FGif->ShowFrame(State == hvOverDown ? 3 : 2);
    } else {
      FGif->SwitchAnimation(true, now);
      if (std::find(animated.begin(), animated.end(), FGif) == animated.end())
        animated.push_back(FGif);
      FDocument->EnableTimerForImages();
    }
  } else {
    FGif->SwitchAnimation(false, now);
    FGif->ShowFrame(1);
    animated.erase(std::remove(animated.begin(), animated.end(), FGif), animated.end());
  }
  if (FDocument->PaintPanel) InvalidateRect(FDocument->PaintPanel, nullptr, false);
}

bool TImageObj::ReplaceImage(TMemoryStream*) {
  if (!FDocument || !FDelayed) return false;
  FFetched = false;
  FDelayed = false;
  bool fromCache = false, delayed = false;
  TBitmap* mask = nullptr;
  FFetched = true;
  const TImageRef image = FDocument->FetchImage(FSource, FTransparent, mask, fromCache, delayed);
  if (image.Empty()) return false;
  Adopt(image, mask);
  if (FGif && !FHover && FGif->Animated && !FDocument->IsPrintCopy) {
    FGif->SwitchAnimation(true, TimeGetTime());
    FDocument->EnableTimerForImages();
  }
  const bool resized = !FSizeFixed;
  if (resized) FSizeFixed = false;
  return resized;
}
