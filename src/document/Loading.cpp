#include "document/Loading.h"

#include <unistd.h>

#include <cerrno>

#include "document/QuotedName.h"

namespace korvelin::document {

// The kind is decided by the content, from one open of the file: a first
// line IGOR is a pattern file, read as ever; any other file is read again
// from its start as columns.
LoadRecord LoadFile(GraphDocument& doc, const std::string& path) {
  LoadRecord record{path, {}, {}, {}};
  const int fd = OpenPatternFile(path, record.result);
  if (fd < 0) return record;
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  record.result = LoadGraphDescriptor(doc, fd, record.saved);
  if (record.result.status != LoadStatus::NotPattern) return record;
  if (lseek(fd, 0, SEEK_SET) != 0) {
    record.result = {LoadStatus::CannotOpen, SystemReason(errno)};
    return record;
  }
  FileByteSource source(fd);
  record.result = LoadColumnSource(doc, source, record.columns, path);
  return record;
}

LoadRecord LoadText(GraphDocument& doc, std::string_view text, const std::string& name,
                    size_t chunk) {
  LoadRecord record{name, {}, {}, {}};
  record.result = LoadGraphText(doc, text, record.saved, chunk);
  if (record.result.status == LoadStatus::NotPattern) {
    record.result = LoadColumnText(doc, text, record.columns, name, chunk);
  }
  return record;
}

std::vector<LoadRecord> LoadFiles(GraphDocument& doc, const std::vector<std::string>& files) {
  std::vector<LoadRecord> loads;
  for (const std::string& path : files) loads.push_back(LoadFile(doc, path));
  return loads;
}

std::string SavedFileMessage(const LoadRecord& load) {
  std::string summary = ColumnFileSummary(load.columns);
  if (summary.empty()) summary = SavedFileSummary(load.saved);
  if (summary.empty()) return summary;
  return QuoteName(load.path) + ": " + summary;
}

}  // namespace korvelin::document
