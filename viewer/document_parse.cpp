// The reader's entry as the viewer calls it: the viewer's hooks handed to the builder.
#include "reader/builder.h"
#include "viewer/html_viewer.h"

void ParseViewerDocument(TViewerParse& Parse) {
  if (!Parse.Source || !Parse.SectionList) return;
  TBuildHandlers H;
  H.Sender = Parse.Viewer;
  if (Parse.WithHandlers) {
    H.OnLink = Parse.OnLink;
    H.OnMeta = Parse.OnMeta;
    H.OnSoundRequest = Parse.OnSoundRequest;
    H.OnInclude = Parse.OnInclude;
    H.OnhtStreamRequest = Parse.OnhtStreamRequest;
  }
  if (Parse.Viewer) {
    THTMLViewer* V = Parse.Viewer;
    H.MarginWidth = V->MarginWidth;
    H.MarginHeight = V->MarginHeight;
    H.ExpandFileName = [V](const std::string& Name) { return V->ExpandSourceName(Name); };
  }
  TBuildResult R = ParseHtmlDocument(*Parse.Source, Parse.SectionList, H);
  Parse.Title = R.DocTitle;
  Parse.Base = R.BaseHref;
}
