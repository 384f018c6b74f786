// What the text code needs to know of a Unicode character: whether it makes words, where a
// line may break around it, and its simple case mappings.
#pragma once

// Letters and digits of any script: the characters a double-click selects as a word.
bool IsWordCodePoint(char32_t C);

// Characters a line may break before or after without a space: ideographs, kana, Hangul
// syllables, CJK punctuation and the fullwidth forms, as the double-byte pages break.
bool IsIdeographic(char32_t C);

// A line never starts with closing punctuation nor ends with opening punctuation.
bool IsClosingPunctuation(char32_t C);
bool IsOpeningPunctuation(char32_t C);

// Simple case mappings of Latin, Greek, Cyrillic and Armenian; other characters map to
// themselves.
char32_t UpperCodePoint(char32_t C);
char32_t LowerCodePoint(char32_t C);
