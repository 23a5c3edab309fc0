// The file dialog service: the real dialogs open where and how the windows
// ask (folder, filters, extension, no overwrite prompt of their own), the
// scripted one answers from its queue, and filters are turned into Qt's form.
#include "ui/file_dialog_service.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "ui/scripted_file_dialog_service.h"

namespace orvadw {
namespace {

// Runs answer on the file dialog once it is up; the dialog is left to the
// caller of the service.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::function<void(QFileDialog&)> answer) : answer_(std::move(answer)) {
    waited_.start();
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // A prompt of the dialog's own would block the caller: fail, not hang.
        ADD_FAILURE() << "the file dialog asked: " << box->text().toStdString();
        box->done(QMessageBox::Yes);
      } else if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog != nullptr && !seen_) {
        seen_ = true;
        answer_(*dialog);
      } else if (waited_.elapsed() > 20000) {
        timer_.stop();
        // Never leave the test waiting on a dialog that did not come up.
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (auto* d = qobject_cast<QFileDialog*>(w)) d->reject();
        }
      }
    });
    timer_.start(10);
  }
  bool seen() const { return seen_; }

 private:
  std::function<void(QFileDialog&)> answer_;
  QTimer timer_;
  QElapsedTimer waited_;
  bool seen_ = false;
};

TEST(FileDialogServiceTest, FiltersTakeQtsForm) {
  EXPECT_EQ(name_filters("Setting File (*.eta)|*.eta|"), QStringList{"Setting File (*.eta)"});
  // The main window's open filter: several patterns, and a description that
  // lists them its own way.
  const QString open_filter =
      "File (*.eta, *.mes, *.log, *.sa, *.esc, *.rsp)|*.eta;*.mes;*.log; *.sa; *.esc; *.rsp|"
      "Setting File (*.eta)|*.eta|Measurement File (*.mes)|*.mes||";
  EXPECT_EQ(name_filters(open_filter),
            (QStringList{"File (*.eta *.mes *.log *.sa *.esc *.rsp)", "Setting File (*.eta)",
                         "Measurement File (*.mes)"}));
  EXPECT_EQ(name_filters("PRN File|prn|"), QStringList{"PRN File (prn)"});
  EXPECT_EQ(name_filters("Any|"), QStringList{"Any (*)"});
  EXPECT_TRUE(name_filters("").isEmpty());
  EXPECT_TRUE(name_filters("lonely").isEmpty());
}

TEST(FileDialogServiceTest, TheSaveDialogOpensAsAskedAndNeverAsksBeforeReplacing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString existing = dir.path() + "/old.eta";
  {
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  FileDialogService::Request request;
  request.folder = dir.path() + "/";
  request.filter = "Setting File (*.eta)|*.eta|";
  request.default_extension = "eta";
  request.default_name = "pump";

  bool checked = false;
  DialogAnswerer answerer([&](QFileDialog& d) {
    EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(QDir(d.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    EXPECT_EQ(d.nameFilters(), QStringList{"Setting File (*.eta)"});
    EXPECT_EQ(d.defaultSuffix(), "eta");
    EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
    checked = true;
    d.selectFile(existing);
    QMetaObject::invokeMethod(&d, "accept", Qt::QueuedConnection);
  });
  const std::optional<QString> chosen = FileDialogService::current().save_path(nullptr, request);
  EXPECT_TRUE(answerer.seen());
  EXPECT_TRUE(checked);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QDir(*chosen).canonicalPath(), QDir(existing).canonicalPath());
}

TEST(FileDialogServiceTest, TheOpenDialogStartsAtHomeWhenTheFolderHasGoneAndCancelGivesNothing) {
  FileDialogService::Request request;
  request.folder = "/no/such/folder/";
  request.filter = "Logger File (*.log)|*.log|";
  DialogAnswerer answerer([](QFileDialog& d) {
    EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(d.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(QDir(d.directory()).canonicalPath(), QDir::home().canonicalPath());
    d.reject();
  });
  EXPECT_FALSE(FileDialogService::current().open_path(nullptr, request).has_value());
  EXPECT_TRUE(answerer.seen());
}

TEST(FileDialogServiceTest, AScriptedServiceAnswersInOrderAndRecordsTheRequests) {
  ScriptedFileDialogService scripted;
  ScopedFileDialogService scope(&scripted);
  EXPECT_EQ(&FileDialogService::current(), &scripted);
  scripted.queue_answer("/a/one.eta");
  scripted.queue_cancel();
  FileDialogService::Request request;
  request.folder = "/a/";
  EXPECT_EQ(FileDialogService::current().save_path(nullptr, request), QString("/a/one.eta"));
  EXPECT_FALSE(FileDialogService::current().open_path(nullptr, request).has_value());
  EXPECT_FALSE(FileDialogService::current().open_path(nullptr, request).has_value())
      << "an empty queue cancels";
  ASSERT_EQ(scripted.asked().size(), 3u);
  EXPECT_TRUE(scripted.asked()[0].save);
  EXPECT_FALSE(scripted.asked()[1].save);
  EXPECT_EQ(scripted.asked()[2].request.folder, "/a/");
  {
    ScriptedFileDialogService inner;
    ScopedFileDialogService nested(&inner);
    EXPECT_EQ(&FileDialogService::current(), &inner);
  }
  EXPECT_EQ(&FileDialogService::current(), &scripted);
}

}  // namespace
}  // namespace orvadw
