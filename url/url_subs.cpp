#include "url/url_subs.h"

#include <algorithm>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

size_t FindNoCase(std::string_view s, std::string_view what, size_t from = 0) {
  if (what.size() > s.size()) return std::string_view::npos;
  for (size_t i = from; i + what.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < what.size() && LowerAscii(s[i + k]) == what[k]) ++k;
    if (k == what.size()) return i;
  }
  return std::string_view::npos;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "C:" or "C|" at position i.
bool DriveAt(std::string_view s, size_t i) {
  return s.size() >= i + 2 && IsLetter(s[i]) && (s[i + 1] == ':' || s[i + 1] == '|');
}

// Decodes "%hh" escapes left to right. A "%" at the very start, one without two characters
// after it, or one before non-hex digits ends the decoding; so does "%00", since a file name
// cannot hold a zero byte. A decoded "%" is not decoded again.
std::string PercentDecode(std::string_view Ref) {
  std::string s(Ref);
  size_t i = s.find('%');
  while (i != std::string::npos && i >= 1 && i + 2 < s.size()) {
    int hi = HexValue(s[i + 1]), lo = HexValue(s[i + 2]);
    if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) break;
    s.replace(i, 3, 1, char(hi * 16 + lo));
    i = s.find('%', i + 1);
  }
  return s;
}

// Removes the first "file:///" (eight characters) or, when there is none, the first
// "file://" (seven).
void RemoveDosFilePrefix(std::string& s) {
  size_t p = FindNoCase(s, "file:///");
  if (p != std::string::npos) {
    s.erase(p, 8);
    return;
  }
  p = FindNoCase(s, "file://");
  if (p != std::string::npos) s.erase(p, 7);
}

void MakeDosSeparators(std::string& s) {
  for (char& c : s) {
    if (c == '|') c = ':';
    else if (c == '/') c = '\\';
  }
}

bool IsDosName(std::string_view decoded) {
  if (decoded.find('\\') != std::string_view::npos) return true;
  std::string rest(decoded);
  RemoveDosFilePrefix(rest);
  return DriveAt(rest, 0) || (!rest.empty() && rest[0] == '/' && DriveAt(rest, 1));
}

bool IsDosRoot(std::string_view root) {
  return root.find('\\') != std::string_view::npos || (root.size() >= 2 && root[1] == ':');
}

// Removes "file://" and a "localhost" host, keeping the "/" that starts the path; another
// host stays as a network path ("//host/x").
void RemovePosixFilePrefix(std::string& s) {
  size_t p = FindNoCase(s, "file://");
  if (p == std::string::npos) return;
  std::string_view after = std::string_view(s).substr(p + 7);
  if (!after.empty() && after[0] == '/')
    s.erase(p, 7);
  else if (FindNoCase(after, "localhost/") == 0)
    s.erase(p, 7 + 9);
  else
    s.erase(p, 5);
}

}  // namespace

std::string TrimBlanks(std::string_view S) {
  size_t b = 0, e = S.size();
  while (b < e && IsBlank(S[b])) ++b;
  while (e > b && IsBlank(S[e - 1])) --e;
  return std::string(S.substr(b, e - b));
}

std::string UrlDirectory(std::string_view Url) {
  std::string s = TrimBlanks(Url);
  size_t q = s.find('?');
  if (q != std::string::npos) s.resize(q);
  // After the host when there is one; otherwise anywhere, so "/a.htm" gives "/".
  size_t slashes = s.find("//");
  size_t from = slashes == std::string::npos ? 0 : slashes + 2;
  size_t last = s.rfind('/');
  if (last != std::string::npos && last >= from) {
    s.resize(last + 1);
  } else {
    s += '/';
  }
  return s;
}

bool HasScheme(std::string_view Ref) {
  size_t q = Ref.find("://");
  if (q != std::string_view::npos && Ref.find('/') == q + 1) return true;
  return FindNoCase(Ref, "mailto:") != std::string_view::npos;
}

std::string ResolveUrl(std::string_view Base, std::string_view Ref) {
  std::string ref = TrimBlanks(Ref);
  if (Base.empty() || HasScheme(ref)) return ref;

  // The root end: the "/" after the host, or the first "/" of a base without a scheme.
  // A base with no such "/" ("http://h") gets one, so the host is never lost.
  std::string base(Base);
  size_t scheme = base.find("://");
  size_t root = base.find('/', scheme == std::string::npos ? 0 : scheme + 3);
  if (root == std::string::npos) {
    base += '/';
    root = base.size() - 1;
  }
  if (base.back() != '/') base += '/';

  std::string s;
  if (ref.compare(0, 2, "//") == 0) {
    // A network-path reference keeps the scheme of the base and brings its own host.
    if (scheme == std::string::npos) {
      s = ref;
      root = s.find('/', 2);
    } else {
      s = base.substr(0, scheme + 1) + ref;
      root = s.find('/', scheme + 3);
    }
    if (root == std::string::npos) {
      s += '/';
      root = s.size() - 1;
    }
  } else if (ref.empty() || ref[0] != '/') {
    s = base + ref;
  } else {
    s = base.substr(0, root + 1) + ref.substr(1);
  }

  // A last segment "." or ".." names a directory: give it its "/" so the rules below apply.
  auto endsWith = [&s](std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  };
  if ((endsWith("/..") && s.size() - 3 >= root) || (endsWith("/.") && s.size() - 2 >= root))
    s += '/';

  // Only the path is cleaned: dots in a host ("http://./") are not segments.
  for (size_t p; (p = s.find("/../", root)) != std::string::npos;) {
    if (p > root) {
      size_t prev = s.rfind('/', p - 1);
      if (prev == std::string::npos) break;
      s.erase(prev + 1, p + 4 - (prev + 1));
    } else {
      s.erase(p + 1, 3);  // at the root: ".." goes nowhere
    }
  }
  for (size_t p; (p = s.find("/./", root)) != std::string::npos;) s.erase(p + 1, 2);
  return s;
}

std::string UrlToDosFileName(std::string_view Ref) {
  std::string s = PercentDecode(Ref);
  if (s.find('/') != std::string::npos) {
    RemoveDosFilePrefix(s);
    if (s.size() >= 3 && s[0] == '/' && DriveAt(s, 1)) s.erase(0, 1);  // "/C|/x" from a URL path
    MakeDosSeparators(s);
  }
  return s;
}

std::string UrlToFileName(std::string_view Ref) {
  std::string s = PercentDecode(Ref);
  if (s.find('/') == std::string::npos) return s;
  if (IsDosName(s)) return UrlToDosFileName(Ref);
  RemovePosixFilePrefix(s);
  return s;
}

std::string UrlToServerFile(std::string_view Ref, std::string_view ServerRoot) {
  std::string s = TrimBlanks(UrlToFileName(TrimBlanks(Ref)));
  if (s.empty() || ServerRoot.empty()) return s;
  if (IsDosRoot(ServerRoot)) {
    MakeDosSeparators(s);
    bool rootRelative = s[0] == '\\' && s.compare(0, 2, "\\\\") != 0 && !(s.size() >= 2 && s[1] == ':');
    return rootRelative ? std::string(ServerRoot) + s : s;
  }
  std::string_view root = ServerRoot;
  while (!root.empty() && root.back() == '/') root.remove_suffix(1);
  bool rootRelative = s[0] == '/' && s.compare(0, 2, "//") != 0;
  bool underRoot = !root.empty() && s.compare(0, root.size(), root) == 0 &&
                   (s.size() == root.size() || s[root.size()] == '/');
  return rootRelative && !underRoot ? std::string(root) + s : s;
}
