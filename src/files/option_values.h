#pragma once
// What the options window edits, without the window: every value read from
// a configuration file with the key table's defaults, the window's rules,
// and every value written back, each to its key (numbers with "%f", texts as
// they are, list choices as their position in the list).
#include <string>

#include "files/settings_store.h"

namespace orvadw {

struct OptionValues {
  // List sizes: the port list (Com 1 to Com 255), the speeds of text 243,
  // the languages of text 109, Yes/No of text 27, Tone/Pulse of text 26.
  static constexpr int kPortCount = 255;
  static constexpr int kBaudCount = 7;
  static constexpr int kLanguageCount = 4;
  static constexpr int kYes = 0;  // position in the list of text 27
  static constexpr int kNo = 1;

  // General page.
  std::string spreadsheet_path;  // Spreadsheet/Path Spreadsheet
  double record_lap_time = 0;    // File Save/Record Lap Time, mn, 0..99999
  double sample_record_time = 1;  // File Save/Sample Record Time, s, 1..99999
  int language = 0;              // Language/Language, 0 French .. 3 German
  int port = 0;                  // Com/Port, 0-based: Com 1 is 0
  int bauds = 5;                 // Com/Bauds, speed index 0..6
  double jbus = 1;               // Com/JBus, 0..255
  // Modem page.
  int use_modem = kNo;           // Modem/Use modem
  int numerotation = 0;          // Modem/Numerotation, 0 tone, 1 pulse
  std::string init_string;       // Modem/Initalisation string
  std::string telephone_number;  // Modem/Telefon number
  std::string disconnect_string;  // Modem/Desconnect string
  double answer_timeout = 500;   // Modem/Time out bevor answer, ms

  // The Autosearch button works only without the modem; the modem fields
  // only with it.
  bool autosearch_allowed() const { return use_modem == kNo; }
  bool modem_fields_enabled() const { return use_modem == kYes; }
};

// Reads every value; a stored choice that is not in its list (a port index
// of 300, a speed of 9) or a number outside its limits is replaced by the
// default or the nearest limit, and *repaired is set: the window then
// counts as changed, so that OK offers to store a sound value.
OptionValues read_option_values(const SettingsStore& store, bool* repaired = nullptr);

// Writes every value to its key. 0, or -1 when the file could not be written.
int write_option_values(SettingsStore& store, const OptionValues& values);

}  // namespace orvadw
