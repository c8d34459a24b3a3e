#include "cli/station_rows.h"

#include <algorithm>
#include <cstdio>

#include "cli/text_columns.h"

namespace {

// Bars by the room there is: a long bar on a wide terminal, a short one on
// a narrow one, none where the log line would have no room left.
constexpr int wideTerminal = 72;
constexpr int wideBar = 22;
constexpr int narrowTerminal = 50;
constexpr int narrowBar = 12;
constexpr int figuresSize = 48;

}  // namespace

int PortColumns(int longestPort) { return std::min(longestPort, longestPortShown); }

RowText LayOutRow(const StationRow& row, int portColumns, int columns) {
  const int percent = PercentDone(row.pages);
  std::string lead = PadColumns(row.port, portColumns) + " ";
  if (columns >= wideTerminal) lead += ProgressBar(percent, wideBar) + " ";
  else if (columns >= narrowTerminal) lead += ProgressBar(percent, narrowBar) + " ";
  char figures[figuresSize];
  std::snprintf(figures, sizeof figures, "%3d %% %4d с  ", percent, row.seconds);
  lead += figures;
  if (TextColumns(lead) >= columns) return {FitColumns(lead, columns), ""};
  return {lead, FitColumns(row.latest, columns - TextColumns(lead))};
}
