#include "ui/parameter_page_builder.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <vector>

#include "base/text_table.h"
#include "params/parameter_field.h"
#include "ui/dialog_template_registry.h"

namespace orvadw {

namespace {

// Grid columns: a margin inside frames, label, value, unit, a margin.
constexpr int kLabelColumn = 1;
constexpr int kValueColumn = 2;
constexpr int kUnitColumn = 3;
constexpr int kColumns = 5;
constexpr int kFrameMargin = 8;
constexpr int kBlankLineHeight = 10;

bool has_controls(const ParameterField& field) {
  return field.has_frame() || field.has_label() || field.has_unit() ||
         field.value_control() != ValueControl::kNone;
}

template <typename W>
W* placeholder(int control_id) {
  auto* widget = new W;
  widget->setObjectName(control_name(control_id));
  return widget;
}

// Space that a frame needs above and below its rows goes with it when the
// rules hide the frame, so a hidden frame leaves no hole.
class FrameSpace : public QObject {
 public:
  FrameSpace(QGroupBox* frame, std::vector<QWidget*> space)
      : QObject(frame), space_(std::move(space)) {
    frame->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
      const bool hidden = static_cast<QWidget*>(watched)->isHidden();
      for (QWidget* w : space_) w->setHidden(hidden);
    }
    return false;
  }

 private:
  std::vector<QWidget*> space_;
};

QWidget* fixed_space(int height) {
  auto* space = new QWidget;
  space->setFixedHeight(height);
  return space;
}

class PageLayout {
 public:
  explicit PageLayout(QWidget* target) : grid_(new QGridLayout(target)) {
    grid_->setColumnMinimumWidth(0, kFrameMargin);
    grid_->setColumnMinimumWidth(kColumns - 1, kFrameMargin);
    grid_->setColumnStretch(kValueColumn, 1);
  }

  void add(const ParameterField& field) {
    const ParameterDescriptor& d = field.descriptor();
    if (field.is_hidden_value()) return;
    if (field.value_control() == ValueControl::kGrid) {
      add_grid(field);
      return;
    }
    grids_ = nullptr;
    if (field.has_frame()) {
      open_frame(field);
      return;
    }
    if (!has_controls(field)) {
      // Print-only lines: a blank line is space here too, and it or a
      // heading ends the frame above.
      if (d.kind & (kind::kBlankLine | kind::kHeading)) close_frame();
      if (d.kind & kind::kBlankLine) add_space(kBlankLineHeight);
      return;
    }
    const bool has_value = field.value_control() != ValueControl::kNone;
    if (!field.has_label() && joinable_) {
      if (has_value) values_->addWidget(placeholder<QWidget>(field.value_control_id()));
      if (field.has_unit()) values_->addWidget(placeholder<QLabel>(field.unit_control_id()));
      return;
    }
    values_ = new QHBoxLayout;
    values_->setContentsMargins(0, 0, 0, 0);
    if (field.has_label()) {
      grid_->addWidget(placeholder<QLabel>(field.label_control_id()), row_, kLabelColumn);
      if (has_value) values_->addWidget(placeholder<QWidget>(field.value_control_id()), 1);
    } else if (field.value_control() == ValueControl::kStaticText) {
      // A text without a label is a caption: the values after it follow.
      grid_->addWidget(placeholder<QLabel>(field.value_control_id()), row_, kLabelColumn);
    } else if (has_value) {
      values_->addWidget(placeholder<QWidget>(field.value_control_id()), 1);
    }
    grid_->addLayout(values_, row_, kValueColumn);
    if (field.has_unit())
      grid_->addWidget(placeholder<QLabel>(field.unit_control_id()), row_, kUnitColumn);
    joinable_ = !field.has_label();
    ++row_;
    ++framed_rows_;
  }

  void finish() {
    close_frame();
    // Room left over goes to the tables, else below the last row.
    if (!has_tables_) grid_->setRowStretch(row_, 1);
  }

 private:
  void open_frame(const ParameterField& field) {
    close_frame();
    // Created before the rows it frames, so that they are drawn over it.
    frame_ = placeholder<QGroupBox>(field.label_control_id());
    frame_row_ = row_;
    framed_rows_ = 0;
    title_space_ = fixed_space(frame_->fontMetrics().height() + kFrameMargin / 2);
    grid_->addWidget(title_space_, row_++, kLabelColumn);
    joinable_ = false;
  }

  void close_frame() {
    if (frame_ == nullptr) return;
    std::vector<QWidget*> space{title_space_};
    if (framed_rows_ == 0) {
      frame_->setFlat(true);  // nothing inside: only its title shows
    } else {
      space.push_back(fixed_space(kFrameMargin));
      grid_->addWidget(space.back(), row_++, kLabelColumn);
    }
    grid_->addWidget(frame_, frame_row_, 0, row_ - frame_row_, kColumns);
    frame_->lower();
    new FrameSpace(frame_, std::move(space));
    frame_ = nullptr;
    joinable_ = false;
  }

  // A table takes the whole width of the rows; tables that follow one
  // another stand side by side.
  void add_grid(const ParameterField& field) {
    if (grids_ == nullptr) {
      grids_ = new QHBoxLayout;
      grids_->setContentsMargins(0, 0, 0, 0);
      grid_->addLayout(grids_, row_, kLabelColumn, 1, kUnitColumn - kLabelColumn + 1);
      grid_->setRowStretch(row_, 1);
      has_tables_ = true;
      ++row_;
      ++framed_rows_;
    }
    grids_->addWidget(placeholder<QWidget>(field.value_control_id()), 1);
    joinable_ = false;
  }

  void add_space(int height) {
    grid_->setRowMinimumHeight(row_, height);
    ++row_;
    joinable_ = false;
  }

  QGridLayout* grid_;
  QHBoxLayout* values_ = nullptr;
  QHBoxLayout* grids_ = nullptr;  // the row of the tables being placed
  bool has_tables_ = false;
  QGroupBox* frame_ = nullptr;
  QWidget* title_space_ = nullptr;
  int frame_row_ = 0;
  int framed_rows_ = 0;
  int row_ = 0;
  bool joinable_ = false;  // the last row began with a label-less value
};

}  // namespace

void ParameterPageBuilder::build(const std::vector<ParameterDescriptor>& table, int page,
                                 QWidget* target) {
  if (target == nullptr) return;
  PageLayout layout(target);
  // Lines that exist only on the printed sheet (blank lines, headings)
  // carry no page of their own: they belong to the page of the row above.
  int walking = -1;
  for (const ParameterDescriptor& d : table) {
    // The field decides which controls it has, exactly as the binder will.
    const ParameterField field(d, kEnglish);
    const bool print_only = !has_controls(field) && !field.is_hidden_value();
    const int row_page = print_only && d.page == -1 ? walking : d.page;
    if (!print_only) walking = d.page;
    if (row_page == page) layout.add(field);
  }
  layout.finish();
}

void ParameterPageBuilder::register_page(int template_id, std::vector<ParameterDescriptor> table,
                                         int page) {
  DialogTemplateRegistry::add(template_id, [table = std::move(table), page](QWidget* target) {
    build(table, page, target);
  });
}

}  // namespace orvadw
