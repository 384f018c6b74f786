// The print job object and the current printer.
#include "print/vw_print.h"

namespace {

TvwPrinter* Current = nullptr;
std::unique_ptr<TvwPrinter> Default;

}  // namespace

TvwPrinter::TvwPrinter() = default;

TvwPrinter::~TvwPrinter() {
  if (FPrinting) {
    try {
      EndDoc();
    } catch (...) {
      // A destructor reports nothing; the job is dropped with the printer.
    }
  }
}

void TvwPrinter::SetState(uint8_t S) {
  if (S == FDCState) return;
  if (S == 0) {
    if (FPrinting) throw EPrinter("Printing in progress");
    FJob.reset();
    FInfoCanvas.reset();
    FDCState = 0;
    return;
  }
  if (S == 1 && FDCState == 2) return;  // a printing context also measures
  TPrinter& list = Printer();
  FDevice = list.Selected();
  if (!FDevice) throw EPrinter("Printer selected is not valid");
  FOrientation = list.Orientation;
  FGeometry = FDevice->Geometry(FOrientation);
  if (S == 1) {
    FInfoCanvas = std::make_unique<TCanvas>();
    FDevice->SetCaps(*FInfoCanvas, FOrientation);
  } else {
    FJob.reset();
    try {
      FJob = FDevice->StartJob(FTitle, list.Copies, FOrientation);
    } catch (const EPrinter&) {
      throw;
    } catch (...) {
      throw EPrinter("Printer selected is not valid");
    }
  }
  FDCState = S;
}

TCanvas& TvwPrinter::Canvas() {
  if (FDCState == 0) SetState(1);
  return FDCState == 2 ? FJob->Canvas() : *FInfoCanvas;
}

const TPrinterGeometry& TvwPrinter::Geometry() {
  if (FDCState == 0) SetState(1);
  return FGeometry;
}

int TvwPrinter::PageWidth() { return Geometry().PageWidth; }
int TvwPrinter::PageHeight() { return Geometry().PageHeight; }

void TvwPrinter::CheckPrinting() const {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
}

void TvwPrinter::BeginDoc() {
  if (FPrinting) throw EPrinter("Printing in progress");
  SetState(2);
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
}

void TvwPrinter::EndDoc() {
  CheckPrinting();
  // The printer is free again even when the job fails to end.
  const std::unique_ptr<TPrintJob> job = std::move(FJob);
  const bool deliver = !FAborted;
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
  FDCState = 0;
  if (deliver) job->EndDoc();
}

void TvwPrinter::Abort() {
  CheckPrinting();
  FJob->Abort();
  FAborted = true;
  EndDoc();
}

void TvwPrinter::NewPage() {
  CheckPrinting();
  FJob->NewPage();
  ++FPageNumber;
}

TvwPrinter* CurrentVwPrinter() {
  if (!Current) {
    if (!Default) Default = std::make_unique<TvwPrinter>();
    Current = Default.get();
  }
  return Current;
}

TvwPrinter* SetCurrentVwPrinter(TvwPrinter* New) {
  TvwPrinter* previous = Current;
  Current = New;
  return previous;
}
