#pragma once
// What every command that reads an instrument's data does first, as every
// window does: read the identification block (0xFF00) and refuse an
// instrument whose firmware does not belong to this program. The header
// texts then go into the files the command writes.
#include <iosfwd>

#include "cli/link_session.h"
#include "files/identification_header.h"

namespace orvadw::cli {

// Opens the line of the global options and reads the identification of the
// instrument there into the header's texts: what a command that reads data
// does first. 0, or the exit status after the message (a bad option, the
// link's error, or the firmware refusal).
int open_identified(LinkSession& session, const GlobalOptions& options, int language,
                    IdentificationTexts& ids, std::ostream& err);

}  // namespace orvadw::cli
