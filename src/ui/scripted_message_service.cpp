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

std::vector<QString> ScriptedMessageService::box_texts() const {
  std::vector<QString> out;
  for (const Shown& s : shown_) {
    if (!s.question) out.push_back(s.text);
  }
  return out;
}

}  // namespace orvadw
