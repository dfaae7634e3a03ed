#include "monitor/frmTargetBoard.h"

#include "comm/RSComm.h"
#include "platform/Clock.h"
#include "platform/Convert.h"
#include "platform/FileLookup.h"
#include "platform/ModalDialogs.h"
#include "platform/PollingLoop.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "platform/UpDownEdit.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modUtility.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPainter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel* label(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    return l;
}

// A read-only description box `lines` text lines high.
QPlainTextEdit* descriptionBox(int lines, QWidget* parent)
{
    auto* box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setVerticalScrollBarPolicy(lines > 1 ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(lines > 1 ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    const int margins = static_cast<int>(box->document()->documentMargin() * 2) + box->frameWidth() * 2;
    box->setFixedHeight(box->fontMetrics().lineSpacing() * lines + margins + 8);
    return box;
}

// The value of a two-character hexadecimal text in the REV file's MarkHEX digits; the leading
// hexadecimal digits count, and a pair with none is 0.
int markHexValue(const QString& pair)
{
    QString hex = pair;
    boardTables().MarkHex2HEX(hex);
    int value = 0;
    for (const QChar c : hex) {
        const int digit = QStringLiteral("0123456789ABCDEF").indexOf(c.toUpper());
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

const QString kNoValue = QStringLiteral("-");

// The board's ident is eight character codes, 0 padding a short one. The label keeps every one of
// them, and shows the text up to the first 0 as the board's own display does.
class IdentLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize sizeHint() const override { return minimumSizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        const QString t = text();
        painter.drawText(contentsRect(), static_cast<int>(alignment()), t.left(t.indexOf(QChar(0))));
    }
};

} // namespace

frmTargetBoard::frmTargetBoard(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTargetBoard"));
    setWindowTitle(QStringLiteral("Target Board Interface"));
    setModal(true);

    tabTargetBoard = new QTabBar(this);
    tabTargetBoard->setObjectName(QStringLiteral("tabTargetBoard"));
    for (const char* caption :
         {"&Fault Codes / Status", "&Program Ident/Revision", "&Set Network Address", "S&et Time && Date"})
        tabTargetBoard->addTab(QString::fromLatin1(caption));
    tabTargetBoard->setExpanding(false);
    tabTargetBoard->setFocusPolicy(Qt::StrongFocus);
    connect(tabTargetBoard, &QTabBar::currentChanged, this, [this] { tabTargetBoard_Click(); });

    // The stack is as large as the largest page, so no page is clipped.
    pages = new QStackedWidget(this);
    const char* frameCaptions[] = {"Fault Codes / Status", "Program Ident/Revision", "Set Network Address",
                                   "Set Time & Date"};
    for (int i = 0; i < 4; ++i) {
        fraTargetBoard[i] = new QWidget(pages);
        fraTargetBoard[i]->setAccessibleName(QString::fromLatin1(frameCaptions[i]));
        pages->addWidget(fraTargetBoard[i]);
    }
    buildFaultPage();
    buildIdentityPage();
    buildNetworkPage();
    buildClockPage();

    cmdGoOnline = new QPushButton(QStringLiteral("&Go Online"), this);
    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    // The place an entry is left for: no action, no size, out of the Tab order.
    cmdDefault = new QPushButton(kNoValue, this);
    cmdDefault->setFixedSize(0, 0);
    cmdDefault->setFocusPolicy(Qt::ClickFocus);
    for (QPushButton* b : {cmdGoOnline, cmdOk, cmdDefault, cmdResetFaults, cmdSetToCurrTime, cmdSetToCurrDate}) {
        // Enter belongs to the entries (it moves to the next control); no button is pressed by it.
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(cmdGoOnline, &QPushButton::clicked, this, &frmTargetBoard::cmdGoOnline_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmTargetBoard::cmdOk_Click);
    connect(cmdResetFaults, &QPushButton::clicked, this, &frmTargetBoard::cmdResetFaults_Click);
    connect(cmdSetToCurrTime, &QPushButton::clicked, this, &frmTargetBoard::cmdSetToCurrTime_Click);
    connect(cmdSetToCurrDate, &QPushButton::clicked, this, &frmTargetBoard::cmdSetToCurrDate_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdGoOnline);
    buttons->addStretch(1);
    buttons->addWidget(cmdDefault);
    buttons->addWidget(cmdOk);
    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->addWidget(tabTargetBoard);
    auto* pageFrame = new QGroupBox(this);
    auto* pageFrameLayout = new QVBoxLayout(pageFrame);
    pageFrameLayout->addWidget(pages);
    outer->addWidget(pageFrame, 1);
    outer->addSpacing(8);
    outer->addLayout(buttons);

    for (int i = 0; i < 8; ++i) {
        txtSetup[i]->edit()->installEventFilter(this);
        connect(txtSetup[i], &UpDownEdit::stepped, this, [this, i] { updSetup_Change(i); });
    }
    m_loop = new PollingLoop(this, [this] { return Running; }, [this] { return pollPass(); });
    // Entry 0 and the clock entries are shown from the start; the opening hides what a board lacks.
    m_setupShown.fill(true);
    setMinimumWidth(640);
}

frmTargetBoard::~frmTargetBoard() = default;

void frmTargetBoard::buildFaultPage()
{
    QWidget* page = fraTargetBoard[0];
    fraDescription[0] = new QGroupBox(QStringLiteral("Internal Fault Code:"), page);
    fraDescription[1] = new QGroupBox(QStringLiteral("Communications Network Error Codes:"), page);
    const char* captions[] = {"Current Fault:", "Last Fault:", "CO-CPU Slot:", "Corrective Action:",
                              "Current Comm Error:", "Last Comm Error:"};
    // Wide enough for the longest code line the first pass writes.
    const int captionWidth = fontMetrics().horizontalAdvance(QStringLiteral("Current Comm Error: Code = FFH")) + 12;
    auto* faults = new QGridLayout(fraDescription[0]);
    auto* comms = new QGridLayout(fraDescription[1]);
    for (int i = 0; i < 6; ++i) {
        QGroupBox* group = i < 4 ? fraDescription[0] : fraDescription[1];
        QGridLayout* grid = i < 4 ? faults : comms;
        const int row = i < 4 ? i : i - 4;
        lblTargetBoard[i] = label(QString::fromLatin1(captions[i]), group);
        lblTargetBoard[i]->setMinimumWidth(captionWidth);
        // A caption stands level with the first line of its box.
        grid->addWidget(lblTargetBoard[i], row, 0, Qt::AlignLeft | (i == 3 ? Qt::AlignTop : Qt::AlignVCenter));
        if (i == 2)
            continue;
        txtTargetBoard[i] = descriptionBox(i == 3 ? 5 : 1, group);
        grid->addWidget(txtTargetBoard[i], row, 1);
    }
    faults->setColumnStretch(1, 1);
    comms->setColumnStretch(1, 1);
    cmdResetFaults = new QPushButton(QStringLiteral("&Reset Faults"), page);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraDescription[0]);
    layout->addWidget(fraDescription[1]);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cmdResetFaults);
    layout->addLayout(row);
    layout->addStretch(1);
}

void frmTargetBoard::buildIdentityPage()
{
    QWidget* page = fraTargetBoard[1];
    fraDescription[3] = new QGroupBox(QStringLiteral("In Target Board:"), page);
    fraDescription[2] = new QGroupBox(QStringLiteral("On Disk:"), page);
    const char* rows[] = {"Name:", "Revision:", "Checksum:", "Target Board:", "Rev Date:"};
    auto fill = [&](QGroupBox* group, QLabel** values, int count) {
        auto* grid = new QGridLayout(group);
        for (int r = 0; r < count; ++r) {
            grid->addWidget(label(QString::fromLatin1(rows[r]), group), r, 0);
            values[r] = group == fraDescription[3] && r == 0 ? new IdentLabel(kNoValue, group) : label(kNoValue, group);
            values[r]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("V8390 Controller 00")));
            // Whatever length a file gives, the page keeps its width: a longer text is cut at the edge.
            values[r]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            grid->addWidget(values[r], r, 1);
        }
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(count, 1);
    };
    fill(fraDescription[3], lblRevIdentInPLC.data(), 3);
    fill(fraDescription[2], lblRevIdentOnDisk.data(), 5);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraDescription[3], 1, Qt::AlignTop);
    layout->addWidget(fraDescription[2], 1, Qt::AlignTop);
}

void frmTargetBoard::buildNetworkPage()
{
    QWidget* page = fraTargetBoard[2];
    fraDescription[4] = new QGroupBox(QStringLiteral("Target Board Network Address:"), page);
    auto* grid = new QGridLayout(fraDescription[4]);
    for (int i = 0; i < 2; ++i) {
        lblSetupDesc[i] = label(QStringLiteral("Current Network Address %1:").arg(i + 1), fraDescription[4]);
        txtSetup[i] = new UpDownEdit(fraDescription[4]);
        txtSetup[i]->setFixedWidth(70);
        grid->addWidget(lblSetupDesc[i], i, 0);
        grid->addWidget(txtSetup[i], i, 1);
    }
    grid->setColumnStretch(2, 1);
    lblNetworkAddComment = label(QString(), page);
    lblNetworkAddComment->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraDescription[4]);
    layout->addSpacing(8);
    layout->addWidget(lblNetworkAddComment);
    layout->addStretch(1);
}

void frmTargetBoard::buildClockPage()
{
    QWidget* page = fraTargetBoard[3];
    auto* grid = new QGridLayout;
    const char* parts[] = {"Hr.", "Min.", "Sec.", "Mo.", "Day", "Yr."};
    lblTargetBoardTime = label(QStringLiteral("Target Board Time:"), page);
    lblTargetBoardDate = label(QStringLiteral("Target Board Date:"), page);
    lblCurrTimeDesc = label(QStringLiteral("Current Time:"), page);
    lblCurrTime = label(QStringLiteral("XX : XX : XX"), page);
    lblCurrDateDesc = label(QStringLiteral("Current Date:"), page);
    lblCurrDate = label(QStringLiteral("XX - XX - XX"), page);
    cmdSetToCurrTime = new QPushButton(QStringLiteral("Set to Current &Time"), page);
    cmdSetToCurrDate = new QPushButton(QStringLiteral("Set to Current &Date"), page);
    for (int i = 2; i < 8; ++i) {
        const int row = i < 5 ? 0 : 2;
        const int col = 1 + (i - 2) % 3;
        lblSetupDesc[i] = label(QString::fromLatin1(parts[i - 2]), page);
        txtSetup[i] = new UpDownEdit(page);
        txtSetup[i]->setFixedWidth(56);
        grid->addWidget(lblSetupDesc[i], row, col, Qt::AlignHCenter | Qt::AlignBottom);
        grid->addWidget(txtSetup[i], row + 1, col);
    }
    grid->addWidget(lblTargetBoardTime, 1, 0);
    grid->addWidget(lblTargetBoardDate, 3, 0);
    grid->setColumnMinimumWidth(4, 12);
    grid->addWidget(lblCurrTimeDesc, 1, 5);
    grid->addWidget(lblCurrTime, 1, 6);
    grid->addWidget(lblCurrDateDesc, 3, 5);
    grid->addWidget(lblCurrDate, 3, 6);
    grid->setColumnStretch(7, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSetToCurrTime);
    buttons->addWidget(cmdSetToCurrDate);
    buttons->addStretch(1);
    lblTimeDateNote[0] = label(QStringLiteral("Note:"), page);
    lblTimeDateNote[1] = label(QStringLiteral("Only the N5520 Display Module and the K7719 Communications CO-CPU "
                                              "board are equipped with real time clocks."),
                               page);
    lblTimeDateNote[1]->setWordWrap(true);
    auto* note = new QHBoxLayout;
    note->addWidget(lblTimeDateNote[0], 0, Qt::AlignTop);
    note->addWidget(lblTimeDateNote[1], 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addSpacing(12);
    layout->addLayout(note);
    layout->addStretch(1);

    const std::array<std::pair<int, int>, 8> bounds{{{1, 32}, {1, 32}, {0, 23}, {0, 59}, {0, 59}, {1, 12}, {1, 31}, {0, 99}}};
    for (int i = 0; i < 8; ++i)
        txtSetup[i]->setRange(bounds[i].first, bounds[i].second);
}

void frmTargetBoard::showSlotLabel(bool shown)
{
    m_slotShown = shown;
    lblTargetBoard[2]->setVisible(shown);
}

void frmTargetBoard::showSetupEntry(int i, bool shown)
{
    m_setupShown[i] = shown;
    lblSetupDesc[i]->setVisible(shown);
    txtSetup[i]->setVisible(shown);
}

void frmTargetBoard::enableSetupEntry(int i, bool enabled)
{
    lblSetupDesc[i]->setEnabled(enabled);
    txtSetup[i]->setEnabled(enabled);
}

void frmTargetBoard::enableClockControls(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{lblTargetBoardTime, lblTargetBoardDate, cmdSetToCurrTime,
                                                      cmdSetToCurrDate})
        w->setEnabled(enabled);
}

// The identity of the program on disk, from its REV file: the ident, then the checksum and the
// revision as two MarkHEX digits each.
void frmTargetBoard::readDiskIdentity(const QString& CorvaneFile)
{
    m_hexPath.clear();
    DiskIdent = kNoValue;
    DiskRevision = 0;
    DiskChecksum = 0;
    if (!fileExistsNoCase(CorvaneFile)) {
        // No program: nothing of the previous program's identity may stand for this one.
        DiskBoardType = 0;
        return;
    }
    DiskBoardType = GetTargetboardType(CorvaneFile);
    const QString revPath = findCaseInsensitive(ChangeFileExt(CorvaneFile, QStringLiteral("rev")));
    const QFileInfo rev(revPath);
    if (!rev.exists() || rev.size() == 0)
        return;
    QString error;
    const auto data = readWholeFile(revPath, &error);
    if (!data)
        throw std::runtime_error(error.toStdString());
    const QString line = ItemReader(*data).readLine();
    // A line too short to hold the two pairs carries no identity.
    if (line.size() < 4)
        return;
    DiskIdent = line.left(line.size() - 4);
    DiskRevision = markHexValue(line.right(2));
    DiskChecksum = markHexValue(line.mid(line.size() - 4, 2));
    m_hexPath = findCaseInsensitive(ChangeFileExt(CorvaneFile, QStringLiteral("hex")));
}

void frmTargetBoard::showDiskIdentity()
{
    lblRevIdentOnDisk[0]->setText(shownIdent(DiskIdent));
    lblRevIdentOnDisk[1]->setText(QString::number(DiskRevision));
    lblRevIdentOnDisk[2]->setText(QString::number(DiskChecksum));
    lblRevIdentOnDisk[3]->setText(DiskBoardType == 0 ? kNoValue : boardTables().TargetboardName(DiskBoardType));
    const QFileInfo hex(m_hexPath);
    lblRevIdentOnDisk[4]->setText(!m_hexPath.isEmpty() && hex.isFile()
                                      ? generalDate(hex.lastModified())
                                      : kNoValue);
}

void frmTargetBoard::InitializeForm(const QString& CorvaneFile)
{
    try {
        readDiskIdentity(CorvaneFile);
    } catch (const std::exception& e) {
        msgBox(errorText(75, QString::fromStdString(e.what())), Buttons::Ok, Icon::Information,
               QStringLiteral("InitializeForm"));
        return;
    }
    SetupAddress = {QStringLiteral("B8180"),  QStringLiteral("B8191"),  QStringLiteral("B43012"),
                    QStringLiteral("B43010"), QStringLiteral("B43008"), QStringLiteral("B43016"),
                    QStringLiteral("B43015"), QStringLiteral("B43017")};
    lblNetworkAddComment->setText(
        QStringLiteral("Each K7700 board connected to the K7700 Network must be ") +
        QStringLiteral("assigned a unique network address between 1 and 32.") + QStringLiteral("\n\n") +
        QStringLiteral("System function sfunc19(); configures the K9952 serial ") +
        QStringLiteral("communication for the V8390 processor."));

    cmdGoOnline->hide();
    showSlotLabel(false);
    showSetupEntry(1, false);
    for (int i = 2; i < 8; ++i) {
        txtSetup[i]->setText(kNoValue);
        enableSetupEntry(i, false);
    }
    enableClockControls(false);
    if (DiskBoardType == 50) {
        showSlotLabel(true);
    } else if (DiskBoardType == 54 || DiskBoardType == 65) {
        for (int i = 2; i < 8; ++i)
            enableSetupEntry(i, true);
        enableClockControls(true);
        if (DiskBoardType == 65) {
            showSetupEntry(1, true);
            txtSetup[1]->setText(QString());
        }
    } else {
        showSetupEntry(0, true);
    }
    showDiskIdentity();
    // Every opening starts from what the board says, not from what the last one left.
    SetupEditing.fill(false);
    EscPending = false;
    showModal(*this);
}

void frmTargetBoard::Form_Activate()
{
    if (m_loop->isRunning())
        return;
    CenterForm(this);
    tabTargetBoard->setCurrentIndex(0);
    tabTargetBoard_Click();
    tabTargetBoard->setFocus();
    MonitorTargetBoard();
}

void frmTargetBoard::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The loop starts from a queued call, once the dialog's own modal loop runs.
    if (!m_loop->isRunning())
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                Form_Activate();
        });
}

void frmTargetBoard::tabTargetBoard_Click()
{
    pages->setCurrentWidget(fraTargetBoard[tabTargetBoard->currentIndex()]);
}

void frmTargetBoard::cmdOk_Click() { Running = false; }

void frmTargetBoard::closeEvent(QCloseEvent* event)
{
    // The close box ends the loop as OK does; the loop unloads the dialog after its pass.
    Running = false;
    event->ignore();
    if (!m_loop->isRunning())
        unloadForm();
}

void frmTargetBoard::reject()
{
    // Esc outside an entry does nothing: the dialog has no Cancel.
}

void frmTargetBoard::unloadForm()
{
    Running = false;
    QDialog::done(QDialog::Accepted);
}

void frmTargetBoard::cmdGoOnline_Click()
{
    if (!gRSComm || gRSComm->OnlineMode)
        return;
    gRSComm->CommError = false;
    gRSComm->OnlineMode = true;
    UpdateOnlineStatus();
}

void frmTargetBoard::cmdResetFaults_Click()
{
    const Answer answer = msgBox(QStringLiteral("Target Board will be reinitialized.") + CRLF + CRLF +
                                     QStringLiteral("Do you wish to continue?"),
                                 Buttons::YesNoCancel, Icon::Critical, QStringLiteral("WARNING - Fault Code Reset!"));
    if (answer != Answer::Yes)
        return;
    cmdResetFaults->setEnabled(false);
    RSComm& comm = *gRSComm;
    if (!comm.OnlineMode)
        return;
    for (const char* address : {"B8178", "B8179", "B8177", "B8176"}) {
        if (comm.CommError)
            break;
        comm.RSWrite(QString::fromLatin1(address), QStringLiteral("0"));
    }
    if (comm.CommError)
        return;
    // A code the code files do not list leaves its box as it was: no description of the codes
    // just cleared may stay under the new ones.
    for (int j : {0, 1, 4, 5})
        txtTargetBoard[j]->clear();
    FirstPass();
}

void frmTargetBoard::cmdSetToCurrTime_Click()
{
    // One reading of the clock: a minute that turns over between two writes cannot set the board
    // an hour off.
    const QTime now = wallClock().time();
    writeClock({{"B43012", now.hour()}, {"B43010", now.minute()}, {"B43008", now.second()}});
}

void frmTargetBoard::cmdSetToCurrDate_Click()
{
    const QDate today = wallClock().date();
    writeClock({{"B43016", today.month()}, {"B43015", today.day()}, {"B43017", today.year() % 100}});
}

void frmTargetBoard::writeClock(std::initializer_list<std::pair<const char*, int>> parts)
{
    for (const auto& [address, value] : parts) {
        if (!gRSComm->OnlineMode || gRSComm->CommError)
            return;
        gRSComm->RSWrite(QString::fromLatin1(address), QString::number(value));
    }
}

QString frmTargetBoard::correctiveAction(int L)
{
    const QString Q = QStringLiteral("\"");
    if (L >= 1 && L <= 63)
        return QStringLiteral("Replace CO-CPU board at ") + Q + QStringLiteral("CO-CPU Slot") + Q +
               QStringLiteral(" and try again.  ") +
               QStringLiteral("If fault persists, peplace K7715 processor board and try again.  ") +
               QStringLiteral("If fault persists, verify proper use of ") + Q + QStringLiteral("sfunc05/06/12") + Q +
               QStringLiteral(" in user program.");
    if (L == 66)
        return QStringLiteral("Verify connection of cable between computer ") + Q + QStringLiteral("COM") + Q +
               QStringLiteral(" port and target board ") + Q + QStringLiteral("PROG PORT") + Q +
               QStringLiteral(".  Verify ") +
               QStringLiteral("cable wiring and connectors.  If fault persists, replace target board and/or ") +
               QStringLiteral("try a different computer.");
    if (L == 69)
        return QStringLiteral("User program executed an sfunc09() system fault function call.  See User ") +
               QStringLiteral("program for details on source of fault and corrective action.");
    if (L == 92 || L == 93)
        return QStringLiteral("Program is invalid.  Re-dump program to target board.  If fault persists, ") +
               QStringLiteral("verify cable connections between computer and target board.  If fault persists, ") +
               QStringLiteral("replace target board.");
    if (L >= 64 && L <= 122)
        return QStringLiteral("Reset fault and try again.  If fault persists, replace target board and try ") +
               QStringLiteral("again.  See Corvane Manual for more details.");
    return QStringLiteral("None");
}

void connectTargetBoard(frmMDIMain& main)
{
    main.procs.targetBoardInitializeForm = [&main](const QString& FileName) {
        // Each opening loads the dialog afresh, so every control starts from its design value: no
        // code line, description or board identity of an earlier opening stands for this board
        // before it has answered (or, off-line, at all).
        auto* form = new frmTargetBoard(&main);
        main.setChildView(frmMDIMain::ChildView::TargetBoard, form);
        form->InitializeForm(FileName);
        PollingLoop::deleteWhenIdle(form);
    };
}
