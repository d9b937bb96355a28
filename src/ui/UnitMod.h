#pragma once
// The Modify Graph dialog `TFormModify`: a non-modal window whose controls
// are the working copy of the display settings, the axis range, the drawing
// parameters of each wave and the trace list. Every show fills the controls
// from the document; a change starts the one-shot `Timer`, and its apply
// writes the controls back and asks the host to lay out and redraw. The
// rules (conversions, the range test, the trace list) live in
// document/DialogValues; the main window is reached only through
// `ModifyHost`.

#include <QWidget>
#include <array>
#include <functional>
#include <span>
#include <variant>

#include "document/DialogValues.h"
#include "document/GraphDocument.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTimer;

namespace korvelin::platform {
class InputPrompt;
class IntSpinEdit;
class ListBox;
}  // namespace korvelin::platform

namespace korvelin::ui {

// What the dialog needs of the main window: the layout step, which lays the
// plot out anew from the settings and redraws it, called at the end of
// every apply.
class ModifyHost {
 public:
  virtual ~ModifyHost() = default;
  virtual void FormResize() = 0;
  // Runs an event's work; the window turns a failure into its error box.
  virtual void RunGuarded(const std::function<void()>& work) { work(); }
};

inline constexpr char kModifyCaption[] = "Modify Graph";
// The apply comes this long after the first change of a burst.
inline constexpr int kApplyDelayMs = 256;
inline constexpr int kModifyClientWidth = 497;
inline constexpr int kModifyClientHeight = 297;

class TFormModify : public QWidget {
  Q_OBJECT

 public:
  // Builds the window hidden. The document, host and prompt outlive it;
  // decimal_separator is the locale's, for the axis edits and the
  // parameter lines.
  TFormModify(document::GraphDocument& doc, ModifyHost& host, platform::InputPrompt& prompt,
              char decimal_separator, QWidget* parent = nullptr);
  ~TFormModify() override;

  // The Modify command: a hidden dialog is shown, raised and activated; a
  // shown one is closed (hidden).
  void ShowOrClose();
  // To be called after every accepted file load: a shown dialog lists the
  // new waves and traces at once instead of lines of the old file.
  void DocumentLoaded();

  // The fill: every control from the settings and the document; stops Timer.
  void FormShow();
  // Hides the window; a pending apply still runs.
  void FormClose();
  // The apply: settings from the controls, then the host's FormResize.
  void TimerTimer();

  void CheckBoxAxisClick();
  void CheckBoxMarginClick();
  void CheckBoxScaleClick();
  void CheckBoxColorClick();
  void EditAxisTopChange();
  void EditAxisBottomChange();
  void EditAxisLeftChange();
  void EditAxisRightChange();
  void SpinEditDistanceXChange();
  void SpinEditDistanceYChange();
  void SpinEditTickXChange();
  void SpinEditTickYChange();
  void SpinEditTopChange();
  void SpinEditLeftChange();
  void SpinEditBottomChange();
  void SpinEditRightChange();
  void SpinEditMMWidthChange();
  void SpinEditMMHeightChange();
  void ListBoxWavesClick();
  void ListBoxParamsClick();
  void ButtonAppendClick();
  void ButtonRemoveClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  enum class Page { Axis, Waves, Traces };
  // The member a control is kept in; its type says which control to build.
  using Slot = std::variant<QGroupBox * TFormModify::*, QLineEdit * TFormModify::*,
                            platform::IntSpinEdit * TFormModify::*, QCheckBox * TFormModify::*,
                            QLabel * TFormModify::*, platform::ListBox * TFormModify::*,
                            QPushButton * TFormModify::*>;
  using Handler = void (TFormModify::*)();
  struct ControlRow {
    const char* name;
    Slot slot;
    Page page;
    QGroupBox* TFormModify::*group;  // null: placed on the tab page itself
    int left;
    int top;
    int width;
    int height;
    const char* caption;  // null: none
    Handler handler;      // null: none
  };

  void CreateComponents();
  static std::span<const ControlRow> AxisControls();
  static std::span<const ControlRow> WavesControls();
  static std::span<const ControlRow> TracesControls();
  void CreateControl(const ControlRow& row);
  void StartTimer();
  void FillLists();
  document::AxisTabValues ReadAxisTab() const;

  document::GraphDocument& doc_;
  ModifyHost& host_;
  platform::InputPrompt& prompt_;
  const char decimal_separator_;
  bool busy_ = false;

  QTimer* timer_ = nullptr;
  QTabWidget* page_control_ = nullptr;
  std::array<QWidget*, 3> pages_{};

  QGroupBox* group_box_axis_ = nullptr;
  QLineEdit* edit_axis_top_ = nullptr;
  QLineEdit* edit_axis_bottom_ = nullptr;
  QLineEdit* edit_axis_left_ = nullptr;
  QLineEdit* edit_axis_right_ = nullptr;
  QCheckBox* check_box_axis_ = nullptr;
  QGroupBox* group_box_margin_ = nullptr;
  platform::IntSpinEdit* spin_edit_top_ = nullptr;
  platform::IntSpinEdit* spin_edit_left_ = nullptr;
  platform::IntSpinEdit* spin_edit_bottom_ = nullptr;
  platform::IntSpinEdit* spin_edit_right_ = nullptr;
  QCheckBox* check_box_margin_ = nullptr;
  QGroupBox* group_box_scale_ = nullptr;
  platform::IntSpinEdit* spin_edit_distance_y_ = nullptr;
  platform::IntSpinEdit* spin_edit_tick_y_ = nullptr;
  platform::IntSpinEdit* spin_edit_distance_x_ = nullptr;
  platform::IntSpinEdit* spin_edit_tick_x_ = nullptr;
  QCheckBox* check_box_scale_ = nullptr;
  QGroupBox* group_box_meta_file_ = nullptr;
  platform::IntSpinEdit* spin_edit_mm_width_ = nullptr;
  platform::IntSpinEdit* spin_edit_mm_height_ = nullptr;
  QCheckBox* check_box_color_ = nullptr;

  QLabel* label_waves_ = nullptr;
  QLabel* label_parameters_ = nullptr;
  platform::ListBox* list_box_waves_ = nullptr;
  platform::ListBox* list_box_params_ = nullptr;

  QLabel* label_ywave_ = nullptr;
  QLabel* label_xwave_ = nullptr;
  platform::ListBox* list_box_ywave_ = nullptr;
  platform::ListBox* list_box_xwave_ = nullptr;
  platform::ListBox* list_box_traces_ = nullptr;
  QPushButton* button_append_ = nullptr;
  QPushButton* button_remove_ = nullptr;
};

}  // namespace korvelin::ui
