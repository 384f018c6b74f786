#include "url/url_subs.h"

#include <gtest/gtest.h>

namespace {

struct TCase {
  const char* In;
  const char* Out;
};

struct TPairCase {
  const char* A;
  const char* B;
  const char* Out;
};

TEST(TrimBlanks, RemovesControlCharactersAndSpacesAtBothEnds) {
  EXPECT_EQ(TrimBlanks(std::string_view(" \t\r\n\0x y\x1F \x01", 10)), "x y");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0");  // codes above 32 stay
}

TEST(UrlDirectory, CutsAfterTheLastSlashBehindTheHost) {
  const TCase cases[] = {
      {"http://h/a/b.htm?x=/y", "http://h/a/"},
      {"  http://h/a/b.htm  ", "http://h/a/"},
      {"http://h/a/", "http://h/a/"},
      {"http://h", "http://h/"},
      {"http://h?q=/x", "http://h/"},
      {"page.htm", "page.htm/"},
      {"dir/page.htm", "dir/"},
      {"file:///C|/docs/a.htm", "file:///C|/docs/"},
      {"file:///a.htm", "file:///"},
      {"/data/x/a.html", "/data/x/"},
      {"/a.html", "/"},
      {"", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlDirectory(c.In), c.Out) << c.In;
}

TEST(ResolveUrl, JoinsReferencesAndRemovesDotSegments) {
  const TPairCase cases[] = {
      {"http://h/a/b/", "../c.htm", "http://h/a/c.htm"},
      {"http://h/a/b/", "./c.htm", "http://h/a/b/c.htm"},
      {"http://h/a/b/", "/c.htm", "http://h/c.htm"},
      {"http://h/a/b/", "c.htm", "http://h/a/b/c.htm"},
      {"http://h/a/b/", "  c.htm \r\n", "http://h/a/b/c.htm"},
      {"http://h/a/b/", "", "http://h/a/b/"},
      {"http://h/a/b", "c.htm", "http://h/a/b/c.htm"},  // the base is taken as a directory
      {"http://h/a/b/", "x/../../y/./z.htm", "http://h/a/y/z.htm"},
      {"http://h/a/b/", "../../../../c.htm", "http://h/c.htm"},
      {"http://h/", "../../c.htm", "http://h/c.htm"},
      {"http://h/a/", "/../c.htm", "http://h/c.htm"},
      {"http://h/a/b/", "..", "http://h/a/"},
      {"http://h/a/b/", ".", "http://h/a/b/"},
      {"http://h/a/b/", "http://other/x.htm", "http://other/x.htm"},
      {"http://h/a/b/", "mailto:me@h", "mailto:me@h"},
      {"file:///C|/docs/", "../img/a.gif", "file:///C|/img/a.gif"},
      {"file:///tmp/site/", "/img/a.gif", "file:///img/a.gif"},
      {"file:///tmp/site/", "../../../a.gif", "file:///a.gif"},
      {"/data/x/", "../../../y.htm", "/y.htm"},
      {"/data/x/", "/etc/y.htm", "/etc/y.htm"},
      {"dir/sub/", "../../a.htm", "dir/a.htm"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveUrl(c.A, c.B), c.Out) << c.A << " + " << c.B;
}

// Two inputs the rules leave open: a base without a "/" behind the host, and network-path
// references.
TEST(ResolveUrl, KeepsTheHostOfABaseWithoutPath) {
  EXPECT_EQ(ResolveUrl("http://h", "/c.htm"), "http://h/c.htm");
  EXPECT_EQ(ResolveUrl("http://h", "c.htm"), "http://h/c.htm");
  EXPECT_EQ(ResolveUrl("http://h", "../c.htm"), "http://h/c.htm");
}

TEST(ResolveUrl, NetworkPathReferenceTakesTheSchemeOfTheBase) {
  EXPECT_EQ(ResolveUrl("https://h/a/", "//cdn/x/../y.css"), "https://cdn/y.css");
  EXPECT_EQ(ResolveUrl("http://h/a/", "//cdn"), "http://cdn/");
  EXPECT_EQ(ResolveUrl("http://h/a/", "//cdn/../../y"), "http://cdn/y");
  EXPECT_EQ(ResolveUrl("/data/x/", "//server/share/a.htm"), "//server/share/a.htm");
}

TEST(ResolveUrl, DotsInTheHostAreNotPathSegments) {
  EXPECT_EQ(ResolveUrl("htp://.", "/x.htm"), "htp://./x.htm");
  EXPECT_EQ(ResolveUrl("http://../a/", "../../x"), "http://../x");
}

TEST(ResolveUrl, EmptyBaseLeavesTheReferenceAlone) {
  EXPECT_EQ(ResolveUrl("", " img/a.gif "), "img/a.gif");
}

TEST(HasScheme, AbsoluteUrlsAndMailto) {
  const std::pair<const char*, bool> cases[] = {
      {"http://x/y", true},    {"MAILTO:a", true},     {"ftp://h", true},
      {"dir/http://x", false}, {"x.htm", false},       {"/a/b", false},
      {"C:/x.gif", false},     {"see mailto:x", true}, {"", false},
  };
  for (auto [ref, expected] : cases) EXPECT_EQ(HasScheme(ref), expected) << ref;
}

TEST(UrlToFileName, DosNamesFollowTheDriveLetterRules) {
  const TCase cases[] = {
      {"file:///C|/My%20Docs/a.htm", "C:\\My Docs\\a.htm"},
      {"FILE:///C|/a.htm", "C:\\a.htm"},
      {"file://C:/a/b.htm", "C:\\a\\b.htm"},
      {"C:/x.gif", "C:\\x.gif"},
      {"C|/x.gif", "C:\\x.gif"},
      {"/C|/x.gif", "C:\\x.gif"},
      {"dir\\sub/a.htm", "dir\\sub\\a.htm"},
      {"a%5Cb/c", "a\\b\\c"},
      {"a%20b", "a b"},  // no "/": decoded only
      {"C|x", "C|x"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlToFileName(c.In), c.Out) << c.In;
}

TEST(UrlToFileName, PosixNamesKeepTheirSlashes) {
  const TCase cases[] = {
      {"file:///tmp/a.html", "/tmp/a.html"},
      {"file://localhost/tmp/a%20b.html", "/tmp/a b.html"},
      {"file://server/share/a.html", "//server/share/a.html"},
      {"/data/x/a.html", "/data/x/a.html"},
      {"img/a.gif", "img/a.gif"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlToFileName(c.In), c.Out) << c.In;
}

TEST(UrlToFileName, PercentDecodingStopsWhereTheRulesSay) {
  const TCase cases[] = {
      {"%41b/c", "%41b/c"},            // "%" at the start ends the decoding
      {"a%4", "a%4"},                  // fewer than two characters after it
      {"a%zz%41", "a%zz%41"},          // not hex: decoding ends there
      {"a%41%42", "aAB"},
      {"100%2541.htm", "100%41.htm"},  // a decoded "%" is not decoded again
      {"a%00b", "a%00b"},              // no zero bytes in file names
      {"a%2", "a%2"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlToFileName(c.In), c.Out) << c.In;
}

TEST(UrlToDosFileName, ConvertsEveryNameTheDosWay) {
  EXPECT_EQ(UrlToDosFileName("file:///C|/My%20Docs/a.htm"), "C:\\My Docs\\a.htm");
  EXPECT_EQ(UrlToDosFileName("/img/a.gif"), "\\img\\a.gif");
  EXPECT_EQ(UrlToDosFileName("x/file://y/z"), "x\\y\\z");  // the first prefix anywhere
}

TEST(UrlToServerFile, PutsTheServerRootBeforeRootRelativeNames) {
  struct {
    const char* Ref;
    const char* Root;
    const char* Out;
  } cases[] = {
      {"/img/a.gif", "D:\\site", "D:\\site\\img\\a.gif"},
      {"C:/x.gif", "D:\\site", "C:\\x.gif"},
      {" /img/a.gif ", "D:\\site", "D:\\site\\img\\a.gif"},
      {"//server/x.gif", "D:\\site", "\\\\server\\x.gif"},
      {"img/a.gif", "D:\\site", "img\\a.gif"},
      {"/img/a.gif", "", "/img/a.gif"},
      {"", "D:\\site", ""},
      {"/img/a.gif", "/srv/site", "/srv/site/img/a.gif"},
      {"/img/a.gif", "/srv/site/", "/srv/site/img/a.gif"},
      {"/srv/site/img/a.gif", "/srv/site", "/srv/site/img/a.gif"},
      {"/srv/siteX/a.gif", "/srv/site", "/srv/site/srv/siteX/a.gif"},
      {"file:///img/a.gif", "/srv/site", "/srv/site/img/a.gif"},
      {"img/a.gif", "/srv/site", "img/a.gif"},
  };
  for (const auto& c : cases) EXPECT_EQ(UrlToServerFile(c.Ref, c.Root), c.Out) << c.Ref << " in " << c.Root;
}

}  // namespace
