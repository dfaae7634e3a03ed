#include "workspace/frmSplash.h"

#include "platform/ModalDialogs.h"
#include "platform/Resources.h"
#include "workspace/ProductIdentity.h"
#include "workspace/modUtility.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    ensureResources();
    setModal(true);
    fraSplash = new QFrame(this);
    fraSplash->setFrameStyle(QFrame::Box | QFrame::Raised);
    fraSplash->setLineWidth(2);
    setFont(QFont(QStringLiteral("Arial")));

    auto label = [this](const char* name, int pointSize, bool bold) {
        auto* l = new QLabel(fraSplash);
        l->setObjectName(QString::fromLatin1(name));
        QFont f = font();
        f.setPointSize(pointSize);
        f.setBold(bold);
        l->setFont(f);
        l->setWordWrap(true);
        return l;
    };
    imgLogo = new QLabel(fraSplash);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(QIcon(QStringLiteral(":/images/logo.svg")).pixmap(96, 96));
    lblCompanyProduct = label("lblCompanyProduct", 11, true);
    lblProductName = label("lblProductName", 28, true);
    lblPlatform = label("lblPlatform", 11, true);
    lblVersion = label("lblVersion", 11, true);
    lblCompany = label("lblCompany", 9, false);
    lblCopyright = label("lblCopyright", 9, false);
    lblWarning = label("lblWarning", 8, false);
    lblClickToContinue = label("lblClickToContinue", 9, false);
    lblClickToContinue->setText(QStringLiteral("Click to Continue..."));
    lblPlatform->setAlignment(Qt::AlignRight);
    lblVersion->setAlignment(Qt::AlignRight);
    lblClickToContinue->setAlignment(Qt::AlignRight);

    auto* titles = new QVBoxLayout;
    titles->addWidget(lblCompanyProduct);
    titles->addWidget(lblProductName);
    titles->addStretch();
    titles->addWidget(lblPlatform);
    titles->addWidget(lblVersion);
    auto* top = new QHBoxLayout;
    top->addWidget(imgLogo, 0, Qt::AlignTop);
    top->addSpacing(16);
    top->addLayout(titles, 1);
    auto* inner = new QVBoxLayout(fraSplash);
    inner->setContentsMargins(20, 20, 20, 14);
    inner->addLayout(top);
    inner->addSpacing(18);
    inner->addWidget(lblCompany);
    inner->addWidget(lblCopyright);
    inner->addWidget(lblWarning);
    inner->addSpacing(8);
    inner->addWidget(lblClickToContinue);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(fraSplash);

    // A click anywhere closes the window: on the frame, the logo or any label.
    fraSplash->installEventFilter(this);
    for (QLabel* l : fraSplash->findChildren<QLabel*>())
        l->installEventFilter(this);
    setFixedWidth(520);
}

void frmSplash::showModal(QWidget* parent)
{
    frmSplash splash(parent);
    splash.Form_Load();
    ::showModal(splash);
}

void frmSplash::Form_Load()
{
    lblCompanyProduct->setText(ProductIdentity::companyName());
    lblProductName->setText(ProductIdentity::title());
    // One ampersand shows: the label has no access key.
    lblPlatform->setText(QStringLiteral("Windows 95, 98, ME, 2000 & XP"));
    lblVersion->setText(ProductIdentity::versionText());
    lblCompany->setText(ProductIdentity::companyName());
    lblCopyright->setText(ProductIdentity::copyright());
    lblWarning->setText(ProductIdentity::warning());
    lblCompanyProduct->setVisible(!lblCompanyProduct->text().isEmpty());
    lblCompany->setVisible(!lblCompany->text().isEmpty());
    adjustSize();
    CenterForm(this);
}

void frmSplash::Form_Click() { accept(); }

void frmSplash::Form_KeyPress() { accept(); }

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        Form_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    Form_KeyPress();
}

void frmSplash::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    Form_Click();
}
