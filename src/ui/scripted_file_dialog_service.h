#pragma once
// A file dialog service that shows nothing: it records every request and
// answers from a queue (nothing, that is Cancel, once the queue is empty).
// For tests and unattended runs.
#include <deque>
#include <vector>

#include "ui/file_dialog_service.h"

namespace orvadw {

class ScriptedFileDialogService : public FileDialogService {
 public:
  struct Asked {
    bool save = false;
    Request request;
  };

  std::optional<QString> save_path(QWidget* parent, const Request& request) override;
  std::optional<QString> open_path(QWidget* parent, const Request& request) override;

  // The next answers: a path, or Cancel.
  void queue_answer(const QString& path) { answers_.push_back({true, path}); }
  void queue_cancel() { answers_.push_back({false, QString()}); }
  const std::vector<Asked>& asked() const { return asked_; }
  std::size_t pending() const { return answers_.size(); }
  void clear() {
    asked_.clear();
    answers_.clear();
  }

 private:
  struct Answer {
    bool chosen = false;
    QString path;
  };
  std::optional<QString> next();

  std::vector<Asked> asked_;
  std::deque<Answer> answers_;
};

}  // namespace orvadw
