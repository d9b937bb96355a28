#include "document/Loading.h"

#include "document/QuotedName.h"

namespace korvelin::document {

LoadRecord LoadFile(GraphDocument& doc, const std::string& path) {
  LoadRecord record{path, {}, {}};
  record.result = LoadGraphFile(doc, path, record.saved);
  return record;
}

std::vector<LoadRecord> LoadFiles(GraphDocument& doc, const std::vector<std::string>& files) {
  std::vector<LoadRecord> loads;
  for (const std::string& path : files) loads.push_back(LoadFile(doc, path));
  return loads;
}

std::string SavedFileMessage(const LoadRecord& load) {
  const std::string summary = SavedFileSummary(load.saved);
  if (summary.empty()) return summary;
  return QuoteName(load.path) + ": " + summary;
}

}  // namespace korvelin::document
