#include "files/option_values.h"

#include <cmath>

#include "files/config_keys.h"

namespace orvadw {

namespace {

using namespace config;

std::string text_default_of(std::string_view section, std::string_view key) {
  const KeyInfo* info = find_key(section, key);
  return info != nullptr ? std::string(info->text_default) : std::string();
}

double number_default_of(std::string_view section, std::string_view key) {
  const KeyInfo* info = find_key(section, key);
  return info != nullptr ? info->number_default : 0;
}

// A whole number within [low, high], else the nearest limit (or the default
// for what is no number at all); repaired tells that it had to be changed.
double whole_number(const SettingsStore& store, std::string_view section, std::string_view key,
                    double low, double high, bool& repaired) {
  const double fallback = number_default_of(section, key);
  const double stored = store.read_number(section, key, fallback);
  if (!std::isfinite(stored)) {
    repaired = true;
    return fallback;
  }
  const double value = std::trunc(stored);
  if (value < low || value > high) {
    repaired = true;
    return value < low ? low : high;
  }
  return value;
}

// A position in a list of count entries, else the key's default.
int choice(const SettingsStore& store, std::string_view section, std::string_view key, int count,
           bool& repaired) {
  const double fallback = number_default_of(section, key);
  const double stored = store.read_number(section, key, fallback);
  if (!std::isfinite(stored) || stored != std::trunc(stored) || stored < 0 || stored >= count) {
    repaired = true;
    return static_cast<int>(fallback);
  }
  return static_cast<int>(stored);
}

std::string text(const SettingsStore& store, std::string_view section, std::string_view key) {
  return store.read_text(section, key, text_default_of(section, key));
}

}  // namespace

OptionValues read_option_values(const SettingsStore& store, bool* repaired) {
  bool fixed = false;
  OptionValues v;
  v.spreadsheet_path = text(store, kSpreadsheet, kPathSpreadsheet);
  v.record_lap_time = whole_number(store, kFileSave, kRecordLapTime, 0, 99999, fixed);
  v.sample_record_time = whole_number(store, kFileSave, kSampleRecordTime, 1, 99999, fixed);
  v.language = choice(store, kLanguage, kLanguageKey, OptionValues::kLanguageCount, fixed);
  v.port = choice(store, kCom, kPort, OptionValues::kPortCount, fixed);
  v.bauds = choice(store, kCom, kBauds, OptionValues::kBaudCount, fixed);
  v.jbus = whole_number(store, kCom, kJBus, 0, 255, fixed);
  v.use_modem = choice(store, kModem, kUseModem, 2, fixed);
  v.numerotation = choice(store, kModem, kNumerotation, 2, fixed);
  v.init_string = text(store, kModem, kInitialisationString);
  v.telephone_number = text(store, kModem, kTelefonNumber);
  v.disconnect_string = text(store, kModem, kDisconnectString);
  v.answer_timeout = whole_number(store, kModem, kTimeOutBeforeAnswer, 0, 99999, fixed);
  if (repaired != nullptr) *repaired = fixed;
  return v;
}

int write_option_values(SettingsStore& store, const OptionValues& v) {
  int rc = 0;
  const auto keep = [&rc](int result) {
    if (result != 0) rc = -1;
  };
  keep(store.write_text(kSpreadsheet, kPathSpreadsheet, v.spreadsheet_path));
  keep(store.write_numbers(kFileSave, {{std::string(kRecordLapTime), v.record_lap_time},
                                       {std::string(kSampleRecordTime), v.sample_record_time}}));
  keep(store.write_number(kLanguage, kLanguageKey, v.language));
  keep(store.write_numbers(kCom, {{std::string(kPort), v.port},
                                  {std::string(kBauds), v.bauds},
                                  {std::string(kJBus), v.jbus}}));
  keep(store.write_numbers(kModem, {{std::string(kUseModem), v.use_modem},
                                    {std::string(kNumerotation), v.numerotation},
                                    {std::string(kTimeOutBeforeAnswer), v.answer_timeout}}));
  keep(store.write_text(kModem, kInitialisationString, v.init_string));
  keep(store.write_text(kModem, kTelefonNumber, v.telephone_number));
  keep(store.write_text(kModem, kDisconnectString, v.disconnect_string));
  return rc;
}

}  // namespace orvadw
