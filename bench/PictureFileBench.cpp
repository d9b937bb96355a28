// Encoding the window's picture: the exact palette conversion, PNG made of
// runs (ours) against Qt's own writer at its fastest level, on the picture
// of the largest document at 1920 x 1080.

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>
#include <memory>
#include <string>

#include "document/IgorReader.h"
#include "platform/PictureFile.h"
#include "platform/PngWriter.h"
#include "ui/PlotView.h"

namespace korvelin::platform {
namespace {

QGuiApplication& Application() {
  static int argc = 1;
  static char name[] = "PictureFileBench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(argc, argv);
  return app;
}

// A powder scan of 524,288 rows drawn at 1920 x 1080.
const QImage& Picture() {
  static const QImage picture = [] {
    Application();
    std::string text = "IGOR\r\nWAVES/D tth int\r\nBEGIN\r\n";
    char row[64];
    uint64_t state = 12345;
    for (int i = 0; i < document::kMaxValues / 2; ++i) {
      state = state * 6364136223846793005u + 1442695040888963407u;
      std::snprintf(row, sizeof row, "%.4f\t%.2f\r\n", 5.0 + i * (85.0 / 524288),
                    10000.0 + (state >> 33) % 30000 / 100.0);
      text += row;
    }
    text += "END\r\nX Display int vs tth\r\nX SetAxis bottom 5, 90\r\nX SetAxis left 0, 32000\r\n";
    auto doc = std::make_unique<document::GraphDocument>();
    document::LoadPatternText(*doc, text);
    ui::PlotView view(*doc);
    view.Layout({1920, 1080});
    return view.Picture().copy();
  }();
  return picture;
}

void BM_ToExactIndexed8(benchmark::State& state) {
  const QImage& picture = Picture();
  for (auto _ : state) benchmark::DoNotOptimize(ToExactIndexed8(picture));
}
BENCHMARK(BM_ToExactIndexed8)->Unit(benchmark::kMillisecond);

void BM_EncodePngRunLength(benchmark::State& state) {
  const QImage indexed = *ToExactIndexed8(Picture());
  QByteArray bytes;
  for (auto _ : state) bytes = EncodePng(indexed).value();
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_EncodePngRunLength)->Unit(benchmark::kMillisecond);

// What an export does: the palette found while the picture is compressed.
void BM_EncodePngFromPicture(benchmark::State& state) {
  const QImage& picture = Picture();
  QByteArray bytes;
  for (auto _ : state) bytes = EncodePng(picture).value();
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_EncodePngFromPicture)->Unit(benchmark::kMillisecond);

void BM_EncodePngQtWriter(benchmark::State& state) {
  const QImage indexed = *ToExactIndexed8(Picture());
  QByteArray bytes;
  for (auto _ : state) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(80);  // zlib level 1
    writer.write(indexed);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_EncodePngQtWriter)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::platform
