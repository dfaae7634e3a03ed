#include "trending/TrendingHost.h"

#include "trending/frmTrending.h"
#include "platform/GridModel.h"
#include "workspace/frmMDIMain.h"
#include "workspace/modReport.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

QPointer<frmTrending> g_view;

// The view's frame: closing it unloads the view (hides it and ends its loop) instead of deleting it,
// so the view is never deleted while its loop may be on the stack. A resize of the main window's
// client area fits the view again.
class TrendingFrame : public QMdiSubWindow {
public:
    TrendingFrame(QMdiArea* area, frmTrending* view) : QMdiSubWindow(area), m_view(view)
    {
        setWidget(view);
        setWindowTitle(view->windowTitle());
        setAttribute(Qt::WA_DeleteOnClose, false);
        area->viewport()->installEventFilter(this);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        m_view->Form_Unload();
    }

public:
    // Another child window became the active one, or this one did. The main window losing the
    // desktop's focus and getting it back (a null activation in between) is neither.
    void activationChanged(QMdiSubWindow* w)
    {
        if (!w)
            return;
        const bool active = w == this;
        if (active && !m_active)
            m_view->Form_Activate();
        else if (!active && m_active)
            m_view->Form_Deactivate();
        m_active = active;
    }
    bool m_active = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && isVisible() && m_view->loaded())
            m_view->Form_Resize();
        return QMdiSubWindow::eventFilter(watched, event);
    }

private:
    frmTrending* m_view;
};

frmTrending* makeView(frmMDIMain& main)
{
    if (g_view)
        return g_view;
    g_view = new frmTrending;
    main.setChildView(frmMDIMain::ChildView::Trending, g_view);
    auto* frame = new TrendingFrame(main.mdiArea, g_view);
    main.mdiArea->addSubWindow(frame);
    frame->hide();
    QObject::connect(main.mdiArea, &QMdiArea::subWindowActivated, frame, &TrendingFrame::activationChanged);
    return g_view;
}

void showTrending(frmMDIMain& main)
{
    frmTrending* view = makeView(main);
    auto* frame = static_cast<TrendingFrame*>(view->parentWidget());
    if (!view->loaded()) {
        // A closed view was deactivated with its frame, whatever the area did after.
        frame->m_active = false;
        view->Form_Load();
    }
    frame->show();
    if (main.mdiArea->activeSubWindow() == frame) {
        frame->m_active = true;
        view->Form_Activate();
    } else {
        main.mdiArea->setActiveSubWindow(frame);
    }
}

} // namespace

frmTrending* trendingView() { return g_view; }

void attachTrending(frmMDIMain& main)
{
    frmMDIMain* m = &main;
    main.procs.showTrending = [m] { showTrending(*m); };
    main.procs.openTrendData = [] {
        if (g_view && g_view->loaded())
            g_view->OpenTrendData();
    };
    main.procs.saveTendData = [] {
        if (g_view && g_view->loaded())
            g_view->SaveTendData();
    };
    main.procs.printTrendData = [] {
        if (g_view && g_view->loaded())
            g_view->PrintTrendData();
    };
    main.procs.trendClip = [] { return g_view ? g_view->trendClip() : QString(); };
    // The trend data report prints the grid under the address as the user typed it.
    gTrendReportGrid = []() -> const GridModel* { return g_view ? g_view->grid : nullptr; };
    gTrendReportTitle = [] { return g_view ? g_view->cboAddress->currentText() : QString(); };
}
