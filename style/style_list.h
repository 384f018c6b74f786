// The document's style rules, keyed by selector text, with the built-in default
// sheet and the lookup order that decides which rules an element takes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "style/properties.h"

class TStyleList {
 public:
  TStyleList();
  ~TStyleList();

  void Clear();
  int Count() const { return int(FItems.size()); }
  std::string_view Key(int index) const { return FItems[index].Key; }
  // Rules change only through the list's own operations.
  const TProperties& Rule(int index) const { return *FItems[index].Rule; }
  // Index of the first rule under exactly this key (case-insensitive), or -1.
  int IndexOf(std::string_view key) const;

  // Clears the list and builds the default sheet for a new document; pointSize
  // becomes the document default size.
  void BuildDefaults(std::string_view fontName, std::string_view preFontName, int pointSize,
                     TColor textColor, TColor linkColor, TColor visitedColor,
                     TColor hoverColor, bool linkUnderline, uint8_t charSet, int marginHeight,
                     int marginWidth);

  // Stores one declaration under one selector key; unknown property names do nothing.
  void SetRuleValue(std::string_view selector, std::string_view propName, std::string_view value);
  const TProperties& CloneRule(std::string_view key, const TProperties& rule);
  void SetLinkColor(std::string_view name, TColor color);
  // Adds the pair after any rules with an equal key, and stores the key in the rule.
  const TProperties& AddObject(std::string_view key, std::unique_ptr<TProperties> rule);
  // The counter text for a new contextual key; the counter then moves on.
  std::string NextKeyNumber();

  // Merges every rule that applies to the element into target, in lookup order.
  // Contextual rules look at target's ancestors on its property stack.
  void ApplyRules(TProperties& target, std::string_view tag, std::string_view elementClass,
                  std::string_view id, std::string_view pseudo) const;

  const TProperties* DefaultRule() const { return FDefaultRule; }
  // A rule used ":hover": links must be redrawn as the mouse moves over them.
  bool HoverLinksOn() const { return FHoverLinksOn; }
  void SetHoverLinksOn(bool on) { FHoverLinksOn = on; }

  // The distinct ancestor components of the contextual rules, numbered from 0 in the
  // order they were met; numbers stay valid until Clear, which starts a new generation.
  size_t ComponentCount() const { return FComponents.size(); }
  uint64_t Generation() const { return FGeneration; }
  // Appends the numbers of the components (from First on) that an element matches.
  void MatchingComponents(const TProperties& element, size_t first,
                          std::vector<int>& out) const;

 private:
  TProperties& Insert(std::string_view key, std::unique_ptr<TProperties> rule);
  TProperties& Clone(std::string_view key, const TProperties& rule);
  void RefreshMergeList(int index);
  size_t LowerBound(std::string_view key) const;
  void MergeKey(TProperties& target, std::string_view key) const;
  // Parts passed empty do not take part in the first component.
  void ContextualPass(TProperties& target, std::string_view lead, std::string_view elementClass,
                      std::string_view id, std::string_view pseudo) const;
  void ContextualRange(TProperties& target, std::string_view firstComponent) const;
  int ComponentNumber(std::string_view tag, std::string_view elementClass, std::string_view id,
                      std::string_view pseudo);

  // One part of a contextual key: tag[.class][#id][:pseudo], parts optional.
  struct TKeyComponent {
    std::string Tag, Class, Id, Pseudo;
  };
  struct TStyleEntry {
    std::string Key;
    std::unique_ptr<TProperties> Rule;
    // The ancestor components of a contextual key by number, nearest first.
    std::vector<int> Ancestors;
    TMergeList Merge;  // kept up to date by every change the list makes
  };
  std::vector<TStyleEntry> FItems;
  std::vector<TKeyComponent> FComponents;
  std::unordered_map<std::string, int> FComponentNumbers;  // by component text
  // Component numbers by their first non-empty part: " tag", ".class", "#id" or
  // ":pseudo" (a blank never occurs in a key's component); "" for the empty component.
  std::unordered_map<std::string, std::vector<int>> FComponentsByPart;
  uint64_t FGeneration;
  int FKeyCounter = 10;
  const TProperties* FDefaultRule = nullptr;
  bool FHoverLinksOn = false;
};
