#include "workspace/frmEditDoc.h"

#include "platform/FileLookup.h"
#include "platform/GridModel.h"
#include "platform/GridView.h"
#include "platform/ModalDialogs.h"
#include "platform/Prompts.h"
#include "platform/TextItems.h"
#include "workspace/modUtility.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

// ---------------------------------------------------------------- reading and listing

VarDocTexts::VarDocTexts() : flags(kFlags), bytes(kBytes)
{
    for (auto& p : points)
        p.resize(kPoints);
}

namespace {
VarDocError mismatch(int line) { return {13, QStringLiteral("Type mismatch in line %1").arg(line)}; }
VarDocError outOfRange(int line) { return {9, QStringLiteral("Subscript out of range in line %1").arg(line)}; }

// The 4-character number field: blanks around decimal digits, nothing else.
std::optional<int> numberField(const QString& line)
{
    const QString field = line.left(4).trimmed();
    if (field.isEmpty())
        return std::nullopt;
    for (QChar c : field)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return field.toInt();
}

bool blank(const QString& text)
{
    for (QChar c : text)
        if (c != QLatin1Char(' '))
            return false;
    return true;
}
} // namespace

std::optional<VarDocError> readVarDocFile(const QByteArray& bytes, VarDocTexts& texts)
{
    ItemReader reader(bytes);
    int section = 0;
    int sectionEnds = 0;
    bool bitLines = false;
    int number = 0;
    for (int lineNo = 1; !reader.atEnd(); ++lineNo) {
        const QString line = reader.readLine();
        const QChar first = line.isEmpty() ? QChar() : line.at(0);
        if (first == QLatin1Char('#')) {
            bitLines = false;
            continue;
        }
        if (first == QLatin1Char('&')) {
            bitLines = false;
            if (++sectionEnds >= 5)
                break;
            ++section;
            continue;
        }
        if (first == QLatin1Char('/')) {
            bitLines = true;
            continue;
        }
        int slot = 0;
        if (bitLines) {
            if (first < QLatin1Char('0') || first > QLatin1Char('9'))
                return mismatch(lineNo);
            slot = first.unicode() - '0' + 1;
            if (slot > 8)
                return outOfRange(lineNo);
        } else {
            const std::optional<int> n = numberField(line);
            if (!n)
                return mismatch(lineNo);
            number = *n;
        }
        const QString text = line.mid(bitLines ? 1 : 4);
        if (section == 0) {
            // Flags have no bits: a bit line replaces the flag's own text.
            if (number >= VarDocTexts::kFlags)
                return outOfRange(lineNo);
            texts.flags[number] = text;
            continue;
        }
        std::vector<VarDocTexts::Slots>& table = section == 1 ? texts.bytes : texts.points[section - 2];
        if (number >= static_cast<int>(table.size()))
            return outOfRange(lineNo);
        table[number][slot] = text;
    }
    return std::nullopt;
}

std::vector<QStringList> listVarDoc(const VarDocTexts& nam, const VarDocTexts& doc)
{
    std::vector<QStringList> rows;
    for (int n = 0; n < VarDocTexts::kFlags; ++n)
        if (!blank(nam.flags[n]) || !blank(doc.flags[n]))
            rows.push_back({QStringLiteral("F") + PadZeros(n, 4), nam.flags[n], doc.flags[n]});
    auto listTable = [&rows](QChar letter, const std::vector<VarDocTexts::Slots>& a,
                             const std::vector<VarDocTexts::Slots>& b, int from) {
        for (int n = from; n < static_cast<int>(a.size()); ++n)
            for (int s = 0; s < 9; ++s) {
                if (blank(a[n][s]) && blank(b[n][s]))
                    continue;
                QString name = letter + PadZeros(n, 4);
                if (s > 0)
                    name += QLatin1Char('.') + QString::number(s - 1);
                rows.push_back({name, a[n][s], b[n][s]});
            }
    };
    // Bytes below 32 are the board's own; they are read but not listed.
    listTable(QLatin1Char('B'), nam.bytes, doc.bytes, 32);
    const char letters[] = {'X', 'Y', 'I'};
    for (int k = 0; k < 3; ++k)
        listTable(QLatin1Char(letters[k]), nam.points[k], doc.points[k], 0);
    return rows;
}

// ---------------------------------------------------------------- the window

frmEditDoc::frmEditDoc(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEditDoc"));
    setWindowTitle(QStringLiteral("Variable Documentation"));
    setModal(true);
    fraVariableNames = new QGroupBox(QStringLiteral("Variable Names:"), this);
    fgEditDocModel = new GridModel(this);
    fgEditDoc = new GridView(fgEditDocModel, fraVariableNames);
    fgEditDoc->setObjectName(QStringLiteral("fgEditDoc"));
    // Descriptions are long: the last column takes whatever width the window gives it.
    fgEditDoc->horizontalHeader()->setStretchLastSection(true);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdOk->setDefault(true);
    // The viewer changes nothing, so both buttons just close it.
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* frame = new QVBoxLayout(fraVariableNames);
    frame->addWidget(fgEditDoc);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraVariableNames);
    layout->addLayout(buttons);
    resize(fgEditDoc->toPixels(7600), fgEditDoc->toPixels(6000));
}

frmEditDoc::~frmEditDoc() = default;

void frmEditDoc::InitializeVar(const QString& CorvaneFilePath)
{
    m_namPath = CorvaneFilePath + QStringLiteral(".nam");
    m_docPath = CorvaneFilePath + QStringLiteral(".doc");
}

void frmEditDoc::Form_Load() { CenterForm(this); }

void frmEditDoc::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A modal window is activated once, when it is shown; a message box of its own must not
    // start the listing again.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            Form_Activate();
    });
}

void frmEditDoc::Form_Activate()
{
    GridModel& g = *fgEditDocModel;
    g.clear();
    g.setRows(1);
    g.setFixedRows(1);
    g.setFixedCols(0);
    g.setFormatString(QStringLiteral("^|<|<"));
    const int widths[] = {1000, 1500, 3000};
    const char* headings[] = {"Variable", "NicName", "Description"};
    for (int c = 0; c < 3; ++c) {
        g.setColWidth(c, widths[c]);
        g.setTextMatrix(0, c, QString::fromLatin1(headings[c]));
    }
    QApplication::processEvents();
    DisplayData();
}

void frmEditDoc::DisplayData()
{
    VarDocTexts nam;
    VarDocTexts doc;
    std::optional<VarDocError> error;
    const std::pair<QString, VarDocTexts*> files[] = {{m_namPath, &nam}, {m_docPath, &doc}};
    for (const auto& [path, texts] : files) {
        const QString found = findCaseInsensitive(path);
        if (path.isEmpty() || !QFileInfo(found).isFile())
            continue;
        QString why;
        const std::optional<QByteArray> bytes = readWholeFile(found, &why);
        error = bytes ? readVarDocFile(*bytes, *texts) : VarDocError{75, why};
        if (error) {
            error->description += QStringLiteral(" of ") + QFileInfo(found).fileName();
            break;
        }
    }
    // What was read before a line that could not be taken is still listed.
    const std::vector<QStringList> rows = listVarDoc(nam, doc);
    GridModel& g = *fgEditDocModel;
    g.setRows(1 + static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < 3; ++c)
            g.setTextMatrix(r + 1, c, rows[r][c]);
    g.setCurrentCell(1, 1);
    if (error)
        msgBox(errorText(error->number, error->description), Buttons::Ok, Icon::None,
               QStringLiteral("EditDoc DisplayData"));
}

void frmEditDoc::Form_Unload()
{
    QApplication::processEvents();
    close();
}

void frmEditDoc::showModal(QWidget* parent, const QString& stem)
{
    frmEditDoc viewer(parent);
    viewer.Form_Load();
    viewer.InitializeVar(stem);
    ::showModal(viewer);
}
