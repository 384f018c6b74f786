// A line of preformatted text: spaces and line ends are kept and never broken.
#pragma once

#include "document/core/text_section.h"

class TPreLine : public TSection {
 public:
  using TSection::TSection;
  bool IsPreformatted() const override { return true; }
  // A line that is never broken needs its whole width.
  void MeasureWidths(TCanvas* Canvas, int& Min, int& Max) override;
  // Every space is kept: only the source map is built.
  void CompleteText() override;
};
