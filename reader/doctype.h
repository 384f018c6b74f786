// What a document type declaration says about how the page is to be read.
#pragma once

#include <string_view>

// Whether the declaration (its text after "<!") asks for a standards document: class and id
// names then match with their case, and the first block in a box keeps its top margin.
// Standards documents are those declared as HTML 4.0 or 4.01 Strict (a public id without
// "Transitional" or "Frameset"), any XHTML, ISO/IEC 15445, or with no public id at all
// ("<!DOCTYPE html>"). Every other declaration, and a page without one, reads in the
// forgiving way browsers keep for pages written before style sheets.
bool IsStandardsDoctype(std::string_view declaration);
// Whether the declaration is a document type declaration at all.
bool IsDoctype(std::string_view declaration);
