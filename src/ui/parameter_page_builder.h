#pragma once
// Lays out a window's parameter rows from its descriptor table, so that the
// layout and the table cannot disagree: one row per field with its label,
// value and unit in three columns, label-less values beside the label-less
// value before them (a serial number's parts), frames as group boxes drawn
// behind the rows that follow them up to the next frame, heading or blank
// line, blank lines as space. The places are placeholders named "c<id>" as
// the field binder looks for them; the binder puts the real controls there.
// Rows that only exist on the printed sheet take no place.
#include <QWidget>
#include <vector>

#include "params/parameter_descriptor.h"

namespace orvadw {

class ParameterPageBuilder {
 public:
  // Builds the rows of one page (-1: the window itself) into target, which
  // gets a grid layout of its own.
  static void build(const std::vector<ParameterDescriptor>& table, int page, QWidget* target);

  // Registers template_id as "build page `page` of this table", so that a
  // window's tab pages come from its table through the template registry.
  static void register_page(int template_id, std::vector<ParameterDescriptor> table, int page);
};

}  // namespace orvadw
