#include "params/settings_rules.h"

#include "params/value_codec.h"
#include "params/window_table.h"

namespace orvadw::settings {

namespace {

constexpr int kYes = 0;  // list 27 puts "yes" first

bool threshold_relay(int type) {
  return type == 2 || type == 5;
}

}  // namespace

void apply_rules(ParameterFieldList& fields) {
  fields.show_on_page(kRelay1Threshold, threshold_relay(fields.integer(kRelay1Type)));
  fields.show_on_page(kRelay2Threshold, threshold_relay(fields.integer(kRelay2Type)));

  const int gain = fields.integer(kGainType);
  if (ParameterField* margin = fields.field(kMargin))
    margin->set_label_text_id(gain == 0 ? 95 : 114);
  fields.enable(kMargin, gain != 2);
  fields.enable(kPolarity, gain != 2);

  const bool by_velocity = fields.integer(kSphereChoice) != 1;
  fields.show_on_page(kSphereVMin, by_velocity);
  fields.show_on_page(kSphereVMax, by_velocity);
  fields.show_on_page(kSphereQMin, !by_velocity);
  fields.show_on_page(kSphereQMax, !by_velocity);

  fields.show_on_page(kMaterialSpeed, fields.integer(kMaterial) == 0);
}

void apply_defaults(ParameterFieldList& fields) {
  const ParameterField* diameter = fields.field(kExternalDiameter);
  if (diameter == nullptr) return;
  const double d = diameter->number();
  if (ParameterField* f = fields.field(kSphereLengthMin)) f->set_number(d);
  if (ParameterField* f = fields.field(kSphereLengthMax)) f->set_number(3 * d);
}

void choose_every_action(ParameterFieldList& fields) {
  for (int control : {kSyncClock, kResetLogger, kResetSphereCount}) {
    if (ParameterField* f = fields.field(control)) f->set_integer(kYes);
  }
}

void plan_transfer(ParameterFieldList& fields, BlockSequences& sequences, const DateTime& now) {
  for (int b : {block::kClock, block::kResetWord, block::kParameters})
    sequences.set(b, -1, Sequence::kWrite);

  if (fields.integer(kSyncClock) == kYes) {
    if (ParameterField* clock = fields.field(kClockValue)) {
      clock->set_raw_date(ValueCodec::raw_from_date(clock->descriptor().value_type, now));
      clock->commit();
      sequences.set(block::kClock, sequences.length(Sequence::kWrite), Sequence::kWrite);
    }
  }
  const bool reset_logger = fields.integer(kResetLogger) == kYes;
  const bool reset_count = fields.integer(kResetSphereCount) == kYes;
  if (reset_logger || reset_count) {
    if (ParameterField* word = fields.field(kResetWord)) {
      const std::uint32_t value =
          (reset_logger ? kResetLoggerBit : 0) + (reset_count ? kResetSphereCountBit : 0);
      word->set_number(value);
      word->commit();
      sequences.set(block::kResetWord, sequences.length(Sequence::kWrite), Sequence::kWrite);
    }
  }
  sequences.set(block::kParameters, sequences.length(Sequence::kWrite), Sequence::kWrite);
}

}  // namespace orvadw::settings
