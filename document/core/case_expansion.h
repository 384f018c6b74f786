// Letters whose upper, capitalised or lower case takes another number of UTF-8 bytes than
// the letter: the full mappings of Latin, Greek, Cyrillic and Armenian.
#pragma once

#include <string>
#include <vector>

#include "style/layout_kinds.h"

// Widens (or narrows) a piece of UTF-8 text about to be appended under Case: each such
// letter is spelled out; every byte of its spelling takes the source offset of the letter's
// byte at the same place (its last for the bytes past its length). Starts lists, for each
// spelled letter, where its spelling starts in Chars and how many bytes it takes. InWord
// tells whether the piece continues a word. False when nothing changes.
bool ExpandCase(const char* Chars, const int* Indexes, int Count, TTextTransform Case,
                bool InWord, std::string& OutChars, std::vector<int>& OutIndexes,
                std::vector<std::pair<int, int>>& Spelled);
