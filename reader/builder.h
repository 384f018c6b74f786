// The document builder: pulls symbols from the lexer and builds the sections, blocks and
// font runs of a section list, keeping a stack of property sets for the open elements.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/classes.h"

class TSectionList;
class TMemoryStream;
class TStrings;

// Block elements (divisions, centres, forms, headings, and the lists, quotes and tables to
// come) nest at most this deep; deeper ones add no block and their content flows on in the
// innermost one. Building, layout, drawing and destruction recurse once per level, so the
// cap bounds the stack they need; real pages stay far below it.
constexpr int MaxBlockNesting = 200;

// The host's hooks, each possibly unassigned. Sender is handed to every call.
struct TBuildHandlers {
  TObject* Sender = nullptr;
  std::function<void(TObject* Sender, const std::string& Rel, const std::string& Rev,
                     const std::string& Href)> OnLink;
  std::function<void(TObject* Sender, const std::string& HttpEq, const std::string& Name,
                     const std::string& Content)> OnMeta;
  std::function<void(TObject* Sender, const std::string& SRC, int Loop, bool Terminate)>
      OnSoundRequest;
  std::function<void(TObject* Sender, const std::string& Command, TStrings* Params,
                     char*& Buffer, int& BuffSize)> OnInclude;
  // Linked style sheets come through this when assigned, else from files.
  std::function<void(TObject* Sender, const std::string& URL, TMemoryStream*& Stream)>
      OnhtStreamRequest;
  // The viewer's URL expansion for stream requests; may be unassigned.
  std::function<std::string(const std::string& URL)> OnExpandUrl;
  // The viewer's expansion of a name to a file name; unassigned keeps the name.
  std::function<std::string(const std::string& Name)> ExpandFileName;
  // Body margins before any BODY attribute, in pixels.
  int MarginWidth = 10;
  int MarginHeight = 5;
};

// What a parse leaves for the viewer.
struct TBuildResult {
  std::string DocTitle;
  std::string BaseHref;
  std::string BaseFrameTarget;
};

// Fills Document (already cleared, its defaults applied) from an HTML text.
TBuildResult ParseHtmlDocument(std::string_view Text, TSectionList* Document,
                               const TBuildHandlers& Handlers);
// Fills Document with Text shown as it is, in preformatted lines.
TBuildResult ParseTextDocument(std::string_view Text, TSectionList* Document);

// Point sizes of FONT sizes 1 to 7 (index 0 unused) for a default size.
double FontSizePoints(int DefaultSize, int Index, bool Preformatted);
