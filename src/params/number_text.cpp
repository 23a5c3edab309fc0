#include "params/number_text.h"

#include <cctype>
#include <cmath>

#include "base/c_locale.h"
#include "base/result_codes.h"
#include "params/value_format.h"

namespace orvadw {

int NumberText::set_format(double minimum, double maximum, int setting1, int setting2,
                           const std::string& format) {
  if (format.size() < 2) return -1;
  minimum_ = minimum;
  maximum_ = maximum;
  setting1_ = setting1;
  setting2_ = setting2;
  format_ = format;
  return 0;
}

char NumberText::kind() const { return format_kind(format_); }

void NumberText::set_number(double value) {
  if (kind() == 'h') {
    text_ = hex_text(value);
  } else {
    text_ = c_format("%f", value);
  }
}

double NumberText::number() const {
  return kind() == 'h' ? read_hex_or_number(text_) : read_number(text_);
}

int NumberText::hex_digit_count(const std::string& format) {
  if (format.size() < 3) return 4;
  return static_cast<int>(c_strtoll(format.substr(1, format.size() - 2)));
}

void NumberText::reformat() {
  switch (kind()) {
    case 'f':
      text_ = format_float(format_, number());
      break;
    case 'h':
      text_ = hex_text(read_hex_or_number(text_), hex_digit_count(format_));
      break;
    case 's':
      if (maximum_ > 0 && static_cast<double>(text_.size()) > maximum_) {
        text_ = leading_characters(text_, static_cast<std::size_t>(maximum_));
      }
      break;
    default:
      break;
  }
}

bool NumberText::apply_limits() {
  char k = kind();
  if (k == 's' || k == 'h' || !(maximum_ > minimum_)) return false;
  double value = number();
  if (value > maximum_) {
    text_ = format_float(format_, maximum_);
    return true;
  }
  if (value < minimum_) {
    text_ = format_float(format_, minimum_);
    return true;
  }
  return false;
}

bool NumberText::finish_edit() {
  if (!guard) reformat();
  if (read_only_redirect) return false;
  return apply_limits();
}

int SpinNumber::set_format(double minimum, double maximum, int setting1, int setting2,
                           const std::string& format) {
  if (minimum > maximum) return result::kSpinRangeRefused;
  int rc = field_.set_format(minimum, maximum, setting1, setting2, format);
  if (rc != 0) return rc;
  step_ = step_for_format(format);
  return 0;
}

double SpinNumber::step_for_format(const std::string& format) {
  std::size_t dot = format.find('.');
  if (dot == std::string::npos) return 1;
  auto one_to_three = [&](std::size_t i) { return i < format.size() && format[i] >= '1' && format[i] <= '3'; };
  int d = 0;
  if (one_to_three(dot + 1)) {
    d = format[dot + 1] - '0';
    if (one_to_three(dot + 2)) d = d * 10 + (format[dot + 2] - '0');
  }
  return std::pow(10.0, -d);
}

bool SpinNumber::apply_delta(int delta) {
  field_.set_number(field_.number() + delta * step_);
  return field_.finish_edit();
}

}  // namespace orvadw
