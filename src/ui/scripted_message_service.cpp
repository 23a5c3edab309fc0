#include "ui/scripted_message_service.h"

namespace orvadw {

void ScriptedMessageService::show(QWidget*, const QString& text, const QString& caption,
                                  Icon icon) {
  shown_.push_back({false, text, caption, icon});
}

int ScriptedMessageService::ask(QWidget*, const QString& text, const QString& caption) {
  shown_.push_back({true, text, caption, Icon::Question});
  if (answers_.empty()) return default_answer_;
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace orvadw
