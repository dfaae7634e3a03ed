#include "workspace/modUtility.h"

#include "comm/RSComm.h"
#include "platform/Drives.h"
#include "platform/FileLookup.h"
#include "platform/TextItems.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmWaitDisplay.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QStorageInfo>
#include <QWidget>

void CenterForm(QWidget* form)
{
    if (!form)
        return;
    const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QRect frame = form->frameGeometry();
    form->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void SelectAllText(QLineEdit* box)
{
    if (!box)
        return;
    const int length = static_cast<int>(box->text().size());
    box->setSelection(0, length);
}

void ShowWaitDisplay(int Mode)
{
    gWaitDisplayMode = Mode;
    frmWaitDisplay::run(gMDIMain);
}

int GetTargetboardType(const QString& FileName, QString* readError)
{
    const QString cvp = ChangeFileExt(FileName, QStringLiteral("CVP"));
    int result = kDefaultBoardType;
    const QString found = findCaseInsensitive(cvp);
    if (!QFileInfo(found).isFile())
        return result;
    const auto data = readWholeFile(found, readError);
    if (!data || data->isEmpty())
        return result;
    // An empty first line names no board; its code is 0, for which no board is defined.
    return cvpBoardCode(*data);
}

QString ChangeFileExt(const QString& FileName, const QString& Ext)
{
    const QFileInfo info(QFileInfo(FileName).absoluteFilePath());
    return info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.') + Ext;
}

QString GetSelectedFile()
{
    const QString folder = gBrowserFolder ? gBrowserFolder() : QString();
    const QString file = gBrowserSelectedFile ? gBrowserSelectedFile() : QString();
    // Only the file system's root ends in a separator; a volume mounted below it does not.
    return joinPath(folder, file);
}

QString PadZeros(int Value, int Digits)
{
    const QString text = QString::number(Value);
    return text.size() < Digits ? QString(Digits - text.size(), QLatin1Char('0')) + text : text;
}

QString Dec2Binary(long Value, int TwoBytes)
{
    auto bits = [](long byte) {
        QString s;
        for (int bit = 7; bit >= 0; --bit)
            s += byte > 0 && (byte >> bit) & 1 ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    };
    const long low = Value % 256;
    const long high = (Value / 256) % 256;
    return TwoBytes < 1 ? bits(low) : bits(high) + bits(low);
}

void UpdateOnlineStatus()
{
    if (!gRSComm)
        return;
    if (gRSComm->CommError)
        gRSComm->OnlineMode = false;
    if (!gRSComm->CommError) {
        if (gRSComm->OnlineMode) {
            if (gCommObj)
                gRSComm->OpenRSComm(*gCommObj);
        } else {
            gRSComm->CloseRSComm();
        }
    }
    if (gMDIMain)
        gMDIMain->showLinkState(gRSComm->OnlineMode);
}

const RSComm& boardTables()
{
    static const RSComm tables;
    return gRSComm ? *gRSComm : tables;
}
