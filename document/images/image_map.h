// Client-side image maps: named lists of areas (rectangles, circles, polygons) with links,
// looked up by the point clicked inside an image that names the map.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/classes.h"
#include "document/core/document_objects.h"

class TUrlTarget;

// What an AREA tag says, as the reader found it.
struct TAreaAttributes {
  std::string Href, Target, Shape, Coords;
  bool NoHref = false;
};

class TMapItem : public TObject, public TDocImageMap {
 public:
  // Adds an area in document order; one with too few numbers for its shape is left out. The
  // default shape covers the whole image.
  void AddArea(const TAreaAttributes& A);
  // The link of the first area containing (X, Y), a point inside the image; false when no
  // area contains it or the first one that does has no link (it hides those below).
  bool GetURL(int X, int Y, std::unique_ptr<TUrlTarget>& UrlTarget) const override;
  const std::string& Name() const override { return MapName; }
  int AreaCount() const { return int(FAreas.size()); }

  std::string MapName;  // upper case

 private:
  enum class TShape { Rect, Circle, Poly, Whole };  // Whole: the default area
  struct TArea {
    std::string Href, Target;
    TShape Shape = TShape::Rect;
    std::vector<int> Coords;
    bool Contains(int X, int Y) const;
  };
  std::vector<TArea> FAreas;
};
