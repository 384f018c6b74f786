#include "style/style_list.h"

#include <algorithm>
#include <atomic>

#include "style/border_colors.h"
#include "style/colors.h"

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
};

TComponent SplitComponent(std::string_view text) {
  TComponent c;
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
  at = text.rfind('.');
  if (at != std::string_view::npos) {
    c.Class = text.substr(at + 1);
    text = text.substr(0, at);
  }
  c.Tag = text;
  return c;
}

bool PartMatches(std::string_view part, std::string_view value) {
  return part.empty() || part == value;
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
}

TProperties& TStyleList::Insert(std::string_view key, std::unique_ptr<TProperties> rule) {
  auto it = std::upper_bound(FItems.begin(), FItems.end(), key,
                             [](std::string_view k, const auto& item) {
                               return CompareText(k, item.Key) < 0;
                             });
  rule->FTagName = key;
  TProperties& added = *rule;
  TStyleEntry entry{std::string(key), std::move(rule), {}, {}};
  entry.Merge = entry.Rule->MergeListOf();
  TComponent components[MaxComponents];
  int count = SplitKey(key, components);
  for (int i = 1; i < count; ++i) {
    const TComponent& c = components[i];
    entry.Ancestors.push_back(ComponentNumber(c.Tag, c.Class, c.Id, c.Pseudo));
  }
  FItems.insert(it, std::move(entry));
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
                     : !elementClass.empty() ? "." + std::string(elementClass)
                     : !id.empty()           ? "#" + std::string(id)
                     : !pseudo.empty()       ? ":" + std::string(pseudo)
                                             : std::string();
  FComponentsByPart[part].push_back(at->second);
  return at->second;
}

void TStyleList::MatchingComponents(const TProperties& element, size_t first,
                                    std::vector<int>& out) const {
  if (FComponents.size() <= first) return;
  auto collect = [&](const std::string& part) {
    auto bucket = FComponentsByPart.find(part);
    if (bucket == FComponentsByPart.end()) return;
    for (int n : bucket->second) {
      const TKeyComponent& c = FComponents[n];
      if (size_t(n) >= first && PartMatches(c.Tag, element.FTagName) &&
          PartMatches(c.Class, element.FElementClass) && PartMatches(c.Id, element.FElementId) &&
          PartMatches(c.Pseudo, element.FPseudoClass))
        out.push_back(n);
    }
  };
  collect(std::string());
  if (!element.FTagName.empty()) collect(" " + element.FTagName);
  if (!element.FElementClass.empty()) collect("." + element.FElementClass);
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
  RefreshMergeList(i);
}

std::string TStyleList::NextKeyNumber() { return std::to_string(FKeyCounter++); }

void TStyleList::SetRuleValue(std::string_view selector, std::string_view propName,
                              std::string_view value) {
  int index = -1;
  int side = -1;
  const bool attachment = propName == "background-attachment";
  if (!attachment && !BorderColorSide(propName, side) && !LookupProperty(propName, index))
    return;
  int at = IndexOf(selector);
  TProperties* rule = at >= 0 ? FItems[at].Rule.get()
                              : &Insert(selector, std::make_unique<TProperties>());
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
  RefreshMergeList(IndexOf(selector));
  if (selector.find(":hover") != std::string_view::npos) FHoverLinksOn = true;
  if (selector == "a") SetRuleValue("::link", propName, value);
}

void TStyleList::MergeKey(TProperties& target, std::string_view key) const {
  for (size_t i = LowerBound(key); i < FItems.size() && CompareText(FItems[i].Key, key) == 0;
       ++i)
    target.MergeRule(*FItems[i].Rule, FItems[i].Merge);
}

void TStyleList::ContextualRange(TProperties& target, std::string_view firstComponent) const {
  TPropStack* stack = target.PropStack();
  // The root entry (index 0) stands for the document and is never compared.
  const int self = stack ? target.PropStackIndex() : 0;
  if (self < 2) return;
  // Components hold no blanks, so every key in the range has exactly this first
  // component, which matches the element.
  for (size_t i = LowerBound(firstComponent);
       i < FItems.size() && StartsWithText(FItems[i].Key, firstComponent); ++i) {
    const std::vector<int>& wanted = FItems[i].Ancestors;
    if (wanted.empty()) continue;
    // Each blank means "somewhere inside": the nearest ancestor that matches a component
    // is as good as any farther one, and the next component is sought beyond it.
    int below = self - 1;
    size_t next = 0;
    for (; next < wanted.size(); ++next) {
      const int at = stack->NearestMatch(*this, wanted[next], below);
      if (at < 1) break;
      below = at - 1;
    }
    if (next == wanted.size()) target.MergeRule(*FItems[i].Rule, FItems[i].Merge);
  }
}

// Contextual keys start with their target component. Instead of scanning every key
// that begins with the tag (or class, pseudo-class, id) text, only the ranges whose
// first component can match the element are visited: the element's own parts in
// every combination, in key order, so rules still merge in list order.
void TStyleList::ContextualPass(TProperties& target, std::string_view lead,
                                std::string_view elementClass, std::string_view id,
                                std::string_view pseudo) const {
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
  for (int n = 0; n < count; ++n) ContextualRange(target, prefixes[n]);
}

void TStyleList::ApplyRules(TProperties& target, std::string_view tag,
                            std::string_view elementClass, std::string_view id,
                            std::string_view pseudo) const {
  const bool plain = pseudo != "hover" && pseudo != "visited";
  const bool hasClass = !elementClass.empty(), hasId = !id.empty(), hasPseudo = !pseudo.empty();
  std::string key;
  key.reserve(64);
  auto merge = [&](std::initializer_list<std::string_view> parts) {
    key.clear();
    for (std::string_view part : parts) key += part;
    MergeKey(target, key);
  };

  if (tag == "a" && hasPseudo) merge({"::", pseudo});
  if (plain) merge({tag});
  if (hasPseudo) merge({":", pseudo});
  if (hasClass && plain) {
    merge({".", elementClass});
    merge({tag, ".", elementClass});
  }
  if (hasPseudo) merge({tag, ":", pseudo});
  if (hasClass && hasPseudo) {
    merge({".", elementClass, ":", pseudo});
    merge({tag, ".", elementClass, ":", pseudo});
  }
  if (hasId) {
    merge({"#", id});
    merge({tag, "#", id});
    if (hasClass) merge({".", elementClass, "#", id});
    if (hasPseudo) {
      merge({"#", id, ":", pseudo});
      merge({tag, "#", id, ":", pseudo});
    }
    if (hasClass) merge({tag, ".", elementClass, "#", id});
    if (hasClass && hasPseudo) {
      merge({".", elementClass, "#", id, ":", pseudo});
      merge({tag, ".", elementClass, "#", id, ":", pseudo});
    }
  }

  if (FItems.empty() || tag.empty()) return;
  ContextualPass(target, tag, elementClass, id, pseudo);
  if (hasClass) {
    key.assign(".").append(elementClass);
    ContextualPass(target, key, "", id, pseudo);
  }
  if (hasPseudo) {
    key.assign(":").append(pseudo);
    ContextualPass(target, key, "", "", "");
  }
  // Contextual rules aimed at an id ("div #x") start with "#"; without this pass
  // they would never apply.
  if (hasId) {
    key.assign("#").append(id);
    ContextualPass(target, key, "", "", pseudo);
  }
}
