#include "window_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "ini_file.h"

namespace dorvex::test {

QString WindowTest::SettingsValue(const QString& section, const QString& key) const {
  return TIniFile(SettingsPath()).ReadString(section, key, QStringLiteral("<missing>"));
}

TfrmDVmain& WindowTest::Show() {
  window_ = std::make_unique<TfrmDVmain>();
  window_->show();
  QApplication::setActiveWindow(window_.get());
  if (!QTest::qWaitForWindowActive(window_.get())) throw std::runtime_error("window not active");
  return *window_;
}

QStringList WindowTest::MemoLines() {
  QString text = Memo().toPlainText();
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QString WindowTest::FocusName() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus != nullptr ? focus->objectName() : QStringLiteral("<none>");
}

QLineEdit& WindowTest::Enter(const char* field) {
  QLineEdit& edit = Edit(field);
  ClickFocus(edit);
  Memo().clear();
  return edit;
}

void WindowTest::TypeInto(const char* field, const QString& text) {
  QLineEdit& edit = Enter(field);
  edit.selectAll();
  QTest::keyClicks(&edit, text);
}

std::optional<ShownMessage> AnswerMessageBox(const std::function<void()>& action) {
  std::optional<ShownMessage> shown;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    shown = ShownMessage{box->windowTitle(), box->text(), static_cast<int>(box->icon())};
    box->done(QMessageBox::Ok);
  });
  poll.start();
  action();
  return shown;
}

}  // namespace dorvex::test
