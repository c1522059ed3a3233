#include "window/main_window.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>

#include "capture/capture_filter.h"
#include "capture/capture_library.h"
#include "capture/default_route.h"
#include "capture/snoop_tcp_data.h"
#include "common/private_files.h"
#include "history/history_path.h"
#include "history/history_recorder.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"
#include "settings/ini_path.h"
#include "tally/reply_session.h"
#include "tally/report.h"
#include "ui_main_window.h"
#include "window/capture_status.h"
#include "window/elided_combo.h"
#include "window/form_placement.h"
#include "window/form_scaling.h"
#include "window/history/history_window.h"
#include "window/widget_fields.h"
#include "window/window_font.h"
#include "window/window_placement.h"

using namespace dorvex;

TfrmDVmain* frmDVmain = nullptr;

namespace {
const QString kTitle = QStringLiteral("Dorvex");
// The settings section of the window's placement: stored in users' files, so never derived from
// a C++ name.
const QString kPlacementSection = QStringLiteral("TfrmDVmain");
const QString kHistoryPlacementSection = QStringLiteral("TfrmDVhistory");
constexpr int kFormFontPixels = 12;
constexpr int kUnitFontPixels = 11;
// Every status line in full on stderr, off unless QT_LOGGING_RULES="dorvex.status.info=true":
// what the window says, for a user's bug report or a check of the installed program.
Q_LOGGING_CATEGORY(lcStatus, "dorvex.status", QtWarningMsg)
}  // namespace

TfrmDVmain::TfrmDVmain(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TfrmDVmain>()) {
  ui->setupUi(this);
  setFont(FormFont(kFormFontPixels));
  for (QLabel* label : findChildren<QLabel*>()) {
    if (label->objectName().startsWith(QLatin1String("lblUnit"))) {
      label->setFont(FormFont(kUnitFontPixels));
    }
  }
  // The copy button's caption needs nearly all of the button's width.
  ui->btnCopyToClicpbord->setStyleSheet(QStringLiteral("padding-left: 0px; padding-right: 0px;"));
  ui->lblStatus->setTextFormat(Qt::PlainText);
  // The form was laid out for a font that may be missing here: it grows to fit the one in use.
  FitFormToFont(*this);
  ElideLongItems(*ui->cboAdapter);
  move(353, 107);

  fields_ = std::make_unique<WidgetFieldSet>(*this);
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->installEventFilter(this);
  for (QPushButton* button : {ui->btnClear, ui->btnCopyToClicpbord, ui->btnExit, ui->btnHistory}) {
    connect(button, &QPushButton::clicked, this, [this, button] { ButtonCommonClick(button); });
  }
  for (QCheckBox* box : {ui->chkExpand, ui->chkCompatible}) {
    connect(box, &QCheckBox::toggled, this, [this, box] { CheckCommonClick(box); });
  }
  connect(ui->cboAdapter, &QComboBox::activated, this, [this] { cboAdapterChange(); });
  auto* historyShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
  connect(historyShortcut, &QShortcut::activated, this, [this] { ShowHistoryWindow(); });

  FormCreate();
}

TfrmDVmain::~TfrmDVmain() {
  // Focus changes while the children go away are no exits from a field.
  for (QLineEdit* edit : findChildren<QLineEdit*>()) edit->removeEventFilter(this);
  FormDestroy();
}

void TfrmDVmain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shown_) {
    shown_ = true;
    FormShow();
  }
}

void TfrmDVmain::closeEvent(QCloseEvent* event) {
  FormClose();
  QWidget::closeEvent(event);
}

bool TfrmDVmain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !redirectingFocus_) {
    // Another window becoming active or a popup (the edit's context menu) does not leave the field.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      EditCommonExit(watched);
    }
  }
  return QWidget::eventFilter(watched, event);
}

// ---- Handlers -------------------------------------------------------------------------------

void TfrmDVmain::SnoopTCPDataCaptureTCPData(const QByteArray& TCPData,
                                            const PayloadOrigin& origin) {
  session_->Feed(reinterpret_cast<const std::uint8_t*>(TCPData.constData()), TCPData.size(),
                 origin);
}

// A recognised world list reply: the session has stored its counts; the update cycle shows them
// and the history keeps the reply.
void TfrmDVmain::SessionReplyRecognised(const RecognisedReply& reply) {
  UpdateAll();
  RecordReply(reply);
}

void TfrmDVmain::FormCreate() {
  SnoopTCPData = std::make_unique<TSnoopTCPData>(
      nullptr, [this](const QString& text) { ShowPlainMessage(text); });
  SnoopTCPData->SetFilter(QString::fromLatin1(kGameTrafficFilter));
  SnoopTCPData->setObjectName(QStringLiteral("SnoopTCPData"));
  session_ = std::make_unique<ReplySession>();
  connect(SnoopTCPData.get(), &TSnoopTCPData::TCPPayloadCaptured, this,
          [this](const QByteArray& payload, const QDateTime& captureTime, quint32 sourceAddress,
                 quint16 sourcePort) {
            SnoopTCPDataCaptureTCPData(
                payload, {PayloadOrigin::CaptureMsOf(captureTime), sourceAddress, sourcePort,
                          SnoopTCPData->AdapterName()});
          });
  connect(session_.get(), &ReplySession::ReplyRecognised, this,
          [this](const RecognisedReply& reply) { SessionReplyRecognised(reply); });
  connect(SnoopTCPData.get(), &TCustomSnoop::CaptureEnded, this, [this] { ShowCaptureStatus(); });
}

void TfrmDVmain::FormDestroy() {
  // Packets still handed over while the component closes must not reach a half-destroyed window.
  SnoopTCPData->disconnect(this);
  historyWindow_.reset();
  history_.reset();
  session_.reset();
  SnoopTCPData.reset();
}

void TfrmDVmain::FormShow() {
  fontProblem_ = JapaneseFontProblem(!QFontDatabase::families(QFontDatabase::Japanese).isEmpty());
  // The designed position where the window fits there; a stored placement replaces it.
  KeepOnPrimaryScreen(*this);
  ClearAll();
  FillAdapterList();
  LoadSettings();
  ApplyAdapter();
}

void TfrmDVmain::FormClose() {
  if (SnoopTCPData->Active()) SnoopTCPData->Close();
  FlushHistoryAtClose();
  ShowCaptureStatus();
  try {
    SaveSettings();
  } catch (const EIniFileException& error) {
    // Reported, and the window still closes: a settings file that cannot be written must not keep
    // the user from quitting.
    ShowError(error.Message() + QLatin1Char('.'));
  }
  // The history window goes with the main window: left open, it would keep the program running.
  if (historyWindow_) historyWindow_->close();
}

void TfrmDVmain::cboAdapterChange() {
  wantedAdapterIndex_ = ui->cboAdapter->currentIndex();
  ApplyAdapter();
}

void TfrmDVmain::ButtonCommonClick(QObject* Sender) {
  if (Sender == ui->btnClear) {
    ClearAll();
  } else if (Sender == ui->btnCopyToClicpbord) {
    CopyResult();
  } else if (Sender == ui->btnExit) {
    close();
  } else if (Sender == ui->btnHistory) {
    ShowHistoryWindow();
  }
}

void TfrmDVmain::EditCommonExit(QObject* Sender) {
  session_->Login().Stamp();
  if (Sender == ui->edtTempServerName) {
    if (ui->edtTempServerName->text().isEmpty()) {
      // Past the count field of an unnamed row, to the first field of WorldGroup 2.
      redirectingFocus_ = true;
      ui->edtTyrQty->setFocus(Qt::TabFocusReason);
      redirectingFocus_ = false;
    }
    return;
  }
  UpdateAll();
}

void TfrmDVmain::CheckCommonClick(QObject* /*Sender*/) {
  UpdateAll();
}

// ---- Operations -----------------------------------------------------------------------------

void TfrmDVmain::UpdateAll() {
  const ReportOptions options{ui->chkExpand->isChecked(), ui->chkCompatible->isChecked()};
  const QStringList lines = session_->Update(*fields_, options);
  QString text;
  for (const QString& line : lines) text += line + QLatin1Char('\n');
  ui->memResultString->setPlainText(text);
}

void TfrmDVmain::ClearAll() {
  session_->Login().Stamp();
  for (QWidget* component : findChildren<QWidget*>()) {
    const QString name = component->objectName();
    if (name.endsWith(QLatin1String("Qty")) || name == QLatin1String("edtTempServerName")) {
      if (auto* edit = qobject_cast<QLineEdit*>(component)) edit->clear();
    } else if (name == QLatin1String("memResultString")) {
      if (auto* memo = qobject_cast<QPlainTextEdit*>(component)) memo->clear();
    }
  }
  ui->edtVerdandiQty->setFocus();
}

void TfrmDVmain::CopyResult() {
  ui->memResultString->selectAll();
  QString text = ui->memResultString->textCursor().selectedText();
  if (text.isEmpty()) return;
  // The memo separates its lines with paragraph separators; the clipboard gets CR LF.
  text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
  text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
  QGuiApplication::clipboard()->setText(text);
}

void TfrmDVmain::ApplyAdapter() {
  if (SnoopTCPData->AdapterIndex() != wantedAdapterIndex_) {
    if (SnoopTCPData->Active()) SnoopTCPData->Close();
    SnoopTCPData->SetAdapterIndex(wantedAdapterIndex_);
    SnoopTCPData->Open();
  }
  ShowCaptureStatus();
}

void TfrmDVmain::LoadSettings() {
  const AppSettings settings = ReadAppSettings(TIniFile(GetIniFileName()));
  wantedAdapterIndex_ = settings.adapterIndex;
  const bool listed = settings.adapterIndex >= 0 && settings.adapterIndex < ui->cboAdapter->count();
  ui->cboAdapter->setCurrentIndex(listed ? settings.adapterIndex : -1);
  // A changed check box runs the update cycle, as a click does.
  ui->chkExpand->setChecked(settings.expand);
  ui->chkCompatible->setChecked(settings.compatible);
  openCount_ = settings.openCount;
  saveFormSize_ = settings.saveFormSize;
  historyFileSetting_ = settings.historyFile;
  historyPath_ = HistoryFilePath(GetIniFileName(), historyFileSetting_);
  // The history lives beside the settings, whose folder would otherwise appear only at the first
  // close: the first replies would have nowhere to go.
  QString folderError;
  MakePrivateFolder(QFileInfo(GetIniFileName()).absolutePath(), folderError);
  historyEnabled_ = settings.historyEnabled;
  if (saveFormSize_) LoadFormPlacement(*this, kPlacementSection);
  OpenHistory();
}

void TfrmDVmain::SaveSettings() {
  {
    TIniFile ini(GetIniFileName());
    AppSettings settings;
    settings.openCount = openCount_;
    settings.expand = ui->chkExpand->isChecked();
    settings.compatible = ui->chkCompatible->isChecked();
    settings.adapterIndex = ui->cboAdapter->currentIndex();
    settings.historyFile = historyFileSetting_;
    settings.historyEnabled = historyEnabled_;
    WriteAppSettings(ini, settings);
    if (historyWindow_) WriteHistoryWindowState(ini, historyWindow_->State());
  }
  if (saveFormSize_) {
    SaveFormPlacement(*this, kPlacementSection);
    if (historyWindow_) SaveFormPlacement(*historyWindow_, kHistoryPlacementSection);
  }
}

void TfrmDVmain::FillAdapterList() {
  ui->cboAdapter->clear();
  const QStringList& names = SnoopTCPData->AdapterNames();
  const QStringList& descriptions = SnoopTCPData->AdapterDescriptions();
  const std::optional<QString> routeAdapter = DefaultRouteAdapter(RouteTablePath());
  for (qsizetype i = 0; i < names.size(); ++i) {
    ui->cboAdapter->addItem(
        AdapterLabel(names[i], descriptions.value(i), names[i] == routeAdapter));
  }
}

void TfrmDVmain::ShowCaptureStatus() {
  CaptureState state;
  state.active = SnoopTCPData->Active();
  state.wantedIndex = wantedAdapterIndex_;
  state.adapterLabel =
      AdapterLabel(SnoopTCPData->AdapterName(), SnoopTCPData->AdapterDescription());
  state.filter = SnoopTCPData->Filter();
  state.lastError = SnoopTCPData->LastError();
  state.failure = SnoopTCPData->LastFailure();
  state.libraryProblem = QString::fromStdString(CaptureLibraryProblem());
  // With no adapter chosen, the status line names the adapter of the default route.
  const StatusLine line = MakeStatusLine(
      CaptureStatusText(
          state, state.wantedIndex < 0 ? DefaultRouteAdapter(RouteTablePath()) : std::nullopt),
      history_ ? history_->Store().StatusText() : QString(), fontProblem_);

  qCInfo(lcStatus).noquote() << line.text;
  QLabel* status = ui->lblStatus;
  status->setToolTip(line.tooltip);
  status->setText(status->fontMetrics().elidedText(line.text, Qt::ElideRight, status->width()));
}

void TfrmDVmain::ShowPlainMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, this);
  box.exec();
}

void TfrmDVmain::ShowError(const QString& text) {
  QMessageBox::critical(this, kTitle, text);
}

// ---- Count history --------------------------------------------------------------------------

void TfrmDVmain::OpenHistory() {
  if (!historyEnabled_) return;
  history_ = std::make_unique<HistoryRecorder>(historyPath_);
}

// Keeps the reply just read; a reply that cannot be written waits in the recorder and the status
// line says why.
void TfrmDVmain::RecordReply(const RecognisedReply& reply) {
  if (!history_ || history_->Store().Refused()) return;
  const bool saved = history_->Record(reply);
  ShowCaptureStatus();
  if (saved && historyWindow_) historyWindow_->Refresh();
}

// Replies that still cannot be written are lost when the program ends: the user may free the
// disk or the file and retry, or close without them.
// What the question says is what happens: Discard loses the waiting replies for good.
void TfrmDVmain::FlushHistoryAtClose() {
  if (!history_ || history_->Store().Refused()) return;
  for (int tries = 0; !history_->Flush(); ++tries) {
    const QString text =
        QStringLiteral("%1%2.\n\nRetry, or close and lose the replies that wait?")
            .arg(tries == 0 ? QString() : QStringLiteral("Tried again, still not saved. "),
                 history_->Store().StatusText());
    const auto answer = QMessageBox::warning(
        this, kTitle, text, QMessageBox::Retry | QMessageBox::Discard, QMessageBox::Retry);
    if (answer != QMessageBox::Retry) {
      history_->Discard();
      return;
    }
  }
}

void TfrmDVmain::ShowHistoryWindow() {
  if (!historyWindow_) {
    historyWindow_ = std::make_unique<TfrmDVhistory>(historyPath_, [this] {
      return ReportOptions{ui->chkExpand->isChecked(), ui->chkCompatible->isChecked()};
    });
    // It grows with the font: on a small screen it first takes at most the screen's free area.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QSize room = screen->availableGeometry().size() * 9 / 10;
      historyWindow_->resize(historyWindow_->size().boundedTo(room));
    }
    KeepOnPrimaryScreen(*historyWindow_);
    historyWindow_->SetState(ReadHistoryWindowState(TIniFile(GetIniFileName())));
    if (saveFormSize_) {
      try {
        LoadFormPlacement(*historyWindow_, kHistoryPlacementSection);
      } catch (const EIniFileException& error) {
        ShowError(error.Message() + QLatin1Char('.'));
      }
    }
  }
  historyWindow_->show();
  historyWindow_->Refresh();
  historyWindow_->raise();
  historyWindow_->activateWindow();
}
