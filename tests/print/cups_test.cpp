// Printing to a print server's destination: a private server started here, with a queue
// whose backend writes what it receives to a file.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "toolkit/printers/printer.h"
#include "toolkit/windows/window.h"
#include "viewer/html_viewer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Write(const fs::path& Path, const std::string& Text) { std::ofstream(Path) << Text; }

std::string Found(const char* Name) {
  for (const char* dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"})
    if (::access((std::string(dir) + "/" + Name).c_str(), X_OK) == 0) return std::string(dir) + "/" + Name;
  return "";
}

// A scheduler of our own on a socket in a temporary folder, stopped with the object.
class TPrivateServer {
 public:
  TPrivateServer() {
    FDir = fs::temp_directory_path() / ("qjx-cups-" + std::to_string(::getpid()));
    fs::remove_all(FDir);
    for (const char* sub : {"spool", "tmp", "cache", "state", "out", "bin/backend"})
      fs::create_directories(FDir / sub);
    // The queue's backend runs as the server's unprivileged user.
    ::chmod((FDir / "out").c_str(), 0777);
    ::chmod((FDir / "tmp").c_str(), 0777);
    fs::create_directory_symlink("/usr/lib/cups/daemon", FDir / "bin/daemon");
    fs::create_directory_symlink("/usr/lib/cups/notifier", FDir / "bin/notifier");
    Write(FDir / "bin/backend/qjxfile",
          "#!/bin/sh\n"
          "[ $# -eq 0 ] && { echo 'direct qjxfile \"Unknown\" \"File\"'; exit 0; }\n"
          "out=${DEVICE_URI#qjxfile:}\n"
          "if [ $# -ge 6 ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
          "mv \"$out.part\" \"$out\"\n");
    ::chmod((FDir / "bin/backend/qjxfile").c_str(), 0755);
    Socket = (FDir / "cups.sock").string();
    Write(FDir / "cupsd.conf", "Listen " + Socket +
                                   "\nLogLevel warn\nWebInterface No\n"
                                   "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n");
    const std::string d = FDir.string();
    Write(FDir / "cups-files.conf", "ServerRoot " + d + "\nServerBin " + d + "/bin\nStateDir " + d +
                                        "/state\nRequestRoot " + d + "/spool\nTempDir " + d +
                                        "/tmp\nCacheDir " + d + "/cache\nErrorLog " + d +
                                        "/error_log\nAccessLog " + d + "/access_log\nPageLog " + d +
                                        "/page_log\nSystemGroup root\n");
  }
  ~TPrivateServer() {
    if (FPid > 0) {
      ::kill(FPid, SIGTERM);
      int status = 0;
      ::waitpid(FPid, &status, 0);
    }
    fs::remove_all(FDir);
  }
  // Empty when the server runs with its queue, else why not.
  std::string Start(const std::string& Queue) {
    const std::string cupsd = Found("cupsd"), lpadmin = Found("lpadmin");
    if (cupsd.empty() || lpadmin.empty()) return "cupsd and lpadmin (cups-daemon, cups-client) are not installed";
    if (!fs::exists("/usr/lib/cups/daemon")) return "the server's helper programs are missing";
    const std::string conf = (FDir / "cupsd.conf").string(), files = (FDir / "cups-files.conf").string();
    const char* argv[] = {cupsd.c_str(), "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
    if (::posix_spawn(&FPid, cupsd.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
      return "cupsd cannot be started";
    for (int i = 0; i < 100 && !fs::exists(Socket); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!fs::exists(Socket)) return "cupsd did not start: " + ReadAll(FDir / "error_log");
    Output = FDir / "out" / "printed.pdf";
    const std::string cmd = lpadmin + " -h " + Socket + " -p " + Queue + " -E -v qjxfile:" +
                            Output.string() + " -m raw >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return "the queue cannot be made";
    return "";
  }
  std::string Socket;
  fs::path Output;

 private:
  fs::path FDir;
  pid_t FPid = 0;
};

TEST(PrintServer, DestinationPrintsThePdfOfTheDocument) {
  TPrivateServer server;
  if (const std::string why = server.Start("QjxQueue"); !why.empty()) GTEST_SKIP() << why;
  ::setenv("CUPS_SERVER", server.Socket.c_str(), 1);
  Printer().Refresh();
  const int index = Printer().IndexOf("QjxQueue");
  ASSERT_GT(index, 0) << "the PDF printer stays first";

  TCreateParams params;
  params.Width = 400;
  params.Height = 300;
  params.Style = WS_VISIBLE;
  params.Proc = &DefWindowProc;
  HWND host = CreateWindow(params);
  {
    THTMLViewer viewer(nullptr, host, 0, 0, 400, 300);
    const std::string html = "<title>Served</title><h1>Through the server</h1>";
    viewer.LoadFromBuffer(html.data(), int(html.size()));
    Printer().PrinterIndex = index;
    viewer.PrintPages(1, 1);
    EXPECT_EQ(viewer.PrintPage(), 1);
  }
  DestroyWindow(host);
  for (int i = 0; i < 200 && !fs::exists(server.Output); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::string pdf = ReadAll(server.Output);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u) << "the queue got " << pdf.size() << " bytes";
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
  ::unsetenv("CUPS_SERVER");
  Printer().Refresh();
}

}  // namespace
