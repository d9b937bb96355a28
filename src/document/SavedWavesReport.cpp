// What the second reading says of a file: the reasons waves are left out,
// the summary a headless run prints and the notice an empty plot shows.

#include <string>

#include "document/SavedWaves.h"

namespace korvelin::document {
// 524288 as "524,288", as a report reads it.
std::string GroupedNumber(int64_t number) {
  const std::string digits = std::to_string(number);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string_view LeftOutText(LeftOut reason) {
  switch (reason) {
    case LeftOut::ThreeD:
      return "3-D wave";
    case LeftOut::Text:
      return "text wave";
    case LeftOut::Complex:
      return "complex wave";
    case LeftOut::SharedBlock:
      return "shares a 2-D block";
    case LeftOut::NoValues:
      return "no values";
    case LeftOut::OverCapacity:
      return "over capacity";
  }
  return {};
}

std::string SavedFileSummary(const SavedFileReport& report) {
  std::string text;
  if (report.fallback && report.traces > 0) {
    text = "read as saved waves: " + std::to_string(report.traces) +
           (report.traces == 1 ? " trace" : " traces");
  } else if (report.shows_nothing) {
    text = "no wave to plot";
  } else {
    return text;
  }
  if (report.points_in_file > 0) {
    text += "; kept " + GroupedNumber(report.kept_points) + " of " +
            GroupedNumber(report.points_in_file) + " points";
  }
  const char* separator = "; left out: ";
  for (int r = 0; r < kLeftOutReasons; ++r) {
    if (report.left_out[static_cast<size_t>(r)] == 0) continue;
    text += separator;
    text += LeftOutText(static_cast<LeftOut>(r));
    text += " (" + std::to_string(report.left_out[static_cast<size_t>(r)]) + ")";
    separator = ", ";
  }
  return text;
}

std::string SavedFileNotice(const SavedFileReport& report) {
  return report.shows_nothing ? SavedFileSummary(report) : std::string();
}

}  // namespace korvelin::document
