#include "app/Features.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmSplash.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvanex"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANEX_VERSION));
    auto* main = new frmMDIMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    installFeatures(*main);
    main->showSplash = [main] { frmSplash::showModal(main); };
    main->MDIForm_Load();
    return app.exec();
}
