#include "workspace/ProgramFiles.h"

#include "comm/RSComm.h"
#include "platform/Drives.h"
#include "platform/ShortNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QString fileBaseName(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString fileExtension(const QString& fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

bool isValidProgramBase(const QString& base)
{
    static const QString refused = QStringLiteral("/\\:*?");
    // A name beginning with a dot is hidden on Linux: the program would vanish from the browser.
    if (base.trimmed().isEmpty() || base.trimmed().startsWith(QLatin1Char('.')))
        return false;
    return std::none_of(base.begin(), base.end(), [](QChar c) { return refused.contains(c); });
}

QString invalidProgramName(const QString& typed)
{
    return QStringLiteral("'") + typed + QStringLiteral("' is not a valid program name.");
}

QString programStem(const QString& programFile)
{
    const QFileInfo program(shortPath(QFileInfo(programFile).absoluteFilePath()));
    return joinPath(program.absolutePath(), fileBaseName(program.fileName()));
}

QStringList programSetFiles(const QString& folder, const QString& base)
{
    QStringList out;
    if (base.isEmpty())
        return out;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& n : names) {
        if (fileBaseName(n).compare(base, Qt::CaseInsensitive) == 0)
            out << n;
    }
    return out;
}

BoardFamily boardFamilyOf(int code)
{
    if (code == 50 || code == 68)
        return BoardFamily::ControllerB;
    if (isLimitSwitchBoard(code))
        return BoardFamily::LimitSwitch;
    switch (code) {
    case 49: case 51: case 52: case 53: case 54: case 56: case 57:
    case 58: case 59: case 60: case 61: case 65: case 66:
        return BoardFamily::ControllerA;
    default:
        return BoardFamily::Unsupported;
    }
}

QString programNodeCaption(const QString& extension)
{
    const QString ext = extension.toUpper();
    // A user-function file is told by its two last digits before any other kind.
    if (ext.size() >= 2 && ext.at(ext.size() - 1).isDigit() && ext.at(ext.size() - 2).isDigit() &&
        ext.at(ext.size() - 1).unicode() < 128 && ext.at(ext.size() - 2).unicode() < 128)
        return QStringLiteral("Ufunc") + ext.right(2) + QStringLiteral(" (.") + ext + QLatin1Char(')');
    static const struct {
        const char* ext;
        const char* prefix;
    } rows[] = {
        {"LTL", "TITLE (."},    {"LIN", "INIT (."},  {"LMN", "MAIN (."},     {"LTD", "TIMED (."},
        {"LCM", "CO-CPU (."},   {"LCF", "CONFIG (."}, {"ERR", "ERROR (."},   {"REV", "REVISION (."},
        {"HEX", "HEX (."},      {"LDT", "DATA (."},  {"CHL", "CHANNEL (."}, {"PCF", "PLS Config (."},
    };
    for (const auto& r : rows) {
        if (ext == QLatin1String(r.ext))
            return QLatin1String(r.prefix) + ext + QLatin1Char(')');
    }
    return {};
}

QList<ProgramTreeNode> programTreeNodes(const QString& folder, const QString& base)
{
    QList<ProgramTreeNode> nodes;
    for (const QString& name : programSetFiles(folder, base)) {
        const QString key = fileExtension(name).toUpper();
        const QString caption = programNodeCaption(key);
        // pump.lmn and PUMP.LMN can both exist here; the program has one main section node.
        const bool seen = std::any_of(nodes.begin(), nodes.end(), [&](const ProgramTreeNode& n) { return n.key == key; });
        if (!caption.isEmpty() && !seen)
            nodes.push_back({key, caption});
    }
    std::sort(nodes.begin(), nodes.end(), [](const ProgramTreeNode& a, const ProgramTreeNode& b) {
        return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
    });
    return nodes;
}

namespace {
// The read-only files of the set, with a line for each in *error.
QStringList readOnlyFiles(const QString& folder, const QString& base, QString* error)
{
    QStringList out;
    for (const QString& name : programSetFiles(folder, base)) {
        if (!(QFile(QDir(folder).filePath(name)).permissions() & QFileDevice::WriteOwner)) {
            out << name;
            if (error)
                *error += name + QStringLiteral(": the file is read-only\r\n");
        }
    }
    return out;
}
} // namespace

QStringList deleteProgramSetForReplace(const QString& folder, const QString& base, QString* error)
{
    const QStringList kept = readOnlyFiles(folder, base, error);
    return kept.isEmpty() ? deleteProgramSet(folder, base, error) : kept;
}

QStringList deleteProgramSet(const QString& folder, const QString& base, QString* error)
{
    // A file the user made read-only is kept: the delete does not force it.
    QStringList failed = readOnlyFiles(folder, base, error);
    for (const QString& name : programSetFiles(folder, base)) {
        if (failed.contains(name))
            continue;
        QFile f(QDir(folder).filePath(name));
        if (!f.remove()) {
            failed << name;
            if (error)
                *error += name + QStringLiteral(": ") + f.errorString() + QStringLiteral("\r\n");
        }
    }
    return failed;
}

bool renameProgramSet(const QString& folder, const QString& oldBase, const QString& newBase, QString* error)
{
    const QDir dir(folder);
    QList<QPair<QString, QString>> done;
    for (const QString& name : programSetFiles(folder, oldBase)) {
        const QString ext = fileExtension(name);
        const QString target = ext.isEmpty() && !name.endsWith(QLatin1Char('.')) ? newBase : newBase + QLatin1Char('.') + ext;
        QFile f(dir.filePath(name));
        // A rename in one folder is one step on the disk: the file is never absent nor doubled.
        if (!f.rename(dir.filePath(target))) {
            if (error)
                *error = name + QStringLiteral(": ") + f.errorString();
            for (auto it = done.crbegin(); it != done.crend(); ++it)
                QFile::rename(dir.filePath(it->second), dir.filePath(it->first));
            return false;
        }
        done.push_back({name, target});
    }
    return true;
}
