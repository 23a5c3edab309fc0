#pragma once
// The instrument search window (template 125, "Autosearch"): shows the
// search that InstrumentSearch runs on its own threads (status line, the
// tries under way, progress) and gives its results. The search starts when
// the window is shown. While it runs the button is Cancel, which ends it at
// once and closes the window with nothing found; at its end the button is
// "Ok" and the status says whether the instrument answered (text 60) or not
// (text 59).
//
//   SearchDialog search(&master, block::kIdentification, words, 1, 7, this);
//   search.exec();
//   if (search.found_port() > 0) ... found_baud_index(), found_jbus_number()
//
// The master is only lent: it is disconnected before the search (each port
// gets a link of its own, and a port the master held open could not be
// tried) and left disconnected; its answer time-out is the search's.
#include <QString>
#include <map>
#include <memory>

#include "link/instrument_search.h"
#include "ui/dialog_root.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace Ui {
class Template125;
}

namespace orvadw {

class JBusMaster;

class SearchDialog : public DialogRoot {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 125;
  static constexpr int kTitleTextId = 58;
  static constexpr int kInitialisationTextId = 207;
  static constexpr int kLookingTextId = 175;
  static constexpr int kFoundTextId = 60;
  static constexpr int kNotFoundTextId = 59;
  static constexpr int kComTextId = 39;
  static constexpr int kSpeedListTextId = 243;

  // baud_rates: how many speeds of the list to try (lowered to the link's).
  SearchDialog(JBusMaster* master, int id_address, int id_count, int jbus_position,
               int baud_rates, QWidget* parent = nullptr);
  ~SearchDialog() override;

  // -1 until an instrument answered.
  int found_port() const { return result_.port; }
  int found_baud_index() const { return result_.baud_index; }
  int found_jbus_number() const { return result_.jbus_number; }
  bool search_running() const { return running_; }

  // "Com 3 - 9600 bauds", "Com 1 - BlueTooth": one try as the window shows it.
  QString try_text(int com_number, int baud_index) const;

  // The ports looked at (default: every port of the port map). Before show.
  void set_ports(std::vector<int> ports) { ports_ = std::move(ports); }

  QLabel* status_label() const;
  QLabel* try_label() const;
  QProgressBar* progress_bar() const;
  QPushButton* button() const;

  void reject() override;

 protected:
  void init_dialog() override;

 private:
  class Relay;
  void on_port_checked();
  void on_tries_planned(int tries);
  void on_try_started(int com_number, int baud_index);
  void on_try_finished(int com_number);
  void on_finished(const SearchResult& result);
  void on_button();
  void show_tries();

  std::unique_ptr<Ui::Template125> ui_;
  JBusMaster* master_;
  SearchPlan plan_;
  std::vector<int> ports_;
  std::unique_ptr<Relay> relay_;
  // Declared after the relay it reports to: destroyed (and joined) first.
  std::unique_ptr<InstrumentSearch> search_;
  std::map<int, int> under_way_;  // COM number -> speed index
  SearchResult result_;
  bool running_ = false;
  bool cancelling_ = false;
};

}  // namespace orvadw
