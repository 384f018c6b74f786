// Joining a relative address to a base URL, for "url(" values in style sheets.
#pragma once

#include <string>
#include <string_view>

// An address with a scheme is returned unchanged; any other is resolved against base.
std::string JoinUrl(std::string_view address, std::string_view base);
