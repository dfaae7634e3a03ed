#include "limitswitch/frmPLSView.h"

#include "comm/RSComm.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/ModalDialogs.h"
#include "workspace/ProgramFiles.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/modUtility.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {
// The window's measures are kept in twips, as the layout of the old window gave them.
constexpr int kTwipsPerPixel = 15;
constexpr int kWidth = 5595, kMinHeight = 5235;
constexpr int kCaptionHeight = 405, kBorderWidth = 90; // the frame around the client area
constexpr int kFrameAt = 120, kGridMargin = 120, kGridTop = 240;
constexpr int kPositionColumn = 900;

int px(int twips) { return twips / kTwipsPerPixel; }

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}
} // namespace

frmPLSView::frmPLSView(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPLSView"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    for (QLabel*& value : lblPCFValue)
        value = new QLabel(QStringLiteral("XXXX"));
    buildMultiChannelFrame();
    buildBrakeWearFrame();
    buildChannelFrame();
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &frmPLSView::cmdOk_Click);
    for (QGroupBox* frame : fraPLS)
        frame->setVisible(false);
}

void frmPLSView::buildMultiChannelFrame()
{
    auto* frame = fraPLS[0] = new QGroupBox(QStringLiteral("PLS Configuration:"), this);
    auto* grid = new QGridLayout(frame);
    const QString captions[] = {QStringLiteral("Number of PLS Channels:"), QStringLiteral("Scale Factor:"),
                                QStringLiteral("PLS Program:")};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(captionLabel(captions[i], frame), i, 0);
        grid->addWidget(lblPCFValue[i], i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("Speed Compensation (advance):"), frame), 3, 0, 1, 2);
    for (int i = 0; i < 8; ++i) {
        grid->addWidget(captionLabel(QStringLiteral("CH0%1 (msec):").arg(i), frame), 4 + i, 0);
        grid->addWidget(lblPCFValue[3 + i], 4 + i, 1);
    }
    grid->setRowStretch(12, 1);
    grid->setColumnStretch(1, 1);
}

void frmPLSView::buildBrakeWearFrame()
{
    auto* frame = fraPLS[1] = new QGroupBox(QStringLiteral("PLS Configuration:"), this);
    auto* grid = new QGridLayout(frame);
    const QString captions[] = {QStringLiteral("Number of PLS Channels:"),
                                QStringLiteral("Scale Factor:"),
                                QStringLiteral("Remote Display Strobe Preset (2.5msec TB):"),
                                QStringLiteral("CH00 Brake Wear Compnesation Enabled (y/n):"),
                                QStringLiteral("Desired Stop Locaton:"),
                                QStringLiteral("Allowed Stopping Error:"),
                                QStringLiteral("CH00 Timing Signal Width:"),
                                QStringLiteral("Compensation Enable Window:"),
                                QStringLiteral("CH17 Speed Window Enabled (y/n):"),
                                QStringLiteral("Low Speed Threshold:"),
                                QStringLiteral("High Speed Threshold:")};
    for (int i = 0; i < 11; ++i) {
        grid->addWidget(captionLabel(captions[i], frame), i, 0);
        grid->addWidget(lblPCFValue[11 + i], i, 1);
    }
    grid->setRowStretch(11, 1);
    grid->setColumnStretch(1, 1);
}

void frmPLSView::buildChannelFrame()
{
    fraPLS[2] = new QGroupBox(QStringLiteral("Timing Setpoints:"), this);
    fgPLSChannels = new GridModel(this);
    fgPLSChannels->setCols(3);
    fgPLSChannels->setRows(72);
    fgPLSChannels->setFixedRows(1);
    fgPLSChannels->setFormatString(QStringLiteral("<CHANNEL NUMBER:|^ON POS|^Off POS"));
    fgPLSChannelsView = new GridView(fgPLSChannels, fraPLS[2]);
    // The columns fill the grid beside its vertical scroll bar; there is nothing to scroll sideways.
    fgPLSChannelsView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void frmPLSView::ShowMe(const QString& OpenFile)
{
    frmPLSView view(gMDIMain);
    view.m_openFile = OpenFile;
    view.m_extension = QFileInfo(OpenFile).suffix();
    view.m_boardCode = GetTargetboardType(OpenFile);
    view.Form_Load();
    showModal(view);
}

void frmPLSView::Form_Load()
{
    ReadPLSFileData(gProgramFile, m_data);
    // Program files are found without regard to case, so their extensions are compared so too.
    const QString ext = m_extension.toUpper();
    if (ext == QLatin1String("CHL")) {
        fraPLS[2]->setVisible(true);
    } else if (ext == QLatin1String("PCF")) {
        fraPLS[m_boardCode == kMultiChannelPLS ? 0 : 1]->setVisible(true);
        showConfiguration();
    }
    for (QGroupBox* frame : fraPLS)
        frame->move(px(kFrameAt), px(kFrameAt));

    const QString base = fileBaseName(QFileInfo(gProgramFile).fileName());
    setWindowTitle(base + QStringLiteral(" - ") + boardTables().TargetboardName(m_boardCode));

    int top = 0, left = 0;
    if (gMDIMain) {
        top = gMDIMain->geometry().top() * kTwipsPerPixel + 1240;
        left = gMDIMain->geometry().left() * kTwipsPerPixel + 100;
        if (const frmMain* browser = gMDIMain->programBrowser())
            left += browser->width() * kTwipsPerPixel;
    }
    move(px(left), px(top));
    // Laid out now too, so the window never shows unsized frames before its activation.
    ArrangeView();
}

void frmPLSView::showConfiguration()
{
    const PLSFileData& d = m_data;
    auto number = [](int v) { return QString::number(v); };
    const int multi[] = {d.Channels, d.Scale, d.PLSProgram};
    for (int i = 0; i < 3; ++i)
        lblPCFValue[i]->setText(number(multi[i]));
    for (int i = 0; i < 8; ++i)
        lblPCFValue[3 + i]->setText(number(d.SpeedComp[i]));

    lblPCFValue[11]->setText(number(d.Channels));
    lblPCFValue[12]->setText(number(d.Scale));
    lblPCFValue[13]->setText(number(d.StrobePreset));
    const bool brakeWear = d.Flags & 1;
    lblPCFValue[14]->setText(brakeWear ? QStringLiteral("Yes") : QStringLiteral("No"));
    lblPCFValue[15]->setText(brakeWear ? number(d.StopLocation) : QStringLiteral("000"));
    lblPCFValue[16]->setText(QStringLiteral("+-") + (brakeWear ? number(d.StopError) : QStringLiteral("0")));
    lblPCFValue[17]->setText(brakeWear ? number(d.SignalWidth) : QStringLiteral("1"));
    lblPCFValue[18]->setText(brakeWear ? number(d.WindowFrom) + QLatin1Char('-') + number(d.WindowTo)
                                       : QStringLiteral("000-000"));
    const bool speedWindow = d.Flags & 2;
    lblPCFValue[19]->setText(speedWindow ? QStringLiteral("Yes") : QStringLiteral("No"));
    lblPCFValue[20]->setText((speedWindow ? number(d.LowSpeed) : QStringLiteral("0000")) + QStringLiteral(" RPM"));
    lblPCFValue[21]->setText((speedWindow ? number(d.HighSpeed) : QStringLiteral("0000")) + QStringLiteral(" RPM"));
}

void frmPLSView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_activated)
        QTimer::singleShot(0, this, &frmPLSView::Form_Activate);
}

void frmPLSView::Form_Activate()
{
    if (m_activated)
        return;
    m_activated = true;
    QCoreApplication::processEvents();
    ArrangeView();
}

void frmPLSView::ArrangeView()
{
    const bool channels = fraPLS[2]->isVisible() || m_extension.toUpper() == QLatin1String("CHL");
    int height = kMinHeight;
    if (channels && gMDIMain && gMDIMain->programBrowser())
        height = std::max(gMDIMain->programBrowser()->height() * kTwipsPerPixel - 40, kMinHeight);
    // The window is as wide as its layout asks, and wider where this system's font needs more room
    // for the longest caption.
    int frameWidth = px(kWidth - kBorderWidth - 2 * kFrameAt);
    for (QGroupBox* frame : fraPLS)
        if (frame->isVisible())
            frameWidth = std::max(frameWidth, frame->sizeHint().width());
    const int clientWidth = frameWidth + 2 * px(kFrameAt);
    resize(clientWidth, px(height - kCaptionHeight));
    const int okTop = height - 855;
    cmdOk->setGeometry((clientWidth - px(1215)) / 2, px(okTop), px(1215), px(375));
    for (QGroupBox* frame : fraPLS)
        frame->resize(frameWidth, px(okTop - 285));
    if (channels)
        DisplayChannelSetpoints();
}

void frmPLSView::DisplayChannelSetpoints()
{
    GridModel& grid = *fgPLSChannels;
    const int gridWidth = fraPLS[2]->width() * kTwipsPerPixel - 2 * kGridMargin;
    const int gridHeight = fraPLS[2]->height() * kTwipsPerPixel - 435;
    fgPLSChannelsView->setGeometry(px(kGridMargin), px(kGridTop), px(gridWidth), px(gridHeight));
    grid.setColWidth(1, kPositionColumn);
    grid.setColWidth(2, kPositionColumn);
    grid.setColWidth(0, gridWidth - 200 - 2 * kPositionColumn);
    const int fit = static_cast<int>(std::lround(static_cast<double>(gridHeight) / grid.rowHeight() - 1));

    grid.setRows(1);
    const bool multi = m_boardCode == kMultiChannelPLS;
    const RSComm& tables = boardTables();
    for (int c = 0; c < plsChannelLimit(m_data.Channels); ++c) {
        const QString name = QStringLiteral(" CH") + QString::number(tables.Dec2Octal(c)) + QStringLiteral(" - ") +
                             m_data.ChannelHeaders[c].mid(multi ? 16 : 13) + QLatin1Char('\t');
        const auto& list = m_data.ChannelSetpoints[c];
        if (!list || list->empty()) {
            grid.addItem(name + QStringLiteral("****\t****"));
        } else {
            for (std::size_t i = 0; i < list->size(); ++i) {
                const SetpointPair& p = (*list)[i];
                const QString positions = p.on == p.off ? QStringLiteral("****\t****")
                                                        : QString::number(p.on) + QLatin1Char('\t') + QString::number(p.off);
                grid.addItem((i == 0 ? name : QStringLiteral("\t")) + positions);
            }
        }
        grid.addItem(QString());
    }
    if (grid.rows() < fit)
        grid.insertRows(grid.rows(), fit - grid.rows());
}

void frmPLSView::cmdOk_Click() { done(Accepted); }
