#include "WorkspaceFixture.h"

#include "app/Features.h"
#include "platform/CommPort.h"
#include "platform/FileListBoxes.h"
#include "platform/ModalDialogs.h"
#include "workspace/frmMDIMain.h"
#include "workspace/frmMain.h"
#include "workspace/frmNewFile.h"
#include "workspace/modUtility.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTreeWidget>
#include <gtest/gtest.h>

std::optional<QString> ScriptedFileDialogs::next(const FileDialogRequest& request, const char* kind)
{
    requests.push_back(request);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << kind << " dialog";
        return std::nullopt;
    }
    auto a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> ScriptedFileDialogs::openFile(const FileDialogRequest& request) { return next(request, "open"); }

std::optional<QString> ScriptedFileDialogs::saveFile(const FileDialogRequest& request) { return next(request, "save"); }

ScriptedModals::ScriptedModals()
{
    setModalRunner([this](QDialog& dialog) {
        shown.push_back(dialog.objectName());
        if (steps.empty()) {
            ADD_FAILURE() << "unexpected modal window " << dialog.objectName().toStdString();
            return 0;
        }
        auto step = std::move(steps.front());
        steps.pop_front();
        step(dialog);
        return dialog.result();
    });
}

ScriptedModals::~ScriptedModals() { setModalRunner(nullptr); }

bool RecordingToolLauncher::start(const ToolStart& request, QString*)
{
    started.push_back(request);
    if (onStart)
        onStart(request);
    return true;
}

namespace {
class KeptSurface : public RecordingSurface {
public:
    KeptSurface(std::vector<PrintRecord>& jobs, Orientation o, bool fail) : m_jobs(jobs), m_fail(fail)
    {
        pageOrientation = o;
    }
    ~KeptSurface() override { m_jobs.push_back({texts, pagesStarted, ended, copiesAtEnd, lines, pageOrientation}); }
    bool failed() const override { return m_fail; }

private:
    std::vector<PrintRecord>& m_jobs;
    bool m_fail;
};
} // namespace

std::unique_ptr<PrintSurface> RecordingPrinting::openDocument()
{
    return std::make_unique<KeptSurface>(jobs, orientation(), failJobs);
}

std::unique_ptr<PrintSurface> PdfPrinting::openDocument()
{
    return std::make_unique<PrinterSurface>(QString(), m_path);
}

WorkspaceTest::WorkspaceTest(int timeoutScaleDen) : install(timeoutScaleDen)
{
    folder = install.path(QStringLiteral("progs"));
    QDir().mkpath(folder);
    gProgramFile.clear();
    gSearchResults.clear();
    gResultsText.clear();
}

WorkspaceTest::~WorkspaceTest()
{
    if (main) {
        main->gMDIQueryUnload = true;
        main->MDIForm_Unload();
        main.reset();
    }
    gProgramFile.clear();
}

void WorkspaceTest::writeProgramFile(const QString& name, const QByteArray& bytes) const
{
    install.writeFile(QStringLiteral("progs/") + name, bytes);
}

void WorkspaceTest::writeProgram(const QString& base, int code) const
{
    writeProgramFile(base + QStringLiteral(".CVP"), QByteArray(1, static_cast<char>(code)) + "\r\n");
}

QString WorkspaceTest::programPath(const QString& name) const { return folder + QLatin1Char('/') + name; }

QStringList WorkspaceTest::programFolderFiles() const
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

void WorkspaceTest::start(const QString& program, std::unique_ptr<CommPort> port)
{
    if (!program.isEmpty()) {
        // The recent list names the program, so start-up opens the browser on it.
        install.writeFile(QStringLiteral("support/KESTA.dat"), (programPath(program) + "\r\n\r\n\r\n\r\n").toLatin1());
    }
    main = makeMainWindow(std::move(port));
    main->MDIForm_Load();
}

std::unique_ptr<frmMDIMain> makeMainWindow(std::unique_ptr<CommPort> port)
{
    auto main = std::make_unique<frmMDIMain>(std::move(port));
    installFeatures(*main);
    return main;
}

frmMain& WorkspaceTest::browser() const { return *main->programBrowser(); }

QStringList WorkspaceTest::treeTexts() const
{
    QStringList out;
    const QTreeWidget* tree = browser().trvCVPList;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* root = tree->topLevelItem(i);
        out << root->text(0);
        for (int c = 0; c < root->childCount(); ++c)
            out << root->child(c)->text(0);
    }
    return out;
}

void WorkspaceTest::doubleClickNode(const QString& text)
{
    QTreeWidget* tree = browser().trvCVPList;
    const auto found = tree->findItems(text, Qt::MatchStartsWith | Qt::MatchRecursive);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    browser().trvCVPList_NodeClick(found.first());
    browser().trvCVPList_DblClick();
}

std::function<void(QDialog&)> WorkspaceTest::newProgramStep(const QString& name, int code) const
{
    return [this, name, code](QDialog& d) {
        auto& f = dynamic_cast<frmNewFile&>(d);
        f.dirNew->setPath(folder);
        f.cboNew->setCurrentIndex(frmNewFile::rowOfCode(code));
        f.txtNew->setText(name);
        f.cmdOk_Click();
    };
}
