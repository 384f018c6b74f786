// The corpus generator's page of 50,000 short paragraphs (3 MB), the page the speed figures
// are given for; made once per run, empty without ../shared.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline const std::string& ParagraphPage() {
  static const std::string Page = [] {
    const std::string Out = "bench_paras_" + std::to_string(getpid()) + ".html";
    const std::string Cmd = std::string("python3 \"") + QJX_SHARED_DIR +
                            "/corpus/html/gen/make_large.py\" paras \"" + Out + "\" 2>/dev/null";
    if (std::system(Cmd.c_str()) != 0) return std::string();
    std::ifstream In(Out, std::ios::binary);
    std::stringstream Buf;
    Buf << In.rdbuf();
    std::remove(Out.c_str());
    return Buf.str();
  }();
  return Page;
}
