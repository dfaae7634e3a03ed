// The main window's link switching, status bar and 500 ms status poll.
#include "workspace/frmMDIMain.h"

#include "comm/RSComm.h"
#include "platform/Prompts.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>

void frmMDIMain::createStatusBar()
{
    auto panel = [this](const char* key, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(key));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        label->installEventFilter(this);
        return label;
    };
    sbrPanel1 = panel("STATUS", QStringLiteral("System Message:"));
    sbrPanel2 = panel("MODE", QStringLiteral("OFFLINE"));
    sbrPanel3 = panel("DATE", QString());
    sbrPanel4 = panel("TIME", QString());
    sbrPanel2->setAlignment(Qt::AlignCenter);
    sbrPanel2->setMinimumWidth(90);
    sbrPanel2->setToolTip(QStringLiteral("Click to go on-line or off-line"));
    sbrPanel2->setCursor(Qt::PointingHandCursor);
    sbrPanel3->setAlignment(Qt::AlignCenter);
    sbrPanel4->setAlignment(Qt::AlignCenter);
    sbrPanel3->setMinimumWidth(90);
    sbrPanel4->setMinimumWidth(90);
    statusBar()->setObjectName(QStringLiteral("sbrMain"));
    statusBar()->addWidget(sbrPanel1, 1);
    statusBar()->addPermanentWidget(sbrPanel2);
    statusBar()->addPermanentWidget(sbrPanel3);
    statusBar()->addPermanentWidget(sbrPanel4);
    // The date and time panels keep themselves current.
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &frmMDIMain::updateDateTime);
    m_clock->start();
    updateDateTime();
}

void frmMDIMain::updateDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    sbrPanel3->setText(locale.toString(now.date(), QLocale::ShortFormat));
    sbrPanel4->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

bool frmMDIMain::eventFilter(QObject* watched, QEvent* event)
{
    // A child view that is unloaded is hidden, not closed, and the desktop then activates no other:
    // the view left on top is activated, as when a child window closes, so that its menus come back.
    if (mdiArea && watched == mdiArea->viewport() &&
        (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)) {
        if (auto* w = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
            w->installEventFilter(this);
    } else if (event->type() == QEvent::Hide) {
        auto* w = qobject_cast<QMdiSubWindow*>(watched);
        if (w && w->isHidden())
            QMetaObject::invokeMethod(this, &frmMDIMain::activateTopChild, Qt::QueuedConnection);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const QLabel* panels[] = {sbrPanel1, sbrPanel2, sbrPanel3, sbrPanel4};
        for (int i = 0; i < 4; ++i)
            if (watched == panels[i]) {
                sbrMain_PanelClick(i + 1);
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMDIMain::activateTopChild()
{
    if (m_unloaded || !mdiArea || (mdiArea->activeSubWindow() && mdiArea->activeSubWindow()->isVisible()))
        return;
    const QList<QMdiSubWindow*> children = mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = children.crbegin(); it != children.crend(); ++it)
        if ((*it)->isVisible()) {
            mdiArea->setActiveSubWindow(*it);
            return;
        }
}

void frmMDIMain::mnuViewOnline_Click()
{
    if (!gRSComm)
        return;
    gRSComm->OnlineMode = true;
    gRSComm->CommError = false;
    UpdateOnlineStatus();
}

void frmMDIMain::mnuViewOffline_Click()
{
    if (!gRSComm)
        return;
    gRSComm->OnlineMode = false;
    UpdateOnlineStatus();
}

void frmMDIMain::sbrMain_PanelClick(int panel)
{
    if (panel != 2 || !gRSComm)
        return;
    if (gRSComm->OnlineMode)
        mnuViewOffline_Click();
    else
        mnuViewOnline_Click();
}

void frmMDIMain::setChildView(ChildView which, QWidget* view) { m_views[static_cast<std::size_t>(which)] = view; }

bool frmMDIMain::childVisible(ChildView which) const
{
    const QWidget* view = m_views[static_cast<std::size_t>(which)];
    return view && view->isVisible();
}

QString frmMDIMain::activeChildName() const
{
    // The child activated last, also while the frame itself is not the active window.
    const QMdiSubWindow* sub = mdiArea->currentSubWindow();
    return sub && sub->widget() ? sub->widget()->objectName() : QString();
}

// The read the tick makes, in the order of tests of the poll. Returns the fault code read, 0 when
// no fault code is read, and nothing when the board's answer to the fault-code read was not had.
std::optional<int> frmMDIMain::tickRead()
{
    if (gRSComm->InUploadMode() || gRSComm->InProgramMode())
        return 0;
    if (childVisible(ChildView::TargetBoard))
        return gRSComm->readFaultCode();
    const QString active = activeChildName();
    if (active == QLatin1String("frmStatusTable") || active == QLatin1String("frmTrending"))
        return gRSComm->readFaultCode();
    bool offset = active == QLatin1String("frmTiming");
    if (!offset) {
        const bool pollingViewOpen = childVisible(ChildView::StatusTable) || childVisible(ChildView::Timing) ||
                                     childVisible(ChildView::Trending);
        if (pollingViewOpen)
            return 0;
        offset = isLimitSwitchBoard(GetTargetboardType(GetSelectedFile()));
        if (!offset)
            return gRSComm->readFaultCode();
    }
    // The limit switch's offset, read only as a link check.
    gRSComm->PLSOffset();
    return 0;
}

void frmMDIMain::tmrBackgroungUpdate_Timer()
{
    // The fault box and the exchange boxes run the event loop: a tick that comes meanwhile must
    // neither stack a second box nor exchange bytes in the middle of another exchange (a Retry
    // that succeeds would be undone).
    if (m_inTick || !gRSComm || gRSComm->Busy())
        return;
    m_inTick = true;
    RSComm& comm = *gRSComm;

    if (comm.OnlineMode != m_linkSeen) {
        UpdateOnlineStatus();
        m_faultAlerted = false;
    }
    m_linkSeen = comm.OnlineMode;

    if (!comm.OnlineMode) {
        if (comm.CommError) {
            m_message = QStringLiteral("Comm Fault with Target Board");
            UpdateOnlineStatus();
        } else {
            m_message = QStringLiteral("Corvanex is Currently OFF-LINE");
        }
    } else {
        std::optional<int> fault = 0;
        bool commErrorShown = false;
        if (comm.CommErrorAlert) {
            // The last reply timed out: no read. A cancelled time-out drops the link.
            if (comm.CommError) {
                m_message = QStringLiteral("Comm Error with Target Board");
                UpdateOnlineStatus();
                commErrorShown = true;
            }
        } else {
            fault = tickRead();
        }
        // No answer to the fault-code read leaves the panel as it was, rather than ON-LINE for a
        // tick while a fault may be active.
        if (fault && !commErrorShown) {
            if (*fault >= 1) {
                if (!m_faultAlerted) {
                    // Set before the box: it runs the event loop, and the next tick must not show it again.
                    m_faultAlerted = true;
                    msgBox(QStringLiteral("Faults Active in Target Board"), Buttons::Ok, Icon::Critical,
                           QStringLiteral("Corvanex"));
                }
                m_message = comm.FaultDescription(*fault);
            } else {
                m_message = QStringLiteral("Corvanex is Currently ON-LINE");
            }
        }
    }
    showSystemMessage(m_message);
    m_inTick = false;
    emit tick();
    QApplication::processEvents();
}
