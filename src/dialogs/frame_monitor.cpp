#include "dialogs/frame_monitor.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>

#include "base/text_table.h"
#include "files/configuration.h"
#include "files/file_error.h"
#include "files/file_kind.h"
#include "files/save_path.h"
#include "link/jbus_master.h"
#include "ui_frame_monitor.h"

namespace orvadw {

namespace {

constexpr int kCannotCreateTextId = 67;

}  // namespace

FrameMonitor::FrameMonitor(JBusMaster& master, QWidget* parent)
    : DialogRoot(0, parent),
      master_(master),
      ui_(std::make_unique<Ui::FrameMonitorForm>()),
      batch_(std::make_shared<TrafficBatch>(TrafficLog::kMaxLines)) {
  ui_->setupUi(this);
  setWindowFlag(Qt::Window);
  setModal(false);
  ui_->lines->setMaximumBlockCount(static_cast<int>(log_.max_lines()));
  ui_->lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  show_texts();
  connect(ui_->pause, &QPushButton::toggled, this, [this](bool on) { set_paused(on); });
  connect(ui_->clear, &QPushButton::clicked, this, [this] { clear(); });
  connect(ui_->save, &QPushButton::clicked, this, [this] { press_save(); });
  timer_.setInterval(kRefreshMs);
  connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
}

FrameMonitor::~FrameMonitor() { stop(); }

QPlainTextEdit* FrameMonitor::list() const { return ui_->lines; }
QPushButton* FrameMonitor::pause_button() const { return ui_->pause; }
QPushButton* FrameMonitor::clear_button() const { return ui_->clear; }
QPushButton* FrameMonitor::save_button() const { return ui_->save; }

void FrameMonitor::start() {
  if (!watching_) {
    // What came while nobody watched is not the window's to show.
    batch_->take();
    master_.set_traffic_tap(batch_);
    watching_ = true;
  }
  timer_.start();
}

void FrameMonitor::stop() {
  timer_.stop();
  if (!watching_) return;
  master_.set_traffic_tap(nullptr);
  watching_ = false;
}

void FrameMonitor::closeEvent(QCloseEvent* event) {
  // Nobody looks: the link goes back to no tap at all.
  stop();
  DialogRoot::closeEvent(event);
}

void FrameMonitor::set_paused(bool paused) {
  paused_ = paused;
  if (ui_->pause->isChecked() != paused) ui_->pause->setChecked(paused);
  show_texts();
  if (!paused_) refresh();
}

void FrameMonitor::show_texts() {
  set_title_id(own_text::kFrameMonitorTitle);
  ui_->pause->setText(text_of(paused_ ? own_text::kResume : own_text::kPause));
  ui_->clear->setText(text_of(own_text::kClear));
  ui_->save->setText(text_of(own_text::kSave));
}

void FrameMonitor::refresh() {
  if (paused_) return;
  TrafficBatch::Batch batch = batch_->take();
  if (batch.events.empty() && batch.dropped == 0) return;
  const std::vector<std::string> added = log_.append(batch);
  if (added.empty()) return;
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(added.size()));
  for (const std::string& line : added) lines << QString::fromStdString(line);
  // One append a batch: the list lays itself out once. A reader at the end
  // keeps following the traffic; one who scrolled up keeps their place.
  QScrollBar* bar = ui_->lines->verticalScrollBar();
  const bool following = bar->value() >= bar->maximum();
  ui_->lines->appendPlainText(lines.join(QLatin1Char('\n')));
  if (following) bar->setValue(bar->maximum());
}

void FrameMonitor::clear() {
  log_.clear();
  ui_->lines->clear();
}

bool FrameMonitor::press_save() {
  FileKind kind;
  file_kind_from_text_id(own_text::kTextFileKind, language(), kind);
  const std::optional<std::string> path = choose_save_file(kind.extension, kind.filter);
  if (!path) return false;
  Configuration::instance().set_last_folder(folder_of(*path));
  const int error = save_to(*path);
  if (error != 0) {
    show_error_text(text_of(kCannotCreateTextId) + QLatin1Char(' ') +
                        QString::fromStdString(system_error_text(error)),
                    kErrorCaptionId);
    return false;
  }
  return true;
}

}  // namespace orvadw
