// Turning references found in documents and style sheets into fetchable addresses and file
// names. Pure string functions: no network, no file system.
#pragma once

#include <string>
#include <string_view>

// The string without leading and trailing characters of code 0 to 32.
std::string TrimBlanks(std::string_view S);

// The URL up to and including its last "/" after the host, without the query
// ("http://h/a/b.htm?x" gives "http://h/a/", "http://h" gives "http://h/").
std::string UrlDirectory(std::string_view Url);

// Ref resolved against the directory URL Base, with "/../" and "/./" removed; dot segments
// never climb above the root. An absolute Ref is returned as it is; a network-path Ref
// ("//host/x") takes the scheme of Base.
std::string ResolveUrl(std::string_view Base, std::string_view Ref);

// True for an absolute URL ("://" with no "/" before it) and for a "mailto:" reference.
bool HasScheme(std::string_view Ref);

// A file-style reference as a file name: percent escapes decoded, a "file://" prefix
// removed. Names with a drive letter or a backslash become DOS names ("file:///C|/a/b.htm"
// gives "C:\a\b.htm"); any other name keeps its "/" separators ("file:///tmp/a.htm" gives
// "/tmp/a.htm").
std::string UrlToFileName(std::string_view Ref);

// The DOS conversion of UrlToFileName for every name: after the percent decoding, the first
// "file:///" (or else "file://") removed, "|" made ":" and "/" made "\".
std::string UrlToDosFileName(std::string_view Ref);

// UrlToFileName of Ref with ServerRoot put in front of a root-relative name. A DOS server
// root ("D:\site") takes DOS names ("/img/a.gif" gives "D:\site\img\a.gif"); a POSIX root
// ("/srv/site") takes "/" names not already under it.
std::string UrlToServerFile(std::string_view Ref, std::string_view ServerRoot);
