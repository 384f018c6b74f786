// Where a face comes from: fontconfig matching, the installed-family list, and the
// FreeType and cairo objects for a face file, each opened once per process.
#pragma once

#include <string>

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

// A face file chosen for a family name and style.
struct TFaceSource {
  std::string File;
  int Index = 0;
  std::string Family;      // the family actually used
  bool FaceFound = false;  // the requested name is installed (directly or as a stand-in)
  bool SynthesizeBold = false;
  bool SynthesizeItalic = false;
};

// Lowercase ASCII, for the case-insensitive face names.
std::string LowerFaceName(const std::string& name);

// The face file for a name, cached by (name, bold, italic, language); a name that is not
// installed gets the default face with FaceFound false. language is a fontconfig
// language tag the face should cover ("ja", "ko"...), or empty.
const TFaceSource& FindFaceSource(const std::string& name, bool bold, bool italic,
                                  const char* language);

// The cairo font face of a source, with synthesized bold or slant as the source asks;
// created once per (file, index, synthesis) and kept for the life of the process.
// Null when the file cannot be opened.
cairo_font_face_t* OpenCairoFace(const TFaceSource& source);
