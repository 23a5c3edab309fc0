#pragma once
// A QObject that records every named message it receives, for tests that
// check what a control or a thread sent to its owner.
#include <QObject>
#include <QString>
#include <vector>

namespace orvadw::test {

struct RecordedMessage {
  QString name;
  qint64 wparam = 0;
  qint64 lparam = 0;
  QString text;
  bool has_text = false;
};

class EventRecorder : public QObject {
 public:
  using QObject::QObject;

  const std::vector<RecordedMessage>& messages() const { return messages_; }
  // The messages of that name, in arrival order.
  std::vector<RecordedMessage> named(const QString& name) const;
  int count(const QString& name) const;
  void clear() { messages_.clear(); }

  // Processes events until `count` messages have arrived or the limit passed
  // (a generous bound that only proves there is no hang).
  bool wait_for(std::size_t count, int limit_ms = 5000);

 protected:
  bool event(QEvent* event) override;

 private:
  std::vector<RecordedMessage> messages_;
};

}  // namespace orvadw::test
