#pragma once

// The library's version as "major.minor.patch".
const char* QjxVersion();
