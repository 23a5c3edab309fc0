#pragma once
// One value of a window, made from one descriptor. The field holds its value
// itself (value text, selection and items, hidden text, reference text,
// shown/enabled state); widgets are views of it that the Qt layer binds
// through FieldObserver. So decoding, encoding, change tracking, comparison,
// printing and files all work on fields that have no widgets at all.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "params/choice_items.h"
#include "params/number_text.h"
#include "params/parameter_descriptor.h"

namespace orvadw {

class ChartSeries;
class GridTable;
class ParameterField;

// Who changed a value. A value decoded from the instrument or a file is not a
// user change: observers must not treat it as an edit (no rules that write,
// no " (Changed)" caused by it).
enum class ChangeOrigin {
  kUser,     // typed, picked or spun by the person in front of the window
  kProgram,  // set by the window's own code (defaults, rules, transfer)
  kDecode,   // read from the instrument or a file
};

class FieldObserver {
 public:
  virtual ~FieldObserver() = default;
  // The value text, selection, number or date changed.
  virtual void field_value_changed(ParameterField& field, ChangeOrigin origin) = 0;
  // The item list of a choice or list field was (re)loaded.
  virtual void field_items_changed(ParameterField& /*field*/) {}
  // Shown, enabled, label or unit caption changed.
  virtual void field_state_changed(ParameterField& /*field*/) {}
};

// The control that shows the value.
enum class ValueControl { kNone, kChoice, kEdit, kSpin, kStaticText, kChart, kGrid };

class ParameterField {
 public:
  // Creates the field: forces the format by kind, decides its controls,
  // loads its items in the language and shows the initial text.
  ParameterField(const ParameterDescriptor& descriptor, int language);
  ~ParameterField();
  ParameterField(const ParameterField&) = delete;
  ParameterField& operator=(const ParameterField&) = delete;

  const ParameterDescriptor& descriptor() const { return descriptor_; }
  int page() const { return descriptor_.page; }
  // The format after the forcing rules ("%c" for choices, "%s" for dates, ...).
  const std::string& format() const { return format_; }
  int language() const { return language_; }

  // Controls the field would have (the Qt layer creates them).
  bool has_label() const { return has_label_; }
  bool has_frame() const { return has_frame_; }
  bool has_unit() const { return has_unit_; }
  ValueControl value_control() const { return value_control_; }
  int label_control_id() const;  // 0 when none
  int value_control_id() const;  // 0 when none
  int unit_control_id() const;   // 0 when none

  bool is_hidden_value() const;
  bool is_choice() const { return value_control_ == ValueControl::kChoice; }
  // A read-only display whose format ends in "l": shows a line of its list.
  bool is_list_display() const;
  bool is_date() const;
  // Whether the field takes part in decoding and encoding of its block.
  bool is_block_value() const;

  // 1..4; anything else gives -1 and nothing changes. Reloads items keeping
  // the selected value.
  int set_language(int language);
  std::string label_text() const;
  std::string unit_text() const;
  int label_text_id() const { return label_text_id_; }
  // The window rules may rename a label (margin shown as "Gain").
  void set_label_text_id(int text_id);

  std::string value_text() const;
  double number() const;
  int integer() const;

  // Program-side setters (see the comments in the .cpp for the exact rules).
  // Results: 0, or -1 when the field cannot take the value.
  int set_number(double value, ChangeOrigin origin = ChangeOrigin::kProgram);
  int set_integer(int value, ChangeOrigin origin = ChangeOrigin::kProgram);
  int set_text(const std::string& text, ChangeOrigin origin = ChangeOrigin::kProgram);
  // Date fields: the six raw bytes, first byte least significant.
  std::uint64_t raw_date() const { return raw_date_; }
  int set_raw_date(std::uint64_t raw, ChangeOrigin origin = ChangeOrigin::kProgram);

  // User-side operations, as the widgets report them.
  // Typing in an edit or spin field (no reformatting yet).
  int edit_text(const std::string& text);
  // Leaving an edit or spin field: reformat and limit. True when a limit
  // replaced the value (the widget beeps).
  bool finish_edit();
  // One arrow step of a spin field; true when a limit applied.
  bool spin(int delta);
  // Picking a line of a choice list by display position.
  int choose_display_index(int display_index);

  // Items of a choice field, or the lines of a list display.
  const ChoiceItems& items() const { return items_; }
  // Replaces the items with these texts (in this order, all shown) and
  // selects the first; used when a comparison blanks a field.
  void set_items(const std::vector<std::string>& texts);
  // Changes the flags of one item (shown, "**", "------").
  bool set_item_flags(int item_index, unsigned flags);

  // The number field state of an edit or spin field (format and limits).
  const NumberText& number_field() const { return editor_.field(); }
  double spin_step() const { return editor_.step(); }

  // Chart fields: the last value handed to the chart.
  double chart_value() const { return chart_value_; }
  bool chart_takes_points() const { return descriptor_.initial_text == "point"; }
  // Chart fields: the points the window's chart paints (as many as the
  // descriptor's list id says, 200 when it says none), recorded and replayed
  // with the data; nullptr for every other field.
  ChartSeries* chart() { return chart_.get(); }
  const ChartSeries* chart() const { return chart_.get(); }
  // The chart's range and labels; ignored (-1) for a hidden field.
  int set_chart_range(double minimum, double maximum);

  // Grid fields: the cells the window shows, which printing, export and the
  // command line read; nullptr for every other field.
  GridTable* grid() { return grid_.get(); }
  const GridTable* grid() const { return grid_.get(); }

  // Presentation options, kept up to date by enable and show.
  std::uint32_t presentation() const { return descriptor_.presentation; }
  bool is_shown() const { return (descriptor_.presentation & presentation::kHidden) == 0; }
  bool is_enabled() const { return (descriptor_.presentation & presentation::kDisabled) == 0; }
  bool is_value_enabled() const;
  bool is_printed() const;
  void enable(bool on);
  void show(bool on);
  // The page rules' variant: a hidden field also leaves the printed sheet.
  void show_on_page(bool on);

  // Change tracking.
  const std::string& reference_text() const { return reference_text_; }
  void set_reference_text(const std::string& text) { reference_text_ = text; }
  void commit() { reference_text_ = value_text(); }
  bool is_changed() const { return value_text() != reference_text_; }

  // A comparison empties hidden fields on both sides before it compares.
  void blank_value();

  void add_observer(FieldObserver* observer);
  void remove_observer(FieldObserver* observer);

 private:
  void force_format();
  void set_presentation(std::uint32_t presentation);
  void decide_controls();
  void load_items();
  void show_initial_text();
  std::string print_number(double value) const;
  void notify_value(ChangeOrigin origin);
  void notify_items();
  void notify_state();
  int select_list_line(int index);

  ParameterDescriptor descriptor_;
  std::string format_;
  int language_;
  int label_text_id_;

  bool has_label_ = false;
  bool has_frame_ = false;
  bool has_unit_ = false;
  ValueControl value_control_ = ValueControl::kNone;

  std::string hidden_text_;   // presentation option 4
  std::string static_text_;   // static text, list display and other plain controls
  SpinNumber editor_;         // edit and spin fields
  ChoiceItems items_;         // choice items or list lines
  int list_index_ = -1;       // list display: the line shown
  std::uint64_t raw_date_ = 0;
  double chart_value_ = 0;
  std::string reference_text_;
  std::unique_ptr<GridTable> grid_;
  std::unique_ptr<ChartSeries> chart_;

  std::vector<FieldObserver*> observers_;
};

}  // namespace orvadw
