#include "ui/message_service.h"

#include "ui/box_message_service.h"

namespace orvadw {

namespace {
MessageService* installed = nullptr;
}

MessageService::~MessageService() = default;

MessageService& MessageService::current() {
  static BoxMessageService boxes;
  return installed != nullptr ? *installed : boxes;
}

void MessageService::install(MessageService* service) { installed = service; }

ScopedMessageService::ScopedMessageService(MessageService* service) : previous_(installed) {
  installed = service;
}

ScopedMessageService::~ScopedMessageService() { installed = previous_; }

}  // namespace orvadw
