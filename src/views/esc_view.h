#pragma once
// The ESC information view (template 112): the instrument's two tables of
// what its gain control found per signal polarity, the polarity it settled
// on and its margin. It reads block 0x100 then 0xB00 from the instrument
// (mode 1) or from an ESC file (mode 4), never writes, and saves both
// images exactly as received: they are kept raw with their own register
// counts, since no field covers the tables' bytes and an image encoded from
// the fields would hold zeros there. The tables are filled below Qt
// (EscTables), so the command line shows the same cells.
#include <memory>
#include <span>
#include <string>

#include "dialogs/settings_family_dialog.h"
#include "params/esc_tables.h"

namespace orvadw {

class EscView : public SettingsFamilyDialog {
  Q_OBJECT

 public:
  EscView(JBusMaster* master, int start_mode, QWidget* parent = nullptr,
          const std::string& file_path = {}, const std::string& configuration_path = {});
  ~EscView() override;

  EscTables& tables() { return *tables_; }

 protected:
  // The transfer button goes: the view never writes.
  void add_window_controls() override;
  // Both blocks are kept as received and decoded into the fields; block
  // 0xB00 also fills both tables.
  int store_answer(int address, std::span<const std::uint8_t> bytes) override;

 private:
  std::unique_ptr<EscTables> tables_;
};

}  // namespace orvadw
