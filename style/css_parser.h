// The CSS parser: style sheets read character by character from a source (the HTML
// lexer's, or a string), and style attributes. It accepts a small, forgiving subset
// of CSS; whatever does not fit is skipped, never reported.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TStyleList;
class TProperties;

// Hands out the next byte of a style sheet on each call, and EndOfInput at the end of input
// (for ever after). The lexer's character source is one of these.
using TCssGetChar = std::function<char()>;
constexpr char EndOfInput = 26;

// Asked right after the source handed out a "<" inside a comment: true when the style
// element's end tag may start there (or when that cannot be told).
using TCssEndTagAt = std::function<bool()>;

// Loads the sheet an "@import" names, its address resolved against the importing sheet's
// base: true with its text and the base for the addresses in it, false when it cannot be
// had. Imports nest at most MaxImportDepth deep, and one parse imports at most MaxImports
// sheets in all; the rest are left out.
using TCssImporter =
    std::function<bool(const std::string& address, std::string& text, std::string& base)>;
constexpr int MaxImportDepth = 8;
constexpr int MaxImports = 64;

// Reads rules into styles until the end of input or a "<" outside a rule. Inside a
// comment only the element's end tag ends the sheet, as endTagAt tells (without it,
// every "<" does). firstChar is the character the caller already read; on return it is
// the character that stopped the parse, upper-cased (normally the "<" of the end tag).
// "url(" values are resolved against baseUrl when it is not empty.
void ParseStyleSheet(TStyleList& styles, const TCssGetChar& getChar, char& firstChar,
                     std::string_view baseUrl, const TCssEndTagAt& endTagAt = {},
                     const TCssImporter& importer = {});
// The same over text held in memory, where the end tag is "</style"; returns the
// stopping character, upper-cased.
char ParseStyleSheetText(TStyleList& styles, std::string_view text, std::string_view baseUrl,
                         const TCssImporter& importer = {});
// A sheet of its own (a linked file or stream): it ends only at the end of the text, and
// a "<" in it, in a comment say, is an ordinary character.
void ParseLinkedStyleSheet(TStyleList& styles, std::string_view text, std::string_view baseUrl,
                           const TCssImporter& importer = {});

// Declarations of a style attribute into props.
void ParseStyleAttribute(std::string_view text, TProperties& props);

// Splits a shorthand value into words (at most maxIndex + 1). Quoted stretches stay
// in one word; "12pt/14pt" gives "12pt" and "/14pt".
void SplitWords(std::string_view text, std::vector<std::string>& words, int maxIndex, int& count);
// Moves "url(...)" pieces (or, when there are none, "rgb(...)" pieces) out of text.
void ExtractFunctions(std::string& text, std::vector<std::string>& words, int maxIndex,
                      int& count);
// The key of a selector: descendant selectors are reversed, the target first, with a
// counter from the style list that keeps equal selectors apart ("ul li a" gives
// "a 2NNli ul ").
std::string ContextualKey(TStyleList& styles, std::string_view selector);
// Resolves the address of a "url(...)" value against baseUrl; returns "url(address)".
std::string ResolveURL(std::string_view value, std::string_view baseUrl);
