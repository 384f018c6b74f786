#include "style/style_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "style/border_colors.h"
#include "style/colors.h"
#include "style/units.h"

namespace {

inline unsigned char Lower(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? u + 32 : u;
}

// Byte order after ASCII lower-casing: keys that begin with a given text stay adjacent.
int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Lower(a[i]), y = Lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool StartsWithText(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  return true;
}

// One component of a contextual key: tag[.class][#id][:pseudo].
struct TComponent {
  std::string_view Tag, Class, Id, Pseudo;
  bool Child = false;  // must be the parent of the component before it, not any ancestor
  bool Sibling = false;  // must be the element just before the one the component before it matched
};

TComponent SplitComponent(std::string_view text) {
  TComponent c;
  if (!text.empty() && text.front() == '>') {
    c.Child = true;
    text.remove_prefix(1);
  } else if (!text.empty() && text.front() == '+') {
    c.Sibling = true;
    text.remove_prefix(1);
  }
  size_t at = text.rfind(':');
  if (at != std::string_view::npos) {
    c.Pseudo = text.substr(at + 1);
    text = text.substr(0, at);
  }
  at = text.rfind('#');
  if (at != std::string_view::npos) {
    c.Id = text.substr(at + 1);
    text = text.substr(0, at);
  }
  // Chained classes stay together: ".a.b" asks for both.
  at = text.find('.');
  if (at != std::string_view::npos) {
    c.Class = text.substr(at + 1);
    text = text.substr(0, at);
  }
  c.Tag = text == "*" ? std::string_view() : text;
  return c;
}

bool PartMatches(std::string_view part, std::string_view value) {
  return part.empty() || part == value;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

// Whether every class that wanted names (separated by dots) is among the element's
// classes (separated by blanks).
bool ClassesMatch(std::string_view wanted, std::string_view classes, bool exact) {
  while (!wanted.empty()) {
    const size_t dot = wanted.find('.');
    const std::string_view name = wanted.substr(0, dot);
    wanted = dot == std::string_view::npos ? std::string_view() : wanted.substr(dot + 1);
    bool found = false;
    for (size_t i = 0; i < classes.size() && !found;) {
      while (i < classes.size() && classes[i] == ' ') ++i;
      size_t end = classes.find(' ', i);
      if (end == std::string_view::npos) end = classes.size();
      const std::string_view have = classes.substr(i, end - i);
      found = end > i && (exact ? have == name : SameText(have, name));
      i = end;
    }
    if (!found) return false;
  }
  return true;
}

// Ids, classes and pseudo-classes, and tags of a key, 8 bits each. The built-in link
// keys ("::link") count nothing.
uint32_t KeySpecificity(std::string_view key) {
  if (key.starts_with("::")) return 0;
  uint32_t ids = 0, classes = 0, tags = 0;
  int component = 0;
  size_t i = 0;
  while (i < key.size()) {
    while (i < key.size() && key[i] == ' ') ++i;
    const size_t start = i;
    while (i < key.size() && key[i] != ' ') ++i;
    std::string_view part = key.substr(start, i - start);
    if (part.empty()) break;
    if (component++ == 1)
      while (!part.empty() && part.front() >= '0' && part.front() <= '9') part.remove_prefix(1);
    if (!part.empty() && (part[0] == '>' || part[0] == '+')) part.remove_prefix(1);
    if (!part.empty() && part[0] != '.' && part[0] != '#' && part[0] != ':' && part[0] != '*')
      ++tags;
    for (char c : part) {
      if (c == '#') ++ids;
      else if (c == '.' || c == ':') ++classes;
    }
  }
  return std::min(ids, 255u) << 16 | std::min(classes, 255u) << 8 | std::min(tags, 255u);
}

// The element's classes in every combination that a key can name: each non-empty set of
// them, names in key order joined by dots. Only the first few names combine.
void ClassSets(std::string_view classes, std::vector<std::string>& sets) {
  sets.clear();
  constexpr size_t MaxCombined = 4;
  std::vector<std::string> names;
  for (size_t i = 0; i < classes.size();) {
    while (i < classes.size() && classes[i] == ' ') ++i;
    size_t end = classes.find(' ', i);
    if (end == std::string_view::npos) end = classes.size();
    if (end > i) {
      std::string name(classes.substr(i, end - i));
      for (char& c : name) c = char(Lower(c));
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    i = end;
  }
  std::sort(names.begin(), names.end());
  if (names.size() > MaxCombined) {
    sets = names;
    return;
  }
  for (unsigned mask = 1; mask < (1u << names.size()); ++mask) {
    std::string set;
    for (size_t n = 0; n < names.size(); ++n)
      if (mask & (1u << n)) set.append(set.empty() ? "" : ".").append(names[n]);
    sets.push_back(std::move(set));
  }
}


constexpr int MaxComponents = 10;

// Splits a contextual key at blanks into at most ten components (the rest stays in
// the last); the counter digits in front of the second component are dropped.
int SplitKey(std::string_view key, TComponent* components) {
  int count = 0;
  while (!key.empty() && count < MaxComponents) {
    while (!key.empty() && key.front() == ' ') key.remove_prefix(1);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    if (key.empty()) break;
    size_t blank = count == MaxComponents - 1 ? std::string_view::npos : key.find(' ');
    std::string_view part = key.substr(0, blank);
    if (count == 1)
      while (!part.empty() && part.front() >= '0' && part.front() <= '9') part.remove_prefix(1);
    components[count++] = SplitComponent(part);
    key = blank == std::string_view::npos ? std::string_view() : key.substr(blank + 1);
  }
  return count;
}

// Whether Key is the identity key of these parts (joined by zero bytes), without making it.
bool IsIdentityKey(std::string_view key, std::string_view tag, std::string_view elementClass,
                   std::string_view id, std::string_view pseudo) {
  if (key.size() != tag.size() + elementClass.size() + id.size() + pseudo.size() + 3)
    return false;
  size_t at = 0;
  for (std::string_view part : {tag, elementClass, id}) {
    if (key.compare(at, part.size(), part) != 0 || key[at + part.size()] != '\0') return false;
    at += part.size() + 1;
  }
  return key.substr(at) == pseudo;
}

// Every list and every Clear gets a number of its own, so that a property stack can
// tell whether its match lists still describe the list it is styled with.
uint64_t NewGeneration() {
  static std::atomic<uint64_t> Counter{0};
  return ++Counter;
}

}  // namespace

TStyleList::TStyleList() : FGeneration(NewGeneration()) {}
TStyleList::~TStyleList() = default;

void TStyleList::Clear() {
  FItems.clear();
  FComponents.clear();
  FComponentNumbers.clear();
  FComponentsByPart.clear();
  FGeneration = NewGeneration();
  FDefaultRule = nullptr;
  FKeyCounter = 10;
  FHoverLinksOn = false;
  ForgetIdentities();
  FNamesCaseSensitive = false;
  FFirstLineRules = FFirstLetterRules = FGeneratedRules = false;
  FSiblingReach = 0;
}

size_t TStyleList::LowerBound(std::string_view key) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), key,
                             [](const auto& item, std::string_view k) {
                               return CompareText(item.Key, k) < 0;
                             });
  return size_t(it - FItems.begin());
}

int TStyleList::IndexOf(std::string_view key) const {
  size_t i = LowerBound(key);
  return i < FItems.size() && CompareText(FItems[i].Key, key) == 0 ? int(i) : -1;
}

const TProperties& TStyleList::AddObject(std::string_view key,
                                         std::unique_ptr<TProperties> rule) {
  return Insert(key, std::move(rule));
}

void TStyleList::RefreshMergeList(int index) {
  if (index >= 0 && index < Count()) FItems[index].Merge = FItems[index].Rule->MergeListOf();
  ForgetIdentities();
}

TProperties& TStyleList::Insert(std::string_view key, std::unique_ptr<TProperties> rule) {
  auto it = std::upper_bound(FItems.begin(), FItems.end(), key,
                             [](std::string_view k, const auto& item) {
                               return CompareText(k, item.Key) < 0;
                             });
  rule->FTagName = key;
  TProperties& added = *rule;
  TStyleEntry entry;
  entry.Key = std::string(key);
  entry.Rule = std::move(rule);
  entry.Merge = entry.Rule->MergeListOf();
  entry.Specificity = KeySpecificity(key);
  if (FAuthor) {
    const uint32_t order = ++FOrder;
    entry.Order.fill(order);
    entry.Author.set();
  }
  TComponent components[MaxComponents];
  int count = SplitKey(key, components);
  if (count > 0 && components[0].Pseudo == "first-line") FFirstLineRules = true;
  if (count > 0 && components[0].Pseudo == "first-letter") FFirstLetterRules = true;
  if (count > 0 && (components[0].Pseudo == "before" || components[0].Pseudo == "after"))
    FGeneratedRules = true;
  for (int i = 1, run = 0; i < count; ++i) {
    run = components[i].Sibling ? run + 1 : 0;
    FSiblingReach = std::max(FSiblingReach, run);
  }
  for (int i = 1; i < count; ++i) {
    const TComponent& c = components[i];
    entry.Ancestors.push_back(ComponentNumber(c.Tag, c.Class, c.Id, c.Pseudo));
    entry.ChildOf.push_back(c.Child);
    entry.SiblingOf.push_back(c.Sibling);
  }
  FItems.insert(it, std::move(entry));
  ForgetIdentities();
  return added;
}

int TStyleList::ComponentNumber(std::string_view tag, std::string_view elementClass,
                                std::string_view id, std::string_view pseudo) {
  // Blanks never occur inside a component, so they keep the four parts apart.
  std::string text(tag);
  text.append(" ").append(elementClass).append(" ").append(id).append(" ").append(pseudo);
  auto [at, added] = FComponentNumbers.try_emplace(std::move(text), int(FComponents.size()));
  if (!added) return at->second;
  FComponents.push_back(TKeyComponent{std::string(tag), std::string(elementClass),
                                      std::string(id), std::string(pseudo)});
  std::string part = !tag.empty()            ? " " + std::string(tag)
                     : !elementClass.empty() ? "." + std::string(elementClass.substr(0, elementClass.find('.')))
                     : !id.empty()           ? "#" + std::string(id)
                     : !pseudo.empty()       ? ":" + std::string(pseudo)
                                             : std::string();
  FComponentsByPart[part].push_back(at->second);
  return at->second;
}

void TStyleList::MatchingComponents(const TProperties& element, size_t first,
                                    std::vector<int>& out) const {
  if (FComponents.size() <= first) return;
  if (first == 0) {
    TIdentityRules& rules = RulesFor(element.FTagName, element.FElementClass,
                                     element.FElementId, element.FPseudoClass);
    if (!rules.ComponentsKnown) {
      FindComponents(element, 0, rules.Components);
      rules.ComponentsKnown = true;
    }
    out.insert(out.end(), rules.Components.begin(), rules.Components.end());
    return;
  }
  FindComponents(element, first, out);
}

void TStyleList::FindComponents(const TProperties& element, size_t first,
                                std::vector<int>& out) const {
  auto collect = [&](const std::string& part) {
    auto bucket = FComponentsByPart.find(part);
    if (bucket == FComponentsByPart.end()) return;
    for (int n : bucket->second) {
      const TKeyComponent& c = FComponents[n];
      if (size_t(n) >= first && PartMatches(c.Tag, element.FTagName) &&
          ClassesMatch(c.Class, element.FElementClass, FNamesCaseSensitive) &&
          PartMatches(c.Id, element.FElementId) &&
          PartMatches(c.Pseudo, element.FPseudoClass))
        out.push_back(n);
    }
  };
  collect(std::string());
  if (!element.FTagName.empty()) collect(" " + element.FTagName);
  // A component's bucket is its first class; the element may have several.
  std::string_view classes = element.FElementClass;
  for (size_t i = 0; i < classes.size();) {
    while (i < classes.size() && classes[i] == ' ') ++i;
    size_t end = classes.find(' ', i);
    if (end == std::string_view::npos) end = classes.size();
    if (end > i) collect("." + std::string(classes.substr(i, end - i)));
    i = end;
  }
  if (!element.FElementId.empty()) collect("#" + element.FElementId);
  if (!element.FPseudoClass.empty()) collect(":" + element.FPseudoClass);
}

TProperties& TStyleList::Clone(std::string_view key, const TProperties& rule) {
  auto copy = std::make_unique<TProperties>();
  copy->CopyValues(rule);
  return Insert(key, std::move(copy));
}

const TProperties& TStyleList::CloneRule(std::string_view key, const TProperties& rule) {
  return Clone(key, rule);
}

void TStyleList::SetLinkColor(std::string_view name, TColor color) {
  std::string key = "::";
  key += name;
  int i = IndexOf(key);
  if (i < 0) return;
  FItems[i].Rule->FValues[piColor] = TPropValue(int(color));
  Stamp(i, piColor, false);
  RefreshMergeList(i);
}

void TStyleList::Stamp(int entry, int index, bool important) {
  TStyleEntry& e = FItems[entry];
  e.Order[index] = FAuthor ? ++FOrder : 0;
  e.Author[index] = FAuthor;
  e.Important[index] = important;
  ForgetIdentities();
}

std::string TStyleList::NextKeyNumber() { return std::to_string(FKeyCounter++); }

void TStyleList::SetRuleValue(std::string_view selector, std::string_view propName,
                              std::string_view value, bool important) {
  // "background-attachment" has no index; a side's colour shares the border colour's.
  int index = -1;
  int side = -1;
  const bool attachment = propName == "background-attachment";
  if (!attachment) {
    if (BorderColorSide(propName, side))
      index = piBorderColor;
    else if (!LookupProperty(propName, index))
      return;
  }
  int at = IndexOf(selector);
  if (index >= 0 && at >= 0 && FItems[at].Important[index] && !important) return;
  TProperties* rule = at >= 0 ? FItems[at].Rule.get()
                              : &Insert(selector, std::make_unique<TProperties>());
  const std::array<TPropValue, PropCount> before = rule->FValues;
  if (attachment) {
    rule->SetBackgroundAttachment(value);
  } else if (side >= 0) {
    rule->SetBorderSideColor(side, value);
  } else if (index == piColor) {
    // An unreadable colour in a rule is dropped rather than turned black.
    TColor color;
    if (ParseColor(value, false, color)) {
      rule->FValues[piColor] = TPropValue(int(color));
      if (selector == ":link") {
        SetLinkColor("hover", color);
        SetLinkColor("visited", color);
      } else if (selector == ":visited") {
        SetLinkColor("hover", color);
      }
    }
  } else {
    rule->SetDeclarationAt(index, value);
  }
  // A declaration may set several values ("border-style" sets the four sides).
  at = IndexOf(selector);
  for (int i = 0; i < PropCount; ++i)
    if (i == index || !(rule->FValues[i] == before[i])) Stamp(at, i, important);
  RefreshMergeList(at);
  if (selector.find(":hover") != std::string_view::npos) FHoverLinksOn = true;
  if (selector == "a") SetRuleValue("::link", propName, value, important);
}

void TStyleList::CollectKey(std::string_view key, std::vector<int>& out) const {
  for (size_t i = LowerBound(key); i < FItems.size() && CompareText(FItems[i].Key, key) == 0;
       ++i)
    out.push_back(int(i));
}

void TStyleList::PlanMerge(bool important, std::vector<TMergeStep>& steps,
                           TBorderColors& sideColors) const {
  steps.clear();
  // Per property the collected rule with the greatest weight; on equal weights the one
  // found later.
  uint64_t best[PropCount];
  int winner[PropCount];
  std::fill(std::begin(winner), std::end(winner), -1);
  sideColors = TBorderColors{NoColour, NoColour, NoColour, NoColour};
  uint64_t sideBest[4] = {};
  for (size_t n = 0; n < FCollected.size(); ++n) {
    const TStyleEntry& e = FItems[FCollected[n]];
    for (int k = 0; k < e.Merge.Count; ++k) {
      const int i = e.Merge.Indices[k];
      if (e.Important[i] != important) continue;
      const uint64_t weight =
          uint64_t(e.Author[i]) << 60 | uint64_t(e.Specificity) << 32 | e.Order[i];
      if (i == piBorderColor) {
        // Each side has a weight of its own: a rule that colours one side leaves the
        // others to the rules that colour them.
        const TBorderColors given = BorderColorsOf(e.Rule->FValues[i]);
        for (size_t side = 0; side < 4; ++side)
          if (given[side] != NoColour && (sideColors[side] == NoColour || weight >= sideBest[side])) {
            sideBest[side] = weight;
            sideColors[side] = given[side];
          }
        continue;
      }
      if (winner[i] < 0 || weight >= best[i]) {
        best[i] = weight;
        winner[i] = int(n);
      }
    }
  }
  for (size_t n = 0; n < FCollected.size(); ++n) {
    const TStyleEntry& e = FItems[FCollected[n]];
    TMergeStep step{FCollected[n], TMergeList()};
    for (int k = 0; k < e.Merge.Count; ++k)
      if (winner[e.Merge.Indices[k]] == int(n))
        step.List.Indices[step.List.Count++] = e.Merge.Indices[k];
    // The attachment has no index: the last collected rule that sets it wins.
    const bool attachment =
        !important && e.Rule->FBackgroundAttachment != TBackgroundAttachment::Unset;
    if (step.List.Count > 0 || attachment) steps.push_back(step);
  }
}

void TStyleList::MergeSideColors(TProperties& target, const TBorderColors& sideColors) {
  if (std::all_of(sideColors.begin(), sideColors.end(),
                  [](TColor color) { return color == NoColour; }))
    return;
  TBorderColors colors = target.FSetHere.test(piBorderColor)
                             ? BorderColorsOf(target.FValues[piBorderColor])
                             : sideColors;
  for (size_t side = 0; side < 4; ++side)
    if (sideColors[side] != NoColour) colors[side] = sideColors[side];
  target.FValues[piBorderColor] = BorderColorsValue(colors);
  target.FSetHere.set(piBorderColor);
}

void TStyleList::DropOtherCase(std::string_view elementClass, std::string_view id) const {
  // The look-up ignores case; here the element's own component of each key must name
  // its classes and id exactly as the element has them.
  std::erase_if(FCollected, [&](int n) {
    std::string_view key = FItems[n].Key;
    if (key.starts_with("::")) return false;
    key = key.substr(0, key.find(' '));
    const TComponent c = SplitComponent(key);
    return !ClassesMatch(c.Class, elementClass, true) || !PartMatches(c.Id, id);
  });
}

void TStyleList::ContextualRange(std::string_view firstComponent,
                                 std::vector<int>& out) const {
  // Components hold no blanks, so every key in the range has exactly this first
  // component, which matches the element.
  for (size_t i = LowerBound(firstComponent);
       i < FItems.size() && StartsWithText(FItems[i].Key, firstComponent); ++i)
    if (!FItems[i].Ancestors.empty()) out.push_back(int(i));
}

bool TStyleList::AncestorsMatch(const TProperties& target, int item) const {
  TPropStack* stack = target.PropStack();
  const std::vector<int>& wanted = FItems[item].Ancestors;
  // Each blank means "somewhere inside": the nearest ancestor that matches a component
  // is as good as any farther one, and the next component is sought beyond it. A ">"
  // component must be the very next entry out (a farther match of the descendant
  // component before it is not tried).
  int below = target.PropStackIndex() - 1;
  const std::vector<uint8_t>& childOf = FItems[item].ChildOf;
  // The element the last "+" component matched; null after any other component.
  const TElementIdentity* sibling = nullptr;
  for (size_t next = 0; next < wanted.size(); ++next) {
    if (FItems[item].SiblingOf[next]) {
      const TElementIdentity* before =
          sibling ? sibling->Before.get() : (*stack)[below + 1].FPrevSibling.get();
      if (!SiblingMatches(before, wanted[next])) return false;
      sibling = before;
      continue;  // the components after it are ancestors of both
    }
    sibling = nullptr;
    const int at = stack->NearestSyncedMatch(wanted[next], below);
    if (at < 1 || (childOf[next] && at != below)) return false;
    below = at - 1;
  }
  return true;
}

void TStyleList::CollectContextual(const TProperties& target, const TIdentityRules& rules) const {
  TPropStack& stack = *target.PropStack();
  const int below = target.PropStackIndex() - 1;
  const int* rows = stack.MatchRows(below);
  const size_t width = stack.MatchRowWidth();
  const int* code = rules.ContextCode.data();
  const int* const end = code + rules.ContextCode.size();
  while (code < end) {
    const int item = code[0];
    const int count = code[1];
    code += 2;
    if (count < 0 || !rows) {
      if (AncestorsMatch(target, item)) FCollected.push_back(item);
      code += std::max(count, 0);
      continue;
    }
    // As AncestorsMatch: each component's nearest match, the next sought beyond it.
    int at = below + 1;
    int n = 0;
    while (n < count && (at = rows[size_t(at - 1) * width + size_t(code[n])]) >= 1) ++n;
    code += count;
    if (n == count) FCollected.push_back(item);
  }
}

bool TStyleList::SiblingMatches(const TElementIdentity* sibling, int component) const {
  const TKeyComponent& c = FComponents[component];
  return sibling && !sibling->Tag.empty() && c.Pseudo.empty() &&
         PartMatches(c.Tag, sibling->Tag) &&
         ClassesMatch(c.Class, sibling->Class, FNamesCaseSensitive) &&
         PartMatches(c.Id, sibling->Id);
}

// Contextual keys start with their target component. Instead of scanning every key
// that begins with the tag (or class, pseudo-class, id) text, only the ranges whose
// first component can match the element are visited: the element's own parts in
// every combination, in key order, so rules still merge in list order.
void TStyleList::ContextualPass(std::string_view lead, std::string_view elementClass,
                                std::string_view id, std::string_view pseudo,
                                std::vector<int>& out) const {
  std::string prefixes[8];
  int count = 0;
  for (int mask = 0; mask < 8; ++mask) {
    bool c = mask & 1, i = mask & 2, p = mask & 4;
    if ((c && elementClass.empty()) || (i && id.empty()) || (p && pseudo.empty()))
      continue;
    std::string& prefix = prefixes[count++];
    prefix = lead;
    if (c) prefix.append(".").append(elementClass);
    if (i) prefix.append("#").append(id);
    if (p) prefix.append(":").append(pseudo);
    if (prefix.empty()) {
      --count;
      continue;
    }
    prefix += ' ';
  }
  for (int a = 1; a < count; ++a)
    for (int b = a; b > 0 && CompareText(prefixes[b], prefixes[b - 1]) < 0; --b)
      std::swap(prefixes[b], prefixes[b - 1]);
  for (int n = 0; n < count; ++n) ContextualRange(prefixes[n], out);
}

void TStyleList::FindPlainRules(std::string_view tag, std::string_view elementClass,
                                std::string_view id, std::string_view pseudo,
                                TIdentityRules& rules) const {
  std::vector<int>& out = rules.Plain;
  // A pseudo-element takes only the rules that name it: the rest came with its element.
  const bool plain = pseudo != "hover" && pseudo != "visited" && !IsPseudoElement(pseudo);
  const bool hasId = !id.empty(), hasPseudo = !pseudo.empty();
  std::vector<std::string> classSets;
  ClassSets(elementClass, classSets);
  std::string key;
  auto collect = [&](std::initializer_list<std::string_view> parts) {
    key.clear();
    for (std::string_view part : parts) key += part;
    CollectKey(key, out);
  };

  if (tag == "a" && hasPseudo) collect({"::", pseudo});
  if (plain) {
    collect({"*"});
    collect({tag});
  }
  if (hasPseudo) collect({":", pseudo});
  for (const std::string& c : classSets) {
    if (plain) {
      collect({".", c});
      collect({tag, ".", c});
    }
    if (hasPseudo) {
      collect({".", c, ":", pseudo});
      collect({tag, ".", c, ":", pseudo});
    }
  }
  if (hasPseudo) collect({tag, ":", pseudo});
  if (hasId) {
    collect({"#", id});
    collect({tag, "#", id});
    if (hasPseudo) {
      collect({"#", id, ":", pseudo});
      collect({tag, "#", id, ":", pseudo});
    }
    for (const std::string& c : classSets) {
      collect({".", c, "#", id});
      collect({tag, ".", c, "#", id});
      if (hasPseudo) {
        collect({".", c, "#", id, ":", pseudo});
        collect({tag, ".", c, "#", id, ":", pseudo});
      }
    }
  }

  if (FItems.empty() || tag.empty()) return;
  std::vector<int>& contextual = rules.Contextual;
  if (classSets.empty()) ContextualPass(tag, "", id, pseudo, contextual);
  for (const std::string& c : classSets) {
    ContextualPass(tag, c, id, pseudo, contextual);
    key.assign(".").append(c);
    ContextualPass(key, "", id, pseudo, contextual);
  }
  if (hasPseudo) {
    key.assign(":").append(pseudo);
    ContextualPass(key, "", "", "", contextual);
  }
  // Contextual rules aimed at an id ("div #x") start with "#"; without this pass
  // they would never apply.
  if (hasId) {
    key.assign("#").append(id);
    ContextualPass(key, "", "", pseudo, contextual);
  }
  ContextualPass("*", "", "", "", contextual);
  for (int item : contextual) {
    const TStyleEntry& e = FItems[size_t(item)];
    rules.ContextCode.push_back(item);
    const bool plainChain =
        std::none_of(e.ChildOf.begin(), e.ChildOf.end(), [](uint8_t on) { return on; }) &&
        std::none_of(e.SiblingOf.begin(), e.SiblingOf.end(), [](uint8_t on) { return on; });
    if (!plainChain) {
      rules.ContextCode.push_back(-1);
      continue;
    }
    rules.ContextCode.push_back(int(e.Ancestors.size()));
    rules.ContextCode.insert(rules.ContextCode.end(), e.Ancestors.begin(), e.Ancestors.end());
  }
}

TStyleList::TIdentityRules& TStyleList::RulesFor(std::string_view tag,
                                                 std::string_view elementClass,
                                                 std::string_view id,
                                                 std::string_view pseudo) const {
  // An element is styled, then noted on its stack: the same identity twice in a row.
  if (FLastRules && IsIdentityKey(FLastKey, tag, elementClass, id, pseudo)) return *FLastRules;
  // Made in one piece: elements of a page change their identity at nearly every step.
  FIdentityKey.resize(tag.size() + elementClass.size() + id.size() + pseudo.size() + 3);
  char* key = FIdentityKey.data();
  // An empty part may have no storage at all: memcpy must not see its null pointer.
  for (std::string_view part : {tag, elementClass, id}) {
    if (!part.empty()) std::memcpy(key, part.data(), part.size());
    key[part.size()] = '\0';
    key += part.size() + 1;
  }
  if (!pseudo.empty()) std::memcpy(key, pseudo.data(), pseudo.size());
  auto found = FIdentities.find(FIdentityKey);
  if (found == FIdentities.end()) {
    // Ids and class names may be as many as the elements: the findings stay bounded.
    if (FIdentities.size() >= MaxIdentities) ForgetIdentities();
    found = FIdentities.try_emplace(FIdentityKey).first;
    FindPlainRules(tag, elementClass, id, pseudo, found->second);
  }
  FLastKey.assign(FIdentityKey);
  FLastRules = &found->second;
  return found->second;
}

void TStyleList::ApplyRules(TProperties& target, std::string_view tag,
                            std::string_view elementClass, std::string_view id,
                            std::string_view pseudo, const TProperties* styleAttr) const {
  // The root entry (index 0) stands for the document and is never compared; the first
  // element after it has no ancestor but may have a previous sibling.
  const bool contextual =
      target.PropStack() && target.PropStackIndex() >= (FSiblingReach > 0 ? 1 : 2);
  // The stack catches up with rules read since it last looked before the findings
  // are taken: that may note other identities and so drop the findings.
  if (contextual) target.PropStack()->Sync(*this);
  TIdentityRules* rules = &RulesFor(tag, elementClass, id, pseudo);
  FCollected = rules->Plain;
  if (contextual) CollectContextual(target, *rules);
  if (FNamesCaseSensitive) DropOtherCase(elementClass, id);
  if (!rules->Planned || rules->PlannedFor != FCollected) {
    PlanMerge(false, rules->Normal, rules->NormalSides);
    PlanMerge(true, rules->Important, rules->ImportantSides);
    rules->PlannedFor = FCollected;
    rules->Planned = true;
  }
  for (const TMergeStep& step : rules->Normal)
    target.MergeRule(*FItems[step.Item].Rule, step.List);
  MergeSideColors(target, rules->NormalSides);
  if (styleAttr) target.MergeRule(*styleAttr);
  for (const TMergeStep& step : rules->Important)
    target.MergeRule(*FItems[step.Item].Rule, step.List);
  MergeSideColors(target, rules->ImportantSides);
}

namespace {

// The values of a link that its throw-away entries read as given rather than through
// the link's font: sizes and spacing relative to it, the family list, "inherit".
constexpr int LinkLooksInputs[] = {piFontFamily, piFontSize, piLetterSpacing, piWordSpacing,
                                   piBackgroundColor};

// The values a link's looks are made from: those of its font, and the background that
// becomes the background behind its text.
constexpr std::array<bool, PropCount> LooksValues = [] {
  std::array<bool, PropCount> on{};
  for (int i : {piFontFamily, piFontSize, piFontStyle, piFontWeight, piTextDecoration, piColor,
                piBackgroundColor, piLetterSpacing, piWordSpacing, piFontVariant})
    on[size_t(i)] = true;
  return on;
}();

}  // namespace

bool TStyleList::SetsLooks(const std::vector<int>& items) const {
  for (int item : items) {
    const TMergeList& merge = FItems[size_t(item)].Merge;
    for (int k = 0; k < merge.Count; ++k)
      if (LooksValues[merge.Indices[k]]) return true;
  }
  return false;
}

TStyleList::TIdentityRules* TStyleList::LinkLooksRules(const TProperties& link) const {
  TIdentityRules* rules =
      &RulesFor(link.FTagName, link.FElementClass, link.FElementId, link.FPseudoClass);
  if (rules->LooksKind == TIdentityRules::TLooksKind::Unknown) {
    const uint64_t cleared = FIdentitiesCleared;
    const bool alone =
        !SetsLooks(RulesFor(link.FTagName, link.FElementClass, link.FElementId, "visited").Contextual) &&
        !SetsLooks(RulesFor(link.FTagName, link.FElementClass, link.FElementId, "hover").Contextual);
    // Finding the other identities may have dropped this one's findings.
    if (FIdentitiesCleared != cleared)
      rules = &RulesFor(link.FTagName, link.FElementClass, link.FElementId, link.FPseudoClass);
    rules->LooksKind = alone ? TIdentityRules::TLooksKind::Alone
                             : TIdentityRules::TLooksKind::Contextual;
  }
  return rules->LooksKind == TIdentityRules::TLooksKind::Alone ? rules : nullptr;
}

bool TStyleList::FindLinkLooks(const TProperties& link, TFontInfoArray& fonts) const {
  const TIdentityRules* rules = LinkLooksRules(link);
  if (!rules) return false;
  for (const TLinkLooks& kept : rules->Looks) {
    if (!(kept.Font == fonts.Items[0]) || kept.CharSet != link.FCharSet ||
        kept.DocumentSize != DocumentPointSize())
      continue;
    bool same = true;
    for (size_t n = 0; n < kept.Values.size() && same; ++n)
      same = kept.Values[n] == link.FValues[LinkLooksInputs[n]];
    if (!same) continue;
    std::copy(kept.Looks.begin(), kept.Looks.end(), fonts.Items.begin() + 1);
    return true;
  }
  return false;
}

void TStyleList::KeepLinkLooks(const TProperties& link, const TFontInfoArray& fonts) const {
  TIdentityRules* rules = LinkLooksRules(link);
  if (!rules) return;
  // The oldest gives way once the slots are full.
  if (rules->Looks.size() < MaxLinkLooks) rules->Looks.emplace_back();
  TLinkLooks& kept = rules->Looks[rules->NextLooks];
  rules->NextLooks = uint8_t((rules->NextLooks + 1) % MaxLinkLooks);
  kept.Font = fonts.Items[0];
  kept.CharSet = link.FCharSet;
  kept.DocumentSize = DocumentPointSize();
  for (size_t n = 0; n < kept.Values.size(); ++n) kept.Values[n] = link.FValues[LinkLooksInputs[n]];
  std::copy(fonts.Items.begin() + 1, fonts.Items.end(), kept.Looks.begin());
}
