#include "ScriptText.h"

#include "Log.h"
#include "Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryFile>

namespace zelk::script {

namespace {

// The source in a file of its own, kept until the object goes.
std::unique_ptr<QTemporaryFile> sourceFile(const QByteArray& bytes)
{
    auto file = std::make_unique<QTemporaryFile>();
    if (!file->open() || file->write(bytes) != bytes.size() || !file->flush()) {
        zlog("ScriptText", "sourceFile") << "cannot write a script file:" << file->errorString();
        return nullptr;
    }
    file->close();
    return file;
}

// The interpreter's program as a path: itself when absolute, else found in
// PATH; empty when it isn't there.
QString findProgram(const QString& program)
{
    if (QFileInfo(program).isAbsolute())
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

// The interpreter's own name, behind "env" too.
QString interpreterName(const QStringList& interpreter)
{
    QString name = QFileInfo(interpreter.value(0)).fileName();
    if (name == QLatin1String("env")) {
        for (int i = 1; i < interpreter.size(); ++i)
            if (!interpreter.at(i).startsWith(QLatin1Char('-')))
                return QFileInfo(interpreter.at(i)).fileName();
    }
    return name;
}

// The arguments that check rather than run, or none when the interpreter
// has no check.
std::optional<QStringList> checkArguments(const QString& name)
{
    static const QRegularExpression shells(QStringLiteral("^(sh|bash|dash|zsh|ksh|mksh|posh)$"));
    static const QRegularExpression python(QStringLiteral("^python[0-9.]*$"));
    if (shells.match(name).hasMatch())
        return QStringList{QStringLiteral("-n")};
    if (name == QLatin1String("perl") || name == QLatin1String("ruby"))
        return QStringList{QStringLiteral("-c")};
    if (python.match(name).hasMatch())
        return QStringList{QStringLiteral("-c"),
                           QStringLiteral("import ast, sys\n"
                                          "ast.parse(open(sys.argv[1], encoding='utf-8').read(), 'script')")};
    return std::nullopt;
}

// The range of a line (1 = the first) in the text; none past the end.
std::optional<std::pair<int, int>> rangeOfLine(const QString& text, int line)
{
    int start = 0;
    for (int i = 1; i < line; ++i) {
        const int next = int(text.indexOf(QLatin1Char('\n'), start));
        if (next < 0)
            return std::nullopt;
        start = next + 1;
    }
    int end = int(text.indexOf(QLatin1Char('\n'), start));
    if (end < 0)
        end = int(text.size());
    return std::pair{start, end - start};
}

} // namespace

QStringList interpreterOf(const QString& source)
{
    if (!source.startsWith(QLatin1String("#!")))
        return {QStringLiteral("/bin/sh")};
    const QString line = source.mid(2, source.indexOf(QLatin1Char('\n')) < 0 ? -1 : source.indexOf(QLatin1Char('\n')) - 2);
    const QStringList words = line.split(QRegularExpression(QStringLiteral("[ \\t\\r]+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {QStringLiteral("/bin/sh")};
    return words;
}

CheckResult checkSource(const QString& source)
{
    CheckResult result;
    result.length = int(source.size());
    const QStringList interpreter = interpreterOf(source);
    const QString program = findProgram(interpreter.first());
    const QString name = interpreterName(interpreter);
    if (program.isEmpty() || (interpreter.first().endsWith(QLatin1String("/env")) && findProgram(name).isEmpty())) {
        result.number = 127;
        result.message = QStringLiteral("%1: interpreter not found").arg(interpreter.join(QLatin1Char(' ')));
        return result;
    }
    const std::optional<QStringList> check = checkArguments(name);
    if (!check) {
        result.compiles = true;
        result.length = 0;
        return result;
    }
    const auto file = sourceFile(source.toUtf8());
    if (!file) {
        result.number = -1;
        result.message = QStringLiteral("cannot write the script for its check");
        return result;
    }
    // The check runs with the interpreter itself (behind env, its name).
    QStringList arguments = *check;
    QString checker = program;
    if (QFileInfo(program).fileName() == QLatin1String("env"))
        checker = findProgram(name);
    arguments.append(file->fileName());
    const ProcessResult run = Platform::instance().processes().run(checker, arguments, {});
    if (!run.started) {
        result.number = -1;
        result.message = run.error;
        return result;
    }
    if (run.status == 0) {
        result.compiles = true;
        result.length = 0;
        return result;
    }
    result.number = run.status >> 8 ? run.status >> 8 : run.status;
    QString complaint = QString::fromUtf8(run.errorOutput).trimmed();
    complaint.replace(file->fileName(), QStringLiteral("script"));
    const QStringList lines = complaint.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Python names the line first and says what is wrong last.
    result.message = lines.isEmpty() ? QStringLiteral("syntax error") : lines.last().trimmed();
    static const QRegularExpression lineNumber(QStringLiteral("(?:line |script: ?|: )(\\d+)"));
    const QRegularExpressionMatch match = lineNumber.match(complaint);
    if (match.hasMatch()) {
        if (const auto range = rangeOfLine(source, match.captured(1).toInt())) {
            result.start = range->first;
            result.length = range->second;
        }
    }
    return result;
}

QByteArray compiledScriptWithSource(const QString& source)
{
    if (source.isEmpty() || !checkSource(source).compiles)
        return {};
    return source.toUtf8();
}

std::optional<QString> sourceWithCompiledScript(const QByteArray& compiled)
{
    if (compiled.contains('\0'))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString source = decoder.decode(compiled);
    if (decoder.hasError())
        return std::nullopt;
    return source;
}

bool isScriptFileAtPath(const QString& path)
{
    static const QStringList extensions{QStringLiteral("scpt"), QStringLiteral("sh"), QStringLiteral("bash"),
                                        QStringLiteral("py"),   QStringLiteral("pl"), QStringLiteral("rb")};
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (extensions.contains(info.suffix()))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(2) == "#!";
}

QByteArray compiledScriptWithPath(const QString& path)
{
    if (!isScriptFileAtPath(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

ProcessResult runCompiledScript(const QByteArray& compiled, const std::function<bool()>& keepRunning)
{
    ProcessResult result;
    const std::optional<QString> source = sourceWithCompiledScript(compiled);
    if (!source) {
        result.error = QStringLiteral("the script is not text");
        return result;
    }
    const auto file = sourceFile(compiled);
    if (!file) {
        result.error = QStringLiteral("cannot write the script to run it");
        return result;
    }
    QStringList arguments = interpreterOf(*source);
    const QString program = arguments.takeFirst();
    arguments.append(file->fileName());
    return Platform::instance().processes().run(program, arguments, keepRunning);
}

} // namespace zelk::script
