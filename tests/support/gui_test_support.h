#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "gui/pages/editor_page.h"
#include "gui/platform/qt_text.h"
#include "support/scripted_messages.h"

namespace dtu::test {

inline QString Q(std::string_view text) {
  return FromUtf8(text);
}

// What a page must hold for one control, written out here independently of the page's own
// table so that a wrong ID, label, entry or tooltip shows up.
enum ExpectedFlag : unsigned {
  kShown = 0,
  kHiddenControl = 1u << 0,
  kDisabledControl = 1u << 1,
  kDigits = 1u << 2,
  kReadOnlyEdit = 1u << 3,
};

struct ExpectedControl {
  int id;
  char kind;          // 'E' edit, 'L' list, 'C' check box, 'R' radio, 'S' static, 'G' group
  const char* label;  // an edit's or list's label, a box's or group's own text
  const char* group;  // the title of the group box around it ("" for the untitled frame)
  unsigned flags;
  const char* tooltip;  // the page's description, "" for none; line breaks as "\n"
  std::vector<const char*> entries;
};

inline const char* KindOf(QWidget* widget) {
  if (qobject_cast<QLineEdit*>(widget)) return "E";
  if (qobject_cast<QComboBox*>(widget)) return "L";
  if (qobject_cast<QCheckBox*>(widget)) return "C";
  if (qobject_cast<QRadioButton*>(widget)) return "R";
  if (qobject_cast<QLabel*>(widget)) return "S";
  if (qobject_cast<QGroupBox*>(widget)) return "G";
  return "?";
}

inline QString TextOf(const EditorPage& page, int id, QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* static_text = qobject_cast<QLabel*>(widget)) return static_text->text();
  if (auto* group_box = qobject_cast<QGroupBox*>(widget)) return group_box->title();
  QLabel* name = page.labelFor(id);
  return name != nullptr ? name->text() : QString();
}

inline QString EnclosingGroup(QWidget* widget) {
  for (QWidget* parent = widget->parentWidget(); parent != nullptr; parent = parent->parentWidget())
    if (auto* group_box = qobject_cast<QGroupBox*>(parent)) return group_box->title();
  return QStringLiteral("<none>");
}

inline void CheckControl(const EditorPage& page, const ExpectedControl& expected) {
  QWidget* widget = page.control(expected.id);
  QVERIFY2(widget != nullptr, qPrintable(QStringLiteral("missing control %1").arg(expected.id)));
  QCOMPARE(QString::fromLatin1(KindOf(widget)), QString(QLatin1Char(expected.kind)));
  QCOMPARE(TextOf(page, expected.id, widget), QString::fromUtf8(expected.label));
  QCOMPARE(EnclosingGroup(widget), QString::fromUtf8(expected.group));
  QCOMPARE(widget->isHidden(), (expected.flags & kHiddenControl) != 0);
  QCOMPARE(widget->isEnabled(), (expected.flags & kDisabledControl) == 0);
  // The page's description of the control ends its tooltip, after the line on what it sets and
  // its limit that every editable control has (those lines: control_tooltips_test).
  const QString description = QString::fromUtf8(expected.tooltip);
  const QString tooltip = widget->toolTip();
  if (description.isEmpty()) {
    QVERIFY2(!tooltip.contains(QLatin1Char('\n')), qPrintable(tooltip));
  } else {
    QVERIFY2(tooltip == description || tooltip.endsWith(QLatin1Char('\n') + description),
             qPrintable(tooltip));
  }
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    QCOMPARE(edit->isReadOnly(), (expected.flags & kReadOnlyEdit) != 0);
    const bool digits_only = (expected.flags & kDigits) != 0;
    QCOMPARE(edit->validator() != nullptr, digits_only);
    if (digits_only) {
      QString input = QStringLiteral("12a");
      int position = 0;
      QCOMPARE(edit->validator()->validate(input, position), QValidator::Invalid);
      input = QStringLiteral("0123456789");
      QCOMPARE(edit->validator()->validate(input, position), QValidator::Acceptable);
    }
    if (QLabel* name = page.labelFor(expected.id))
      QCOMPARE(name->isHidden(), (expected.flags & kHiddenControl) != 0);
  }
  if (auto* list = qobject_cast<QComboBox*>(widget)) {
    QCOMPARE(list->count(), static_cast<int>(expected.entries.size()));
    for (int i = 0; i < list->count(); ++i)
      QCOMPARE(list->itemText(i), QString::fromUtf8(expected.entries[static_cast<std::size_t>(i)]));
  } else {
    QVERIFY(expected.entries.empty());
  }
}

// The rows of a data-driven control check: one row per expected control, named by its ID.
inline void AddControlRows(const std::vector<ExpectedControl>& expected) {
  QTest::addColumn<int>("row");
  for (std::size_t i = 0; i < expected.size(); ++i)
    QTest::newRow(QByteArray::number(expected[i].id).constData()) << static_cast<int>(i);
}

// Checks the control of the current row of AddControlRows.
inline void CheckControlRow(const EditorPage& page, const std::vector<ExpectedControl>& expected) {
  QFETCH(int, row);
  CheckControl(page, expected[static_cast<std::size_t>(row)]);
}

// The rows of the serial page's group visibility per channel mode: the dual-channel marker
// groups ("tags") and the notice groups.
inline void AddModeGroupRows() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("tags");
  QTest::addColumn<bool>("notices");
  QTest::newRow("gprs") << 0 << false << true;
  QTest::newRow("sms") << 1 << false << false;
  QTest::newRow("dual") << 2 << true << true;
}

// Every control ID of the page is expected, and every expected one is there.
inline void CheckIdSet(const EditorPage& page, const std::vector<ExpectedControl>& expected) {
  std::vector<int> ids;
  for (const ExpectedControl& control : expected) ids.push_back(control.id);
  std::sort(ids.begin(), ids.end());
  const std::vector<int> actual = page.controlIds();
  QCOMPARE(QList<int>(actual.begin(), actual.end()), QList<int>(ids.begin(), ids.end()));
}

// What a page test holds: a fresh page with its own scripted messages for each test function
// (CreatePage from the test's init, DestroyPage from its cleanup).
template <typename Page>
class PageFixture {
 protected:
  void CreatePage() {
    messages_ = ScriptedMessages();
    page_ = std::make_unique<Page>(messages_);
  }
  void DestroyPage() { page_.reset(); }

  QLineEdit* edit(int id) { return page_->edit(id); }

  ScriptedMessages messages_;
  std::unique_ptr<Page> page_;
};

// Types text into a field key by key, as the user would (one key per character, Chinese
// characters included, as an input method delivers them).
inline void Type(QLineEdit* edit, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString character = text.mid(i, length);
    i += length - 1;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(edit, &release);
  }
}

}  // namespace dtu::test
