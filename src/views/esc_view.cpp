#include "views/esc_view.h"

#include <algorithm>

#include "params/window_table.h"
#include "ui/dialog_template_registry.h"

namespace orvadw {

EscView::EscView(JBusMaster* master, int start_mode, QWidget* parent, const std::string& file_path,
                 const std::string& configuration_path)
    : SettingsFamilyDialog(esc_window, master, start_mode, parent, file_path, configuration_path) {
  // Both blocks are kept as received, so a file holds the instrument's
  // bytes, not what the fields would make of them.
  for (int block : {block::kMeasure, block::kEsc}) {
    for (Sequence sequence : {Sequence::kRead, Sequence::kFile}) {
      const std::vector<int>& blocks = sequences().blocks(sequence);
      const auto at = std::find(blocks.begin(), blocks.end(), block);
      set_sequence(block, static_cast<int>(at - blocks.begin()), sequence, fields().block_words(block));
    }
  }
  tables_ = std::make_unique<EscTables>(fields());
  set_compare_allowed(false);
}

EscView::~EscView() = default;

void EscView::add_window_controls() {
  if (QWidget* transfer = find_control(this, kTransferButton)) transfer->hide();
}

int EscView::store_answer(int address, std::span<const std::uint8_t> bytes) {
  const int rc = SettingsFamilyDialog::store_answer(address, bytes);
  if (rc != 0 || !raw_blocks().is_registered(address)) return rc;
  fields().decode(address, bytes);
  if (address == block::kEsc) tables_->fill(raw_blocks().image(address));
  return 0;
}

}  // namespace orvadw
