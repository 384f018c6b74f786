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
  // The request, which orders the faces that stand in for characters this one lacks.
  bool Bold = false;
  bool Italic = false;
  std::string Language;
};

// Lowercase ASCII, for the case-insensitive face names.
std::string LowerFaceName(const std::string& name);

// The face file for a name, cached by (name, bold, italic, language); a name that is not
// installed gets the default face with FaceFound false. language is a fontconfig
// language tag of the text ("ja", "ko"...), or empty: it does not change the face
// chosen, only which faces stand in for the characters that face lacks.
const TFaceSource& FindFaceSource(const std::string& name, bool bold, bool italic,
                                  const char* language);

// The face that draws code point cp for text in primary when primary's file lacks it: the
// first face in fontconfig's order for primary's family, style and language that has cp,
// with bold or slant synthesized as primary's request needs. Null when no installed face
// has it. Answers are kept per (primary, cp); fontconfig sorts the faces once per primary.
const TFaceSource* FindFallbackSource(const TFaceSource& primary, char32_t cp);

// The cairo font face of a source, with synthesized bold or slant as the source asks;
// created once per (file, index, synthesis) and kept for the life of the process.
// Null when the file cannot be opened.
cairo_font_face_t* OpenCairoFace(const TFaceSource& source);
