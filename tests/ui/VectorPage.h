#pragma once
// The page the vector container tests play: the worked example's 594 x 420
// client area on the default 29700 x 21000 page (both factors 50), the plot
// at (60, 14, 540, 386) showing 0 to 10, and a text measurer whose numbers
// are known, so every coordinate in a file can be named in advance.

#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <string_view>
#include <vector>

#include "core/TestWaves.h"
#include "document/GraphDocument.h"
#include "render/VectorPlot.h"
#include "ui/ProgramRun.h"

namespace korvelin::testing {

// Characters half the font's height wide, lines 19/16 of it high: in the
// page's 800-unit font a digit is 400 units wide and a line 950 high.
class ScalingMeasurer : public render::TextMeasurer {
 public:
  void SetFont(const render::FontSpec& font) override { height_ = font.pixel_height; }
  render::TextSize Measure(std::string_view text) override {
    return {static_cast<int>(text.size()) * (height_ / 2), height_ * 19 / 16};
  }

 private:
  int height_ = 16;
};

// The frame runs from (3000, 700) to (27000, 19300); x numbers have their
// tops at 19500, "10" centred under the right edge at x = 26600.
inline void SetUpPage(document::GraphDocument& doc) {
  doc.ClientSize = {594, 420};
  doc.PlotRect = {60, 14, 540, 386};
  doc.AxisRange = {0, 10, 10, 0};
}

inline render::VectorRecording RecordPage(const document::GraphDocument& doc) {
  ScalingMeasurer label;
  return render::RecordVectorPlot(doc, label, render::FontSpec{}, '.');
}

// The standard output of a poppler tool (pdfinfo, pdffonts, pdftotext) run
// on a page's bytes; empty when the tool failed.
inline std::string PopplerOn(const QString& tool, QStringList arguments, const QByteArray& pdf) {
  QTemporaryDir dir;
  QFile file(dir.filePath("page.pdf"));
  if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) return {};
  file.close();
  arguments.append(file.fileName());
  if (tool == "pdftotext") arguments.append("-");
  return ui::RunTool(tool, arguments);
}

}  // namespace korvelin::testing
