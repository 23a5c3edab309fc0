#pragma once
// A message service that shows nothing: it records every box it was asked
// for and answers questions from a queue. For tests and unattended runs.
#include <QString>
#include <deque>
#include <vector>

#include "ui/message_service.h"

namespace orvadw {

class ScriptedMessageService : public MessageService {
 public:
  struct Shown {
    bool question = false;
    QString text;
    QString caption;
    Icon icon = Icon::None;
  };

  void show(QWidget* parent, const QString& text, const QString& caption, Icon icon) override;
  // The next queued answer, or the default answer when the queue is empty.
  int ask(QWidget* parent, const QString& text, const QString& caption) override;

  void queue_answer(int answer) { answers_.push_back(answer); }
  void set_default_answer(int answer) { default_answer_ = answer; }
  const std::vector<Shown>& shown() const { return shown_; }
  // The texts of the boxes shown so far, questions left out.
  std::vector<QString> box_texts() const;
  void clear() { shown_.clear(); answers_.clear(); }

 private:
  std::vector<Shown> shown_;
  std::deque<int> answers_;
  int default_answer_ = kNo;
};

}  // namespace orvadw
