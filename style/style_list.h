// The document's style rules, keyed by selector text, with the built-in default
// sheet and the lookup order that decides which rules an element takes.
#pragma once

#include <array>
#include <bitset>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "style/border_colors.h"
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
  // A declaration marked important outweighs every normal one and the style attribute;
  // a normal one under the same key does not replace it.
  void SetRuleValue(std::string_view selector, std::string_view propName, std::string_view value,
                    bool important = false);
  const TProperties& CloneRule(std::string_view key, const TProperties& rule);
  void SetLinkColor(std::string_view name, TColor color);
  // Adds the pair after any rules with an equal key, and stores the key in the rule.
  const TProperties& AddObject(std::string_view key, std::unique_ptr<TProperties> rule);
  // The counter text for a new contextual key; the counter then moves on.
  std::string NextKeyNumber();

  // Merges every rule that applies to the element into target, then styleAttr (when not
  // null). For each property the declaration that wins is the important one over the
  // normal, then the author's over the default sheet's, then the more specific selector,
  // then the later declaration; declarations of the style attribute outweigh all normal
  // ones. Contextual rules look at target's ancestors on its property stack. The element's
  // class may hold several names separated by blanks.
  void ApplyRules(TProperties& target, std::string_view tag, std::string_view elementClass,
                  std::string_view id, std::string_view pseudo,
                  const TProperties* styleAttr = nullptr) const;

  // Class and id names match with their case (a standards document); else without. The
  // CSS parser then keeps the case of class and id names in selectors. Clear resets it.
  bool NamesCaseSensitive() const { return FNamesCaseSensitive; }
  void SetNamesCaseSensitive(bool on) {
    if (on != FNamesCaseSensitive) ForgetIdentities();
    FNamesCaseSensitive = on;
  }

  // Some rule styles a pseudo-element (":first-line", ":first-letter"): only then are
  // elements styled for them.
  bool HasFirstLineRules() const { return FFirstLineRules; }
  bool HasFirstLetterRules() const { return FFirstLetterRules; }
  // Some rule asks for an element's previous sibling ("a + b"): the builder then tells
  // each element the one closed before it under the same parent.
  bool HasSiblingRules() const { return FSiblingReach > 0; }
  // The most siblings one rule looks back over ("a + b + c" looks back over two).
  int SiblingReach() const { return FSiblingReach; }
  // A pseudo-element's rules apply to a part of the element, styled apart from it.
  static bool IsPseudoElement(std::string_view pseudo) {
    return pseudo == "first-line" || pseudo == "first-letter" || pseudo == "before" ||
           pseudo == "after";
  }
  // Some rule styles ":before" or ":after": elements may then have generated content.
  bool HasGeneratedContentRules() const { return FGeneratedRules; }

  const TProperties* DefaultRule() const { return FDefaultRule; }
  // A rule used ":hover": links must be redrawn as the mouse moves over them.
  bool HoverLinksOn() const { return FHoverLinksOn; }
  void SetHoverLinksOn(bool on) { FHoverLinksOn = on; }

  // A link's visited, hovered, and visited and hovered fonts (items 1 to 3 of its link
  // fonts, item 0 being its own) come from styling throw-away entries above it. When no
  // contextual rule that can style those entries sets a value of their fonts (or the
  // background behind their text), the looks depend on the link's identity and own values
  // only, and are remembered per identity: Find gives them when the link's values are
  // those they were kept for, among the last few kept.
  bool FindLinkLooks(const TProperties& link, TFontInfoArray& fonts) const;
  void KeepLinkLooks(const TProperties& link, const TFontInfoArray& fonts) const;

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
  // Notes the rules under exactly this key as matching the element.
  void CollectKey(std::string_view key, std::vector<int>& out) const;
  void ApplySingleClass(std::string_view tag, std::string_view elementClass,
                        std::string_view id, std::string_view pseudo) const;
  // One step of merging the collected rules: a rule and the indices it wins.
  struct TMergeStep {
    int Item;
    TMergeList List;
  };
  // The looks of a link and what they were made from besides the sheet: the link's own
  // font, the values its throw-away entries read as given, and the document's size.
  struct TLinkLooks {
    ThtFontInfo Font;
    std::array<TPropValue, 5> Values;
    uint8_t CharSet = 0;
    int DocumentSize = 0;
    std::array<ThtFontInfo, 3> Looks;
  };
  // What one element identity (tag, class, id, pseudo-class) takes from the sheet, found
  // once per identity: elements repeat their identities by the thousand.
  struct TIdentityRules {
    std::vector<int> Plain;       // rules under exact keys, in lookup order
    std::vector<int> Contextual;  // contextual rules it may be the target of, in order
    // The same as matching reads them: per rule its index, the number of its ancestor
    // components and those, nearest first; the number is -1 for a rule that asks for a
    // parent or a sibling (matched by AncestorsMatch).
    std::vector<int> ContextCode;
    std::vector<int> Components;  // the ancestor components it matches
    bool ComponentsKnown = false;
    // The winners of the last collection (which depends on the ancestors only through
    // the contextual rules that matched): normal and important steps.
    std::vector<int> PlannedFor;
    std::vector<TMergeStep> Normal, Important;
    // Border colours won side by side (none when no collected rule colours a side).
    TBorderColors NormalSides{}, ImportantSides{};
    bool Planned = false;
    // For a link: whether its looks can be remembered (unknown until first asked), and
    // the ones last made.
    enum class TLooksKind : uint8_t { Unknown, Contextual, Alone } LooksKind = TLooksKind::Unknown;
    uint8_t NextLooks = 0;  // the slot the next looks go to
    std::vector<TLinkLooks> Looks;
  };
  // Links of one identity sit in text of a few different fonts.
  static constexpr size_t MaxLinkLooks = 4;
  // Whether any of the rules sets a value a link's looks are made from.
  bool SetsLooks(const std::vector<int>& items) const;
  static constexpr size_t MaxIdentities = 512;
  TIdentityRules& RulesFor(std::string_view tag, std::string_view elementClass,
                           std::string_view id, std::string_view pseudo) const;
  // The link's identity findings when its looks can be remembered, else null.
  TIdentityRules* LinkLooksRules(const TProperties& link) const;
  void FindPlainRules(std::string_view tag, std::string_view elementClass, std::string_view id,
                      std::string_view pseudo, TIdentityRules& rules) const;
  // Every change to the rules makes the identities' findings stale.
  void ForgetIdentities() const {
    FLastRules = nullptr;
    if (FIdentities.empty()) return;
    FIdentities.clear();
    ++FIdentitiesCleared;
  }
  // The winners among the collected rules (normal or important ones), in merge order.
  // Border colours are weighed side by side and merged apart from the steps.
  void PlanMerge(bool important, std::vector<TMergeStep>& steps, TBorderColors& sideColors) const;
  static void MergeSideColors(TProperties& target, const TBorderColors& sideColors);
  // Drops the collected rules whose classes or id differ from the element's in case.
  void DropOtherCase(std::string_view elementClass, std::string_view id) const;
  void Stamp(int entry, int index, bool important);
  // Parts passed empty do not take part in the first component.
  void ContextualPass(std::string_view lead, std::string_view elementClass,
                      std::string_view id, std::string_view pseudo,
                      std::vector<int>& out) const;
  // Appends the contextual rules whose first component is exactly this one.
  void FindComponents(const TProperties& element, size_t first, std::vector<int>& out) const;
  void ContextualRange(std::string_view firstComponent, std::vector<int>& out) const;
  bool SiblingMatches(const TElementIdentity* sibling, int component) const;
  // Whether the ancestors of target on its stack match the contextual rule's components.
  bool AncestorsMatch(const TProperties& target, int item) const;
  // Appends to FCollected the identity's contextual rules that target's ancestors match.
  void CollectContextual(const TProperties& target, const TIdentityRules& rules) const;
  int ComponentNumber(std::string_view tag, std::string_view elementClass, std::string_view id,
                      std::string_view pseudo);

  // One part of a contextual key: [>]tag[.class][#id][:pseudo], parts optional; classes
  // may be chained (".a.b").
  struct TKeyComponent {
    std::string Tag, Class, Id, Pseudo;
  };
  struct TStyleEntry {
    std::string Key;
    std::unique_ptr<TProperties> Rule;
    // The ancestor components of a contextual key by number, nearest first.
    std::vector<int> Ancestors;
    // Per ancestor component: it must be the parent of the element the one before it
    // matched (">"), not any ancestor.
    std::vector<uint8_t> ChildOf;
    // Per ancestor component: it must be the element just before the one the component
    // before it matched ("+"), under the same parent.
    std::vector<uint8_t> SiblingOf;
    TMergeList Merge;  // kept up to date by every change the list makes
    // Selector specificity: ids, classes and pseudo-classes, tags, 8 bits each.
    uint32_t Specificity = 0;
    // Per property: when it was declared (0 in the default sheet), whether by the
    // author, whether important.
    std::array<uint32_t, PropCount> Order{};
    std::bitset<PropCount> Author, Important;
  };
  std::vector<TStyleEntry> FItems;
  std::vector<TKeyComponent> FComponents;
  std::unordered_map<std::string, int> FComponentNumbers;  // by component text
  // Component numbers by their first non-empty part: " tag", ".class", "#id" or
  // ":pseudo" (a blank never occurs in a key's component); "" for the empty component.
  std::unordered_map<std::string, std::vector<int>> FComponentsByPart;
  uint64_t FGeneration;
  int FKeyCounter = 10;
  uint32_t FOrder = 0;
  bool FAuthor = true;  // false while the default sheet is built
  // The rules found for the element being styled (indices into FItems), in lookup order.
  mutable std::vector<int> FCollected;
  // By identity text (the four parts joined by a byte no name holds).
  mutable std::unordered_map<std::string, TIdentityRules> FIdentities;
  mutable std::string FIdentityKey;
  // The identity found last, and its key.
  mutable std::string FLastKey;
  mutable TIdentityRules* FLastRules = nullptr;
  mutable uint64_t FIdentitiesCleared = 0;
  const TProperties* FDefaultRule = nullptr;
  bool FHoverLinksOn = false;
  bool FNamesCaseSensitive = false;
  bool FFirstLineRules = false, FFirstLetterRules = false;
  bool FGeneratedRules = false;
  int FSiblingReach = 0;
};
