#pragma once
// A real TfrmDVmain, shown and active; its settings file and route table in a temporary folder.

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include "settings/ini_file.h"
#include "settings/ini_path.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/settings_test_support.h"
#include "window/capture_status.h"
#include "window/main_window.h"

namespace dorvex::test {

inline constexpr char kQuietSettings[] = "[Config]\nExpand=0\nCompatible=0\n";  // no report

// While it lives, clicks answer(n) in the n-th modal message box and notes "title|icon|text".
struct ModalAnswerer {
  explicit ModalAnswerer(std::function<QMessageBox::StandardButton(int)> answer) {
    QObject::connect(&poll, &QTimer::timeout, [this, answer] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown << box->windowTitle() + u'|' + QString::number(box->icon()) + u'|' + box->text();
        box->button(answer(static_cast<int>(shown.size()) - 1))->click();
      }
    });
    poll.start(10);
  }
  QStringList shown;
  QTimer poll;
};

class WindowTest : public ::testing::Test {
 public:
  WindowTest() { SetRouteTablePath(InSettingsFolder(QStringLiteral("route"))); }
  ~WindowTest() override { SetRouteTablePath(QStringLiteral("/proc/net/route")); }
  const QString& SettingsPath() const { return settings_.Path(); }
  QString InSettingsFolder(const QString& name) const { return settings_.Folder() + u'/' + name; }
  QString SettingsValue(const QString& section, const QString& key) const {
    return TIniFile(SettingsPath()).ReadString(section, key, QStringLiteral("<missing>"));
  }
  // Writes `settings` unless empty, shows a new window and waits until it is active.
  TfrmDVmain& Show(const QByteArray& settings = {}) {
    if (!settings.isEmpty()) settings_.Write(settings);
    window_ = std::make_unique<TfrmDVmain>();
    window_->show();
    QApplication::setActiveWindow(window_.get());
    if (!QTest::qWaitForWindowActive(window_.get())) throw std::runtime_error("window not active");
    return *window_;
  }
  TfrmDVmain& Window() { return *window_; }
  template <typename T = QWidget>
  T& Child(const char* name) {
    if (T* child = window_->findChild<T*>(QString::fromLatin1(name))) return *child;
    throw std::runtime_error(std::string("no control ") + name);
  }
  QLineEdit& Edit(const char* name) { return Child<QLineEdit>(name); }
  QPlainTextEdit& Memo() { return Child<QPlainTextEdit>("memResultString"); }
  QStringList MemoLines() { return Memo().toPlainText().split(u'\n', Qt::SkipEmptyParts); }
  QString StatusText() { return Child<QLabel>("lblStatus").toolTip(); }  // the whole line
  void Click(const char* name) { QTest::mouseClick(&Child(name), Qt::LeftButton); }
  void ClickFocus(const char* name) { Child(name).setFocus(Qt::MouseFocusReason); }
  // Focuses the empty field, empties the memo (so that its exit's report stands out), types.
  void TypeInto(const char* field, const QString& text) {
    ClickFocus(field);
    Memo().clear();
    QTest::keyClicks(&Edit(field), text);
  }

 private:
  testing::TempSettingsFile settings_;
  ScopedExecutablePath executable_{settings_.Folder() + QStringLiteral("/dorvex")};
  std::unique_ptr<TfrmDVmain> window_;
};

}  // namespace dorvex::test
