#pragma once
// The text rules of a number field and of a spin field, without any widget:
// the widget shows text() and hands over what the user typed; on focus loss it
// calls finish_edit() and beeps when that reports a limit. Numbers are written
// and read in the C locale whatever the user's locale.
#include <string>

namespace orvadw {

class NumberText {
 public:
  // Stores limits and format. The format's last character selects the kind:
  // 'f'/'F' number printed with the format, 'h'/'H' hexadecimal, 's'/'S' free
  // text (the maximum is then a maximum length). A format shorter than two
  // characters is refused with -1 and nothing changes.
  int set_format(double minimum, double maximum, int setting1, int setting2,
                 const std::string& format);

  const std::string& format() const { return format_; }
  double minimum() const { return minimum_; }
  double maximum() const { return maximum_; }
  int setting1() const { return setting1_; }
  int setting2() const { return setting2_; }
  // Lower-case last character of the format ('f', 'h', 's', ...), 0 when none.
  char kind() const;

  const std::string& text() const { return text_; }
  void set_text(const std::string& text) { text_ = text; }

  // "h" formats: "0x" and the upper-case hexadecimal digits of the value;
  // any other format: the value with "%f".
  void set_number(double value);
  // "h" formats with text starting "0x": the rest read as hexadecimal.
  // Otherwise the text read as a C-locale number; unreadable text is 0.
  double number() const;

  // Focus loss: reformat (unless guarded), then limit (unless redirected).
  // Returns true when a limit replaced the value: the widget beeps.
  bool finish_edit();

  // While set, finish_edit does not reformat (the field is setting its own text).
  bool guard = false;
  // Read-only redirect: the field passes the focus on and is never limited.
  bool read_only_redirect = false;

  // Digit count of an "h" format: the number between its first and last
  // characters ("%4h" -> 4); a format shorter than 3 characters gives 4.
  static int hex_digit_count(const std::string& format);

 private:
  void reformat();
  bool apply_limits();

  std::string format_ = "%f";
  double minimum_ = 0;
  double maximum_ = 0;
  int setting1_ = 0;
  int setting2_ = 0;
  std::string text_;
};

// The spin field: a number field plus arrows that move it by a step derived
// from the format.
class SpinNumber {
 public:
  // A minimum above the maximum is refused with 351 (nothing changes);
  // a format the number field refuses gives -1.
  int set_format(double minimum, double maximum, int setting1, int setting2,
                 const std::string& format);

  NumberText& field() { return field_; }
  const NumberText& field() const { return field_; }
  double step() const { return step_; }

  // One arrow press: number + delta x step, written with set_number and then
  // limited and reformatted as on focus loss. Returns true when a limit applied.
  bool apply_delta(int delta);

  // 10 to the minus d, d being the digit (1 to 3) after the "." of the
  // format; a second digit counts only when it too is 1 to 3 ("%0.12f" ->
  // 12 decimals). No "." or another first character: step 1.
  static double step_for_format(const std::string& format);

 private:
  NumberText field_;
  double step_ = 1;
};

}  // namespace orvadw
