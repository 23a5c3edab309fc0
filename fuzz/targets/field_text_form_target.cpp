// The text form of a register block (orvadw-cli show/encode) fed any lines,
// after any register image: a refused line is named with a reason, the block
// always encodes to its own size, and the form the program prints of the
// result reads back to the same register bytes.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "params/field_text_form.h"
#include "params/value_codec.h"
#include "params/window_table.h"

namespace orvadw::fuzz {

namespace {

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// A date the form cannot say: the table's text shown until something is
// read, or bytes that are no date (shown as the fallback 1980-01-01 and kept
// as they came, so a transfer sends back what the instrument had).
// Likewise a list value outside its list, which shows as no item at all,
// and a number that is not finite (a float register holding NaN), which
// shows as printf writes it and types as 0.
bool unsayable(const ParameterField& field) {
  const std::string& text = field.value_text();
  if (!field.is_choice() && !field.is_list_display() && !field.is_date() &&
      !std::isfinite(std::strtod(text.c_str(), nullptr))) {
    return true;
  }
  if (field.is_choice() || field.is_list_display()) {
    const auto& items = field.items().items();
    return std::none_of(items.begin(), items.end(),
                        [&field](const ChoiceItem& item) { return item.text == field.value_text(); });
  }
  if (!field.is_date()) return false;
  if (field.value_text() == field.descriptor().initial_text) return true;
  const std::uint32_t type = field.descriptor().value_type;
  return ValueCodec::raw_from_date(type, ValueCodec::date_from_raw(type, field.raw_date())) !=
         field.raw_date();
}

// The printed lines without those of values the form cannot say.
std::vector<std::string> comparable_lines(const ParameterFieldList& list, int block,
                                          const std::vector<std::string>& form) {
  std::vector<std::string> out;
  const std::vector<int> positions = list.block_fields(block);
  for (std::size_t i = 0; i < form.size() && i < positions.size(); ++i) {
    if (!unsayable(list.at(static_cast<std::size_t>(positions[i])))) out.push_back(form[i]);
  }
  return out;
}

bool has_unsayable(const ParameterFieldList& list, int block) {
  for (int position : list.block_fields(block)) {
    if (unsayable(list.at(static_cast<std::size_t>(position)))) return true;
  }
  return false;
}

std::string first_difference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) return "\"" + a[i] + "\" became \"" + b[i] + "\"";
  }
  return "the line counts differ";
}

}  // namespace

int fuzz_field_text_form(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::vector<std::string> keys = window_keys();
  const std::string key = keys[in.pick(keys.size())];
  const int language = 1 + static_cast<int>(in.pick(4));
  WindowTable window;
  if (!find_window(key, language, window)) return 0;
  ParameterFieldList list = make_field_list(window, language);
  const std::vector<int> blocks = list.blocks();
  if (blocks.empty()) return 0;
  const int block = blocks[in.pick(blocks.size())];
  const std::size_t image_size = static_cast<std::size_t>(list.block_words(block)) * 2;

  // Start from what an instrument might have sent, then apply the lines.
  if ((in.byte() & 1) != 0) list.decode(block, in.bytes(image_size));
  const std::vector<std::string> text = split_lines(in.rest_text());
  FieldTextForm::Error error;
  const int rc = FieldTextForm::apply(list, block, text, error);
  if (rc != 0) {
    FUZZ_CHECK(rc == -1, "apply gave an unknown code");
    FUZZ_CHECK(error.line_number >= 1 && static_cast<std::size_t>(error.line_number) <= text.size(),
               "a refused line is not named");
    FUZZ_CHECK(!error.reason.empty(), "a refused line has no reason");
  }
  const std::vector<std::uint8_t> image = list.register_image(block);
  FUZZ_CHECK(image.size() == image_size, "the block encodes to another size");

  // What the program prints must read back to the same block.
  const std::vector<std::string> form = FieldTextForm::lines(list, block);
  const std::vector<std::string> form_shown = comparable_lines(list, block, form);
  ParameterFieldList again = make_field_list(window, language);
  FieldTextForm::Error again_error;
  FUZZ_CHECK(FieldTextForm::apply(again, block, form_shown, again_error) == 0,
             "the printed form is refused: " + again_error.line + " (" + again_error.reason + ")");
  const std::vector<std::string> form_again =
      comparable_lines(list, block, FieldTextForm::lines(again, block));
  FUZZ_CHECK(form_again == form_shown,
             "the printed form does not read back: " + first_difference(form_shown, form_again));
  if (!has_unsayable(list, block)) {
    FUZZ_CHECK(again.register_image(block) == image, "the printed form gives other bytes");
  }
  return 0;
}

}  // namespace orvadw::fuzz
