#include "document/FileSeries.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "document/TextNumbers.h"

namespace korvelin::document {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Compares the digit runs starting at a[i] and b[j] by value; advances both
// past their runs. A tie in value leaves the run lengths to tell apart.
int CompareDigitRuns(std::string_view a, size_t& i, std::string_view b, size_t& j,
                     int& length_order) {
  size_t a_end = i;
  while (a_end < a.size() && IsDigit(a[a_end])) ++a_end;
  size_t b_end = j;
  while (b_end < b.size() && IsDigit(b[b_end])) ++b_end;
  if (length_order == 0 && a_end - i != b_end - j) length_order = a_end - i < b_end - j ? -1 : 1;
  // Leading zeros carry no value: "007" and "7" are both seven.
  while (i < a_end && a[i] == '0') ++i;
  while (j < b_end && b[j] == '0') ++j;
  int order = 0;
  if (a_end - i != b_end - j) {
    order = a_end - i < b_end - j ? -1 : 1;
  } else {
    const int digits = a.substr(i, a_end - i).compare(b.substr(j, b_end - j));
    order = digits < 0 ? -1 : (digits > 0 ? 1 : 0);
  }
  i = a_end;
  j = b_end;
  return order;
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
  size_t i = 0;
  size_t j = 0;
  int tie = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const int order = CompareDigitRuns(a, i, b, j, tie);
      if (order != 0) return order;
      continue;
    }
    const char ca = UpperAscii(a[i]);
    const char cb = UpperAscii(b[j]);
    if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  if (tie != 0) return tie;
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}

std::vector<std::string> SeriesCandidates(const std::string& shown, SeriesStep step) {
  namespace fs = std::filesystem;
  const fs::path shown_path(shown);
  const std::string shown_name = shown_path.filename().string();
  fs::path folder = shown_path.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kind_error;
    if (!it->is_regular_file(kind_error)) continue;
    const int order = NaturalCompare(name, shown_name);
    if ((step == SeriesStep::Next && order > 0) || (step == SeriesStep::Previous && order < 0)) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end(), [step](const std::string& a, const std::string& b) {
    const int order = NaturalCompare(a, b);
    return step == SeriesStep::Next ? order < 0 : order > 0;
  });
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) paths.push_back((shown_path.parent_path() / name).string());
  return paths;
}

}  // namespace korvelin::document
