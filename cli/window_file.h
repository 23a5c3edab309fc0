#pragma once
// A settings-family window's data file loaded into its fields as the window
// loads it: the identification and its firmware check first, then one record
// per block of the window's file sequence, each of exactly its block's size.
#include <iosfwd>
#include <string>

#include "params/parameter_field_list.h"
#include "params/raw_block_store.h"
#include "params/window_table.h"

namespace orvadw::cli {

// 0, or -1 after the reason on err (in the language). The firmware field
// shows the file's software version, as in the window. With images, each
// block's record is also kept there as read.
int load_window_file(const std::string& path, const WindowTable& window, ParameterFieldList& fields,
                     int language, std::ostream& err, RawBlockStore* images = nullptr);

}  // namespace orvadw::cli
