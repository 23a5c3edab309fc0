#pragma once
// Message boxes go through this service so that tests and unattended runs can
// answer them. Windows ask the installed service (the real boxes unless a
// test or the caller installed another one).
#include <QString>

class QWidget;

namespace orvadw {

class MessageService {
 public:
  enum class Icon { None, Information, Warning, Error, Question };
  // Answer codes, numbered as the platform numbered them.
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;
  static constexpr int kYes = 6;
  static constexpr int kNo = 7;

  virtual ~MessageService();

  // A modal box with one OK button.
  virtual void show(QWidget* parent, const QString& text, const QString& caption, Icon icon) = 0;
  // A modal yes/no question; returns kYes or kNo.
  virtual int ask(QWidget* parent, const QString& text, const QString& caption) = 0;

  // The service windows use: the installed one, else the real boxes.
  static MessageService& current();
  // Installs a service for the whole program (not owned); nullptr returns to
  // the real boxes.
  static void install(MessageService* service);
};

// Installs a service for one scope and puts the previous one back.
class ScopedMessageService {
 public:
  explicit ScopedMessageService(MessageService* service);
  ~ScopedMessageService();
  ScopedMessageService(const ScopedMessageService&) = delete;
  ScopedMessageService& operator=(const ScopedMessageService&) = delete;

 private:
  MessageService* previous_;
};

}  // namespace orvadw
