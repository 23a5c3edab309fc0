#include "dialogs/search_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include "link/jbus_master.h"
#include "link/port_map.h"
#include "ui_template_125.h"

namespace orvadw {

// Hands the search's reports, made on its threads, to the window's thread.
// A report still queued when the window goes is dropped with it.
class SearchDialog::Relay : public SearchListener {
 public:
  explicit Relay(SearchDialog* dialog) : dialog_(dialog) {}
  void port_checked(int, bool) override {
    post([](SearchDialog* d) { d->on_port_checked(); });
  }
  void tries_planned(int, int tries) override {
    post([tries](SearchDialog* d) { d->on_tries_planned(tries); });
  }
  void try_started(int com, int baud) override {
    post([com, baud](SearchDialog* d) { d->on_try_started(com, baud); });
  }
  void try_finished(int com, int, int) override {
    post([com](SearchDialog* d) { d->on_try_finished(com); });
  }
  void search_finished(const SearchResult& result) override {
    post([result](SearchDialog* d) { d->on_finished(result); });
  }

 private:
  template <typename F>
  void post(F f) {
    SearchDialog* dialog = dialog_;
    QMetaObject::invokeMethod(dialog, [dialog, f] { f(dialog); }, Qt::QueuedConnection);
  }
  SearchDialog* dialog_;
};

SearchDialog::SearchDialog(JBusMaster* master, int id_address, int id_count, int jbus_position,
                           int baud_rates, QWidget* parent)
    : DialogRoot(kTemplateId, parent), ui_(std::make_unique<Ui::Template125>()), master_(master) {
  ui_->setupUi(this);
  plan_.id_address = id_address;
  plan_.id_count = id_count;
  plan_.jbus_position = jbus_position;
  plan_.baud_count = baud_rates;
  ports_ = PortMap::instance().com_numbers();
  connect(ui_->c1314, &QPushButton::clicked, this, [this] { on_button(); });
}

SearchDialog::~SearchDialog() {
  // The threads end before the relay they report to.
  search_.reset();
}

QLabel* SearchDialog::status_label() const { return ui_->c1296; }
QLabel* SearchDialog::try_label() const { return ui_->c1297; }
QProgressBar* SearchDialog::progress_bar() const { return ui_->c1295; }
QPushButton* SearchDialog::button() const { return ui_->c1314; }

QString SearchDialog::try_text(int com_number, int baud_index) const {
  QString text = QStringLiteral("%1 %2 - %3")
                     .arg(text_of(kComTextId))
                     .arg(com_number)
                     .arg(text_of(kSpeedListTextId, baud_index));
  if (baud_index != JBusLink::kBluetoothBaudIndex) text += QStringLiteral(" bauds");
  return text;
}

void SearchDialog::init_dialog() {
  DialogRoot::init_dialog();
  set_title_id(kTitleTextId);
  ui_->c1296->setText(text_of(kInitialisationTextId));
  ui_->c1297->clear();
  ui_->c1295->setRange(0, std::max<int>(static_cast<int>(ports_.size()), 1));
  ui_->c1295->setValue(0);
  // Users stop a search that takes long; the button is Cancel until the end.
  ui_->c1314->setText(QCoreApplication::translate("QPlatformTheme", "Cancel"));

  plan_.ports = ports_;
  plan_.answer_timeout_ms =
      master_ != nullptr ? master_->answer_timeout() : JBusLink::kDefaultAnswerTimeoutMs;
  // Each port gets a link of its own; one the master holds could not open.
  if (master_ != nullptr) master_->disconnect();
  relay_ = std::make_unique<Relay>(this);
  search_ = std::make_unique<InstrumentSearch>(plan_, relay_.get());
  running_ = true;
  search_->start();
}

void SearchDialog::on_port_checked() {
  ui_->c1295->setValue(std::min(ui_->c1295->value() + 1, ui_->c1295->maximum()));
}

void SearchDialog::on_tries_planned(int tries) {
  ui_->c1296->setText(text_of(kLookingTextId));
  ui_->c1295->setRange(0, std::max(tries, 1));
  ui_->c1295->setValue(0);
}

void SearchDialog::on_try_started(int com_number, int baud_index) {
  under_way_[com_number] = baud_index;
  show_tries();
}

void SearchDialog::on_try_finished(int com_number) {
  ui_->c1295->setValue(std::min(ui_->c1295->value() + 1, ui_->c1295->maximum()));
  under_way_.erase(com_number);
}

void SearchDialog::show_tries() {
  // The ports are tried side by side: every try under way is shown.
  QStringList tries;
  for (const auto& [com, baud] : under_way_) tries << try_text(com, baud);
  if (!tries.isEmpty()) ui_->c1297->setText(tries.join(QStringLiteral(", ")));
}

void SearchDialog::on_finished(const SearchResult& result) {
  running_ = false;
  under_way_.clear();
  if (master_ != nullptr) master_->disconnect();
  if (result.cancelled || cancelling_) {
    DialogRoot::done(Rejected);
    return;
  }
  result_ = result;
  if (result.found()) ui_->c1297->setText(try_text(result.port, result.baud_index));
  ui_->c1296->setText(text_of(result.found() ? kFoundTextId : kNotFoundTextId));
  ui_->c1295->setValue(ui_->c1295->maximum());
  ui_->c1314->setText(QStringLiteral("Ok"));
  ui_->c1314->setEnabled(true);
  ui_->c1314->setFocus();
}

void SearchDialog::on_button() {
  if (!running_) {
    accept();
    return;
  }
  cancelling_ = true;
  ui_->c1314->setEnabled(false);
  search_->cancel();
}

void SearchDialog::reject() {
  // The close box while the search runs stops it; the window goes once the
  // search has let go of the ports.
  if (running_) {
    on_button();
    return;
  }
  DialogRoot::reject();
}

}  // namespace orvadw
