// orvadw-cli identify: reads the identification header at 0xFF00 and prints
// its fields, decoded by the same table and codec as the windows' header.
#include <ostream>

#include "base/result_codes.h"
#include "base/text_table.h"
#include "cli/cli_command.h"
#include "cli/link_session.h"
#include "params/window_table.h"

namespace orvadw::cli {

namespace {

struct IdentLine {
  int control_id;
  const char* name;
};

constexpr IdentLine kLines[] = {
    {identification::kJbusNumber, "jbus"},
    {identification::kCode, "code"},
    {identification::kSerialWeek, "serial week"},
    {identification::kSerialYear, "serial year"},
    {identification::kSerialNumber, "serial number"},
    {identification::kSoftwareVersion, "software version"},
    {identification::kSoftwareText, "software text"},
};

int run_identify(CliContext& context) {
  if (!context.args.empty()) {
    context.err << "orvadw-cli: identify takes no arguments\n";
    return bad_usage(context.err, "identify");
  }
  WindowTable window;
  if (!find_window("identification", kEnglish, window)) {
    context.err << "orvadw-cli: the identification table is missing\n";
    return 1;
  }
  ParameterFieldList fields = make_field_list(window, kEnglish);
  const int count = fields.block_words(block::kIdentification);

  LinkSession session;
  if (const int status = session.open(context.options, context.err); status != 0) return status;
  Bytes data;
  const int rc = session.master().transact(session.slave(), 3, block::kIdentification, count, data);
  if (rc != 0) return report_result(context.err, rc);
  if (fields.decode(block::kIdentification, data) != 0) {
    // transact() checked the length, so this only happens if the table grows.
    return report_result(context.err, result::kWrongLength);
  }
  for (const IdentLine& line : kLines) {
    const ParameterField* field = fields.field(line.control_id);
    context.out << line.name << ": " << (field ? field->value_text() : std::string()) << "\n";
  }
  return 0;
}

CliCommandRegistration reg{{
    "identify",
    "identify",
    "Reads the identification header (0xFF00) and prints one \"name: value\" line per field.",
    run_identify,
}};

}  // namespace
}  // namespace orvadw::cli
