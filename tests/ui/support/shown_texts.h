#pragma once
// What a choice list shows, item by item, for comparing with a table.
#include <QComboBox>
#include <QStringList>

namespace orvadw::test {

inline QStringList shown_texts(const QComboBox& combo) {
  QStringList out;
  for (int i = 0; i < combo.count(); ++i) out << combo.itemText(i);
  return out;
}

}  // namespace orvadw::test
