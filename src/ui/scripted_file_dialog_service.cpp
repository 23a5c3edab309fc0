#include "ui/scripted_file_dialog_service.h"

namespace orvadw {

std::optional<QString> ScriptedFileDialogService::next() {
  if (answers_.empty()) return std::nullopt;
  const Answer answer = answers_.front();
  answers_.pop_front();
  if (!answer.chosen) return std::nullopt;
  return answer.path;
}

std::optional<QString> ScriptedFileDialogService::save_path(QWidget*, const Request& request) {
  asked_.push_back({true, request});
  return next();
}

std::optional<QString> ScriptedFileDialogService::open_path(QWidget*, const Request& request) {
  asked_.push_back({false, request});
  return next();
}

}  // namespace orvadw
