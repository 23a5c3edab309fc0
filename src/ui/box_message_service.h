#pragma once
// The real message boxes: application modal, with the icon asked for.
#include "ui/message_service.h"

namespace orvadw {

class BoxMessageService : public MessageService {
 public:
  void show(QWidget* parent, const QString& text, const QString& caption, Icon icon) override;
  int ask(QWidget* parent, const QString& text, const QString& caption) override;
};

}  // namespace orvadw
