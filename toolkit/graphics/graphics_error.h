// Errors raised by the graphics layer: bitmaps, image readers, canvases.
#pragma once

#include <string>

#include "common/classes.h"

// A picture that cannot be made or read: bad headers, truncated data, impossible sizes.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A surface or buffer the system could not allocate.
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};
