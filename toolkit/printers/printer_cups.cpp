// The print server's destinations: each prints the PDF that a job writes to a temporary
// file, submitted whole when the document ends.
#include "toolkit/printers/printer.h"

#ifdef QJX_HAVE_CUPS

#include <cups/cups.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

class TCupsPrinter : public TPrintDevice {
 public:
  std::unique_ptr<TPrintJob> StartJob(const std::string& Title, int Copies,
                                      TPrinterOrientation Orientation) override;
};

class TCupsJob : public TPrintJob {
 public:
  TCupsJob(TCupsPrinter& Printer, const std::string& Title, int Copies, TPrinterOrientation O)
      : TPrintJob(Printer.Geometry(O), Printer.Paper, 1), FName(Printer.Name),
        FTitle(SpoolerTitle(Title)), FCopies(Copies) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qjxhtml-print-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw EPrinter("Printer selected is not valid");
    close(fd);
    FFile = pattern;
    try {
      OpenPdf(FFile, Printer.Geometry(O));
    } catch (...) {
      std::remove(FFile.c_str());
      throw;
    }
  }

 protected:
  void Deliver() override {
    cups_option_t* options = nullptr;
    int count = cupsAddOption("copies", std::to_string(std::max(1, FCopies)).c_str(), 0, &options);
    count = cupsAddOption("document-format", "application/pdf", count, &options);
    cupsPrintFile2(CUPS_HTTP_DEFAULT, FName.c_str(), FFile.c_str(),
                   FTitle.empty() ? "qjxhtml" : FTitle.c_str(), count, options);
    cupsFreeOptions(count, options);
    std::remove(FFile.c_str());
  }
  void Discard() override { std::remove(FFile.c_str()); }

 private:
  std::string FName, FTitle, FFile;
  int FCopies;
};

std::unique_ptr<TPrintJob> TCupsPrinter::StartJob(const std::string& Title, int Copies,
                                                  TPrinterOrientation Orientation) {
  return std::make_unique<TCupsJob>(*this, Title, Copies, Orientation);
}

}  // namespace

std::vector<std::unique_ptr<TPrintDevice>> CupsDestinations() {
  std::vector<std::unique_ptr<TPrintDevice>> result;
  // The server is read again from the environment (CUPS_SERVER) and client.conf.
  cupsSetServer(nullptr);
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < count; ++i) {
    if (dests[i].instance) continue;
    auto printer = std::make_unique<TCupsPrinter>();
    printer->Name = dests[i].name;
    const char* media = cupsGetOption("media", dests[i].num_options, dests[i].options);
    if (media && std::string(media).find("letter") != std::string::npos) printer->Paper = PaperLetter;
    result.push_back(std::move(printer));
  }
  cupsFreeDests(count, dests);
  return result;
}

#else

std::vector<std::unique_ptr<TPrintDevice>> CupsDestinations() { return {}; }

#endif
