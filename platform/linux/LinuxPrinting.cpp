#include "LinuxPrinting.h"

#include "LinuxCommands.h"
#include "Log.h"

namespace zelk {

QStringList LinuxPrintService::printers()
{
    const std::optional<CommandResult> result = runCommand("printers", "lpstat", {"-e"}, kCommandWaitMs);
    if (!result || result->exitCode != 0)
        return {};
    QStringList names;
    for (const QByteArray& line : result->output.split('\n')) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

QString LinuxPrintService::defaultPrinter()
{
    const std::optional<CommandResult> result = runCommand("defaultPrinter", "lpstat", {"-d"}, kCommandWaitMs);
    if (!result || result->exitCode != 0)
        return {};
    // "system default destination: NAME", or "no system default destination".
    const QString text = QString::fromUtf8(result->output).trimmed();
    const int colon = text.indexOf(':');
    if (colon < 0)
        return {};
    return text.mid(colon + 1).trimmed();
}

bool LinuxPrintService::setDefaultPrinter(const QString& name)
{
    if (name.isEmpty())
        return false;
    const std::optional<CommandResult> result = runCommand("setDefaultPrinter", "lpoptions", {"-d", name}, kCommandWaitMs);
    if (!result || result->exitCode != 0) {
        zlog("LinuxPrintService", "setDefaultPrinter") << "lpoptions refused" << name;
        return false;
    }
    return true;
}

bool LinuxPrintService::printFile(const QString& path, const QString& printer)
{
    QStringList arguments;
    if (!printer.isEmpty())
        arguments << "-d" << printer;
    arguments << "--" << path;
    const std::optional<CommandResult> result = runCommand("printFile", "lp", arguments, kCommandWaitMs);
    if (!result || result->exitCode != 0) {
        zlog("LinuxPrintService", "printFile") << "lp refused" << path << "on" << (printer.isEmpty() ? "the default" : printer);
        return false;
    }
    return true;
}

} // namespace zelk
