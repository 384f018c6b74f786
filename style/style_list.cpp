#include "style/style_list.h"

#include <algorithm>

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

bool ComponentMatches(const TComponent& c, std::string_view tag, std::string_view elementClass,
                      std::string_view id, std::string_view pseudo) {
  return PartMatches(c.Tag, tag) && PartMatches(c.Class, elementClass) && PartMatches(c.Id, id) &&
         PartMatches(c.Pseudo, pseudo);
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

}  // namespace

TStyleList::TStyleList() = default;
TStyleList::~TStyleList() = default;

void TStyleList::Clear() {
  FItems.clear();
  FDefaultRule = nullptr;
  FKeyCounter = 10;
  FHoverLinksOn = false;
}

size_t TStyleList::LowerBound(std::string_view key) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), key,
                             [](const auto& item, std::string_view k) {
                               return CompareText(item.first, k) < 0;
                             });
  return size_t(it - FItems.begin());
}

int TStyleList::IndexOf(std::string_view key) const {
  size_t i = LowerBound(key);
  return i < FItems.size() && CompareText(FItems[i].first, key) == 0 ? int(i) : -1;
}

TProperties& TStyleList::AddObject(std::string_view key, std::unique_ptr<TProperties> rule) {
  auto it = std::upper_bound(FItems.begin(), FItems.end(), key,
                             [](std::string_view k, const auto& item) {
                               return CompareText(k, item.first) < 0;
                             });
  rule->FTagName = key;
  TProperties& added = *rule;
  FItems.emplace(it, std::string(key), std::move(rule));
  return added;
}

TProperties& TStyleList::CloneRule(std::string_view key, const TProperties& rule) {
  auto copy = std::make_unique<TProperties>();
  copy->CopyValues(rule);
  return AddObject(key, std::move(copy));
}

void TStyleList::SetLinkColor(std::string_view name, TColor color) {
  std::string key = "::";
  key += name;
  int i = IndexOf(key);
  if (i >= 0) FItems[i].second->FValues[piColor] = TPropValue(int(color));
}

std::string TStyleList::NextKeyNumber() { return std::to_string(FKeyCounter++); }

void TStyleList::SetRuleValue(std::string_view selector, std::string_view propName,
                              std::string_view value) {
  int index;
  if (!LookupProperty(propName, index)) return;
  int at = IndexOf(selector);
  TProperties* rule = at >= 0 ? FItems[at].second.get()
                              : &AddObject(selector, std::make_unique<TProperties>());
  if (index == piColor) {
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
  if (selector.find(":hover") != std::string_view::npos) FHoverLinksOn = true;
  if (selector == "a") SetRuleValue("::link", propName, value);
}

void TStyleList::MergeKey(TProperties& target, std::string_view key) const {
  for (size_t i = LowerBound(key); i < FItems.size() && CompareText(FItems[i].first, key) == 0;
       ++i)
    target.MergeRule(*FItems[i].second);
}

void TStyleList::ContextualPass(TProperties& target, std::string_view prefix, std::string_view tag,
                                std::string_view elementClass, std::string_view id,
                                std::string_view pseudo) const {
  TPropStack* stack = target.PropStack();
  int self = stack ? target.PropStackIndex() : 0;
  TComponent components[MaxComponents];
  for (size_t i = LowerBound(prefix); i < FItems.size(); ++i) {
    std::string_view key = FItems[i].first;
    if (!StartsWithText(key, prefix)) break;
    TComponent first = SplitComponent(key.substr(0, key.find(' ')));
    if (first.Tag != tag && first.Pseudo != pseudo && first.Class != elementClass &&
        first.Id != id)
      break;
    if (key.find(' ') == std::string_view::npos) continue;
    int count = SplitKey(key, components);
    if (count < 2 || !ComponentMatches(components[0], tag, elementClass, id, pseudo)) continue;
    // Each blank means "somewhere inside": ancestors that match nothing are skipped.
    // The root entry (index 0) stands for the document and is never compared.
    int next = 1;
    for (int a = self - 1; a >= 1 && next < count; --a) {
      const TProperties& ancestor = (*stack)[a];
      if (ComponentMatches(components[next], ancestor.FTagName, ancestor.FElementClass,
                           ancestor.FElementId, ancestor.FPseudoClass))
        ++next;
    }
    if (next == count) target.MergeRule(*FItems[i].second);
  }
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
  ContextualPass(target, tag, tag, elementClass, id, pseudo);
  if (hasClass) {
    key.assign(".").append(elementClass);
    ContextualPass(target, key, tag, elementClass, id, pseudo);
  }
  if (hasPseudo) {
    key.assign(":").append(pseudo);
    ContextualPass(target, key, tag, elementClass, id, pseudo);
  }
  // Contextual rules aimed at an id ("div #x") start with "#"; without this pass
  // they would never apply.
  if (hasId) {
    key.assign("#").append(id);
    ContextualPass(target, key, tag, elementClass, id, pseudo);
  }
}
