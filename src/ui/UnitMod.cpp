#include "ui/UnitMod.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/InputPrompt.h"
#include "platform/IntSpinEdit.h"
#include "platform/ListBox.h"
#include "platform/QtFont.h"

namespace korvelin::ui {
namespace {

QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToLatin1(const QString& text) { return text.toLatin1().toStdString(); }

void SetCaption(QGroupBox* box, const char* caption) { box->setTitle(caption); }
void SetCaption(QAbstractButton* button, const char* caption) { button->setText(caption); }
void SetCaption(QLabel* label, const char* caption) { label->setText(caption); }
void SetCaption(QWidget*, const char*) {}

// Each kind of control reports the change its handler stands for.
template <class Run>
void Connect(QCheckBox* box, Run run) {
  QObject::connect(box, &QCheckBox::clicked, box, run);
}
template <class Run>
void Connect(QPushButton* button, Run run) {
  QObject::connect(button, &QPushButton::clicked, button, run);
}
template <class Run>
void Connect(QLineEdit* edit, Run run) {
  QObject::connect(edit, &QLineEdit::textChanged, edit, run);
}
template <class Run>
void Connect(platform::IntSpinEdit* spin, Run run) {
  QObject::connect(spin, &platform::IntSpinEdit::ValueChanged, spin, run);
}
template <class Run>
void Connect(platform::ListBox* list, Run run) {
  QObject::connect(list, &platform::ListBox::Click, list, run);
}
template <class Run>
void Connect(QWidget*, Run) {}

// Keeps Busy set for the length of a fill or an apply, even when the
// host's layout fails part-way and the failure travels on to the caller.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

TFormModify::TFormModify(document::GraphDocument& doc, ModifyHost& host,
                         platform::InputPrompt& prompt, char decimal_separator, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      doc_(doc),
      host_(host),
      prompt_(prompt),
      decimal_separator_(decimal_separator) {
  CreateComponents();
}

TFormModify::~TFormModify() = default;

void TFormModify::CreateComponents() {
  setObjectName("FormModify");
  setWindowTitle(kModifyCaption);
  setFixedSize(kModifyClientWidth, kModifyClientHeight);
  setFont(platform::ToQFont({"Arial", 12, false, false}));
  // The program ends with the main window, whether or not the dialog is open.
  setAttribute(Qt::WA_QuitOnClose, false);

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer");
  timer_->setInterval(kApplyDelayMs);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &TFormModify::TimerTimer);

  page_control_ = new QTabWidget(this);
  page_control_->setObjectName("PageControl");
  page_control_->setGeometry(8, 8, 481, 281);
  const std::array<const char*, 3> page_names = {"TabSheetAxis", "TabSheetWaves", "TabSheetTraces"};
  const std::array<const char*, 3> page_captions = {"Axis", "Waves", "Traces"};
  for (size_t i = 0; i < pages_.size(); ++i) {
    pages_[i] = new QWidget(page_control_);
    pages_[i]->setObjectName(page_names[i]);
    page_control_->addTab(pages_[i], page_captions[i]);
  }

  for (const std::span<const ControlRow> page :
       {AxisControls(), WavesControls(), TracesControls()}) {
    for (const ControlRow& row : page) CreateControl(row);
  }
}

// The controls of each tab page, one row each. Positions are relative to the
// tab page, or to the group box named in the fourth column. A group box
// comes before the check box that titles it, so the check box is drawn over
// the frame's top edge.
std::span<const TFormModify::ControlRow> TFormModify::AxisControls() {
  using F = TFormModify;
  static const ControlRow kRows[] = {
      {"GroupBoxAxis", &F::group_box_axis_, Page::Axis, nullptr, 16, 8, 217, 113, nullptr, nullptr},
      {"EditAxisTop", &F::edit_axis_top_, Page::Axis, &F::group_box_axis_, 16, 24, 57, 23, nullptr,
       &F::EditAxisTopChange},
      {"EditAxisBottom", &F::edit_axis_bottom_, Page::Axis, &F::group_box_axis_, 16, 56, 57, 23,
       nullptr, &F::EditAxisBottomChange},
      {"EditAxisLeft", &F::edit_axis_left_, Page::Axis, &F::group_box_axis_, 80, 72, 57, 23,
       nullptr, &F::EditAxisLeftChange},
      {"EditAxisRight", &F::edit_axis_right_, Page::Axis, &F::group_box_axis_, 144, 72, 57, 23,
       nullptr, &F::EditAxisRightChange},
      {"CheckBoxAxis", &F::check_box_axis_, Page::Axis, nullptr, 24, 8, 49, 17, "Axis",
       &F::CheckBoxAxisClick},
      {"GroupBoxMargin", &F::group_box_margin_, Page::Axis, nullptr, 248, 8, 217, 113, nullptr,
       nullptr},
      {"SpinEditTop", &F::spin_edit_top_, Page::Axis, &F::group_box_margin_, 80, 24, 57, 24,
       nullptr, &F::SpinEditTopChange},
      {"SpinEditLeft", &F::spin_edit_left_, Page::Axis, &F::group_box_margin_, 16, 48, 57, 24,
       nullptr, &F::SpinEditLeftChange},
      {"SpinEditBottom", &F::spin_edit_bottom_, Page::Axis, &F::group_box_margin_, 80, 72, 57, 24,
       nullptr, &F::SpinEditBottomChange},
      {"SpinEditRight", &F::spin_edit_right_, Page::Axis, &F::group_box_margin_, 144, 48, 57, 24,
       nullptr, &F::SpinEditRightChange},
      {"CheckBoxMargin", &F::check_box_margin_, Page::Axis, nullptr, 256, 8, 65, 17, "Margin",
       &F::CheckBoxMarginClick},
      {"GroupBoxScale", &F::group_box_scale_, Page::Axis, nullptr, 16, 128, 217, 113, nullptr,
       nullptr},
      {"SpinEditDistanceY", &F::spin_edit_distance_y_, Page::Axis, &F::group_box_scale_, 16, 24, 57,
       24, nullptr, &F::SpinEditDistanceYChange},
      {"SpinEditTickY", &F::spin_edit_tick_y_, Page::Axis, &F::group_box_scale_, 16, 56, 57, 24,
       nullptr, &F::SpinEditTickYChange},
      {"SpinEditDistanceX", &F::spin_edit_distance_x_, Page::Axis, &F::group_box_scale_, 80, 72, 57,
       24, nullptr, &F::SpinEditDistanceXChange},
      {"SpinEditTickX", &F::spin_edit_tick_x_, Page::Axis, &F::group_box_scale_, 144, 72, 57, 24,
       nullptr, &F::SpinEditTickXChange},
      {"CheckBoxScale", &F::check_box_scale_, Page::Axis, nullptr, 24, 128, 57, 17, "Scale",
       &F::CheckBoxScaleClick},
      {"GroupBoxMetaFile", &F::group_box_meta_file_, Page::Axis, nullptr, 248, 128, 217, 65,
       "Meta File Size", nullptr},
      {"SpinEditMMWidth", &F::spin_edit_mm_width_, Page::Axis, &F::group_box_meta_file_, 16, 24, 89,
       24, nullptr, &F::SpinEditMMWidthChange},
      {"SpinEditMMHeight", &F::spin_edit_mm_height_, Page::Axis, &F::group_box_meta_file_, 112, 24,
       89, 24, nullptr, &F::SpinEditMMHeightChange},
      {"CheckBoxColor", &F::check_box_color_, Page::Axis, nullptr, 248, 200, 57, 17, "Color",
       &F::CheckBoxColorClick},
  };
  return kRows;
}

std::span<const TFormModify::ControlRow> TFormModify::WavesControls() {
  using F = TFormModify;
  static const ControlRow kRows[] = {
      {"LabelWaves", &F::label_waves_, Page::Waves, nullptr, 16, 8, 37, 15, "Waves", nullptr},
      {"LabelParameters", &F::label_parameters_, Page::Waves, nullptr, 240, 8, 65, 15, "Parameters",
       nullptr},
      {"ListBoxWaves", &F::list_box_waves_, Page::Waves, nullptr, 16, 32, 209, 201, nullptr,
       &F::ListBoxWavesClick},
      {"ListBoxParams", &F::list_box_params_, Page::Waves, nullptr, 240, 32, 217, 201, nullptr,
       &F::ListBoxParamsClick},
  };
  return kRows;
}

std::span<const TFormModify::ControlRow> TFormModify::TracesControls() {
  using F = TFormModify;
  static const ControlRow kRows[] = {
      {"LabelYwave", &F::label_ywave_, Page::Traces, nullptr, 16, 8, 39, 15, "Y-wave", nullptr},
      {"LabelXwave", &F::label_xwave_, Page::Traces, nullptr, 152, 8, 39, 15, "X-wave", nullptr},
      {"ListBoxYwave", &F::list_box_ywave_, Page::Traces, nullptr, 16, 32, 121, 201, nullptr,
       nullptr},
      {"ListBoxXwave", &F::list_box_xwave_, Page::Traces, nullptr, 152, 32, 121, 201, nullptr,
       nullptr},
      {"ListBoxTraces", &F::list_box_traces_, Page::Traces, nullptr, 288, 16, 169, 185, nullptr,
       nullptr},
      {"ButtonAppend", &F::button_append_, Page::Traces, nullptr, 288, 216, 81, 25, "Append",
       &F::ButtonAppendClick},
      {"ButtonRemove", &F::button_remove_, Page::Traces, nullptr, 376, 216, 81, 25, "Remove",
       &F::ButtonRemoveClick},
  };
  return kRows;
}

void TFormModify::CreateControl(const ControlRow& row) {
  QWidget* parent = row.group != nullptr ? static_cast<QWidget*>(this->*row.group)
                                         : pages_[static_cast<size_t>(row.page)];
  QWidget* control = std::visit(
      [&](auto member) -> QWidget* {
        using Control = std::remove_pointer_t<std::remove_reference_t<decltype(this->*member)>>;
        auto* c = new Control(parent);
        this->*member = c;
        if (row.caption != nullptr) SetCaption(c, row.caption);
        if (row.handler != nullptr) Connect(c, [this, h = row.handler] { (this->*h)(); });
        return c;
      },
      row.slot);
  control->setObjectName(row.name);
  control->setGeometry(row.left, row.top, row.width, row.height);
}

void TFormModify::ShowOrClose() {
  if (isVisible()) {
    close();
    return;
  }
  show();
  raise();
  activateWindow();
}

void TFormModify::DocumentLoaded() {
  if (isVisible()) FillLists();
}

void TFormModify::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window restored by the system is no new show; only the program's
  // own show refills the controls.
  if (!event->spontaneous()) FormShow();
}

void TFormModify::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TFormModify::FormClose() { hide(); }

void TFormModify::FormShow() {
  BusyScope busy(busy_);
  // Setting a control reports its change like the user's would, and so may
  // start Timer; it is stopped at the end, so a fill never leads to an
  // apply. The metafile spin edits store what they show at once.
  const document::AxisTabValues v = document::FillAxisTab(doc_, decimal_separator_);
  const document::DisplaySettings& s = v.settings;
  check_box_scale_->setChecked(s.ScaleOn);
  spin_edit_distance_x_->SetValue(s.DistanceX);
  spin_edit_distance_y_->SetValue(s.DistanceY);
  spin_edit_tick_x_->SetValue(s.TickX);
  spin_edit_tick_y_->SetValue(s.TickY);
  check_box_margin_->setChecked(s.MarginOn);
  spin_edit_left_->SetValue(s.Margin.Left);
  spin_edit_top_->SetValue(s.Margin.Top);
  spin_edit_right_->SetValue(s.Margin.Right);
  spin_edit_bottom_->SetValue(s.Margin.Bottom);
  // A number longer than its edit is shown from its start, as it is read:
  // "10972.47706422" rather than its tail "93577982", which reads as
  // another number.
  for (const auto& [edit, text] : {std::pair{edit_axis_left_, &v.axis_left},
                                   {edit_axis_top_, &v.axis_top},
                                   {edit_axis_right_, &v.axis_right},
                                   {edit_axis_bottom_, &v.axis_bottom}}) {
    edit->setText(FromLatin1(*text));
    edit->setCursorPosition(0);
  }
  spin_edit_mm_width_->SetValue(document::MillimetresFromMetafile(s.MetafileWidth));
  spin_edit_mm_height_->SetValue(document::MillimetresFromMetafile(s.MetafileHeight));
  check_box_color_->setChecked(s.ColorOn);
  FillLists();
  timer_->stop();
}

void TFormModify::FillLists() {
  // ListBoxParams keeps the lines of the wave selected last; with no wave
  // selected after the fill, clicking them does nothing.
  std::vector<std::string> waves;
  const int32_t wave_count = std::clamp(doc_.WaveCount, 0, document::kMaxWaves);
  for (int32_t i = 0; i < wave_count; ++i) waves.push_back(document::WaveLine(doc_, i));
  list_box_waves_->SetLines(waves);
  list_box_ywave_->SetLines(waves);
  list_box_xwave_->SetLines(waves);
  std::vector<std::string> traces;
  const int32_t trace_count = std::clamp(doc_.TraceCount, 0, document::kMaxTraces);
  for (int32_t i = 0; i < trace_count; ++i) traces.push_back(document::TraceLine(doc_, i));
  list_box_traces_->SetLines(traces);
}

void TFormModify::StartTimer() {
  // A running count is not restarted: the apply comes 256 ms after the
  // first change of a burst, not after the last.
  if (!timer_->isActive()) timer_->start();
}

document::AxisTabValues TFormModify::ReadAxisTab() const {
  document::AxisTabValues v;
  document::DisplaySettings& s = v.settings;
  s.ScaleOn = check_box_scale_->isChecked();
  s.DistanceX = spin_edit_distance_x_->Value();
  s.DistanceY = spin_edit_distance_y_->Value();
  s.TickX = spin_edit_tick_x_->Value();
  s.TickY = spin_edit_tick_y_->Value();
  s.MarginOn = check_box_margin_->isChecked();
  s.Margin = {spin_edit_left_->Value(), spin_edit_top_->Value(), spin_edit_right_->Value(),
              spin_edit_bottom_->Value()};
  v.axis_on = check_box_axis_->isChecked();
  v.axis_left = ToLatin1(edit_axis_left_->text());
  v.axis_top = ToLatin1(edit_axis_top_->text());
  v.axis_right = ToLatin1(edit_axis_right_->text());
  v.axis_bottom = ToLatin1(edit_axis_bottom_->text());
  s.ColorOn = check_box_color_->isChecked();
  return v;
}

void TFormModify::TimerTimer() {
  if (busy_) {
    // Inside a fill or another apply: try again one interval later.
    timer_->start();
    return;
  }
  BusyScope busy(busy_);
  timer_->stop();
  host_.RunGuarded([this] {
    document::ApplyAxisTab(doc_, ReadAxisTab(), decimal_separator_);
    host_.FormResize();
  });
}

void TFormModify::CheckBoxAxisClick() { StartTimer(); }
void TFormModify::CheckBoxMarginClick() { StartTimer(); }
void TFormModify::CheckBoxScaleClick() { StartTimer(); }
void TFormModify::CheckBoxColorClick() { StartTimer(); }

void TFormModify::EditAxisTopChange() {
  if (check_box_axis_->isChecked()) StartTimer();
}
void TFormModify::EditAxisBottomChange() { EditAxisTopChange(); }
void TFormModify::EditAxisLeftChange() { EditAxisTopChange(); }
void TFormModify::EditAxisRightChange() { EditAxisTopChange(); }

void TFormModify::SpinEditDistanceXChange() {
  if (check_box_scale_->isChecked()) StartTimer();
}
void TFormModify::SpinEditDistanceYChange() { SpinEditDistanceXChange(); }
void TFormModify::SpinEditTickXChange() { SpinEditDistanceXChange(); }
void TFormModify::SpinEditTickYChange() { SpinEditDistanceXChange(); }

// A margin typed while "Margin" is checked shows at once, as the scale
// values do while "Scale" is; unchecked, it waits for the next apply.
void TFormModify::SpinEditTopChange() {
  if (check_box_margin_->isChecked()) StartTimer();
}
void TFormModify::SpinEditLeftChange() { SpinEditTopChange(); }
void TFormModify::SpinEditBottomChange() { SpinEditTopChange(); }
void TFormModify::SpinEditRightChange() { SpinEditTopChange(); }

// The metafile size sizes vector output only and is no part of the apply:
// it is stored at every change and nothing is redrawn.
void TFormModify::SpinEditMMWidthChange() {
  doc_.Settings.MetafileWidth = document::MetafileFromMillimetres(spin_edit_mm_width_->Value());
}
void TFormModify::SpinEditMMHeightChange() {
  doc_.Settings.MetafileHeight = document::MetafileFromMillimetres(spin_edit_mm_height_->Value());
}

void TFormModify::ListBoxWavesClick() {
  const int wave = list_box_waves_->ItemIndex();
  // A line past WaveCount belongs to a file no longer loaded.
  if (wave < 0 || wave >= doc_.WaveCount || wave >= document::kMaxWaves) return;
  const auto lines =
      document::ParameterLines(doc_.Waves[static_cast<size_t>(wave)], decimal_separator_);
  list_box_params_->SetLines({lines.begin(), lines.end()});
}

void TFormModify::ListBoxParamsClick() {
  const int wave = list_box_waves_->ItemIndex();
  const int row = list_box_params_->ItemIndex();
  if (wave < 0 || row < 0 || wave >= doc_.WaveCount) return;
  const std::string line = ToLatin1(list_box_params_->item(row)->text());
  const std::optional<std::string> text =
      prompt_.Ask(kModifyCaption, document::ParameterName(line), document::ParameterValue(line));
  if (!text) return;
  // Checked again after the prompt: the document is only written within
  // the waves it holds now.
  if (!document::EditParameter(doc_, wave, row, *text, decimal_separator_)) return;
  ListBoxWavesClick();
  StartTimer();
}

void TFormModify::ButtonAppendClick() {
  const int x = list_box_xwave_->ItemIndex();
  const int y = list_box_ywave_->ItemIndex();
  if (x < 0 || y < 0) return;
  // A full list, or a line of a file no longer loaded, appends nothing.
  if (!document::AppendTrace(doc_, x, y)) return;
  FormShow();
  StartTimer();
}

void TFormModify::ButtonRemoveClick() {
  const int trace = list_box_traces_->ItemIndex();
  if (trace < 0) return;
  if (!document::RemoveTrace(doc_, trace)) return;
  FormShow();
  StartTimer();
}

}  // namespace korvelin::ui
