// orvadw-cli text: prints one language text as the program shows it, so that
// a translator or a script can check a text without starting the display.
#include <ostream>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "cli/cli_command.h"

namespace orvadw::cli {

namespace {

constexpr const char* kUsage = "text ID [INDEX] [--language 1-4]";

int usage_error(CliContext& context, const std::string& why) {
  context.err << "orvadw-cli: text: " << why << "\n";
  return bad_usage(context.err, kUsage);
}

// A whole number within [low, high]; false for anything else.
bool parse_bounded(const std::string& word, long long low, long long high, int& value) {
  long long n = 0;
  if (!parse_integer(word, n) || n < low || n > high) return false;
  value = static_cast<int>(n);
  return true;
}

int run_text(CliContext& context) {
  std::vector<std::string> args = context.args;
  long long language = kFrench;
  if (!take_integer_option(args, "--language", language, context.err)) return 2;
  if (language < 1 || language > TextTable::language_count()) {
    return usage_error(context, "--language must be 1 (French) to 4 (German)");
  }
  if (args.empty() || args.size() > 2) return usage_error(context, "expected ID [INDEX]");
  for (const std::string& a : args) {
    if (a.rfind("--", 0) == 0) return usage_error(context, "unknown option " + a);
  }

  int id = 0;
  if (!parse_bounded(args[0], 0, 1'000'000, id)) {
    return usage_error(context, "not a text id: " + args[0]);
  }
  int index = 0;
  if (args.size() == 2 && !parse_bounded(args[1], 0, 1'000'000, index)) {
    return usage_error(context, "not an item index: " + args[1]);
  }

  const std::vector<std::string> items = text_list(id, static_cast<int>(language));
  if (items.empty()) {
    context.err << "orvadw-cli: text: no text has id " << id << "\n";
    return 1;
  }
  if (static_cast<std::size_t>(index) >= items.size()) {
    context.err << "orvadw-cli: text: id " << id << " has " << items.size() << " item"
                << (items.size() == 1 ? "" : "s") << "\n";
    return 1;
  }
  // Exactly the stored text: no line end is added, and an empty text (the
  // first status item, for one) prints nothing.
  context.out << items[static_cast<std::size_t>(index)];
  context.out.flush();
  return 0;
}

CliCommandRegistration registration{CliCommand{
    "text",
    std::string(kUsage),
    "Prints the text of ID (item INDEX of a list, default 0) in UTF-8 exactly as stored, without "
    "a line end; the language defaults to 1, French, the program's own default.",
    run_text,
}};

}  // namespace

}  // namespace orvadw::cli
